#include "platform/FsPath.h"

#include <QDir>

#include <optional>

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

// Names on disk are bytes, most often UTF-8. A byte that is not part of a valid UTF-8 sequence
// (0x80..0xFF) is decoded to the lone surrogate U+DC80..U+DCFF, which no valid UTF-8 can give,
// and encoded back to that same byte: every name read from a folder finds the same entry again,
// byte for byte. Such a name shows a replacement character wherever it is displayed.
constexpr char16_t kEscapeBase = 0xdc00;

bool isEscapedByte(char16_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xff;
}

// Writes `text` as the system's bytes at `out`, which has room for three bytes per code.
char* encode(QStringView text, char* out) {
    const char16_t* codes = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char32_t c = codes[i];
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xc0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3f));
        } else if (isEscapedByte(char16_t(c))) {
            *out++ = static_cast<char>(c - kEscapeBase);
        } else if (QChar::isHighSurrogate(c) && i + 1 < size &&
                   QChar::isLowSurrogate(codes[i + 1])) {
            const char32_t code = QChar::surrogateToUcs4(char16_t(c), codes[++i]);
            *out++ = static_cast<char>(0xf0 | (code >> 18));
            *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3f));
            *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3f));
            *out++ = static_cast<char>(0x80 | (code & 0x3f));
        } else {
            // A surrogate no name read from disk holds stands for the replacement character.
            const char32_t code = QChar::isSurrogate(c) ? char32_t(0xfffd) : c;
            *out++ = static_cast<char>(0xe0 | (code >> 12));
            *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3f));
            *out++ = static_cast<char>(0x80 | (code & 0x3f));
        }
    }
    return out;
}

// The code of the valid UTF-8 sequence at `bytes` (of `length` bytes), or nothing; `used` gets
// its length.
std::optional<char32_t> decodeSequence(const unsigned char* bytes, qsizetype length, int& used) {
    const unsigned char lead = bytes[0];
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        used = 2, code = lead & 0x1f, least = 0x80;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        used = 3, code = lead & 0x0f, least = 0x800;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        used = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (used > length)
        return std::nullopt;
    for (int k = 1; k < used; ++k) {
        if ((bytes[k] & 0xc0) != 0x80)
            return std::nullopt;
        code = (code << 6) | (bytes[k] & 0x3f);
    }
    if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return std::nullopt;
    return code;
}

QString decode(const unsigned char* bytes, qsizetype size) {
    // At most one 16-bit code per byte.
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype k = 0; k < size;) {
        const unsigned char b = bytes[k];
        int used = 1;
        if (b < 0x80) {
            *out++ = b;
        } else if (const std::optional<char32_t> code = decodeSequence(bytes + k, size - k, used)) {
            if (QChar::requiresSurrogates(*code)) {
                *out++ = QChar::highSurrogate(*code);
                *out++ = QChar::lowSurrogate(*code);
            } else {
                *out++ = char16_t(*code);
            }
        } else {
            used = 1;
            *out++ = char16_t(kEscapeBase + b);
        }
        k += used;
    }
    text.truncate(out - reinterpret_cast<const char16_t*>(text.constData()));
    return text;
}

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
    QByteArray bytes(3 * path.size(), Qt::Uninitialized);
    bytes.truncate(encode(path, bytes.data()) - bytes.constData());
    return bytes;
}

const char* nativeName(QStringView name, QByteArray& buffer) {
    // Room for three bytes per code and the end mark.
    const qsizetype room = 3 * name.size() + 1;
    if (buffer.size() < room)
        buffer.resize(room);
    *encode(name, buffer.data()) = '\0';
    return buffer.constData();
}

QString fromNative(const char* name) {
    unsigned char seen = 0;
    qsizetype size = 0;
    for (; name[size] != '\0'; ++size)
        seen |= static_cast<unsigned char>(name[size]);
    if (seen < 0x80)
        return QString::fromLatin1(name, size);
    return decode(reinterpret_cast<const unsigned char*>(name), size);
}

namespace {

// An undecodable byte's code at `i`, not the second half of a pair.
bool isEscapeAt(const char16_t* codes, qsizetype i) {
    return isEscapedByte(codes[i]) && !(i > 0 && QChar::isHighSurrogate(codes[i - 1]));
}

// QString::toLower turns every lone surrogate into U+FFFD once it changes anything: the text
// between the codes of undecodable bytes is lowered piece by piece, and those codes stay.
QString lowerKeepingEscapes(const QString& text) {
    const char16_t* codes = QStringView(text).utf16();
    const qsizetype size = text.size();
    QString lower;
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (!isEscapeAt(codes, i))
            continue;
        if (lower.isNull())
            lower.reserve(size);
        lower += QStringView(text).mid(start, i - start).toString().toLower();
        lower += QChar(codes[i]);
        start = i + 1;
    }
    if (lower.isNull())
        return text.toLower();
    return lower + QStringView(text).mid(start).toString().toLower();
}

} // namespace

QString lowerCase(const QString& text) {
    const char16_t* codes = QStringView(text).utf16();
    const qsizetype size = text.size();
    qsizetype firstUpper = -1;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = codes[i];
        if (c >= 0x80)
            return lowerKeepingEscapes(text);
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
