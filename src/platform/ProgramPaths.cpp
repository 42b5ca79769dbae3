#include "platform/ProgramPaths.h"

#include "platform/ProgramState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <utility>

namespace pelto {

namespace {

QString withSeparator(const QString& folder) {
    QString native = QDir::toNativeSeparators(folder);
    if (!native.endsWith(pathSeparator()))
        native += pathSeparator();
    return native;
}

FolderWritableCheck& writableCheck() {
    static FolderWritableCheck check;
    return check;
}

const StateReset kResetWritableCheck{[] { writableCheck() = {}; }};

} // namespace

bool folderWritable(const QString& folder) {
    const QFileInfo info(folder);
#ifndef Q_OS_WIN
    const QString absolute = QDir::cleanPath(info.absoluteFilePath()) + QLatin1Char('/');
    if (absolute.startsWith(QLatin1StringView("/usr/")))
        return false;
#endif
    // QFileInfo asks access(2), which also answers "no" on a read-only mount.
    return info.isDir() && info.isWritable();
}

QString executableFolder() {
    return withSeparator(QCoreApplication::applicationDirPath());
}

QString perUserFolder() {
    // Relative values of XDG_DATA_HOME are invalid and ignored, as the base directory rules say.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return withSeparator(QDir::cleanPath(base + QStringLiteral("/Pelto")));
}

QString programFolder() {
    const QString beside = executableFolder();
    if (writableCheck() ? writableCheck()(beside) : folderWritable(beside))
        return beside;
    const QString perUser = perUserFolder();
    // Created on first use; when that fails, writing the files there reports the failure.
    QDir().mkpath(perUser);
    return perUser;
}

void setFolderWritableCheck(FolderWritableCheck check) {
    writableCheck() = std::move(check);
}

QString developerFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("E:\\Data\\VB60\\Pelto\\");
#else
    return programFolder();
#endif
}

bool pathsHaveDriveLetters() {
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

QChar pathSeparator() {
    return QDir::separator();
}

} // namespace pelto
