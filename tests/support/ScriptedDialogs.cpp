#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace pelto::test {

ScriptedDialogs::ScriptedDialogs() {
    setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    setDialogs(nullptr);
}

ScriptedDialogs& ScriptedDialogs::then(BoxAnswer answer) {
    answers_.push_back(answer);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::thenFile(const QString& path) {
    files_.push_back(path);
    return *this;
}

BoxAnswer ScriptedDialogs::ask(BoxButtons buttons, const QString& text, const QString& title,
                               BoxIcon icon) {
    shown_.append({buttons, text, title, icon});
    if (answers_.empty()) {
        ADD_FAILURE() << "unscripted box \"" << title.toStdString() << "\": " << text.toStdString();
        return cautiousAnswer(buttons);
    }
    const BoxAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

QString ScriptedDialogs::openFile(const QString& title, const QString& startPath,
                                  const QString& filter) {
    fileDialogs_.append({title, startPath, filter});
    if (files_.empty()) {
        ADD_FAILURE() << "unscripted open-file dialog \"" << title.toStdString() << "\"";
        return {};
    }
    QString path = files_.front();
    files_.pop_front();
    return path;
}

} // namespace pelto::test
