// Folder listings, names, paths and modification times.
#include "FsTestTree.h"

#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace pelto;
using pelto::test::errorOf;

namespace {

template <typename Items> QStringList namesOf(const Items& items) {
    QStringList names;
    for (const auto& item : items)
        names.append(item.Name());
    names.sort();
    return names;
}

class ListingTest : public ::testing::Test {
protected:
    pelto::test::FsTestTree tree;
    LinuxFileSystem fs;
};

TEST_F(ListingTest, ListsFilesAndFoldersWithLinksAsFilesAndNoSpecialFiles) {
    tree.makeFolder("Top/Sub");
    tree.makeFolder("Top/.hidden dir");
    tree.makeFolder("Outside/Deep");
    tree.write("Top/Report.DOC", "r");
    tree.write("Top/.profile", "p");
    tree.link("Top/link to file", tree.path("Top/Report.DOC"));
    tree.link("Top/link to folder", tree.path("Outside"));
    tree.link("Top/dangling", tree.path("nowhere"));
    tree.makeFifo("Top/pipe");
    tree.makeSocket("Top/sock");

    const Folder top = fs.GetFolder(tree.path("top"));
    const FileCollection files = top.Files();
    EXPECT_EQ(files.Count(), 5);
    EXPECT_EQ(namesOf(files), QStringList({".profile", "Report.DOC", "dangling", "link to file",
                                           "link to folder"}));
    EXPECT_EQ(namesOf(top.SubFolders()), QStringList({".hidden dir", "Sub"}));
    for (const File& f : files)
        EXPECT_EQ(f.Path(), tree.path("Top/" + f.Name()));
    for (const Folder& f : top.SubFolders())
        EXPECT_EQ(f.Path(), tree.path("Top/" + f.Name()));

    const QList<DirEntry> entries = fs.List(tree.path("Top"));
    const auto linkEntry = std::find_if(entries.begin(), entries.end(), [](const DirEntry& e) {
        return e.name == "link to folder";
    });
    ASSERT_NE(linkEntry, entries.end());
    EXPECT_TRUE(linkEntry->isLink);
    EXPECT_EQ(linkEntry->kind, EntryKind::File);

    // A special file is no file, to look up or to copy.
    EXPECT_EQ(errorOf([&] { fs.GetFile(tree.path("Top/pipe")); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("Top/pipe"), tree.path("copy")); }),
              err::FileNotFound);
    EXPECT_FALSE(tree.exists("copy"));
}

TEST_F(ListingTest, AnEmptyFolderAndTheRootList) {
    tree.makeFolder("Empty");
    EXPECT_EQ(fs.GetFolder(tree.path("Empty")).Files().Count(), 0);
    EXPECT_TRUE(fs.GetFolder(tree.path("Empty")).SubFolders().isEmpty());

    const Folder root = fs.GetFolder("/");
    EXPECT_EQ(root.Path(), "/");
    EXPECT_EQ(root.Name(), "");
    EXPECT_TRUE(namesOf(root.SubFolders()).contains("tmp"));
}

TEST_F(ListingTest, VanishedFoldersAndDefaultObjectsRaiseTheirNumbers) {
    tree.makeFolder("Gone");
    const Folder gone = fs.GetFolder(tree.path("Gone"));
    ASSERT_TRUE(QDir(tree.path("Gone")).removeRecursively());
    EXPECT_EQ(errorOf([&] { gone.Files(); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { gone.SubFolders(); }), err::PathNotFound);

    EXPECT_EQ(errorOf([] { File().Attributes(); }), 91);
    EXPECT_EQ(errorOf([] { Folder().Files(); }), 91);
    EXPECT_EQ(errorOf([] { (void)Drive().IsReady(); }), 91);
}

TEST_F(ListingTest, DateLastModifiedIsLocalTimeToTheMillisecondAndALinksOwn) {
    tree.write("stamp.txt", "x");
    tree.setModified("stamp.txt", 1'700'000'000, 123'456'789);
    const QDateTime modified = fs.GetFile(tree.path("STAMP.txt")).DateLastModified();
    EXPECT_EQ(modified.toMSecsSinceEpoch(), 1'700'000'000'123);
    EXPECT_EQ(modified.timeSpec(), Qt::LocalTime);

    tree.link("link", tree.path("stamp.txt"));
    tree.setModified("link", 1'500'000'000, 0);
    EXPECT_EQ(fs.GetFile(tree.path("link")).DateLastModified().toSecsSinceEpoch(), 1'500'000'000);
}

} // namespace
