// CopyFile in each of its ways of writing a new file: what a copy carries, atomic replacement,
// refusals, links and failures, none of which leaves a temporary or a partial file.
#include "FsTestTree.h"

#include "platform/FileSystem.h"
#include "platform/linux/AtomicFileCopier.h"
#include "platform/linux/DosAttributes.h"

using namespace pelto;
using pelto::test::errorOf;

namespace {

enum class NewFiles { TemporaryName, UnnamedLinkedDirectly, UnnamedLinkedThroughProc };

class CopyFileTest : public pelto::test::FsTest, public ::testing::WithParamInterface<NewFiles> {
protected:
    void SetUp() override {
        fs.setUnnamedCopies(GetParam() != NewFiles::TemporaryName);
        allowDirectLinks(GetParam() != NewFiles::UnnamedLinkedThroughProc);
        tree.makeFolder("src");
        tree.makeFolder("dst");
    }
    void TearDown() override { allowDirectLinks(true); }
    qint32 copy(const QString& from, const QString& to, bool overwrite = true) {
        return errorOf([&] { fs.CopyFile(tree.path(from), tree.path(to), overwrite); });
    }
    // None of them a temporary.
    QStringList names(const QString& folder = QStringLiteral("dst")) const {
        const QStringList names = tree.names(folder);
        for (const QString& name : names)
            EXPECT_FALSE(name.startsWith(QLatin1String(kTemporaryPrefix))) << name.toStdString();
        return names;
    }
};

// A copy is seen under its name only when complete; set-id bits go with the owner they name.
TEST_P(CopyFileTest, ANewFileAppearsCompleteWithItsContentTimePermissionsAndAttributes) {
    QByteArray big;
    while (big.size() < 3 * 1024 * 1024)
        big += QByteArray::number(big.size()) + ' ';
    tree.write("src/big.bin", big);
    tree.setMode("src/big.bin", 06750);
    tree.setModified("src/big.bin", 1'650'000'000, 987'654'321);
    tree.write("src/empty", {});
    tree.write("src/system.dat", "system content");
    fs.GetFile(tree.path("src/system.dat")).SetAttributes(attr::System | attr::ReadOnly);
    QString seen;
    fs.setBeforeReplaceHook([&](const QString& temporary) {
        seen = temporary;
        EXPECT_FALSE(tree.exists("dst/big.bin"));
        QFile file(temporary);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), big);
    });

    EXPECT_EQ(copy("src/big.bin", "dst/big.bin"), 0);
    EXPECT_EQ(seen.startsWith(QLatin1String("/proc/self/fd/")),
              GetParam() != NewFiles::TemporaryName);
    fs.setBeforeReplaceHook({});
    EXPECT_EQ(copy("src/empty", "dst/empty"), 0);
    EXPECT_EQ(copy("src/system.dat", "dst/system.dat"), 0);

