// CopyFile's two ways of writing a new file (unnamed and linked when complete, or through a
// temporary name where unnamed files are not available), what the copy carries, and failures:
// none leaves a temporary or a partial file under the final name.
#include "FsTestTree.h"

#include "platform/FsPath.h"
#include "platform/linux/AtomicFileCopier.h"
#include "platform/linux/DosAttributes.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/MountTable.h"
#include "platform/linux/PosixError.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace pelto;
using pelto::test::errorOf;

namespace {

// How a new file is written: under a temporary name and renamed, or unnamed and linked under its
// name directly (as a process with CAP_DAC_READ_SEARCH can) or through /proc/self/fd.
enum class NewFiles { TemporaryName, UnnamedLinkedDirectly, UnnamedLinkedThroughProc };

class FastCopyTest : public ::testing::TestWithParam<NewFiles> {
protected:
    void SetUp() override {
        fs.setUnnamedCopies(GetParam() != NewFiles::TemporaryName);
        allowDirectLinks(GetParam() != NewFiles::UnnamedLinkedThroughProc);
        tree.makeFolder("src");
        tree.makeFolder("dst");
    }
    void TearDown() override { allowDirectLinks(true); }
    bool unnamed() const { return GetParam() != NewFiles::TemporaryName; }
    // The names of dst, none of them a temporary.
    QStringList destinationNames() const {
        const QStringList names = tree.names("dst");
        for (const QString& name : names)
            EXPECT_FALSE(name.startsWith(QLatin1String(kTemporaryPrefix))) << name.toStdString();
        return names;
    }

    pelto::test::FsTestTree tree;
    LinuxFileSystem fs;
};

TEST_P(FastCopyTest, ANewFileAppearsCompleteWithItsTimeModeAndCarriedBits) {
    const bool xattrs = pelto::test::userXattrsSupported(tree.root());
    tree.write("src/plain.txt", "plain content");
    tree.setMode("src/plain.txt", 0640);
    tree.setModified("src/plain.txt", 1'600'000'000, 123'456'789);
    tree.write("src/system.dat", "system content");
    if (xattrs)
        fs.GetFile(tree.path("src/system.dat")).SetAttributes(attr::System | attr::ReadOnly);
    else
        tree.setMode("src/system.dat", 0444);
    // The copy must not be seen under its name before it is complete.
    QString seen;
    fs.setBeforeReplaceHook([&](const QString& temporary) {
        seen = temporary;
        EXPECT_FALSE(tree.exists("dst/plain.txt"));
        QFile file(temporary);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "plain content");
    });

    fs.CopyFile(tree.path("src/plain.txt"), tree.path("dst/plain.txt"));
    EXPECT_EQ(seen.startsWith(QLatin1String("/proc/self/fd/")), unnamed());
    fs.setBeforeReplaceHook({});
    fs.CopyFile(tree.path("src/system.dat"), tree.path("dst/system.dat"));

    EXPECT_EQ(destinationNames(), QStringList({"plain.txt", "system.dat"}));
    EXPECT_EQ(tree.read("dst/plain.txt"), "plain content");
    const struct stat plain = tree.lstatOf("dst/plain.txt");
    EXPECT_EQ(plain.st_mtim.tv_sec, 1'600'000'000);
    EXPECT_EQ(plain.st_mtim.tv_nsec, 123'456'789);
    EXPECT_EQ(plain.st_mode & 07777, 0640u);
    // A copy of a plain file needs no attribute of its own: it reads archive without one.
    EXPECT_FALSE(tree.xattr("dst/plain.txt", dosattr::kAttributeName));
    EXPECT_EQ(fs.GetFile(tree.path("dst/plain.txt")).Attributes(), attr::Archive);
    EXPECT_EQ(tree.read("dst/system.dat"), "system content");
    EXPECT_EQ(tree.lstatOf("dst/system.dat").st_mode & 07777, 0444u);
    if (xattrs) {
        EXPECT_EQ(fs.GetFile(tree.path("dst/system.dat")).Attributes(),
                  attr::System | attr::ReadOnly | attr::Archive);
    }
}

TEST_P(FastCopyTest, AFailureBeforeTheNameIsGivenLeavesNothing) {
    tree.write("src/new.txt", "new");
    fs.setBeforeReplaceHook([](const QString&) { throw fsError(err::DiskFull); });

    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("src/new.txt"), tree.path("dst/new.txt")); }),
              err::DiskFull);
    EXPECT_TRUE(destinationNames().isEmpty());

    // The next copy goes through.
    fs.setBeforeReplaceHook({});
    fs.CopyFile(tree.path("src/new.txt"), tree.path("dst/new.txt"));
    EXPECT_EQ(tree.read("dst/new.txt"), "new");
}

