// Folder listings, names and paths.
#include "FsTestTree.h"

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

// Links are files whatever they point at, special files are nothing, and a folder that takes
// several reads lists every entry once.
TEST_F(ListingTest, ListsFilesAndFoldersWithLinksAsFilesAndNoSpecialFiles) {
    for (const char* folder : {"Top/Sub", "Top/.hidden dir", "Outside/Deep", "Many"})
        tree.makeFolder(folder);
    tree.write("Top/Report.DOC", "r");
    tree.write("Top/.profile", "p");
    tree.link("Top/link to file", tree.path("Top/Report.DOC"));
    tree.link("Top/link to folder", tree.path("Outside"));
    tree.link("Top/dangling", tree.path("nowhere"));
    tree.makeFifo("Top/pipe");
    QStringList many;
    for (int i = 0; i < 2000; ++i) {
        many.append(
            QStringLiteral("entry %1 with a longer name é").arg(i, 4, 10, QLatin1Char('0')));
        tree.write("Many/" + many.last(), "x");
    }

    const Folder top = fs.GetFolder(tree.path("top"));
    EXPECT_EQ(top.Files().Count(), 5);
    EXPECT_EQ(
        namesOf(top.Files(), tree.path("Top")),
        QStringList({".profile", "Report.DOC", "dangling", "link to file", "link to folder"}));
    EXPECT_EQ(namesOf(top.SubFolders(), tree.path("Top")), QStringList({".hidden dir", "Sub"}));
    EXPECT_EQ(namesOf(fs.GetFolder(tree.path("Many")).Files()), many);

    EXPECT_EQ(errorOf([&] { fs.GetFile(tree.path("Top/pipe")); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.CopyFile(tree.path("Top/pipe"), tree.path("copy")); }),
              err::FileNotFound);
    EXPECT_FALSE(tree.exists("copy"));
}

TEST_F(ListingTest, EmptyFoldersAndTheRootListAndVanishedFoldersRaise) {
    tree.makeFolder("Empty");
    const Folder empty = fs.GetFolder(tree.path("Empty"));
    EXPECT_EQ(empty.Files().Count(), 0);
    EXPECT_TRUE(empty.SubFolders().isEmpty());
    const Folder root = fs.GetFolder("/");
    EXPECT_EQ(root.Path() + u'|' + root.Name(), "/|");

    ASSERT_TRUE(QDir(tree.path("Empty")).removeRecursively());
    EXPECT_EQ(errorOf([&] { empty.Files(); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { empty.SubFolders(); }), err::PathNotFound);
}

} // namespace
