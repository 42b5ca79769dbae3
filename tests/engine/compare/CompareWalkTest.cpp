// How the walk treats archive mode, exclusions, failures and case twins.

#include "CompareFixture.h"
#include "engine/compare/ReadAhead.h"
#include "platform/LeftOut.h"

#include <QRandomGenerator>
#include <atomic>
#include <functional>
#include <sys/stat.h>

namespace pelto::test {
namespace {

using CompareWalk = CompareTest;

TEST_F(CompareWalk, ArchiveModeListsArchivedSourceFilesAndNeverReadsDestinationFiles) {
    makeTree({"src/arc1", "src/clean", "dst/clean", "dst/dstonly", "src/Quiet/q1", "src/Sub/arc2",
              "src/Sub/clean2", "dst/quiet/", "dst/sub/", "src/OnlySrc/", "dst/OnlyDst/"});
    for (const char* rel : {"src/clean", "src/Quiet/q1", "src/Sub/clean2"})
        fs_.SetAttributesOf(at(rel), fs_.AttributesOf(at(rel)) & ~attr::Archive & attr::Writable);
    if (fs_.AttributesOf(at("src/clean")) & attr::Archive)
        GTEST_SKIP() << "the temporary folder keeps no extended attributes";
    g().gbArchive = true;

    ASSERT_TRUE(check());
    EXPECT_EQ(results().mid(0, 4),
              QList<QStringList>(
                  {{dir(S(), D()), tagged(1, "arc1 archive"), dir(S() + "/Quiet", D() + "/quiet"),
                    dir(S() + "/Sub", D() + "/sub"), tagged(3, "arc2 archive")},
                   {},
                   {tagged(2, S() + "/onlysrc unmatched") + " to " + D() + "/"},
                   {tagged(1, D() + "/onlydst unmatched")}}));
    EXPECT_EQ(g().glSrcFiles, 5);
    EXPECT_EQ(g().glDstFiles, 0);
    EXPECT_TRUE(fs_.stated.isEmpty());
    for (const QString& path : fs_.attributesRead.keys())
        EXPECT_TRUE(path.startsWith(S() + "/")) << path.toStdString();
}

// Without subdirs the exclusions apply in the top folder only; with it in every folder.
TEST_F(CompareWalk, ExclusionsReachSubfoldersOnlyWithSubdirs) {
    makeTree({"src/keep.txt", "src/old.bak", "dst/other.BAK", "src/TmpFiles/x", "dst/tmpfiles/x",
              "src/Sub/deep.bak", "src/Sub/deep.txt", "dst/sub/"});
    const QString keep = tagged(1, "keep.txt unmatched"), sub = dir(S() + "/Sub", D() + "/sub");

    setExcludes({"/tmp*", "*.bak"}, false);
    ASSERT_TRUE(check());
    EXPECT_EQ(results().mid(0, 4),
              QList<QStringList>({{dir(S(), D()), keep, sub, tagged(2, "deep.bak unmatched"),
                                   tagged(3, "deep.txt unmatched")},
                                  {},
                                  {},
                                  {tagged(1, D() + "/tmpfiles unmatched")}}));
    EXPECT_EQ(loggedMessages(), QStringList({"Source file excluded: " + S() + "/old.bak",
                                             "Destination file excluded: " + D() + "/other.bak",
                                             "Source folder excluded: tmpfiles"}));
    EXPECT_FALSE(fs_.listed.contains(at("src/TmpFiles")));

    setExcludes({"/tmp*", "*.bak"}, true);
    newCheck();
    ASSERT_TRUE(check());
    EXPECT_EQ(form_.lstSrcFile().items(),
              QStringList({dir(S(), D()), keep, sub, tagged(2, "deep.txt unmatched")}));
}

// An unreadable folder or time: Ignore leaves the item out (never taken as empty); Abort ends.
TEST_F(CompareWalk, ReadFailuresLeaveTheItemOutOrEndTheWalk) {
    makeTree({"src/Sub/a", "dst/sub/b", "src/Zed/c", "dst/zed/", "src/f", "dst/f", "dst/g",
              "src/g@5000"});
    faults_.inject(FsOp::List, at("src/Sub"), err::PermissionDenied,
                   FaultInjectingFileSystem::kAlways);
    faults_.inject(FsOp::LastModifiedOf, at("src/f"), err::FileNotFound,
                   FaultInjectingFileSystem::kAlways);
    dialogs_->then(BoxAnswer::Ignore).then(BoxAnswer::Ignore);
    ASSERT_TRUE(check());
    EXPECT_EQ(results().mid(0, 2),
              QList<QStringList>({{dir(S(), D()), tagged(1, "g newer"),
                                   dir(S() + "/Zed", D() + "/zed"), tagged(2, "c unmatched")},
                                  {}}));
    EXPECT_FALSE(g().gbErrorFlag);

    newCheck();
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(check());
    EXPECT_TRUE(form_.lstSrcFile().items().isEmpty());
    faults_.clearFaults();
    faults_.inject(FsOp::List, at("src/Sub"), err::PermissionDenied, 1);
    newCheck();
    dialogs_->then(BoxAnswer::Abort);
    EXPECT_FALSE(check());
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(form_.lstSrcFile().items(), QStringList({dir(S(), D()), tagged(1, "g newer")}));
}

// Names equal after lower-casing are matched and listed by their exact names.
TEST_F(CompareWalk, NamesDifferingOnlyInCaseWithinAFolderAreMatchedByTheirExactNames) {
    makeTree({"src/Readme.txt@5000", "src/README.txt", "dst/readme.txt", "src/normal.txt",
              "dst/Dup", "dst/dup", "src/Docs/a", "src/docs/b", "src/Fine/c", "dst/docs/",
              "dst/FINE/"});

    ASSERT_TRUE(check());
    QList<QStringList> expected(9);
    expected[0] = {dir(S(), D()),
                   tagged(1, "normal.txt unmatched"),
                   tagged(2, "README.txt unmatched"),
                   tagged(3, "Readme.txt unmatched"),
                   dir(S() + "/docs", D() + "/docs"),
                   tagged(5, "b unmatched"),
                   dir(S() + "/Fine", D() + "/FINE"),
                   tagged(6, "c unmatched")};
    expected[1] = {dir(D()), tagged(1, "Dup unmatched"), tagged(2, "dup unmatched"),
                   tagged(3, "readme.txt unmatched")};
    expected[2] = {QString("4: ") + S() + "/Docs unmatched\u00A0 to " + D() + "/"};
    expected[4] = {S() + "/"};
    expected[5] = {D() + "/"};
    expected[8] = {fitted(S()), fitted(S() + "/docs"), fitted(S() + "/fine")};
    EXPECT_EQ(results(), expected);
    EXPECT_EQ(loggedMessages(), QStringList());
    const LineData& twin = form_.lstSrcFile().lineData(2);
    EXPECT_EQ(std::tuple(twin.folder, twin.name, twin.exactName),
              std::tuple(S() + "/", QString("README.txt"), true));
    EXPECT_FALSE(form_.lstSrcFile().lineData(1).exactName);
}

// The Linux service, allowed to read ahead although it is a subclass, counting what the worker
// reads and what the walk takes; after `cancelAfter` listings taken the user cancels.
class ReadAheadFileSystem : public LinuxFileSystem {
public:
    bool ReadsAheadSafely() const override { return true; }
    std::optional<FolderAhead> ReadFolderAhead(const QString& p) override {
        ++readAhead;
        return LinuxFileSystem::ReadFolderAhead(p);
    }
    void UseFolderAhead(const FolderAhead& ahead) override {
        LinuxFileSystem::UseFolderAhead(ahead);
        if (++used == cancelAfter)
            g().gbCancel = true;
    }
    QList<DirEntry> ListWithOthers(const QString& p, QStringList& others) override {
        ++listedByWalk;
        return LinuxFileSystem::ListWithOthers(p, others);
    }
    std::atomic<int> readAhead{0};
    int used = 0, listedByWalk = 0, cancelAfter = -1;
};

class ReadAheadWalk : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        g().goFSO = &fs_;
    }
    void TearDown() override {
        detail::SetReadAheadUse(detail::ReadAheadUse::Auto);
        TreeTest::TearDown();
    }
    // One check with reading ahead on or off: its lines, messages and file counts.
    QList<QStringList> checked(bool ahead) {
        detail::SetReadAheadUse(ahead ? detail::ReadAheadUse::Always : detail::ReadAheadUse::Off);
        newCheck();
        diag::messageLog().clear();
        leftOut().clear(); // a new run reports what it leaves out again
        g().glSrcFiles = g().glDstFiles = 0;
        EXPECT_TRUE(CheckFolders(S(), D(), form_, true));
        EXPECT_EQ(detail::ReadAheadThreadsRunning(), 0);
        QList<QStringList> all = results();
        all.append(loggedMessages());
        all.append({QString::number(g().glSrcFiles), QString::number(g().glDstFiles)});
        return all;
    }
    ReadAheadFileSystem fs_;
};

