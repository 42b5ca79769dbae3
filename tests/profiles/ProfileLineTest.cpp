// Cutting profile lines into source, subdirs, destination and exclusions, and the fixed-width
// display of the profile list and the menu captions.
#include "profiles/ProfileLine.h"
#include "profiles/ProfileMenuModel.h"

#include <gtest/gtest.h>

namespace pelto {
namespace {

constexpr auto Slash = PathSyntax::Separator;
constexpr auto Drive = PathSyntax::DriveLetter;

struct LineCase {
    PathSyntax syntax;
    const char* line;
    const char* source;
    const char* destination;
    bool subdirs;
    const char* excludes;
};

TEST(ProfileLineTest, CutsSourceDestinationSubdirsAndExclusions) {
    const LineCase cases[] = {
        // Tabs count as blanks, paths may hold blanks, exclusions keep their case.
        {Slash, "/home/me/My Documents\t/backup/My Documents\tSUBDIRS\tExclude \"my file*\" *.bak",
         "/home/me/My Documents", "/backup/My Documents", true, "Exclude \"my file*\" *.bak"},
        // The root keeps its separator, other paths lose it.
        {Slash, "/ /backup/", "/", "/backup", false, ""},
        // Keywords inside folder names, or glued to other letters, are names.
        {Slash, "/data/exclude me/subdirs /backup/subdirsX/myexclude x", "/data/exclude me/subdirs",
         "/backup/subdirsX/myexclude x", false, ""},
        // Only the first exclude counts.
        {Slash, "/a /b subdirs exclude subdirs exclude *.x", "/a", "/b", true,
         "exclude subdirs exclude *.x"},
        // A drive alone takes the source's path.
        {Drive, "C:\\Work   E:   subdirs exclude *.tmp", "C:\\Work", "E:\\Work", true,
         "exclude *.tmp"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        const ProfileLineParts p = parseProfileLine(c.line, c.syntax);
        EXPECT_EQ(p.error, ProfileLineError::None);
        EXPECT_EQ(p.subdirs, c.subdirs);
        EXPECT_EQ((QStringList{p.source, p.destination, p.excludes, p.line}),
                  (QStringList{c.source, c.destination, c.excludes,
                               QString(c.line).replace(u'\t', u' ')}));
    }
}

TEST(ProfileLineTest, ListPathsTakeTwentyCharactersAndMenuCaptionsNumberOneToNineThenLetters) {
    EXPECT_EQ(displayPath("/a"), QString("/a").leftJustified(20));
    EXPECT_EQ(displayPath("/abcdefghijklmnopqrs"), "/ab...fghijklmnopqrs");
    EXPECT_EQ(ProfileMenuModel::entryCaption(35, "B", true), "&z B");
    EXPECT_EQ(ProfileMenuModel::sectionOfCaption("&2 My Backup", true), "My Backup");
}

} // namespace
} // namespace pelto
