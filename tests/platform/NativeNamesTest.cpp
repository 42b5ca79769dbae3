// Names and paths between the text the program keeps and the bytes the system calls take. Plain
// ASCII takes a shortcut; every other name must come out exactly as the general conversion
// gives it.
#include "platform/FsPath.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

// Single codes in one or two bytes are swept below; these are the longer and the odd ones.
const QByteArray kNames[] = {
    "",
    "Report 2024 (final).DOC",
    QByteArray("\xf0\x9f\x98\x80 smile"),                // outside the 16-bit plane
    QByteArray("bad \xff\xfe bytes"),                    // not UTF-8 at all
    QByteArray("ascii first, then \xc3\xa4 at the end"), // the shortcut must not stop early
};

TEST(NativeNames, DecodeAndEncodeIntoAReusedBufferAsTheGeneralConversionDoes) {
    QByteArray buffer;
    for (const QByteArray& bytes : kNames) {
        const QString name = QFile::decodeName(bytes);
        EXPECT_EQ(fspath::fromNative(bytes.constData()), name) << bytes.data();
        EXPECT_EQ(fspath::native(name), QFile::encodeName(name)) << bytes.data();
        // A shorter name after a longer one must not keep the longer one's tail.
        EXPECT_EQ(QByteArray(fspath::nativeName(name, buffer)), QFile::encodeName(name))
            << bytes.data();
    }
    const QString withSurrogate = QStringLiteral("x") + QChar(0xd800) + QStringLiteral("y");
    EXPECT_EQ(QByteArray(fspath::nativeName(withSurrogate, buffer)),
              QFile::encodeName(withSurrogate));
}

// Every code below U+0800 (written in one or two bytes) inside a name converts both ways as the
// general conversion does; so do byte pairs that are no well-formed two-byte code (overlong
// forms, stray or missing continuation bytes) and a name that ends inside a code.
TEST(NativeNames, EveryShortCodeAndEveryMalformedPairConvertAsTheGeneralConversionDoes) {
    QByteArray buffer;
    for (char16_t code = 1; code < 0x820; ++code) {
        const QString name = QStringLiteral("a") + QChar(code) + QStringLiteral("Z");
        const QByteArray bytes = QFile::encodeName(name);
        ASSERT_EQ(QByteArray(fspath::nativeName(name, buffer)), bytes) << int(code);
        ASSERT_EQ(fspath::fromNative(bytes.constData()), QFile::decodeName(bytes)) << int(code);
    }
    for (int lead = 0x80; lead <= 0xff; ++lead) {
        for (int next = 0; next <= 0xff; ++next) {
            const QByteArray bytes = QByteArray("x") + char(lead) +
                                     (next ? QByteArray(1, char(next)) + "y" : QByteArray());
            ASSERT_EQ(fspath::fromNative(bytes.constData()), QFile::decodeName(bytes))
                << lead << " " << next;
        }
    }
}

// Paths the service is given are taken as they are when already clean; all others are cleaned
// as QDir::cleanPath cleans them, and relative ones are resolved against the current folder.
TEST(NativeNames, NormalizeTakesCleanPathsAsTheyAreAndCleansTheRest) {
    for (const char* path :
         {"/", "/a", "/a/b.txt", "/.hidden/.x", "/a/..b/b..", "/a/b.", "/a/...", "//a", "/a//b",
          "/a/", "/a/./b", "/a/.", "/./a", "/a/../b", "/a/..", "/..", "/../a", "/a/b/../../c/"})
        EXPECT_EQ(fspath::normalize(QString::fromLatin1(path)),
                  QDir::cleanPath(QString::fromLatin1(path)))
            << path;
    // The same at every position in longer paths, which are scanned several codes at a time.
    for (const char* middle : {"/", "//", "/./", "/../", "/.x/", "/..x/", "/x./"}) {
        for (int offset = 0; offset < 12; ++offset) {
            for (const char* end : {"", "/", "/.", "/..", "/name.txt"}) {
                const QString path = QLatin1Char('/') + QString(offset, QLatin1Char('d')) +
                                     QLatin1String(middle) + QStringLiteral("folder") +
                                     QLatin1String(end);
                EXPECT_EQ(fspath::normalize(path), QDir::cleanPath(path)) << path.toStdString();
            }
        }
    }
    EXPECT_EQ(fspath::normalize(QString()), QString());
    EXPECT_EQ(fspath::normalize(QStringLiteral("x/./y")),
              QDir::cleanPath(QDir::currentPath() + QStringLiteral("/x/y")));
}

// Names are lowered for look-ups exactly as QString::toLower lowers them.
TEST(NativeNames, LowerCaseMatchesQtForPlainAndOtherNames) {
    for (const QString& name :
         {QString(), QStringLiteral("plain.txt"), QStringLiteral("REPORT.TXT"),
          QStringLiteral("Mixed Case-1 [x].Doc"), QStringLiteral("@[`{Z"), QStringLiteral("CAFÉ"),
          QStringLiteral("İstanbul"), QStringLiteral("\u212Aelvin"), QStringLiteral("ΣΟΦΙΑ")})
        EXPECT_EQ(fspath::lowerCase(name), name.toLower()) << name.toStdString();
}

} // namespace
} // namespace pelto::test
