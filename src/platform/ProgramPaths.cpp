#include "platform/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace pelto {

QString programFolder() {
    QString folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    if (!folder.endsWith(pathSeparator()))
        folder += pathSeparator();
    return folder;
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