    EXPECT_EQ(names(), QStringList({"big.bin", "empty", "system.dat"}));
    EXPECT_EQ(tree.read("dst/big.bin"), big);
    EXPECT_EQ(tree.read("dst/empty"), "");
    const struct stat copied = tree.lstatOf("dst/big.bin");
    EXPECT_EQ(std::tuple(copied.st_mtim.tv_sec, copied.st_mtim.tv_nsec, copied.st_mode & 07777),
              std::tuple(time_t(1'650'000'000), 987'654'321L, 06750u));
    // A copy of a plain file needs no attribute of its own: it reads archive without one.
    EXPECT_FALSE(tree.xattr("dst/big.bin", dosattr::kAttributeName));
    EXPECT_EQ(fs.GetFile(tree.path("dst/big.bin")).Attributes(), attr::Archive);
    EXPECT_EQ(tree.lstatOf("dst/system.dat").st_mode & 07777, 0444u);
    if (tree.keepsXattrs()) {
        EXPECT_EQ(fs.GetFile(tree.path("dst/system.dat")).Attributes(),
                  attr::System | attr::ReadOnly | attr::Archive);
    }
}

TEST_P(CopyFileTest, AFailureAtTheLastMomentLeavesNoTemporaryAndTheOldFile) {
    tree.write("src/a.txt", "new content");
    tree.write("dst/old.txt", "old content");
    fs.setBeforeReplaceHook([](const QString&) { throw fsError(err::DiskFull); });
    EXPECT_EQ(copy("src/a.txt", "dst/new.txt"), err::DiskFull);
    EXPECT_EQ(copy("src/a.txt", "dst/old.txt"), err::DiskFull);
    EXPECT_EQ(names(), QStringList({"old.txt"}));
    EXPECT_EQ(tree.read("dst/old.txt"), "old content");
}

// An existing file found case-blind, or one that took the name meanwhile, is replaced.
TEST_P(CopyFileTest, AnExistingOrJustTakenNameIsReplacedUnderItsStoredName) {
    tree.write("src/report.txt", "new");
    tree.write("dst/Report.TXT", "old");
    const ino_t oldInode = tree.lstatOf("dst/Report.TXT").st_ino;
    EXPECT_EQ(copy("SRC/REPORT.txt", "dst/report.txt"), 0);
    EXPECT_EQ(tree.read("dst/Report.TXT"), "new");
    EXPECT_NE(tree.lstatOf("dst/Report.TXT").st_ino, oldInode);

    fs.setBeforeReplaceHook([&](const QString&) { tree.write("dst/a.txt", "someone else's"); });
    EXPECT_EQ(copy("src/report.txt", "dst/a.txt"), 0);
    fs.setBeforeReplaceHook({});
    EXPECT_EQ(copy("src/report.txt", "dst/A.TXT"), 0);
    EXPECT_EQ(names(), QStringList({"Report.TXT", "a.txt"}));
    EXPECT_EQ(tree.read("dst/a.txt"), "new");
}

TEST_P(CopyFileTest, RefusalsCarryTheirNumbersAndChangeNothing) {
    for (const char* file : {"src/a.txt", "dst/exists.txt", "dst/ro.txt"})
        tree.write(file, QByteArray(1, file[4]));
    tree.makeFolder("dst/folder");
    tree.setMode("dst/ro.txt", 0444);
    const std::tuple<const char*, const char*, bool, qint32> rows[] = {
        {"src/missing", "dst/x", true, err::FileNotFound},
        {"nowhere/a", "dst/x", true, err::FileNotFound},
        {"src/a.txt", "missing/a.txt", true, err::PathNotFound},
        {"src/a.txt", "dst/FOLDER", true, err::PermissionDenied},
        {"src/a.txt", "src/A.TXT", true, err::PermissionDenied}, // onto itself
        {"src/a.txt", "dst/exists.txt", false, err::FileAlreadyExists},
        {"src/a.txt", "DST/RO.TXT", true, err::PermissionDenied},
    };
    for (const auto& [from, to, overwrite, error] : rows)
        EXPECT_EQ(copy(from, to, overwrite), error) << from << " " << to;
    EXPECT_EQ(names() + names("src"), QStringList({"exists.txt", "folder", "ro.txt", "a.txt"}));
    EXPECT_EQ(tree.read("dst/exists.txt") + tree.read("dst/ro.txt") + tree.read("src/a.txt"),
              "era");
    // A read-only file is replaced once its attribute is cleared.
    fs.GetFile(tree.path("dst/ro.txt")).SetAttributes(attr::Archive);
    EXPECT_EQ(copy("src/a.txt", "dst/ro.txt"), 0);
    EXPECT_EQ(tree.read("dst/ro.txt"), "a");
}

TEST_P(CopyFileTest, LinksAreCopiedAsLinksAndReplaceLinksNotTheirTargets) {
    tree.write("src/target.txt", "target");
    tree.link("src/link", "target.txt");
    tree.link("src/dangling", "../nowhere");
    tree.setModified("src/link", 1'400'000'000, 5);
    tree.write("outside.txt", "outside");
    tree.link("dst/link", tree.path("outside.txt"));

    EXPECT_EQ(copy("src/link", "dst/link"), 0);
    EXPECT_EQ(copy("src/dangling", "dst/dangling"), 0);

    EXPECT_EQ(tree.lstatOf("dst/link").st_mtim.tv_sec, 1'400'000'000);
    EXPECT_EQ(QFile::symLinkTarget(tree.path("dst/link")) + '|' +
                  QFile::symLinkTarget(tree.path("dst/dangling")),
              tree.path("dst/target.txt") + '|' + tree.path("nowhere"));
    EXPECT_EQ(tree.read("outside.txt"), "outside");
}

// A folder found case-blind is followed only while it is the same folder.
TEST_P(CopyFileTest, AFolderFoundCaseBlindIsFollowedWhileItIsTheSameFolder) {
    tree.write("src/a.txt", "x");
    tree.makeFolder("dst/Sub");
    EXPECT_EQ(copy("src/a.txt", "dst/sub/a.txt") + copy("src/a.txt", "dst/sub/b.txt"), 0);
    ASSERT_TRUE(QDir(tree.root()).rename("dst/Sub", "dst/Moved"));
    tree.makeFolder("dst/SUB");
    EXPECT_EQ(copy("src/a.txt", "dst/sub/c.txt"), 0);
    EXPECT_EQ(QStringList({names("dst/Moved").join(','), names("dst/SUB").join(',')}),
              QStringList({"a.txt,b.txt", "c.txt"}));
}

// A file replaced after its attributes were read is copied as it is now.
TEST_P(CopyFileTest, AFileReplacedAfterItsAttributesWereReadIsCopiedAsItIsNow) {
    for (const char* name : {"src/a.txt", "src/b.txt", "src/c.txt"}) {
        tree.write(name, "old");
        fs.GetFile(tree.path(name)).Attributes();
    }
    tree.remove("src/a.txt");
    tree.write("src/a.txt", "new");
    tree.setModified("src/a.txt", 1'500'000'000, 0);
    tree.remove("src/b.txt");
    tree.link("src/b.txt", "a.txt");
    tree.remove("src/c.txt");
    EXPECT_EQ(QList<qint32>({copy("src/a.txt", "dst/a.txt"), copy("src/b.txt", "dst/b.txt"),
                             copy("src/c.txt", "dst/c.txt")}),
              QList<qint32>({0, 0, err::FileNotFound}));
    EXPECT_EQ(names(), QStringList({"a.txt", "b.txt"}));
    EXPECT_EQ(tree.read("dst/a.txt"), "new");
    EXPECT_EQ(tree.lstatOf("dst/a.txt").st_mtim.tv_sec, 1'500'000'000);
    EXPECT_TRUE(S_ISLNK(tree.lstatOf("dst/b.txt").st_mode));
}

const char* const kWayNames[] = {"TemporaryName", "UnnamedLinkedDirectly",
                                 "UnnamedLinkedThroughProc"};
// Leftovers of interrupted copies (exactly so named regular files) are unlisted and removed.
TEST_P(CopyFileTest, LeftoverTemporariesAreUnlistedAndACopyIntoTheirFolderRemovesThem) {
    const QString leftover = ".pelto-copy-0k3x9q2m7a1zb";
    tree.write("dst/" + leftover, QByteArray(199, 'x'));
    // Files of users, then a folder and a link named like a leftover.
    const QStringList users{".pelto-copy-notes.txt",      ".pelto-copy-0k3x9q2m7a1z",
                            ".pelto-copy-0k3x9q2m7a1zbc", ".pelto-copy-0K3X9Q2M7A1ZB",
                            ".pelto-copy-0k3x9q2m7a1z.",  "pelto-copy-0k3x9q2m7a1zb",
                            ".pelto-copy-000000000000a",  ".pelto-copy-000000000000b"};
    for (const QString& name : users.mid(0, 6))
        tree.write("dst/" + name, "user");
    tree.makeFolder("dst/" + users[6]);
    tree.link("dst/" + users[7], tree.path("dst/" + leftover));
    tree.write("src/a.txt", "a");
    const auto sorted = [](QStringList names) {
        names.sort();
        return names.join(u'|').toStdString();
    };
    QStringList listed;
    for (const DirEntry& entry : fs.List(tree.path("dst")))
        listed.append(entry.name);
    EXPECT_EQ(sorted(listed), sorted(users));
    EXPECT_EQ(sorted(tree.names("dst")), sorted(users + QStringList{leftover})) << "none removed";
    ASSERT_EQ(copy("src/a.txt", "dst/a.txt"), 0);
    EXPECT_EQ(sorted(tree.names("dst")), sorted(users + QStringList{"a.txt"}));
}

// Another run that cleans the folder while a replacement is under way leaves its temporary be.
TEST_P(CopyFileTest, ACopyUnderWayKeepsItsTemporaryWhileAnotherRunCopiesIntoTheFolder) {
    tree.write("src/a.txt", "new");
    tree.write("src/b.txt", "b");
    tree.write("dst/a.txt", "old");
    LinuxFileSystem other;
    fs.setBeforeReplaceHook([&](const QString& temporary) {
        EXPECT_EQ(other.List(tree.path("dst")).size(), 1);
        other.CopyFile(tree.path("src/b.txt"), tree.path("dst/b.txt"));
        EXPECT_TRUE(QFile::exists(temporary));
    });
    EXPECT_EQ(copy("src/a.txt", "dst/a.txt"), 0);
    EXPECT_EQ(tree.read("dst/a.txt"), "new");
    EXPECT_EQ(names(), QStringList({"a.txt", "b.txt"}));
}

INSTANTIATE_TEST_SUITE_P(NewFileWays, CopyFileTest,
                         ::testing::Values(NewFiles::TemporaryName, NewFiles::UnnamedLinkedDirectly,
                                           NewFiles::UnnamedLinkedThroughProc),
                         [](const auto& info) { return kWayNames[static_cast<int>(info.param)]; });

} // namespace