// A generated tree pair with what the walk treats specially (newer and older files, one-sided
// files and folders, names differing only in letter case, a file facing a folder, exclusions,
// a fifo): the walk gives the same lines and messages whether its folders were read ahead or not.
TEST_F(ReadAheadWalk, GivesTheSameLinesAsTheWalkReadingItsOwnFolders) {
    QRandomGenerator rng(7);
    QStringList items;
    const QStringList names{"a.txt", "B.txt", "b.TXT", "c.bak", "Doc", "e", "Zeta.md", "x"};
    std::function<void(const QString&, int)> fill = [&](const QString& rel, int depth) {
        for (const QString& name : names) {
            const quint32 pick = rng.bounded(8);
            const QString side = pick < 5 ? "src/" : pick == 5 ? "dst/" : QString();
            const QString at = rel + name + "@" + QString::number(rng.bounded(3) * 2000);
            if (side.isEmpty())
                items << "src/" + at << "dst/" + rel + name.toLower() + "@2000";
            else
                items << side + at;
            if (pick < 5)
                items << "dst/" + rel + name + "@2000";
        }
        if (depth == 3)
            return;
        for (const QString& sub :
             {QStringLiteral("Sub"), QStringLiteral("tmp1"), QStringLiteral("other")}) {
            if (rng.bounded(4) == 0)
                items << "src/" + rel + sub + "2/";
            fill(rel + (rng.bounded(2) ? sub : sub.toUpper()) + "/", depth + 1);
        }
    };
    fill(QString(), 0);
    // Entries of one side that the other lacks or holds as another kind.
    items << "src/Mixed/Only/deep"
          << "src/Mixed/x"
          << "dst/Mixed/x/"
          << "src/Twin/a"
          << "src/TWIN/b"
          << "dst/twin/";
    makeTree(items);
    ASSERT_EQ(mkfifo(QFile::encodeName(at("src/Mixed/pipe")).constData(), 0600), 0);
    setExcludes({"/tmp*", "*.bak"}, true);

    const QList<QStringList> own = checked(false);
    EXPECT_EQ(detail::LastReadAheadCounts().read, 0);
    const int listedOwn = fs_.listedByWalk;
    fs_.listedByWalk = 0;
    const QList<QStringList> ahead = checked(true);
    EXPECT_EQ(ahead, own);
    EXPECT_GT(own.at(0).size(), 50);
    // Most folders came from the worker; the walk read only those it did not foresee.
    EXPECT_GT(detail::LastReadAheadCounts().used, listedOwn / 2);
    EXPECT_LT(fs_.listedByWalk, listedOwn / 4);

    // In archive mode no times are read ahead, and the destination is listed after the files.
    g().gbArchive = true;
    const QList<QStringList> archiveOwn = checked(false);
    EXPECT_EQ(checked(true), archiveOwn);
}

// Cancel during the walk ends the worker with it, though the worker was far ahead and waiting
// for room: it never read the whole tree, and no thread is left once the check returns.
TEST_F(ReadAheadWalk, CancelStopsTheWorker) {
    QStringList items;
    for (int k = 0; k < 600; ++k)
        items << QString("src/f%1/").arg(k, 3, 10, QChar('0'))
              << QString("dst/f%1/").arg(k, 3, 10, QChar('0'));
    makeTree(items);
    fs_.cancelAfter = 4;
    checked(true);
    EXPECT_TRUE(g().gbCancel);
    EXPECT_EQ(fs_.used, 4);
    EXPECT_LT(fs_.readAhead.load(), 1202 - 600);
    EXPECT_LT(form_.lstShowDirs().count(), 10);
}

} // namespace
} // namespace pelto::test
