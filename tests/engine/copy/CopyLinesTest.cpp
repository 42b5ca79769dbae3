// Reading result lines back, and the rules the copy applies to names and attributes.

#include "engine/copy/CopyLines.h"
#include "engine/compare/Compare.h"
#include "engine/copy/CopyRules.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"

#include <functional>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

using namespace pelto::copylines;
using namespace pelto::copyrules;

const QString kNbspTo = QString(kNbsp) + "to" + kNbsp;

qint32 errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(CopyLines, SourceHeadersSplitAtTheNoBreakSeparatorFirst) {
    const SourceHeader plain = sourceHeader("Dir: /a/src to /b/dst");
    EXPECT_EQ(plain.sourceDir, "/a/src/");
    EXPECT_EQ(plain.destinationDir, "/b/dst/");
    const SourceHeader nbsp = sourceHeader("Dir: /my to do" + kNbspTo + "/back to/x");
    EXPECT_EQ(nbsp.sourceDir, "/my to do/");
    EXPECT_EQ(nbsp.destinationDir, "/back to/x/");
    // A drive root keeps its one separator.
    EXPECT_EQ(sourceHeader("Dir: / to /mnt/b").sourceDir, "/");
    EXPECT_EQ(destinationHeader("Dir: /b/dst"), "/b/dst/");
    EXPECT_EQ(errorOf([] { sourceHeader("Dir: /a/src"); }), kInvalidCall);
}

TEST(CopyLines, FileNamesEndBeforeTheTagAtTheEndOfTheLine) {
    EXPECT_EQ(fileName("12: a.txt unmatched" + QString(kNbsp)), "a.txt");
    EXPECT_EQ(fileName("3: b c.txt newer" + QString(kNbsp)), "b c.txt");
    EXPECT_EQ(fileName("4: d archive" + QString(kNbsp)), "d");
    // A name that holds a tag's text, even with the no-break space, is kept whole.
    EXPECT_EQ(fileName("5: x unmatched" + QString(kNbsp) + "y newer" + QString(kNbsp)),
              "x unmatched" + QString(kNbsp) + "y");
    EXPECT_EQ(fileName("6: a:b.txt unmatched" + QString(kNbsp)), "a:b.txt");
    EXPECT_EQ(errorOf([] { fileName("7: no tag"); }), kInvalidCall);
    EXPECT_EQ(errorOf([] { fileName("no colon unmatched" + QString(kNbsp)); }), kInvalidCall);
}

TEST(CopyLines, FolderLinesGiveTheFolderAndWhereItGoes) {
    const SourceFolderLine line =
        sourceFolderLine("4: /s/sub/deep unmatched" + QString(kNbsp) + " to /d/sub/");
    EXPECT_EQ(line.sourceFolder, "/s/sub/deep");
    EXPECT_EQ(line.destinationParent, "/d/sub/");
    EXPECT_EQ(destinationFolderOf(line, "/s", "/d"), "/d/sub/deep");
    EXPECT_EQ(destinationFolderOf(line, "/S/", "/d/"), "/d/sub/deep");
    EXPECT_EQ(destinationFolderOf(line, "/s/sub/", "/d/sub/"), "/d/sub/deep");
    // Roots changed since the check: the line's own destination parent.
    EXPECT_EQ(destinationFolderOf(line, "/elsewhere", "/d"), "/d/sub/deep");
    EXPECT_EQ(destinationFolderOf(line, "/s/subway", "/x"), "/d/sub/deep");

    EXPECT_EQ(subfolderLine("/s/sub/deep/Inner", "/d/sub/deep"),
              "99: /s/sub/deep/Inner unmatched" + QString(kNbsp) + " to /d/sub/deep/");
    EXPECT_EQ(destinationFolder("2: /d/old unmatched" + QString(kNbsp)), "/d/old");
}

TEST(CopyRules, VolatileLocationsAndNames) {
    EXPECT_TRUE(isVolatile("/c/windows/prefetch/", "app.pf"));
    EXPECT_TRUE(isVolatile("/c/app/", "session.lck"));
    EXPECT_TRUE(isVolatile("/c/app/", "db.ldb.bak"));
    EXPECT_TRUE(isVolatile("/h/mozilla/profiles/x/cache/", "f"));
    EXPECT_FALSE(isVolatile("/h/mozilla/profiles/x/", "f"));
    EXPECT_TRUE(isVolatile("/c/documents and settings/joe/cookies/", "c.txt"));
    EXPECT_TRUE(isVolatile("/c/windows/pchealth/helpctr/x/", "f"));
    // Below a user profile only the profile's own volatile folders count.
    EXPECT_FALSE(isVolatile("/c/documents and settings/joe/pchealth/helpctr/", "f"));
    EXPECT_FALSE(isVolatile("/c/data/", "report.txt"));

    EXPECT_TRUE(hasUmlaut("Cr\u00C8me"));
    EXPECT_FALSE(hasUmlaut("creme"));
    EXPECT_TRUE(isBootWizardFolder("/d/tools/bootwiz"));
    EXPECT_FALSE(isBootWizardFolder("/d/tools/bootwizard"));
    EXPECT_TRUE(isDriveRootSystemName("pagefile.sys"));
    EXPECT_FALSE(isDriveRootSystemName("pagefile.sys.bak"));
}

} // namespace
} // namespace pelto::test
