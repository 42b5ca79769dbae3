// Names and paths between the text the program keeps and the bytes the system calls take. Plain
// ASCII takes a shortcut; every other name must come out exactly as the general conversion
// gives it.
#include "platform/FsPath.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

const QByteArray kNames[] = {
    "",
    "a",
    "Report 2024 (final).DOC",
    ".~lock#x",
    QByteArray("\x7f tail"),
    QByteArray("caf\xc3\xa9 \xc3\x9c"),                  // UTF-8 letters
    QByteArray("\xf0\x9f\x98\x80 smile"),                // outside the 16-bit plane
    QByteArray("bad \xff\xfe bytes"),                    // not UTF-8 at all
    QByteArray("ascii first, then \xc3\xa4 at the end"), // the shortcut must not stop early
};

TEST(NativeNames, DecodeAsTheGeneralConversionDoes) {
    for (const QByteArray& bytes : kNames)
        EXPECT_EQ(fspath::fromNative(bytes.constData()), QFile::decodeName(bytes)) << bytes.data();
}

TEST(NativeNames, EncodeAsTheGeneralConversionDoesIntoAReusedBuffer) {
    QByteArray buffer;
    for (const QByteArray& bytes : kNames) {
        const QString name = QFile::decodeName(bytes);
        EXPECT_EQ(fspath::native(name), QFile::encodeName(name)) << bytes.data();
        // A shorter name after a longer one must not keep the longer one's tail.
        const char* encoded = fspath::nativeName(name, buffer);
        EXPECT_EQ(QByteArray(encoded), QFile::encodeName(name)) << bytes.data();
    }
    const QString withSurrogate = QStringLiteral("x") + QChar(0xd800) + QStringLiteral("y");
    EXPECT_EQ(QByteArray(fspath::nativeName(withSurrogate, buffer)),
              QFile::encodeName(withSurrogate));
}

TEST(NativeNames, NormalizeCleansAbsolutePathsAndResolvesRelativeOnes) {
    EXPECT_EQ(fspath::normalize(QStringLiteral("/a//b/./c/../d/")), QStringLiteral("/a/b/d"));
    EXPECT_EQ(fspath::normalize(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(fspath::normalize(QString()), QString());
    EXPECT_EQ(fspath::normalize(QStringLiteral("x/./y")),
              QDir::cleanPath(QDir::currentPath() + QStringLiteral("/x/y")));
}

} // namespace
} // namespace pelto::test
