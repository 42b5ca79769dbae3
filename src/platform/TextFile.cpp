#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <array>

namespace pelto {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five codes it leaves undefined
// keep their own value, as Windows itself maps them.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

[[noreturn]] void raise(qint32 number, const QString& path) {
    throw RuntimeError(number, describeError(number).isEmpty()
                                   ? QStringLiteral("Path/File access error: ") + path
                                   : describeError(number) + QStringLiteral(": ") + path);
}

// The error that explains why `file` could not be opened.
[[noreturn]] void raiseOpenError(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        raise(err::FileNotFound, path);
    if (info.isDir())
        raise(err::PathFileAccessError, path);
    raise(err::PermissionDenied, path);
}

} // namespace

QString decodeText(const QByteArray& bytes) {
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    return decodeCp1252(bytes);
}

QStringList splitLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QStringList readTextLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseOpenError(path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raise(err::PathFileAccessError, path);
    return splitLines(decodeText(bytes));
}

void writeTextLines(const QString& path, const QStringList& lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (QFileInfo(path).isDir())
            raise(err::PathFileAccessError, path);
        raise(QFileInfo(path).dir().exists() ? err::PermissionDenied : err::PathNotFound, path);
    }
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    if (file.write(bytes) != bytes.size() || !file.flush())
        raise(err::PathFileAccessError, path);
}

} // namespace pelto