TEST_P(FastCopyTest, ANameTakenWhileTheCopyWasWrittenIsReplaced) {
    tree.write("src/a.txt", "copy");
    fs.setBeforeReplaceHook([&](const QString&) { tree.write("dst/a.txt", "someone else's"); });

    fs.CopyFile(tree.path("src/a.txt"), tree.path("dst/a.txt"));
    EXPECT_EQ(destinationNames(), QStringList({"a.txt"}));
    EXPECT_EQ(tree.read("dst/a.txt"), "copy");
}

// The folder index learns the new name from the copy: a copy under another letter case replaces
// the file instead of making a second one, and a case-blind look-up finds it.
TEST_P(FastCopyTest, ACopiedNameIsKnownCaseBlindRightAway) {
    tree.write("src/one.txt", "one");
    tree.write("src/two.txt", "two");
    tree.write("dst/other.txt", "other");
    fs.List(tree.path("dst")); // the index of dst is current before the copies

    fs.CopyFile(tree.path("src/one.txt"), tree.path("dst/Report.txt"));
    fs.CopyFile(tree.path("src/two.txt"), tree.path("dst/REPORT.TXT"));

    EXPECT_EQ(destinationNames(), QStringList({"Report.txt", "other.txt"}));
    EXPECT_EQ(tree.read("dst/Report.txt"), "two");
    EXPECT_EQ(fs.GetFile(tree.path("dst/report.TXT")).Name(), "Report.txt");
}

// Files for a folder named in another letter case go to the folder found case-blind; when that
// folder is moved away and another takes the name, the next file follows the name.
TEST_P(FastCopyTest, AFolderFoundCaseBlindIsFollowedWhileItIsTheSameFolder) {
    tree.write("src/a.txt", "a");
    tree.write("src/b.txt", "b");
    tree.write("src/c.txt", "c");
    tree.makeFolder("dst/Sub");

    fs.CopyFile(tree.path("src/a.txt"), tree.path("dst/sub/a.txt"));
    fs.CopyFile(tree.path("src/b.txt"), tree.path("dst/sub/b.txt"));
    EXPECT_EQ(tree.names("dst/Sub"), QStringList({"a.txt", "b.txt"}));

    ASSERT_EQ(rename(QFile::encodeName(tree.path("dst/Sub")).constData(),
                     QFile::encodeName(tree.path("dst/Moved")).constData()),
              0);
    tree.makeFolder("dst/SUB");
    fs.CopyFile(tree.path("src/c.txt"), tree.path("dst/sub/c.txt"));
    EXPECT_EQ(tree.names("dst/SUB"), QStringList({"c.txt"}));
    EXPECT_EQ(tree.names("dst/Moved"), QStringList({"a.txt", "b.txt"}));
}

// The folder index keeps up with the copies: filling a new folder reads it a fixed number of
// times, not once per file.
TEST_P(FastCopyTest, FillingAFolderReadsItsIndexOnce) {
    fs.CreateFolder(tree.path("dst/new"));
    for (int i = 0; i < 12; ++i)
        tree.write(QStringLiteral("src/f%1.txt").arg(i), "x");
    const qint64 scansBefore = fs.lookupScans();
    for (int i = 0; i < 12; ++i)
        fs.CopyFile(tree.path(QStringLiteral("src/f%1.txt").arg(i)),
                    tree.path(QStringLiteral("dst/new/F%1.TXT").arg(i)));
    EXPECT_LE(fs.lookupScans() - scansBefore, 2);
    EXPECT_EQ(tree.names("dst/new").size(), 12);
}

