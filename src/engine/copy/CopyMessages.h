#pragma once
// Messages and questions the copy routines share.

#include "diag/Answer.h"

#include <QString>

namespace pelto {

class MainForm;

namespace copymsg {

// The engine's module name in logs and traces.
inline constexpr const char* kModule = "Pelto";

// The most items one file copy takes on.
inline constexpr qsizetype kMaxItems = 32766;

// Logs a message without a box under the engine's module.
void log(const QString& procedure, const QString& message);
// Logs a message with a notice box.
void logWithBox(const QString& procedure, const QString& message);
// Logs a message and asks Abort / Retry / Ignore; returns the answer.
diag::Answer logWithChoice(const QString& procedure, const QString& message);

// The start of the note on an item whose twin (a name that differs only in letter case) the
// destination already holds, where its file system cannot hold both; the path follows.
QString nameNotHeldText();

// "More than 32766 files + folders." in the log.
void logTooManyItems(const QString& procedure);
// The box that explains a file list too long to copy.
void showTooManyListedFiles();
// The box about a folder that holds more files than one copy takes.
void showTooManyFilesInFolder(const QString& folder);

// After a full destination: logs it with a box and, in synchronise mode when space was not freed
// in this run already, offers to delete what the check found only at the destination. True when
// the user agreed and the delete ran to its end: the failed step may be tried again.
bool offerToFreeSpace(MainForm& af, const QString& procedure);

} // namespace copymsg
} // namespace pelto
