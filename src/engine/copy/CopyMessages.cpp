#include "engine/copy/CopyMessages.h"

#include "diag/ErrorLog.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/Copy.h"
#include "platform/Dialogs.h"
#include "platform/ProgramState.h"

#include <QStringList>

namespace pelto::copymsg {

namespace {
const QString kTooManyTitle = QStringLiteral("Pelto error - more than 32766 files");
}

QString nameNotHeldText() {
    return QStringLiteral("\r\nSkipped, the destination ignores letter case and holds a name that "
                          "differs from this one only in letter case: ");
}

void log(const QString& procedure, const QString& message) {
    diag::LogError(QString::fromLatin1(kModule), procedure, message, false);
}

void logWithBox(const QString& procedure, const QString& message) {
    diag::LogError(QString::fromLatin1(kModule), procedure, message, true);
}

diag::Answer logWithChoice(const QString& procedure, const QString& message) {
    return diag::LogError(QString::fromLatin1(kModule), procedure, message, false, true);
}

void logTooManyItems(const QString& procedure) {
    log(procedure, QStringLiteral("More than 32766 files + folders."));
}

void showTooManyListedFiles() {
    const QStringList lines{QStringLiteral("This is usually caused by copying to "),
                            QStringLiteral("an NTFS partition from a FAT32 partition, "),
                            QStringLiteral("and the change to Daylight savings time. "),
                            QStringLiteral("NTFS does not update the time stamp for "),
                            QStringLiteral("Daylight savings time, so ALL files are "),
                            QStringLiteral("flagged for copying. ")};
    dialogs().notice(lines.join(QStringLiteral("\r\n")), kTooManyTitle);
}

void showTooManyFilesInFolder(const QString& folder) {
    dialogs().notice(QStringLiteral("This number of files in one directory is unusual. \r\n"
                                    "You should check the files in this directory: \r\n") +
                         folder,
                     kTooManyTitle);
}

bool offerToFreeSpace(MainForm& af, const QString& procedure) {
    logWithBox(procedure, QStringLiteral("\r\nOut of space on destination drive. "
                                         "You need to free up some space."));
    if (!af.optSync() || g().gbSpaceFreed)
        return false;
    if (!dialogs().yesNo(QStringLiteral("Would you like to delete "
                                        "files and folders on the destination to "
                                        "free up some space?"),
                         QStringLiteral("Out of disk space")))
        return false;
    g().gbSpaceFreed = true;
    return SyncDelete(af);
}

} // namespace pelto::copymsg
