// Names and paths between the program's text and the system's bytes: as Qt converts valid UTF-8,
// and byte for byte for names that are not.
#include "platform/FsPath.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

// Valid UTF-8 names (every code below U+0800 among them) convert as the general conversion does.
TEST(NativeNames, ValidNamesConvertBothWaysAsTheGeneralConversionDoes) {
    QList<QByteArray> names{"", "Report 2024 (final).DOC",
                            "\xf0\x9f\x98\x80 smile",                 // outside the 16-bit plane
                            "\xe2\x82\xac \xef\xbf\xbd",              // three bytes, U+FFFD itself
                            "ascii first, then \xc3\xa4 at the end"}; // the shortcut must not stop
    for (char16_t code = 1; code < 0x820; ++code)
        names.append(QFile::encodeName(QStringLiteral("a") + QChar(code) + QStringLiteral("Z")));
    QByteArray buffer;
    for (const QByteArray& bytes : names) {
        const QString name = QFile::decodeName(bytes);
        ASSERT_EQ(fspath::fromNative(bytes.constData()), name) << bytes.data();
        ASSERT_EQ(fspath::native(name), bytes) << bytes.data();
        ASSERT_EQ(QByteArray(fspath::nativeName(name, buffer)), bytes) << bytes.data();
    }
}

// Names that are not valid UTF-8 come back byte for byte, also lowered for a look-up.
TEST(NativeNames, InvalidBytesRoundTripByteForByte) {
    const auto escaped = [](unsigned char b) { return QChar(char16_t(0xdc00 + b)); };
    EXPECT_EQ(fspath::fromNative("\xc3\xa9\xe9-\xf0\x90\x82\x80.\xff"),
              QString(QChar(0xe9)) + escaped(0xe9) + '-' + QChar(0xd800) + QChar(0xdc80) + '.' +
                  escaped(0xff));
    QByteArray buffer;
    // Latin-1, a cut sequence, overlong ones, a surrogate, beyond U+10FFFF, capitals.
    for (const QByteArray bytes :
         {"\xff\xfe.txt", "d\xff", "cut \xc3", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80",
          "\xf4\x90\x80\x80", "\xf0\x9f\x98", "CAF\xe9.TXT", "\xf0\x90\x82\x80\xe9\x41"}) {
        const QString name = fspath::fromNative(bytes.constData());
        EXPECT_EQ(fspath::native(name), bytes) << bytes.data();
        EXPECT_EQ(QByteArray(fspath::nativeName(name, buffer)), bytes) << bytes.data();
        EXPECT_EQ(fspath::native(fspath::lowerCase(name)), bytes.toLower()) << bytes.data();
    }
    // Every pair of high bytes between two letters: distinct names stay distinct and come back.
    QSet<QString> seen;
    for (int first = 0x80; first < 0x100; ++first) {
        for (int second = 0x80; second < 0x100; ++second) {
            const QByteArray bytes = QByteArray("x") + char(first) + char(second) + "y";
            const QString name = fspath::fromNative(bytes.constData());
            ASSERT_EQ(fspath::native(name), bytes) << first << ' ' << second;
            seen.insert(name);
        }
    }
    EXPECT_EQ(seen.size(), 128 * 128);
}

// Paths are cleaned as QDir::cleanPath cleans them, at every position of long paths.
TEST(NativeNames, NormalizeCleansAsQtDoes) {
    for (const char* middle : {"", "/", "//", "/./", "/../", "/.x/", "/..x/", "/x./", "/."}) {
        for (int offset = 0; offset < 12; ++offset) {
            for (const char* end : {"", "/", "/.", "/..", "/name.txt", "/../..", "/..b/b.."}) {
                const QString path = QLatin1Char('/') + QString(offset, QLatin1Char('d')) +
                                     QLatin1String(middle) + QStringLiteral("folder") +
                                     QLatin1String(end);
                EXPECT_EQ(fspath::normalize(path), QDir::cleanPath(path)) << path.toStdString();
            }
        }
    }
    EXPECT_EQ(fspath::normalize("/"), "/");
    EXPECT_EQ(fspath::normalize(QString()), QString());
    EXPECT_EQ(fspath::normalize(QStringLiteral("x/./y")),
              QDir::cleanPath(QDir::currentPath() + QStringLiteral("/x/y")));
}

// Names are lowered for look-ups exactly as QString::toLower lowers them.
TEST(NativeNames, LowerCaseMatchesQtForPlainAndOtherNames) {
    for (const QString& name :
         {QString(), QStringLiteral("Mixed Case-1 [x].Doc"), QStringLiteral("@[`{Z"),
          QStringLiteral("CAFÉ"), QStringLiteral("İstanbul"), QStringLiteral("\u212Aelvin"),
          QStringLiteral("ΣΟΦΙΑ")})
        EXPECT_EQ(fspath::lowerCase(name), name.toLower()) << name.toStdString();
}

} // namespace
} // namespace pelto::test
