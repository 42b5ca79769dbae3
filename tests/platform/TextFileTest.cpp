// The program's text files: UTF-8 or Windows-1252 bytes, LF or CR LF line ends, written CR LF.

#include "platform/TextFile.h"
#include "platform/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelto {
namespace {

qint32 errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(TextFileDecoding, Utf8WinsAndAByteOrderMarkIsDropped) {
    EXPECT_EQ(decodeText("caf\xc3\xa9 \xe2\x82\xac"), QStringLiteral("caf\u00e9 \u20ac"));
    EXPECT_EQ(decodeText("\xef\xbb\xbf[B\xc3\xbcro]"), QStringLiteral("[B\u00fcro]"));
    EXPECT_EQ(decodeText(QByteArray()), QString());
}

TEST(TextFileDecoding, BytesThatAreNotUtf8ReadAsWindows1252) {
    // One stray byte decides for the whole file, so all its characters read alike.
    EXPECT_EQ(decodeText("caf\xe9 \x80 \x93q\x94 \xc3\xa9"),
              QStringLiteral("caf\u00e9 \u20ac \u201cq\u201d \u00c3\u00a9"));
    // The codes Windows-1252 leaves undefined keep their value.
    EXPECT_EQ(decodeText("\x81\x8d\x8f\x90\x9d\xff"),
              QStringLiteral("\u0081\u008d\u008f\u0090\u009d\u00ff"));
}

TEST(TextFileLines, CrLfAndLfEndLinesOtherCrsStay) {
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\nc")),
              QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\n\r\nb\r\n")),
              QStringList({QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\r\nb\rc")),
              QStringList({QStringLiteral("a\r"), QStringLiteral("b\rc")}));
    EXPECT_TRUE(splitLines(QString()).isEmpty());
    EXPECT_EQ(splitLines(QStringLiteral("\n")), QStringList({QString()}));
}

TEST(TextFileIo, WritesCrLfUtf8AndReadsItBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    const QStringList lines{QStringLiteral("[B\u00fcro]"), QString(), QStringLiteral("/a /b")};
    writeTextLines(path, lines);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[B\xc3\xbcro]\r\n\r\n/a /b\r\n"));
    EXPECT_EQ(readTextLines(path), lines);
}

TEST(TextFileIo, FailuresCarryTheirErrorNumbers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(errorOf([&] { readTextLines(dir.filePath(QStringLiteral("none"))); }),
              err::FileNotFound);
    EXPECT_EQ(errorOf([&] { readTextLines(dir.path()); }), err::PathFileAccess);
    EXPECT_EQ(errorOf([&] { writeTextLines(dir.filePath(QStringLiteral("no/such/f")), {}); }),
              err::PathNotFound);
    EXPECT_EQ(errorOf([&] { writeTextLines(dir.path(), {}); }), err::PathFileAccess);
}

} // namespace
} // namespace pelto
