#include "platform/FsPath.h"

#include <QDir>
#include <QFile>

namespace pelto::fspath {

QString normalize(const QString& path) {
    if (path.isEmpty())
        return {};
    // An absolute path needs no current folder (asking for it costs a system call).
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
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

namespace {

// True when every character is ASCII; such text is the same in Latin-1, UTF-8 and UTF-16.
bool isAscii(QStringView text) {
    char16_t seen = 0;
    for (const QChar c : text)
        seen |= c.unicode();
    return seen < 0x80;
}

} // namespace

QByteArray native(const QString& path) {
    if (isAscii(path))
        return path.toLatin1();
    return QFile::encodeName(path);
}

const char* nativeName(const QString& name, QByteArray& buffer) {
    if (isAscii(name)) {
        buffer.resize(name.size() + 1);
        char* out = buffer.data();
        for (const QChar c : name)
            *out++ = static_cast<char>(c.unicode());
        *out = '\0';
    } else {
        buffer = QFile::encodeName(name);
    }
    return buffer.constData();
}

QString fromNative(const char* name) {
    // Most names are plain ASCII: take them directly instead of through the full decoder, which
    // costs several times more per name.
    unsigned char seen = 0;
    qsizetype size = 0;
    for (; name[size] != '\0'; ++size)
        seen |= static_cast<unsigned char>(name[size]);
    if (seen < 0x80)
        return QString::fromLatin1(name, size);
    return QFile::decodeName(QByteArray::fromRawData(name, size));
}

} // namespace pelto::fspath
