#include "platform/Dialogs.h"
#include "platform/ProgramState.h"

#include <cstdio>

namespace pelto {
namespace {

const char* buttonsText(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::Ok:
        return "OK";
    case BoxButtons::YesNo:
    case BoxButtons::YesNoDefaultNo:
        return "Yes/No";
    case BoxButtons::AbortRetryIgnore:
        return "Abort/Retry/Ignore";
    case BoxButtons::RetryCancel:
        return "Retry/Cancel";
    }
    return "";
}

// Without a screen nobody can answer: show the box on standard error and take the answer that
// changes nothing.
class HeadlessDialogs : public Dialogs {
public:
    BoxAnswer ask(BoxButtons buttons, const QString& text, const QString& title, BoxIcon) override {
        std::fprintf(stderr, "[%s] %s (%s)\n", title.toLocal8Bit().constData(),
                     text.trimmed().toLocal8Bit().constData(), buttonsText(buttons));
        return cautiousAnswer(buttons);
    }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
};

Dialogs* gInstalled = nullptr;
const StateReset kResetDialogs{[] { gInstalled = nullptr; }};

} // namespace

BoxAnswer cautiousAnswer(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::Ok:
        return BoxAnswer::Ok;
    case BoxButtons::YesNo:
    case BoxButtons::YesNoDefaultNo:
        return BoxAnswer::No;
    case BoxButtons::AbortRetryIgnore:
        return BoxAnswer::Abort;
    case BoxButtons::RetryCancel:
        return BoxAnswer::Cancel;
    }
    return BoxAnswer::Cancel;
}

Dialogs& dialogs() {
    static HeadlessDialogs headless;
    return gInstalled ? *gInstalled : headless;
}

void setDialogs(Dialogs* replacement) {
    gInstalled = replacement;
}

} // namespace pelto
