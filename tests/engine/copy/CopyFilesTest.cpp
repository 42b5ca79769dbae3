// File copy over real trees: what is copied, what is skipped, attributes, cancel and the item
// limit.

#include "CopyFixture.h"

namespace pelto::test {
namespace {

using CopyFiles = CopyTest;

// Missing and newer files are copied with their time and attributes; the rest left alone.
TEST_F(CopyFiles, CopiesMissingAndNewerFilesAndLeavesTheRestAlone) {
    makeTree({"src/a.txt=new a", "src/B.txt=new b@2000", "dst/b.txt=old b", "src/c.txt=same",
              "dst/c.txt=same too", "src/d.txt=older", "dst/d.txt=newer@5000",
              "src/ReadMe.TXT=case", "src/ro=ro", "src/sys=sys", "src/done=done"});
    // Nothing to carry: the copy keeps what copying gave it (a new file is one to archive).
    const std::vector<std::tuple<const char*, int, int>> carried{
        {"ro", attr::ReadOnly | attr::Archive, attr::ReadOnly},
        {"sys", attr::System | attr::Archive, attr::System},
        {"done", 0, attr::Archive}};
    for (const auto& [name, before, after] : carried)
        setAttributes(QStringLiteral("src/") + name, before);
    ASSERT_TRUE(check());

    EXPECT_TRUE(copyFiles());
    // A missing file arrives under its own name, not the list's lower-cased one.
    EXPECT_EQ(snapshot("dst"),
              QStringList({"ReadMe.TXT=case", "a.txt=new a", "b.txt=new b", "c.txt=same too",
                           "d.txt=newer", "done=done", "ro=ro", "sys=sys"}));
    EXPECT_EQ(QFileInfo(at("dst/b.txt")).lastModified().toMSecsSinceEpoch(), kBaseMs + 2000);
    for (const auto& [name, before, after] : carried) {
        EXPECT_EQ(attributes(QStringLiteral("dst/") + name), after) << name;
        EXPECT_EQ(attributes(QStringLiteral("src/") + name), before) << "the source is not touched";
    }
    EXPECT_TRUE(loggedMessages().isEmpty());
    // The selection moves every fifth line: lines 0 and 5 of the seven.
    EXPECT_EQ(form_.lstSrcFile().count(), 7);
    EXPECT_EQ(form_.lstSrcFile().selectedIndex(), 5);
}

TEST_F(CopyFiles, ArchiveModePassesOverFilesWhoseArchiveBitWasClearedSinceTheCheck) {
    makeTree({"src/one.txt", "src/two.txt", "src/old.txt", "dst/"});
    setAttributes("src/old.txt", 0);
    g().gbArchive = true;
    ASSERT_TRUE(check());
    ASSERT_EQ(form_.lstSrcFile().items(), QStringList({dir(S(), D()), tagged(1, "one.txt archive"),
                                                       tagged(2, "two.txt archive")}));
    setAttributes("src/two.txt", 0);

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(snapshot("dst"), QStringList({"one.txt=x"}));
    EXPECT_TRUE(loggedMessages().isEmpty());
}

// Each copy takes "five seconds": at the next item's refresh the user clicks Cancel.
TEST_F(CopyFiles, CancelStopsBeforeTheNextFile) {
    makeTree({"src/a1", "src/a2", "src/a3", "dst/"});
    ASSERT_TRUE(check());
    fs_.afterCopy = [&] { clock_.advance(5000); };
    form_.onDoEvents = [] { g().gbCancel = true; };

    EXPECT_TRUE(copyFiles());
    EXPECT_EQ(snapshot("dst"), QStringList({"a1=x"}));
    EXPECT_EQ(form_.doEventsCount(), 1);
    EXPECT_EQ(clock_.totalSlept(), 500);
    EXPECT_FALSE(g().gbErrorFlag);
}

// A list beyond the item limit is refused whole, also where a 16-bit count would wrap.
TEST_F(CopyFiles, ListsBeyondTheItemLimitAreRefusedWhole) {
    makeTree({"src/a.txt", "dst/"});
    form_.setOptTest(true);
    for (const int lines : {32767, 32768, 65537}) {
        form_.lstSrcFile().clear();
        form_.lstSrcFile().add(dir(S(), D()), {LineData::Kind::Header, S() + "/", D() + "/", {}});
        for (int n = 1; n < lines; ++n)
            form_.lstSrcFile().add(tagged(n, "a.txt unmatched"),
                                   {LineData::Kind::Entry, S() + "/", {}, "a.txt"});
        if (lines > 32767)
            dialogs_->then(BoxAnswer::Ok);

        EXPECT_EQ(copyFiles(), lines == 32767);
        EXPECT_EQ(g().gbErrorFlag, lines > 32767);
        EXPECT_EQ(loggedMessages(), lines == 32767
                                        ? QStringList()
                                        : QStringList({"More than 32766 files + folders."}));
        g().gbErrorFlag = false;
        diag::messageLog().clear();
    }
    ASSERT_EQ(dialogs_->shown().size(), 2);
    EXPECT_EQ(dialogs_->shown()[1].title, "Pelto error - more than 32766 files");
    EXPECT_EQ(dialogs_->shown()[1].buttons, BoxButtons::Ok);
    EXPECT_TRUE(
        dialogs_->shown()[1].text.startsWith("This is usually caused by copying to \r\nan NTFS "));
    EXPECT_TRUE(dialogs_->shown()[1].text.endsWith(
        "Daylight savings time, so ALL files are \r\nflagged for copying. "));
}

} // namespace
} // namespace pelto::test
