// CopyFile: content, time and permissions kept, atomic replacement, refusals and links.
#include "FsTestTree.h"

#include "platform/linux/AtomicFileCopier.h"
#include "platform/linux/DosAttributes.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/PosixError.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace pelto;
using pelto::test::errorOf;

namespace {

QByteArray linkTargetOf(const QString& path) {
    char buffer[4096];
    const ssize_t n = readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return n < 0 ? QByteArray() : QByteArray(buffer, n);
}

class CopyFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.makeFolder("src");
        tree.makeFolder("dst");
    }
    bool noTemporaryIn(const QString& folder) const {
        for (const QString& name : tree.names(folder)) {
            if (name.startsWith(QLatin1String(kTemporaryPrefix)))
                return false;
        }
        return true;
    }

    pelto::test::FsTestTree tree;
    LinuxFileSystem fs;
};

TEST_F(CopyFileTest, KeepsContentNanosecondTimeAndPermissionsButNotSetIdBits) {
    QByteArray big(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char& c : big)
        c = char(generator.generate() & 0xFF);
    tree.write("src/big.bin", big);
    tree.setMode("src/big.bin", 06750);
    tree.setModified("src/big.bin", 1'650'000'000, 987'654'321);
    tree.write("src/empty", {});

    fs.CopyFile(tree.path("src/big.bin"), tree.path("dst/big.bin"));
    fs.CopyFile(tree.path("src/empty"), tree.path("dst/empty"));

    EXPECT_EQ(tree.read("dst/big.bin"), big);
    const struct stat copy = tree.lstatOf("dst/big.bin");
    EXPECT_EQ(copy.st_mtim.tv_sec, 1'650'000'000);
    EXPECT_EQ(copy.st_mtim.tv_nsec, 987'654'321);
    EXPECT_EQ(copy.st_mode & 07777, 0750u);
    EXPECT_TRUE(tree.exists("dst/empty"));
    EXPECT_EQ(tree.lstatOf("dst/empty").st_size, 0);
    EXPECT_TRUE(noTemporaryIn("dst"));
}

TEST_F(CopyFileTest, ReplacesAnExistingFileWithANewOneAndKeepsItsStoredName) {
    tree.write("src/report.txt", "new");
    tree.write("dst/Report.TXT", "old");
    const ino_t oldInode = tree.lstatOf("dst/Report.TXT").st_ino;

    fs.CopyFile(tree.path("SRC/REPORT.txt"), tree.path("dst/report.txt"));

    EXPECT_EQ(tree.names("dst"), QStringList({"Report.TXT"}));
    EXPECT_EQ(tree.read("dst/Report.TXT"), "new");
    EXPECT_NE(tree.lstatOf("dst/Report.TXT").st_ino, oldInode);
}

TEST_F(CopyFileTest, AFailureAfterTheTemporaryCopyLeavesTheOldFileAndNoTemporary) {
    tree.write("src/data.txt", "new content");
    tree.write("dst/data.txt", "old content");
    QString seenTemporary;
    fs.setBeforeReplaceHook([&](const QString& temporary) {
        seenTemporary = temporary;
        EXPECT_EQ(tree.read("dst/" + QFileInfo(temporary).fileName()), "new content");
        throw fsError(err::DiskFull);
    });

    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("src/data.txt"), tree.path("dst/data.txt")); }),
              err::DiskFull);
    EXPECT_FALSE(seenTemporary.isEmpty());
    EXPECT_EQ(tree.read("dst/data.txt"), "old content");
    EXPECT_EQ(tree.names("dst"), QStringList({"data.txt"}));
}

TEST_F(CopyFileTest, AReadOnlyDestinationIsRefusedUntilItsAttributeIsCleared) {
    tree.write("src/a.txt", "new");
    tree.write("dst/a.txt", "old");
    tree.setMode("dst/a.txt", 0444);
    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("src/a.txt"), tree.path("DST/A.TXT")); }),
              err::PermissionDenied);
    EXPECT_EQ(tree.read("dst/a.txt"), "old");

    fs.GetFile(tree.path("dst/a.txt")).SetAttributes(attr::Archive);
    fs.CopyFile(tree.path("src/a.txt"), tree.path("dst/a.txt"));
    EXPECT_EQ(tree.read("dst/a.txt"), "new");
}

TEST_F(CopyFileTest, RefusalsCarryTheirNumbersAndChangeNothing) {
    tree.write("src/a.txt", "a");
    tree.makeFolder("dst/folder");
    tree.write("dst/exists.txt", "e");
    const auto copy = [&](const char* from, const char* to, bool overwrite = true) {
        return errorOf([&] { fs.CopyFile(tree.path(from), tree.path(to), overwrite); });
    };

    EXPECT_EQ(copy("src/missing", "dst/x"), err::FileNotFound);
    EXPECT_EQ(copy("nowhere/a", "dst/x"), err::FileNotFound);
    EXPECT_EQ(copy("src/a.txt", "missing/a.txt"), err::PathNotFound);
    EXPECT_EQ(copy("src/a.txt", "dst/FOLDER"), err::PermissionDenied);
    EXPECT_EQ(copy("src/a.txt", "src/A.TXT"), err::PermissionDenied);
    EXPECT_EQ(copy("src/a.txt", "dst/exists.txt", false), err::FileAlreadyExists);
    EXPECT_EQ(tree.read("dst/exists.txt"), "e");
    EXPECT_EQ(tree.read("src/a.txt"), "a");
    EXPECT_TRUE(noTemporaryIn("dst"));
    EXPECT_TRUE(noTemporaryIn("src"));
}

TEST_F(CopyFileTest, LinksAreCopiedAsLinksAndReplaceLinksNotTheirTargets) {
    tree.write("src/target.txt", "target");
    tree.link("src/link", "target.txt");
    tree.link("src/dangling", "../nowhere");
    tree.setModified("src/link", 1'400'000'000, 5);
    tree.write("outside.txt", "outside");
    tree.link("dst/link", tree.path("outside.txt"));

    fs.CopyFile(tree.path("src/link"), tree.path("dst/link"));
    fs.CopyFile(tree.path("src/dangling"), tree.path("dst/dangling"));

    EXPECT_TRUE(S_ISLNK(tree.lstatOf("dst/link").st_mode));
    EXPECT_EQ(linkTargetOf(tree.path("dst/link")), "target.txt");
    EXPECT_EQ(tree.lstatOf("dst/link").st_mtim.tv_sec, 1'400'000'000);
    EXPECT_EQ(linkTargetOf(tree.path("dst/dangling")), "../nowhere");
    EXPECT_EQ(tree.read("outside.txt"), "outside");
}

TEST_F(CopyFileTest, SystemBitTravelsAndTheCopyCarriesArchive) {
    if (!pelto::test::userXattrsSupported(tree.root()))
        GTEST_SKIP() << "no user extended attributes in the temporary folder";
    tree.write("src/sys.dat", "s");
    tree.write("src/plain.dat", "p");
    fs.GetFile(tree.path("src/sys.dat")).SetAttributes(attr::System);
    fs.GetFile(tree.path("src/plain.dat")).SetAttributes(0);
    fs.CopyFile(tree.path("src/sys.dat"), tree.path("dst/sys.dat"));
    fs.CopyFile(tree.path("src/plain.dat"), tree.path("dst/plain.dat"));
    EXPECT_EQ(fs.GetFile(tree.path("dst/sys.dat")).Attributes(), attr::System | attr::Archive);
    EXPECT_EQ(fs.GetFile(tree.path("dst/plain.dat")).Attributes(), attr::Archive);
}

} // namespace
