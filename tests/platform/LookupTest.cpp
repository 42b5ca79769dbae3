// Case-blind, case-preserving lookup of files and folders and the per-folder index behind it.
#include "FsTestTree.h"

#include "platform/FsPath.h"

using namespace pelto;
using pelto::test::errorOf;

namespace {

using LookupTest = pelto::test::FsTest;

// Found case-blind, reported in stored case: an exact name first, else the first in binary order.
TEST_F(LookupTest, FindsEachComponentCaseBlindExactNameFirstOrRaisesItsNumber) {
    tree.makeFolder("Docs/Sub Folder");
    tree.makeFolder("Data");
    for (const char* name :
         {"Docs/Sub Folder/README.txt", "readme.txt", "README.txt", "ReadMe.txt", "data", "Äpfel"})
        tree.write(name, "x");
    tree.link("Alias", tree.path("Docs"));
    // Asked for, a folder or a file, the stored path found or none when the error is raised.
    const std::tuple<const char*, bool, const char*, qint32> rows[] = {
        {"docs/SUB FOLDER/readme.TXT", false, "Docs/Sub Folder/README.txt", 0},
        {"DOCS/sub folder", true, "Docs/Sub Folder", 0},
        {"DOCS/sub folder/", true, "Docs/Sub Folder", 0},
        {"alias/SUB FOLDER", true, "Alias/Sub Folder", 0}, // through a linked folder
        {"readme.txt", false, "readme.txt", 0},
        {"README.txt", false, "README.txt", 0},
        {"rEADME.TXT", false, "README.txt", 0}, // no exact match: the first in binary order
        {"äPFEL", false, "Äpfel", 0},
        {"DATA", false, "data", 0}, // the kind asked for decides
        {"data", true, "Data", 0},
        {"missing", true, nullptr, err::PathNotFound},
        {"readme.txt", true, nullptr, err::PathNotFound},
        {"Docs/missing.txt", false, nullptr, err::FileNotFound},
        {"missing/file.txt", false, nullptr, err::FileNotFound},
        {"Docs", false, nullptr, err::FileNotFound},
    };
    const auto pathAndName = [](const auto& item) { return item.Path() + u'|' + item.Name(); };
    for (const auto& [relative, folder, stored, error] : rows) {
        const QString asked = tree.path(relative);
        const bool isFolder = folder;
        QString found;
        const qint32 raised = errorOf([&] {
            found = isFolder ? pathAndName(fs.GetFolder(asked)) : pathAndName(fs.GetFile(asked));
        });
        const QString path = tree.path(stored);
        EXPECT_EQ(raised, error) << relative;
        EXPECT_EQ(found, stored ? path + u'|' + fspath::nameOf(path) : QString()) << relative;
        EXPECT_EQ(folder ? fs.FolderExists(asked) : fs.FileExists(asked), !error) << relative;
    }
    EXPECT_EQ(errorOf([&] { fs.GetFile(QString()); }), err::FileNotFound);
    EXPECT_FALSE(fs.FolderExists(QString()));
}

// Below a top folder (named through the "Exactly" calls; itself maybe a link) no link is
// followed: nothing is read, made, copied or deleted through one.
TEST_F(LookupTest, BelowATopFolderNoLinkIsFollowed) {
    tree.makeFolder("top/real");
    tree.makeFolder("outside/sub");
    tree.write("outside/file.txt", "outside");
    tree.write("new.txt", "new");
    tree.link("top/d", tree.path("outside"));
    tree.link("alias", tree.path("top"));
    const QString d = tree.path("alias/d");
    EXPECT_TRUE(fs.FolderExists(d)); // no top named yet: followed as the kernel does
    ASSERT_TRUE(fs.FolderExistsExactly(tree.path("alias")));
    EXPECT_TRUE(fs.FolderExists(tree.path("alias/real")));
    for (const QString& folder : {d, d + "/sub", d + "/SUB"})
        EXPECT_FALSE(fs.FolderExists(folder)) << qPrintable(folder);
    EXPECT_FALSE(fs.FileExists(d + "/file.txt"));
    const std::optional<DirEntry> entry = fs.EntryAt(tree.path("alias/D"));
    ASSERT_TRUE(entry.has_value());
    EXPECT_TRUE(entry->kind == EntryKind::File && entry->isLink && entry->name == "d");
    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("new.txt"), d + "/file.txt"); }),
              err::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("new.txt"), d + "/sub/new.txt"); }),
              err::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.CreateFolder(d + "/made"); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.DeleteFile(d + "/file.txt"); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.DeleteFolder(d + "/sub"); }), err::PathNotFound);
    EXPECT_EQ(tree.names("outside"), QStringList({"file.txt", "sub"}));
    EXPECT_EQ(tree.read("outside/file.txt"), "outside");
    fs.DeleteFile(d); // the link itself
    EXPECT_EQ(tree.names("top"), QStringList{"real"});
    EXPECT_EQ(tree.names("outside"), QStringList({"file.txt", "sub"}));
}

