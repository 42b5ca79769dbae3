// Cutting profile lines into their parts.
#include "profiles/ProfileLine.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace pelto {
namespace {

constexpr auto Slash = PathSyntax::Separator;
constexpr auto Drive = PathSyntax::DriveLetter;

TEST(ProfileLineTest, CutsSourceDestinationSubdirsAndExclusions) {
    // syntax, line, source, destination, subdirs, exclusions
    const std::tuple<PathSyntax, const char*, const char*, const char*, bool, const char*> cases[] =
        {
            // Tabs count as blanks, paths may hold blanks, exclusions keep their case.
            {Slash,
             "/home/me/My Documents\t/backup/My Documents\tSUBDIRS\tExclude \"my file*\" *.bak",
             "/home/me/My Documents", "/backup/My Documents", true, "Exclude \"my file*\" *.bak"},
            // The root keeps its separator, other paths lose it.
            {Slash, "/ /backup/", "/", "/backup", false, ""},
            // Keywords inside folder names, or glued to other letters, are names.
            {Slash, "/data/exclude me/subdirs /backup/subdirsX/myexclude x",
             "/data/exclude me/subdirs", "/backup/subdirsX/myexclude x", false, ""},
            // Only the first exclude counts.
            {Slash, "/a /b subdirs exclude subdirs exclude *.x", "/a", "/b", true,
             "exclude subdirs exclude *.x"},
            // A drive alone takes the source's path.
            {Drive, "C:\\Work   E:   subdirs exclude *.tmp", "C:\\Work", "E:\\Work", true,
             "exclude *.tmp"},
        };
    for (const auto& [syntax, line, source, destination, subdirs, excludes] : cases) {
        SCOPED_TRACE(line);
        const ProfileLineParts p = parseProfileLine(line, syntax);
        EXPECT_TRUE(p.error == ProfileLineError::None && p.subdirs == subdirs);
        EXPECT_EQ((QStringList{p.source, p.destination, p.excludes, p.line}),
                  (QStringList{source, destination, excludes, QString(line).replace(u'\t', u' ')}));
    }
}

} // namespace
} // namespace pelto