// A copy right after the file's attributes were read takes the file as it is by then, even
// when it was replaced in between: by another file, by a link, or by nothing.
TEST_P(FastCopyTest, AFileReplacedAfterItsAttributesWereReadIsCopiedAsItIsNow) {
    tree.write("src/a.txt", "old");
    tree.write("src/b.txt", "b");
    tree.write("src/c.txt", "c");
    tree.write("elsewhere.txt", "new");
    tree.setModified("elsewhere.txt", 1'500'000'000, 0);
    const auto attributesThen = [&](const char* file) {
        return fs.GetFile(tree.path(QString::fromLatin1(file))).Attributes();
    };

    attributesThen("src/a.txt");
    ASSERT_EQ(rename(QFile::encodeName(tree.path("elsewhere.txt")).constData(),
                     QFile::encodeName(tree.path("src/a.txt")).constData()),
              0);
    fs.CopyFile(tree.path("src/a.txt"), tree.path("dst/a.txt"));
    EXPECT_EQ(tree.read("dst/a.txt"), "new");
    EXPECT_EQ(tree.lstatOf("dst/a.txt").st_mtim.tv_sec, 1'500'000'000);

    attributesThen("src/b.txt");
    ASSERT_EQ(unlink(QFile::encodeName(tree.path("src/b.txt")).constData()), 0);
    tree.link("src/b.txt", "c.txt");
    fs.CopyFile(tree.path("src/b.txt"), tree.path("dst/b.txt"));
    EXPECT_TRUE(S_ISLNK(tree.lstatOf("dst/b.txt").st_mode));

    attributesThen("src/c.txt");
    ASSERT_EQ(unlink(QFile::encodeName(tree.path("src/c.txt")).constData()), 0);
    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("src/c.txt"), tree.path("dst/c.txt")); }),
              err::FileNotFound);
    EXPECT_EQ(destinationNames(), QStringList({"a.txt", "b.txt"}));
}

INSTANTIATE_TEST_SUITE_P(NewFileWays, FastCopyTest,
                         ::testing::Values(NewFiles::TemporaryName, NewFiles::UnnamedLinkedDirectly,
                                           NewFiles::UnnamedLinkedThroughProc),
                         [](const ::testing::TestParamInfo<NewFiles>& info) {
                             switch (info.param) {
                             case NewFiles::TemporaryName:
                                 return "TemporaryName";
                             case NewFiles::UnnamedLinkedDirectly:
                                 return "UnnamedLinkedDirectly";
                             default:
                                 return "UnnamedLinkedThroughProc";
                             }
                         });

// Paths the service is given are taken as they are when already clean; all others are cleaned.
TEST(FastCopyPaths, NormalizeTakesCleanPathsAsTheyAreAndCleansTheRest) {
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
}

// Names are lowered for look-ups exactly as QString::toLower lowers them.
TEST(FastCopyPaths, LowerCaseMatchesQtForPlainAndOtherNames) {
    for (const QString& name :
         {QString(), QStringLiteral("plain.txt"), QStringLiteral("REPORT.TXT"),
          QStringLiteral("Mixed Case-1 [x].Doc"), QStringLiteral("@[`{Z"), QStringLiteral("CAFÉ"),
          QStringLiteral("İstanbul"), QStringLiteral("\u212Aelvin"), QStringLiteral("ΣΟΦΙΑ")}) {
        EXPECT_EQ(fspath::lowerCase(name), name.toLower()) << name.toStdString();
    }
}