// The copy holds the folder it fills open, yet follows no link put in its place, writes into a
// folder made anew under its name, walks a path too long for one call a part at a time, and keeps
// nothing of the volume busy once its work is over.
TEST_F(LookupTest, AFolderHeldForTheCopyServesOnlyWhileItsPathNamesIt) {
    tree.makeFolder("top/vol");
    tree.makeFolder("outside");
    tree.write("new.txt", "new");
    pelto::test::ScratchMount volume(tree.path("top/vol"), "tmpfs", "size=1m");
    ASSERT_TRUE(volume.isMounted());
    ASSERT_TRUE(fs.FolderExistsExactly(tree.path("top")));
    const auto copyTo = [&](const QString& relative) {
        return errorOf([&] { fs.CopyFile(tree.path("new.txt"), tree.path(relative)); });
    };
    tree.makeFolder("top/vol/a");
    QString deep = "top/vol/a";
    for (int i = 0; deep.size() < 4400; ++i) {
        deep += '/' + QString(200, QChar(u'a' + i % 3));
        fs.CreateFolder(tree.path(deep));
    }
    EXPECT_EQ(copyTo("top/vol/a/1.txt") + copyTo(deep + "/1.txt") + copyTo("top/vol/a/2.txt"), 0);
    EXPECT_TRUE(fs.FileExists(tree.path(deep + "/1.txt")));

    ASSERT_TRUE(QDir(tree.root()).rename("top/vol/a", "top/vol/moved"));
    tree.link("top/vol/a", tree.path("outside"));
    EXPECT_EQ(copyTo("top/vol/a/3.txt"), err::PathNotFound);
    EXPECT_EQ(tree.names("outside"), QStringList());
    tree.remove("top/vol/a");
    tree.makeFolder("top/vol/a");
    EXPECT_EQ(copyTo("top/vol/a/4.txt"), 0);
    EXPECT_EQ(tree.names("top/vol/a"), QStringList{"4.txt"});
    EXPECT_EQ(tree.names("top/vol/moved"), QStringList({"1.txt", "2.txt", QString(200, u'a')}));

    fs.EndCopyWork();
    EXPECT_EQ(umount2(tree.native("top/vol"), 0), 0) << strerror(errno);
}

// The nearest top folder above a path decides how it is opened, however many tops were named: a
// top may itself be reached through a link, and a name that merely begins like a top's lies
// outside it.
TEST_F(LookupTest, TheNearestTopAboveAPathDecidesWithFewOrManyTops) {
    tree.makeFolder("top/real");
    tree.makeFolder("outside/sub/deeper");
    tree.link("top/d", tree.path("outside"));
    tree.link("alias", tree.path("top"));
    tree.link("alias-x", tree.path("top"));
    const auto exists = [&](const char* relative) { return fs.FolderExists(tree.path(relative)); };
    const auto expectRows = [&](const std::vector<std::pair<const char*, bool>>& rows,
                                const char* when) {
        for (const auto& [relative, found] : rows)
            EXPECT_EQ(exists(relative), found) << relative << ", " << when;
    };
    ASSERT_TRUE(fs.FolderExistsExactly(tree.path("alias")));
    const std::vector<std::pair<const char*, bool>> belowAlias{
        {"alias/real", true},
        {"alias/d/sub/deeper", false},  // a link below the top
        {"alias-x/d/sub/deeper", true}, // not below "alias": followed as the kernel does
    };
    expectRows(belowAlias, "one top");
    // Named as a top, the linked folder is opened as named; what lies below it is its own.
    ASSERT_TRUE(fs.FolderExistsExactly(tree.path("alias/d")));
    const std::vector<std::pair<const char*, bool>> belowD{
        {"alias/real", true},
        {"alias/d/sub/deeper", true},
        {"alias-x/d/sub/deeper", true},
    };
    expectRows(belowD, "two tops");
    for (int i = 0; i < 10; ++i) {
        const QString folder = "many/" + QString::number(i);
        tree.makeFolder(folder);
        ASSERT_TRUE(fs.FolderExistsExactly(tree.path(folder)));
    }
    expectRows(belowD, "many tops");
}

// One scan answers every lookup in a folder; own and others' changes are seen.
TEST_F(LookupTest, OneScanAnswersEveryLookupOwnChangesKeepItOthersChangesAreSeen) {
    const auto numbered = [](const char* name, int i) {
        return QString::fromLatin1(name).arg(i, 3, 10, QLatin1Char('0'));
    };
    tree.makeFolder("Dir");
    for (int i = 0; i < 200; ++i)
        tree.write(numbered("Dir/File%1.TXT", i), "x");
    tree.write("Source.txt", "payload");
    tree.setModified("Dir", 1'600'000'000, 0); // long settled: no re-reading on a miss
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(fs.FileExists(tree.path(numbered("Dir/file%1.txt", i)))) << i;
    fs.CopyFile(tree.path("Source.txt"), tree.path("Dir/Copied.TXT"));
    EXPECT_EQ(fs.GetFile(tree.path("Dir/copied.txt")).Name(), "Copied.TXT");
    EXPECT_EQ(fs.lookupScans(), 1);

    fs.DeleteFile(tree.path("Dir/COPIED.txt"));
    EXPECT_FALSE(fs.FileExists(tree.path("Dir/copied.txt")));
    tree.write("Dir/Second.TXT", "y");
    EXPECT_EQ(fs.GetFile(tree.path("Dir/second.txt")).Name(), "Second.TXT");
    tree.remove("Dir/File000.TXT");
    EXPECT_FALSE(fs.FileExists(tree.path("Dir/file000.txt")));
}

} // namespace
