#pragma once
// Boxes without a screen: nobody can answer, so every box is written to standard error with the
// answer the command line chose for it.
//
//   notice               shown; OK
//   Yes / No             No, or Yes with --yes
//   Abort / Retry / Ignore   Abort, or Ignore with --on-error=ignore
//   Retry / Cancel       Cancel
//
// A box that repeats the message the error log has just echoed shows only its title and answer.

#include "platform/Dialogs.h"

#include <functional>

namespace pelto::cli {

class Console;

class CliDialogs : public Dialogs {
public:
    // lastLogged: the message the error log echoed last ("" when none).
    CliDialogs(Console& console, bool yes, bool ignoreErrors,
               std::function<QString()> lastLogged = {});

    BoxAnswer ask(BoxButtons buttons, const QString& text, const QString& title,
                  BoxIcon icon) override;
    // Nobody can choose a file.
    QString openFile(const QString& title, const QString& startPath,
                     const QString& filter) override;

    // Abort / Retry / Ignore questions asked so far (unexpected errors).
    int errorReports() const { return errorReports_; }
    // Of those, the ones answered with Ignore.
    int errorsIgnored() const { return errorsIgnored_; }

private:
    BoxAnswer answerFor(BoxButtons buttons) const;

    Console& console_;
    bool yes_;
    bool ignoreErrors_;
    std::function<QString()> lastLogged_;
    int errorReports_ = 0;
    int errorsIgnored_ = 0;
};

} // namespace pelto::cli
