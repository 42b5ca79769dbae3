// The file-system service past the system's path limit and on names that are not valid UTF-8:
// every operation reaches the item the listing found, byte for byte, at any depth.
#include "FsTestTree.h"
#include "platform/FsPath.h"
#include "support/ByteTree.h"

#include <QScopeGuard>

namespace pelto::test {
namespace {

namespace bt = bytetree;

TEST_F(FsTest, ServiceOperationsReachDeepItemsAndOddNamesExactly) {
    const QByteArray root = QFile::encodeName(tree.root());
    const auto cleanUp = qScopeGuard([&] { bt::removeAllBelow(root); });
    QByteArray deep; // 22 folders of 200 bytes
    for (char level = 'a'; level < 'a' + 22; ++level)
        deep += (deep.isEmpty() ? "" : "/") + QByteArray(200, level);
    const auto path = [&](const QByteArray& rel) {
        return fspath::fromNative((root + '/' + rel).constData());
    };
    const QString file = path(deep + "/deepest.txt");
    for (const QByteArray& rel : {deep + "/deepest.txt", deep + "/caf\xe9.txt",
                                  QByteArray("top/\xff\xfe.txt"), QByteArray("top/d\xff/in.txt")})
        bt::put(root, rel, rel.right(12));
    ASSERT_TRUE(bt::makeAt(root, deep + "/link", [](int folder, const char* name) {
        return symlinkat("deepest.txt", folder, name) == 0;
    }));

    // Listing, look-ups (also in another letter case) and properties.
    QStringList names;
    for (const DirEntry& entry : fs.List(path(deep)))
        names.append(entry.name);
    names.sort();
    EXPECT_EQ(names, QStringList({"caf" + QString(QChar(0xdce9)) + ".txt", "deepest.txt", "link"}));
    EXPECT_EQ(fs.ResolvePath(path(deep + "/CAF\xe9.TXT"), EntryKind::File),
              path(deep + "/caf\xe9.txt"));
    EXPECT_EQ(fs.ResolvePath(path("TOP/D\xff"), EntryKind::Folder), path("top/d\xff"));
    EXPECT_EQ(fs.ExactFolderPath(path(deep)), path(deep));
    EXPECT_EQ(fs.ModifiedTimesIn(path(deep), {"deepest.txt", names[0], "none"}),
              QList<std::optional<qint64>>({1704067200000, 1704067200000, std::nullopt}));
    const int bits = attr::ReadOnly | (tree.keepsXattrs() ? attr::Hidden | attr::System : 0);
    fs.SetAttributesOf(file, bits | attr::Archive);
    EXPECT_EQ(fs.AttributesOf(file), bits | attr::Archive);
    EXPECT_EQ(fs.LastModifiedOf(file).toSecsSinceEpoch(), 1704067200);

    // Folders made, files and a link copied, at depth and under odd names.
    fs.CreateFolder(path(deep + "/new\xe9"));
    fs.CreateFolderExactly(path(deep + "/new\xe9/exact\xff"));
    fs.CopyFile(file, path(deep + "/new\xe9/exact\xff/copy\xfe.txt"));
    fs.CopyFile(path(deep + "/link"), path(deep + "/new\xe9/link\xe9"));
    fs.CopyFile(path("top/\xff\xfe.txt"), path(deep + "/new\xe9/\xff\xfe.txt"));
    const auto items = bt::snapshot(root);
    const QByteArray at = deep + "/new\xe9/";
    EXPECT_EQ(items.value(at + "exact\xff/copy\xfe.txt"), items.value(deep + "/deepest.txt"));
    EXPECT_EQ(items.value(at + "\xff\xfe.txt"), items.value("top/\xff\xfe.txt"));
    EXPECT_EQ(items.value(at + "link\xe9"), "other"); // a link, not a copy of its file

    // Deletes take the exact entry, also a whole deep tree.
    fs.DeleteFile(path(deep + "/caf\xe9.txt"));
    fs.DeleteFolder(path("top/d\xff"));
    fs.DeleteFolder(path(deep.left(201 * 3 - 1)));
    EXPECT_EQ(bt::snapshot(root).keys(),
              QByteArrayList({deep.left(200), deep.left(401), "top", "top/\xff\xfe.txt"}));
}

} // namespace
} // namespace pelto::test
