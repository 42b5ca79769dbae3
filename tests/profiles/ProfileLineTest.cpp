// Cutting profile lines into source, subdirs, destination and exclusions, in both path forms,
// and the fixed-width display of the profile list and the menu captions.

#include "profiles/ProfileLine.h"
#include "profiles/ProfileListModel.h"
#include "profiles/ProfileMenuModel.h"

#include <gtest/gtest.h>

namespace pelto {
namespace {

ProfileLineParts slash(const QString& line) {
    return parseProfileLine(line, PathSyntax::Separator);
}
ProfileLineParts drive(const QString& line) {
    return parseProfileLine(line, PathSyntax::DriveLetter);
}

TEST(ProfileLineSeparatorForm, CutsSourceDestinationSubdirsAndExclusions) {
    const auto p =
        slash(QStringLiteral("/home/me/Work   /media/backup/Work   subdirs exclude *.tmp"));
    EXPECT_EQ(p.error, ProfileLineError::None);
    EXPECT_EQ(p.source, QStringLiteral("/home/me/Work"));
    EXPECT_EQ(p.destination, QStringLiteral("/media/backup/Work"));
    EXPECT_TRUE(p.subdirs);
    EXPECT_EQ(p.excludes, QStringLiteral("exclude *.tmp"));
}

TEST(ProfileLineSeparatorForm, TabsCountAsBlanksAndPathsMayHoldBlanks) {
    const auto p = slash(QStringLiteral("/home/me/My Documents\t/backup/My Documents\tSUBDIRS\t"
                                        "Exclude \"my file*\" *.bak"));
    EXPECT_EQ(p.line, QStringLiteral("/home/me/My Documents /backup/My Documents SUBDIRS "
                                     "Exclude \"my file*\" *.bak"));
    EXPECT_EQ(p.source, QStringLiteral("/home/me/My Documents"));
    EXPECT_EQ(p.destination, QStringLiteral("/backup/My Documents"));
    EXPECT_TRUE(p.subdirs);
    // The exclusion text keeps the case it was written in.
    EXPECT_EQ(p.excludes, QStringLiteral("Exclude \"my file*\" *.bak"));
}

TEST(ProfileLineSeparatorForm, RootKeepsItsSeparatorOtherPathsLoseIt) {
    auto p = slash(QStringLiteral("/ /backup/"));
    EXPECT_EQ(p.source, QStringLiteral("/"));
    EXPECT_EQ(p.destination, QStringLiteral("/backup"));
    p = slash(QStringLiteral("/data/ /"));
    EXPECT_EQ(p.source, QStringLiteral("/data"));
    EXPECT_EQ(p.destination, QStringLiteral("/"));
    EXPECT_FALSE(p.subdirs);
    EXPECT_TRUE(p.excludes.isEmpty());
}

TEST(ProfileLineSeparatorForm, ColumnAndDestinationErrors) {
    EXPECT_EQ(slash(QStringLiteral(" /a /b")).error, ProfileLineError::Column);
    EXPECT_EQ(slash(QStringLiteral("\t/a /b")).error, ProfileLineError::Column);
    EXPECT_EQ(slash(QStringLiteral("C:\\Work E:")).error, ProfileLineError::Column);
    EXPECT_EQ(slash(QStringLiteral("home/a /b")).error, ProfileLineError::Column);
    EXPECT_EQ(slash(QStringLiteral("/a/b/c")).error, ProfileLineError::NoDestination);
    EXPECT_EQ(slash(QStringLiteral("/a b/c subdirs")).error, ProfileLineError::NoDestination);
    // The field 1 text is kept for every outcome.
    EXPECT_EQ(slash(QStringLiteral("\t/a")).line, QStringLiteral(" /a"));
}

TEST(ProfileLineSeparatorForm, KeywordsInsideFolderNamesStayPartOfThePath) {
    // "exclude " and "subdirs" inside the source, or glued to other letters, are names.
    auto p = slash(QStringLiteral("/data/exclude me/subdirs /backup/subdirsX/myexclude x"));
    EXPECT_EQ(p.source, QStringLiteral("/data/exclude me/subdirs"));
    EXPECT_EQ(p.destination, QStringLiteral("/backup/subdirsX/myexclude x"));
    EXPECT_FALSE(p.subdirs);
    EXPECT_TRUE(p.excludes.isEmpty());
    // The word exclude at the very end starts an (empty) exclusion text, which its validation
    // then reports.
    p = slash(QStringLiteral("/a /b exclude"));
    EXPECT_EQ(p.destination, QStringLiteral("/b"));
    EXPECT_EQ(p.excludes, QStringLiteral("exclude"));
    // Only the first exclude word counts; later ones belong to the exclusion text.
    p = slash(QStringLiteral("/a /b subdirs exclude subdirs exclude *.x"));
    EXPECT_TRUE(p.subdirs);
    EXPECT_EQ(p.destination, QStringLiteral("/b"));
    EXPECT_EQ(p.excludes, QStringLiteral("exclude subdirs exclude *.x"));
}

TEST(ProfileLineDriveForm, DriveAloneTakesTheSourcePath) {
    const auto p = drive(QStringLiteral("C:\\Work   E:   subdirs exclude *.tmp"));
    EXPECT_EQ(p.error, ProfileLineError::None);
    EXPECT_EQ(p.source, QStringLiteral("C:\\Work"));
    EXPECT_EQ(p.destination, QStringLiteral("E:\\Work"));
    EXPECT_TRUE(p.subdirs);
    EXPECT_EQ(p.excludes, QStringLiteral("exclude *.tmp"));
    EXPECT_EQ(drive(QStringLiteral("C:\\Data\\Photos D:")).destination,
              QStringLiteral("D:\\Data\\Photos"));
    EXPECT_EQ(drive(QStringLiteral("C:\\Work E:\\")).destination, QStringLiteral("E:\\"));
}

TEST(ProfileLineDriveForm, DriveRootKeepsItsBackslash) {
    auto p = drive(QStringLiteral("C:\\ D:\\Backup\\"));
    EXPECT_EQ(p.source, QStringLiteral("C:\\"));
    EXPECT_EQ(p.destination, QStringLiteral("D:\\Backup"));
    p = drive(QStringLiteral("C:\\Data\\ D:"));
    EXPECT_EQ(p.source, QStringLiteral("C:\\Data"));
    EXPECT_EQ(p.destination, QStringLiteral("D:\\Data"));
    p = drive(QStringLiteral("C:\\My Files\\ E:\\Copy of My Files subdirs"));
    EXPECT_EQ(p.source, QStringLiteral("C:\\My Files"));
    EXPECT_EQ(p.destination, QStringLiteral("E:\\Copy of My Files"));
}

TEST(ProfileLineDriveForm, ColumnAndDestinationErrors) {
    EXPECT_EQ(drive(QStringLiteral("/home/a /b")).error, ProfileLineError::Column);
    EXPECT_EQ(drive(QStringLiteral("\tC:\\a D:")).error, ProfileLineError::Column);
    EXPECT_EQ(drive(QStringLiteral("Work:\\a D:")).error, ProfileLineError::Column);
    EXPECT_EQ(drive(QStringLiteral("C:\\Work")).error, ProfileLineError::NoDestination);
    EXPECT_EQ(columnErrorText(PathSyntax::DriveLetter), QStringLiteral("Expected : in column 2"));
    EXPECT_EQ(columnErrorText(PathSyntax::Separator), QStringLiteral("Expected / in column 1"));
}

TEST(ProfileListColumns, PathsArePaddedOrShortenedToTwentyCharacters) {
    EXPECT_EQ(displayPath(QStringLiteral("/a")), QStringLiteral("/a").leftJustified(20));
    const QString nineteen(19, u'x');
    EXPECT_EQ(displayPath(nineteen), nineteen + QLatin1Char(' '));
    const QString twenty = QStringLiteral("/abcdefghijklmnopqrs");
    ASSERT_EQ(twenty.size(), 20);
    EXPECT_EQ(displayPath(twenty), QStringLiteral("/ab...fghijklmnopqrs"));
    const QString twentyFive = QStringLiteral("/home/user/Pictures/2024x");
    ASSERT_EQ(twentyFive.size(), 25);
    EXPECT_EQ(displayPath(twentyFive), QStringLiteral("/ho...Pictures/2024x"));
    EXPECT_EQ(subdirsColumn(true), QStringLiteral("  subdirs   "));
    EXPECT_EQ(subdirsColumn(false), QString(12, u' '));

    const QString line = ProfileListModel::lineFor(QStringLiteral("/src"), subdirsColumn(true),
                                                   twentyFive, QStringLiteral("exclude *.tmp"));
    EXPECT_EQ(line, QStringLiteral("/src") + QString(18, u' ') +
                        QStringLiteral("subdirs   /ho...Pictures/2024xexclude *.tmp"));
}

TEST(ProfileMenuCaptions, NumberedOneToNineThenLetters) {
    EXPECT_EQ(ProfileMenuModel::entryCaption(1, QStringLiteral("Backup"), true),
              QStringLiteral("&1 Backup"));
    EXPECT_EQ(ProfileMenuModel::entryCaption(9, QStringLiteral("B"), true), QStringLiteral("&9 B"));
    EXPECT_EQ(ProfileMenuModel::entryCaption(10, QStringLiteral("B"), true),
              QStringLiteral("&a B"));
    EXPECT_EQ(ProfileMenuModel::entryCaption(12, QStringLiteral("B"), true),
              QStringLiteral("&c B"));
    EXPECT_EQ(ProfileMenuModel::entryCaption(35, QStringLiteral("B"), true),
              QStringLiteral("&z B"));
    EXPECT_EQ(ProfileMenuModel::entryCaption(12, QStringLiteral("My Backup"), false),
              QStringLiteral("My Backup"));
}

TEST(ProfileMenuCaptions, SectionNameComesBackFromTheCaption) {
    EXPECT_EQ(ProfileMenuModel::sectionOfCaption(QStringLiteral("&2 My Backup"), true),
              QStringLiteral("My Backup"));
    EXPECT_EQ(ProfileMenuModel::sectionOfCaption(QStringLiteral("&2 My Backup"), false),
              QStringLiteral("&2 My Backup"));
    EXPECT_EQ(ProfileMenuModel::sectionOfCaption(QStringLiteral("NoBlank"), true),
              QStringLiteral("NoBlank"));
}

} // namespace
} // namespace pelto
