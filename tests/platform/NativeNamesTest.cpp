// Names and paths between the program's text and the system's bytes, exactly as Qt converts them.
#include "platform/FsPath.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

// Odd names and every code below U+0800 (one or two bytes) inside a name convert both ways as
// the general conversion does, also into a reused buffer that held a longer name.
TEST(NativeNames, NamesConvertBothWaysAsTheGeneralConversionDoes) {
    QList<QByteArray> names{
        "", "Report 2024 (final).DOC",
        "\xf0\x9f\x98\x80 smile",                 // outside the 16-bit plane
        "bad \xff\xfe \xc0\xaf bytes, cut \xc3",  // not UTF-8 at all
        "ascii first, then \xc3\xa4 at the end"}; // the shortcut must not stop early
    for (char16_t code = 1; code < 0x820; ++code)
        names.append(QFile::encodeName(QStringLiteral("a") + QChar(code) + QStringLiteral("Z")));
    QByteArray buffer;
    for (const QByteArray& bytes : names) {
        const QString name = QFile::decodeName(bytes);
        ASSERT_EQ(fspath::fromNative(bytes.constData()), name) << bytes.data();
        ASSERT_EQ(fspath::native(name), QFile::encodeName(name)) << bytes.data();
        ASSERT_EQ(QByteArray(fspath::nativeName(name, buffer)), QFile::encodeName(name))
            << bytes.data();
    }
}

// Paths are cleaned as QDir::cleanPath cleans them, at every position in paths long enough to be
// scanned several codes at a time; relative ones are resolved against the current folder.
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
