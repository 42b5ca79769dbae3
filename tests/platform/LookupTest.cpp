// Case-blind, case-preserving lookup of files and folders and the per-folder index behind it.
#include "FsTestTree.h"

#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace pelto;
using pelto::test::errorOf;

namespace {

class LookupTest : public ::testing::Test {
protected:
    pelto::test::FsTestTree tree;
    LinuxFileSystem fs;
};

TEST_F(LookupTest, ResolvesEveryComponentCaseBlindAndKeepsStoredCase) {
    tree.makeFolder("Docs/Sub Folder");
    tree.write("Docs/Sub Folder/README.txt", "x");

    const File file = fs.GetFile(tree.path("docs/SUB FOLDER/readme.TXT"));
    EXPECT_EQ(file.Path(), tree.path("Docs/Sub Folder/README.txt"));
    EXPECT_EQ(file.Name(), "README.txt");

    const Folder folder = fs.GetFolder(tree.path("DOCS/sub folder"));
    EXPECT_EQ(folder.Path(), tree.path("Docs/Sub Folder"));
    EXPECT_EQ(folder.Name(), "Sub Folder");
    EXPECT_TRUE(fs.FolderExists(tree.path("dOcS")));
    EXPECT_TRUE(fs.FileExists(tree.path("DOCS/Sub Folder/Readme.Txt")));
}

TEST_F(LookupTest, ExactNameWinsThenTheFirstVariantOfTheKindAskedFor) {
    tree.write("readme.txt", "lower");
    tree.write("README.txt", "upper");
    tree.write("ReadMe.txt", "mixed");

    EXPECT_EQ(fs.GetFile(tree.path("readme.txt")).Name(), "readme.txt");
    EXPECT_EQ(fs.GetFile(tree.path("README.txt")).Name(), "README.txt");
    EXPECT_EQ(fs.GetFile(tree.path("ReadMe.txt")).Name(), "ReadMe.txt");
    // No exact match: the first variant in binary order.
    EXPECT_EQ(fs.GetFile(tree.path("rEADME.TXT")).Name(), "README.txt");

    // The kind asked for decides between a file and a folder of the same name.
    tree.makeFolder("Data");
    tree.write("data", "file");
    EXPECT_EQ(fs.GetFile(tree.path("DATA")).Name(), "data");
    EXPECT_EQ(fs.GetFile(tree.path("Data")).Name(), "data");
    EXPECT_EQ(fs.GetFolder(tree.path("data")).Name(), "Data");
}

TEST_F(LookupTest, MissingItemsRaiseTheirNumbers) {
    tree.makeFolder("a");
    tree.write("a/file.txt", "x");

    EXPECT_EQ(errorOf([&] { fs.GetFolder(tree.path("missing")); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.GetFolder(tree.path("a/file.txt")); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.GetFile(tree.path("a/missing.txt")); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.GetFile(tree.path("missing/file.txt")); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.GetFile(tree.path("a")); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.GetFile(QString()); }), err::FileNotFound);
    EXPECT_FALSE(fs.FolderExists(tree.path("a/file.txt")));
    EXPECT_FALSE(fs.FileExists(tree.path("a")));
    EXPECT_FALSE(fs.FolderExists(QString()));
}

TEST_F(LookupTest, AcceptsTrailingSeparatorsRelativePathsTheRootAndLinkedFolders) {
    tree.makeFolder("Top/Inner");
    EXPECT_EQ(fs.GetFolder(tree.path("top/inner/")).Path(), tree.path("Top/Inner"));
    EXPECT_EQ(fs.GetFolder("/").Path(), "/");

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tree.root()));
    const QString found = fs.GetFolder("TOP/./inner").Path();
    QDir::setCurrent(previous);
    EXPECT_EQ(found, tree.path("Top/Inner"));

    tree.link("Alias", tree.path("Top"));
    EXPECT_EQ(fs.GetFolder(tree.path("alias/INNER")).Path(), tree.path("Alias/Inner"));
}

TEST_F(LookupTest, OneScanPerFolderAnswersEveryCaseBlindLookup) {
    tree.makeFolder("Many");
    for (int i = 0; i < 200; ++i)
        tree.write(QStringLiteral("Many/File%1.TXT").arg(i, 3, 10, QLatin1Char('0')), "x");
    tree.setModified("Many", 1'600'000'000, 0); // long settled: no re-reading on a miss

    for (int i = 0; i < 200; ++i) {
        const QString lower = QStringLiteral("Many/file%1.txt").arg(i, 3, 10, QLatin1Char('0'));
        ASSERT_TRUE(fs.FileExists(tree.path(lower))) << i;
    }
    EXPECT_EQ(fs.lookupScans(), 1);

    // The service's own creates keep the index: no new scan, and the new names are found.
    for (int i = 0; i < 20; ++i) {
        fs.CreateFolder(tree.path(QStringLiteral("Many/Sub%1").arg(i)));
        EXPECT_TRUE(fs.FolderExists(tree.path(QStringLiteral("many/SUB%1").arg(i))));
        EXPECT_TRUE(fs.FileExists(tree.path("many/FILE000.txt")));
    }
    EXPECT_EQ(fs.lookupScans(), 2); // "Many" and, for "many", the tree's root
}

TEST_F(LookupTest, AListingFeedsTheIndex) {
    tree.makeFolder("Dir");
    tree.write("Dir/Alpha.TXT", "x");
    fs.GetFolder(tree.path("Dir")).Files();
    EXPECT_EQ(fs.GetFile(tree.path("Dir/alpha.txt")).Name(), "Alpha.TXT");
    EXPECT_EQ(fs.lookupScans(), 0);
}

TEST_F(LookupTest, OwnCreatesAndDeletesUpdateTheIndex) {
    tree.makeFolder("Dir");
    tree.write("Dir/Keep.txt", "x");
    tree.write("Source.txt", "payload");
    ASSERT_TRUE(fs.FileExists(tree.path("dir/keep.TXT"))); // the index of Dir is cached now

    fs.CopyFile(tree.path("Source.txt"), tree.path("Dir/Copied.TXT"));
    EXPECT_EQ(fs.GetFile(tree.path("dir/copied.txt")).Name(), "Copied.TXT");

    fs.CreateFolder(tree.path("Dir/NewFolder"));
    EXPECT_EQ(fs.GetFolder(tree.path("dir/newfolder")).Name(), "NewFolder");

    fs.DeleteFile(tree.path("dir/COPIED.txt"));
    EXPECT_FALSE(fs.FileExists(tree.path("dir/copied.txt")));
    EXPECT_FALSE(tree.exists("Dir/Copied.TXT"));

    fs.DeleteFolder(tree.path("DIR/newFOLDER"));
    EXPECT_FALSE(fs.FolderExists(tree.path("dir/newfolder")));
    EXPECT_TRUE(fs.FileExists(tree.path("dir/keep.txt")));
}

TEST_F(LookupTest, ChangesMadeByOthersAreSeen) {
    tree.makeFolder("Dir");
    tree.write("Dir/First.txt", "x");
    ASSERT_TRUE(fs.FileExists(tree.path("dir/first.txt")));

    tree.write("Dir/Second.TXT", "y");
    EXPECT_EQ(fs.GetFile(tree.path("dir/second.txt")).Name(), "Second.TXT");
    ASSERT_EQ(::unlink(QFile::encodeName(tree.path("Dir/First.txt")).constData()), 0);
    EXPECT_FALSE(fs.FileExists(tree.path("dir/first.txt")));
}

} // namespace
