// The file-system service on paths longer than the system's limit and on names that are not
// valid UTF-8: every operation reaches the item the listing found, byte for byte, at any depth.
#include "FsTestTree.h"
#include "platform/FsPath.h"
#include "platform/linux/LongPath.h"
#include "platform/linux/UniqueFd.h"
#include "support/ByteTree.h"

#include <cerrno>
#include <climits>

namespace pelto::test {
namespace {

namespace bt = bytetree;

// 22 folders of 200 bytes: with the temporary folder's own path, well past PATH_MAX.
QByteArray deepChain() {
    QByteArray deep;
    for (int level = 0; level < 22; ++level)
        deep += (deep.isEmpty() ? "" : "/") + QByteArray(200, char('a' + level));
    return deep;
}

class DeepAndOddNamesTest : public FsTest {
protected:
    void TearDown() override { bt::removeAllBelow(root); }
    QString path(const QByteArray& rel) const {
        return fspath::fromNative((root + '/' + rel).constData());
    }
    void link(const QByteArray& folder, const char* name, const char* target) const {
        const UniqueFd fd(bt::openFolder(root, folder, false));
        ASSERT_EQ(symlinkat(target, fd.get(), name), 0);
    }

    const QByteArray root = QFile::encodeName(tree.root());
    const QByteArray deep = deepChain();
};

// Each call on a long path gives what the same call gives relative to the deep folder itself:
// the same item, or the same error where a component is missing, is a file, or is a link.
TEST_F(DeepAndOddNamesTest, LongPathCallsActAsTheSameCallsOnAShortPath) {
    bt::put(root, deep + "/file", "content");
    link(deep, "link", "file");
    // A link to the folder halfway down, standing in for the first half of the path.
    const QByteArray half = deep.left(200);
    ASSERT_EQ(symlink((root + '/' + half).constData(), (root + "/hop").constData()), 0);
    const QByteArray viaHop = "hop" + deep.mid(half.size());
    const int folder = bt::openFolder(root, deep, false);
    ASSERT_GE(folder, 0);

    const struct {
        QByteArray rel;    // below the deep folder
        bool follow;       // stat rather than lstat
        QByteArray prefix; // below the tree's root, deep by default
    } rows[] = {
        {"file", false, {}},
        {"link", false, {}},
        {"link", true, {}},
        {"missing", false, {}},
        {"file/x", false, {}},
        {"file", false, viaHop},
        {"link", true, viaHop},
        {"x", false, deep.left(20 * 201 - 1) + "/gone/" + deep.mid(21 * 201)},
    };
    for (const auto& row : rows) {
        const QByteArray full =
            root + '/' + (row.prefix.isEmpty() ? deep : row.prefix) + '/' + row.rel;
        ASSERT_GE(full.size(), PATH_MAX) << row.rel.constData();
        struct stat got {
        }, want{};
        errno = 0;
        const int result = row.follow ? longpath::stat(full, got) : longpath::lstat(full, got);
        const int error = errno;
        const bool gone = full.contains("/gone/");
        const int expected = gone ? -1
                                  : fstatat(folder, row.rel.constData(), &want,
                                            row.follow ? 0 : AT_SYMLINK_NOFOLLOW);
        const int expectedError = gone ? ENOENT : errno;
        EXPECT_EQ(result, expected) << row.rel.constData();
        if (expected == 0)
            EXPECT_EQ(got.st_ino, want.st_ino) << row.rel.constData();
        else
            EXPECT_EQ(error, expectedError) << row.rel.constData();
    }

    // Changes: a folder made, moded and removed; a link read; attributes where kept.
    const QByteArray at = root + '/' + deep + '/';
    char target[16] = {};
    EXPECT_EQ(longpath::readlink(at + "link", target, sizeof target), 4);
    EXPECT_STREQ(target, "file");
    EXPECT_EQ(longpath::mkdir(at + "made", 0700), 0);
    EXPECT_EQ(longpath::chmod(at + "made", 0750), 0);
    struct stat made {};
    EXPECT_EQ(fstatat(folder, "made", &made, 0), 0);
    EXPECT_EQ(made.st_mode & 0777, 0750u);
    const int file = longpath::open(at + "file", O_RDONLY | O_CLOEXEC);
    EXPECT_GE(file, 0);
    close(file);
    if (longpath::lsetxattr(at + "file", "user.t", "v", 1, 0) == 0) {
        char value[4] = {};
        EXPECT_EQ(longpath::lgetxattr(at + "file", "user.t", value, sizeof value), 1);
        EXPECT_EQ(longpath::lremovexattr(at + "file", "user.t"), 0);
    }
    EXPECT_EQ(longpath::unlink(at + "link"), 0);
    EXPECT_NE(faccessat(folder, "link", F_OK, AT_SYMLINK_NOFOLLOW), 0);
    close(folder);
}

// The service lists, finds (also in another letter case), reads, copies and deletes items below
// the path limit and items with names that are not UTF-8, and the bytes of every name hold.
TEST_F(DeepAndOddNamesTest, ServiceOperationsReachDeepItemsAndOddNamesExactly) {
    for (const QByteArray& rel : {deep + "/deepest.txt", deep + "/caf\xe9.txt",
                                  QByteArray("top/\xff\xfe.txt"), QByteArray("top/d\xff/in.txt")})
        bt::put(root, rel, "data of " + rel.right(12));
    link(deep, "link", "deepest.txt");
    const QString deepFolder = path(deep);

    // Listing and look-up.
    QStringList names;
    for (const DirEntry& entry : fs.List(deepFolder))
        names.append(entry.name);
    names.sort();
    EXPECT_EQ(names, QStringList({"caf" + QString(QChar(0xdce9)) + ".txt", "deepest.txt", "link"}));
    EXPECT_EQ(fs.ResolvePath(path(deep + "/CAF\xe9.TXT"), EntryKind::File),
              path(deep + "/caf\xe9.txt"));
    EXPECT_EQ(fs.ResolvePath(path("TOP/D\xff"), EntryKind::Folder), path("top/d\xff"));
    EXPECT_EQ(fs.ExactFolderPath(deepFolder), deepFolder);
    EXPECT_EQ(fs.LastModifiedOf(path(deep + "/deepest.txt")).toSecsSinceEpoch(), 1704067200);
    EXPECT_EQ(fs.ModifiedTimesIn(deepFolder, {"deepest.txt", names[0], "none"}),
              QList<std::optional<qint64>>({1704067200000, 1704067200000, std::nullopt}));
    EXPECT_EQ(fs.AttributesOf(path(deep + "/deepest.txt")) & attr::ReadOnly, 0);
    fs.SetAttributesOf(path(deep + "/deepest.txt"), attr::ReadOnly | attr::Archive);
    EXPECT_EQ(fs.AttributesOf(path(deep + "/deepest.txt")) & attr::ReadOnly, attr::ReadOnly);

    // Folders made and files and links copied, at depth and under odd names.
    fs.CreateFolder(path(deep + "/new\xe9"));
    fs.CreateFolderExactly(path(deep + "/new\xe9/exact\xff"));
    fs.CopyFile(path(deep + "/deepest.txt"), path(deep + "/new\xe9/exact\xff/copy\xfe.txt"));
    fs.CopyFile(path(deep + "/link"), path(deep + "/new\xe9/link\xe9"));
    fs.CopyFile(path("top/\xff\xfe.txt"), path(deep + "/new\xe9/\xff\xfe.txt"));
    const auto items = bt::snapshot(root);
    const QByteArray at = deep + '/';
    EXPECT_EQ(items.value(at + "new\xe9/exact\xff/copy\xfe.txt"), items.value(at + "deepest.txt"));
    EXPECT_EQ(items.value(at + "new\xe9/\xff\xfe.txt"), items.value("top/\xff\xfe.txt"));
    EXPECT_EQ(items.value(at + "new\xe9/\xff\xfe.txt").left(5), "file ");
    char target[32] = {};
    EXPECT_EQ(longpath::readlink(root + '/' + deep + "/new\xe9/link\xe9", target, sizeof target),
              11);

    // Deletes take the exact entry, also a whole deep tree.
    fs.DeleteFile(path(deep + "/caf\xe9.txt"));
    fs.DeleteFolder(path("top/d\xff"));
    fs.DeleteFolder(path(deep.left(201 * 3 - 1)));
    EXPECT_EQ(bt::snapshot(root).keys(),
              QByteArrayList({deep.left(200), deep.left(201 * 2 - 1), "top", "top/\xff\xfe.txt"}));
}

} // namespace
} // namespace pelto::test
