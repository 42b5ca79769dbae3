// Folder listings, names and paths.
#include "FsTestTree.h"

#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <QSet>
#include <algorithm>
#include <gtest/gtest.h>

using namespace pelto;
using pelto::test::errorOf;

namespace {

// The sorted names of `items`; each item's path is its folder's and its name.
template <typename Items> QStringList namesOf(const Items& items, const QString& folder = {}) {
    QStringList names;
    for (const auto& item : items) {
        names.append(item.Name());
        if (!folder.isEmpty()) {
            EXPECT_EQ(item.Path(), folder + u'/' + item.Name());
        }
    }
    names.sort();
    return names;
}

using ListingTest = pelto::test::FsTest;

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

    const Folder top = fs.GetFolder(tree.path("top"));
    const FileCollection files = top.Files();
    EXPECT_EQ(files.Count(), 5);
    EXPECT_EQ(namesOf(files, tree.path("Top")), QStringList({".profile", "Report.DOC", "dangling",
                                                             "link to file", "link to folder"}));
    EXPECT_EQ(namesOf(top.SubFolders(), tree.path("Top")), QStringList({".hidden dir", "Sub"}));

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

// A folder whose entries take several reads of the folder: every entry is listed once, with its
// kind, and nothing else.
TEST_F(ListingTest, EntriesBeyondOneReadBufferAreAllListedOnce) {
    // About 100 bytes of folder record each: 2500 of them fill several 32 KiB reads.
    QSet<QString> files;
    for (int i = 0; i < 2500; ++i) {
        const QString name =
            QStringLiteral("file number %1 with a name long enough to fill records")
                .arg(i, 5, 10, QLatin1Char('0')) +
            (i % 7 == 0 ? QString::fromUtf8(" é") : QString());
        tree.write(name, "x");
        files.insert(name);
    }
    for (int i = 0; i < 40; ++i)
        tree.makeFolder(QStringLiteral("folder %1").arg(i));

    QSet<QString> listedFiles;
    int listedFolders = 0;
    for (const DirEntry& entry : fs.List(tree.root())) {
        if (entry.kind == EntryKind::Folder) {
            ++listedFolders;
            continue;
        }
        EXPECT_FALSE(listedFiles.contains(entry.name)) << "listed twice";
        listedFiles.insert(entry.name);
    }
    EXPECT_EQ(listedFiles, files);
    EXPECT_EQ(listedFolders, 40);
}

TEST_F(ListingTest, EmptyFoldersAndTheRootListVanishedFoldersAndDefaultObjectsRaise) {
    tree.makeFolder("Empty");
    EXPECT_EQ(fs.GetFolder(tree.path("Empty")).Files().Count(), 0);
    EXPECT_TRUE(fs.GetFolder(tree.path("Empty")).SubFolders().isEmpty());
    const Folder root = fs.GetFolder("/");
    EXPECT_EQ(root.Path(), "/");
    EXPECT_EQ(root.Name(), "");
    EXPECT_TRUE(namesOf(root.SubFolders()).contains("tmp"));

    const Folder gone = fs.GetFolder(tree.path("Empty"));
    ASSERT_TRUE(QDir(tree.path("Empty")).removeRecursively());
    EXPECT_EQ(errorOf([&] { gone.Files(); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { gone.SubFolders(); }), err::PathNotFound);
    EXPECT_EQ(errorOf([] { File().Attributes(); }), 91);
    EXPECT_EQ(errorOf([] { Folder().Files(); }), 91);
    EXPECT_EQ(errorOf([] { (void)Drive().IsReady(); }), 91);
}

} // namespace