// A listed folder answers its first case-blind questions by passes over the listing and later
// ones from a hash: the answers are the same, and the service's own deletes and copies reach
// both without a new scan.
TEST(FastCopyPaths, CaseBlindAnswersDoNotDependOnHowTheListingIsKept) {
    pelto::test::FsTestTree tree;
    for (const char* name : {"Zeta.TXT", "zeta.TXT", "Äpfel.txt", "plain.txt", "Other.doc"})
        tree.write(QString::fromUtf8(name), "x");
    tree.setModified({}, 1'600'000'000, 0); // the folder has not changed for a while
    LinuxFileSystem fs;
    fs.List(tree.root());
    const auto found = [&](const char* asked) {
        const std::optional<QString> path =
            fs.ResolvePath(tree.path(QString::fromUtf8(asked)), EntryKind::File);
        return path ? fspath::nameOf(*path) : QString();
    };
    for (int round = 0; round < 6; ++round) {
        // The first variant in binary name order; "Zeta.TXT" goes after round 0, "New.txt"
        // comes after round 1 (the listing is hashed by then), "Late.txt" after round 4 (to a
        // fresh listing).
        EXPECT_EQ(found("ZETA.txt"), round == 0 ? "Zeta.TXT" : "zeta.TXT") << round;
        EXPECT_EQ(found("NEW.TXT"), round < 2 ? QString() : "New.txt") << round;
        EXPECT_EQ(found("LATE.TXT"), round < 5 ? QString() : "Late.txt") << round;
        EXPECT_EQ(found("äPFEL.TXT"), QString::fromUtf8("Äpfel.txt")) << round;
        EXPECT_EQ(found("PLAIN.TXT"), "plain.txt") << round;
        EXPECT_EQ(found("other.DOC"), "Other.doc") << round;
        EXPECT_EQ(found("missing.txt"), QString()) << round;
        if (round == 0)
            fs.DeleteFile(tree.path("Zeta.TXT"));
        if (round == 1)
            fs.CopyFile(tree.path("plain.txt"), tree.path("New.txt"));
        if (round == 3) { // a fresh listing: passes again
            tree.setModified({}, 1'600'000'000, 0);
            fs.List(tree.root());
        }
        if (round == 4)
            fs.CopyFile(tree.path("plain.txt"), tree.path("Late.txt"));
    }
    EXPECT_EQ(fs.lookupScans(), 0);
}

// The mount table is read again when mounts change, not on every question (root only).
TEST(FastCopyPaths, MountsAndUnmountsAreSeenAtOnce) {
    if (!pelto::test::canMount())
        GTEST_SKIP() << "mounting needs root";
    pelto::test::FsTestTree tree;
    tree.makeFolder("stick");
    const QString point = tree.path("stick");
    EXPECT_FALSE(mounts::mountPoints().contains(point));
    pelto::test::ScratchMount stick(point, "tmpfs", "size=64k");
    if (!stick.isMounted())
        GTEST_SKIP() << "tmpfs could not be mounted";
    EXPECT_TRUE(mounts::mountPoints().contains(point));
    EXPECT_TRUE(mounts::isMountPoint(point));
    stick.unmount();
    EXPECT_FALSE(mounts::mountPoints().contains(point));
}

// A real full disk half-way through a new file and through a replacement (root only).
TEST(FastCopyDiskFull, APartialCopyNeverAppearsAndTheOldFileStays) {
    if (!pelto::test::canMount())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    pelto::test::FsTestTree tree;
    tree.makeFolder("src");
    tree.makeFolder("dst");
    pelto::test::ScratchMount mount(tree.path("dst"), "tmpfs", "size=256k");
    if (!mount.isMounted())
        GTEST_SKIP() << "tmpfs could not be mounted";
    tree.write("src/big.bin", QByteArray(512 * 1024, 'b'));
    tree.write("dst/big.bin", "old");
    LinuxFileSystem fs;

    for (const bool unnamed : {true, false}) {
        fs.setUnnamedCopies(unnamed);
        EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("src/big.bin"), tree.path("dst/new.bin")); }),
                  err::DiskFull);
        EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("src/big.bin"), tree.path("dst/big.bin")); }),
                  err::DiskFull);
        EXPECT_EQ(tree.names("dst"), QStringList({"big.bin"}));
        EXPECT_EQ(tree.read("dst/big.bin"), "old");
    }
}

} // namespace
