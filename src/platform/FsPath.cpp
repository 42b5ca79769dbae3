#include "platform/FsPath.h"

#include <QDir>
#include <QFile>

namespace pelto::fspath {

namespace {

// True when an absolute path is already as cleanPath would give it: no empty, "." or ".."
// component and no trailing separator (the root aside).
bool isClean(QStringView path) {
    const char16_t* p = path.utf16();
    const qsizetype n = path.size();
    if (n > 1 && p[n - 1] == u'/')
        return false;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (p[i] != u'/')
            continue;
        if (p[i + 1] == u'/')
            return false;
        if (p[i + 1] != u'.')
            continue;
        const qsizetype j = i + 2; // after a component's leading dot
        if (j == n || p[j] == u'/')
            return false; // "."
        if (p[j] == u'.' && (j + 1 == n || p[j + 1] == u'/'))
            return false; // ".."
    }
    return true;
}

} // namespace

QString normalize(const QString& path) {
    if (path.isEmpty())
        return {};
    // An absolute path needs no current folder (asking for it costs a system call), and one that
    // is clean already is taken as it is (the copy shares its text).
    if (path.startsWith(QLatin1Char('/')))
        return isClean(path) ? path : QDir::cleanPath(path);
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

// Names are UTF-8 on disk. Plain ASCII and the codes below U+0800 (the Latin, Greek, Cyrillic,
// Hebrew and Arabic letters), which take one or two bytes each, are converted directly; anything
// else goes through the general converter, which costs several times more per name. Both give
// the same text for the names the shortcut takes.

const char* nativeName(const QString& name, QByteArray& buffer) {
    // Room for two bytes per code and the end mark.
    const qsizetype room = 2 * name.size() + 1;
    if (buffer.size() < room)
        buffer.resize(room);
    char* out = buffer.data();
    for (const QChar qc : name) {
        const char16_t c = qc.unicode();
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xc0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3f));
        } else {
            buffer = QFile::encodeName(name);
            return buffer.constData();
        }
    }
    *out = '\0';
    return buffer.constData();
}

QString fromNative(const char* name) {
    unsigned char seen = 0;
    qsizetype size = 0;
    for (; name[size] != '\0'; ++size)
        seen |= static_cast<unsigned char>(name[size]);
    if (seen < 0x80)
        return QString::fromLatin1(name, size);

    // At most one code per byte.
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* bytes = reinterpret_cast<const unsigned char*>(name);
    for (qsizetype k = 0; k < size; ++k) {
        const unsigned char b = bytes[k];
        if (b < 0x80) {
            *out++ = b;
        } else if (b >= 0xc2 && b <= 0xdf && k + 1 < size && (bytes[k + 1] & 0xc0) == 0x80) {
            *out++ = static_cast<char16_t>(((b & 0x1f) << 6) | (bytes[k + 1] & 0x3f));
            ++k;
        } else {
            return QFile::decodeName(QByteArray::fromRawData(name, size));
        }
    }
    text.truncate(out - reinterpret_cast<const char16_t*>(text.constData()));
    return text;
}

QString lowerCase(const QString& text) {
    const char16_t* codes = QStringView(text).utf16();
    const qsizetype size = text.size();
    qsizetype firstUpper = -1;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = codes[i];
        if (c >= 0x80)
            return text.toLower();
        if (firstUpper < 0 && c >= u'A' && c <= u'Z')
            firstUpper = i;
    }
    if (firstUpper < 0)
        return text;
    QString lower = text;
    QChar* out = lower.data();
    for (qsizetype i = firstUpper; i < size; ++i) {
        const char16_t c = out[i].unicode();
        if (c >= u'A' && c <= u'Z')
            out[i] = QChar(char16_t(c + (u'a' - u'A')));
    }
    return lower;
}

} // namespace pelto::fspath
