#include "cli/CliDialogs.h"

#include "cli/Console.h"

namespace pelto::cli {
namespace {

QString answerText(BoxButtons buttons, BoxAnswer answer) {
    switch (buttons) {
    case BoxButtons::Ok:
        return {};
    case BoxButtons::YesNo:
    case BoxButtons::YesNoDefaultNo:
        return answer == BoxAnswer::Yes ? QStringLiteral("Answered Yes (--yes).")
                                        : QStringLiteral("Answered No (--yes answers Yes).");
    case BoxButtons::AbortRetryIgnore:
        return answer == BoxAnswer::Ignore
                   ? QStringLiteral("Answered Ignore (--on-error=ignore).")
                   : QStringLiteral("Answered Abort (--on-error=ignore answers Ignore).");
    case BoxButtons::RetryCancel:
        return QStringLiteral("Answered Cancel.");
    }
    return {};
}

QString withoutLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.trimmed();
}

} // namespace

CliDialogs::CliDialogs(Console& console, bool yes, bool ignoreErrors,
                       std::function<QString()> lastLogged)
    : console_(console), yes_(yes), ignoreErrors_(ignoreErrors),
      lastLogged_(std::move(lastLogged)) {}

BoxAnswer CliDialogs::answerFor(BoxButtons buttons) const {
    switch (buttons) {
    case BoxButtons::Ok:
        return BoxAnswer::Ok;
    case BoxButtons::YesNo:
    case BoxButtons::YesNoDefaultNo:
        return yes_ ? BoxAnswer::Yes : BoxAnswer::No;
    case BoxButtons::AbortRetryIgnore:
        return ignoreErrors_ ? BoxAnswer::Ignore : BoxAnswer::Abort;
    case BoxButtons::RetryCancel:
        return BoxAnswer::Cancel;
    }
    return BoxAnswer::Cancel;
}

BoxAnswer CliDialogs::ask(BoxButtons buttons, const QString& text, const QString& title, BoxIcon) {
    const BoxAnswer answer = answerFor(buttons);
    if (buttons == BoxButtons::AbortRetryIgnore) {
        ++errorReports_;
        if (answer == BoxAnswer::Ignore)
            ++errorsIgnored_;
    }

    const QString body = withoutLineBreaks(text);
    const bool echoed = lastLogged_ && !body.isEmpty() && withoutLineBreaks(lastLogged_()) == body;
    const QString answerLine = answerText(buttons, answer);
    if (echoed) {
        // The error log has just shown the text; a notice adds nothing.
        if (!answerLine.isEmpty())
            console_.problem(title + QStringLiteral(": ") + answerLine);
    } else {
        QString message = title + QStringLiteral(": ") + body;
        if (!answerLine.isEmpty())
            message += QLatin1Char('\n') + answerLine;
        console_.problem(message);
    }
    return answer;
}

QString CliDialogs::openFile(const QString&, const QString&, const QString&) {
    return {};
}

} // namespace pelto::cli
