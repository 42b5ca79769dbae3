#include "platform/FsPath.h"

#include <QDir>
#include <QFile>

namespace pelto::fspath {

QString normalize(const QString& path) {
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

QString parentOf(const QString& path) {
    if (path.isEmpty() || path == QLatin1String("/"))
        return {};
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

QString nameOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString join(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

bool isWithin(const QString& path, const QString& folder) {
    if (path == folder)
        return true;
    if (folder == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path.startsWith(folder) && path.size() > folder.size() &&
           path.at(folder.size()) == QLatin1Char('/');
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString fromNative(const char* name) {
    return QFile::decodeName(name);
}

} // namespace pelto::fspath
