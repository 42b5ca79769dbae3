#include "platform/SystemDirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pelto {

QStringList dataDirCandidates(const QString& programDir) {
    QStringList candidates{programDir + QStringLiteral("/../share/pelto")};
#ifdef PELTO_SOURCE_DATA_DIR
    // A program run from its build tree finds the data beside its sources.
    candidates << QStringLiteral(PELTO_SOURCE_DATA_DIR);
#endif
    return candidates;
}

QString firstExistingDir(const QStringList& candidates) {
    for (const QString& candidate : candidates) {
        if (candidate.isEmpty())
            continue;
        const QFileInfo info(candidate);
        if (info.isDir())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return QString::fromLatin1(kApiCallFailed);
}

QString dataDirFor(const QString& programDir) {
    // The sound marks a data folder: the revision history alone lies beside the built program.
    if (QFileInfo(programDir + QStringLiteral("/Media/Ding.wav")).isFile())
        return QDir::cleanPath(QFileInfo(programDir).absoluteFilePath());
    return firstExistingDir(dataDirCandidates(programDir));
}

QString GetWindowsDir() {
    // Without an application object there is no reliable program folder.
    if (!QCoreApplication::instance())
        return QString::fromLatin1(kApiCallFailed);
    return dataDirFor(QCoreApplication::applicationDirPath());
}

QString GetSystemDir() {
    return firstExistingDir({QStringLiteral("/etc")});
}

} // namespace pelto
