// What a file copy carries besides content, on real trees: holes of sparse files (a small tmpfs
// as destination, root only), hard links within one copy run, and the rule that set-id bits go
// only with the owner they name.
#include "FsTestTree.h"

#include "platform/ProgramState.h"
#include "platform/linux/DosAttributes.h"
#include "platform/linux/ItemMetadata.h"

using namespace pelto;
using pelto::test::errorOf;

namespace {

constexpr qint64 kGiB = qint64(1) << 30;

class MetadataCopyTest : public pelto::test::FsTest {
protected:
    void SetUp() override {
        tree.makeFolder("src");
        tree.makeFolder("dst");
    }
    qint32 copy(const QString& from, const QString& to) {
        return errorOf([&] { fs.CopyFile(tree.path(from), tree.path(to)); });
    }
    // A file of `size` bytes whose only data are 4 KB blocks of 'd' at `dataAt`.
    void writeSparse(const QString& rel, qint64 size, std::initializer_list<qint64> dataAt) const {
        const int fd = open(tree.native(rel), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'd');
        for (const qint64 offset : dataAt)
            ASSERT_EQ(pwrite(fd, block.constData(), block.size(), offset), block.size());
        ASSERT_EQ(ftruncate(fd, size), 0);
        close(fd);
    }
    QByteArray readAt(const QString& rel, qint64 offset, int size) const {
        QByteArray bytes(size, '\0');
        const int fd = open(tree.native(rel), O_RDONLY | O_CLOEXEC);
        const ssize_t n = fd < 0 ? -1 : pread(fd, bytes.data(), size, offset);
        if (fd >= 0)
            close(fd);
        return n == size ? bytes : QByteArray("<short>");
    }
    bool sameFile(const QString& a, const QString& b) const {
        const struct stat x = tree.lstatOf(a), y = tree.lstatOf(b);
        return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
    }
};

// A 3 GB file of 4 KB data fits a 100 MB destination with as few blocks as the source; holes in
// the middle and at the end stay holes and the size is exact.
TEST_F(MetadataCopyTest, SparseFilesKeepTheirHolesAndExactSize) {
    pelto::test::ScratchMount disk(tree.path("dst"), "tmpfs", "size=100m");
    if (!disk.isMounted())
        GTEST_SKIP() << "a tmpfs could not be mounted (needs root)";
    struct Row {
        const char* name;
        qint64 size;
        std::initializer_list<qint64> dataAt;
    };
    const Row rows[] = {
        {"middle", 3 * kGiB, {kGiB}},
        {"ends", 3 * kGiB, {0, 3 * kGiB - 4096}},
        {"nothing", 3 * kGiB, {}},
        {"dense", 64 * 1024, {0, 4096, 8192}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = QString::fromLatin1(row.name);
        writeSparse("src/" + name, row.size, row.dataAt);
        ASSERT_EQ(copy("src/" + name, "dst/" + name), 0);
        const struct stat source = tree.lstatOf("src/" + name);
        const struct stat copied = tree.lstatOf("dst/" + name);
        EXPECT_EQ(copied.st_size, row.size);
        EXPECT_LE(copied.st_blocks, source.st_blocks);
        for (const qint64 offset : row.dataAt)
            EXPECT_EQ(readAt("dst/" + name, offset, 4096), QByteArray(4096, 'd'));
        EXPECT_EQ(readAt("dst/" + name, row.size / 2 + 8192, 16),
                  readAt("src/" + name, row.size / 2 + 8192, 16));
    }
}

// Names of one file are linked at the destination while one run copies them; a name whose
// first copy was made by an earlier run, or whose first copy has been replaced since, is
// copied as a file. Replacing a name that already is the linked copy leaves nothing behind.
TEST_F(MetadataCopyTest, HardLinksAreKeptWithinOneCopyRun) {
    tree.makeFolder("src/sub");
    tree.makeFolder("dst/sub");
    tree.write("src/a", "shared");
    for (const char* name : {"src/sub/b", "src/c", "src/d", "src/e"})
        ASSERT_EQ(link(tree.native("src/a"), tree.native(QString::fromLatin1(name))), 0);

    EXPECT_EQ(copy("src/a", "dst/a"), 0);
    EXPECT_EQ(copy("src/sub/b", "dst/sub/b"), 0);
    EXPECT_EQ(copy("src/c", "dst/c"), 0);
    EXPECT_EQ(copy("src/c", "dst/c"), 0); // already that file
    EXPECT_TRUE(sameFile("dst/a", "dst/sub/b"));
    EXPECT_TRUE(sameFile("dst/a", "dst/c"));
    EXPECT_EQ(tree.lstatOf("dst/a").st_nlink, 3u);

    tree.remove("dst/a");
    tree.write("dst/a", "someone else's");
    EXPECT_EQ(copy("src/d", "dst/d"), 0);
    EXPECT_FALSE(sameFile("dst/d", "dst/a"));

    fs.StartCopyRun();
    EXPECT_EQ(copy("src/e", "dst/e"), 0);
    EXPECT_EQ(tree.lstatOf("dst/e").st_nlink, 1u);
    EXPECT_EQ(tree.read("dst/e"), "shared");
    EXPECT_EQ(tree.names("dst"), QStringList({"a", "c", "d", "e", "sub"}));
    EXPECT_EQ(tree.names("dst/sub"), QStringList({"b"}));

    // Forgotten with the program state as well.
    ASSERT_EQ(copy("src/a", "dst/a2"), 0);
    resetProgramState();
    ASSERT_EQ(copy("src/c", "dst/c2"), 0);
    EXPECT_FALSE(sameFile("dst/a2", "dst/c2"));
}

// A second name on another file system is copied, not linked (root only: two tmpfs).
TEST_F(MetadataCopyTest, ANameOnAnotherFileSystemIsCopied) {
    tree.makeFolder("dst/one");
    tree.makeFolder("dst/two");
    pelto::test::ScratchMount one(tree.path("dst/one"), "tmpfs", "size=1m");
    pelto::test::ScratchMount two(tree.path("dst/two"), "tmpfs", "size=1m");
    if (!one.isMounted() || !two.isMounted())
        GTEST_SKIP() << "a tmpfs could not be mounted (needs root)";
    tree.write("src/a", "shared");
    ASSERT_EQ(link(tree.native("src/a"), tree.native("src/b")), 0);
    EXPECT_EQ(copy("src/a", "dst/one/a"), 0);
    EXPECT_EQ(copy("src/b", "dst/two/b"), 0);
    EXPECT_EQ(tree.read("dst/two/b"), "shared");
    EXPECT_EQ(tree.names("dst/two"), QStringList({"b"}));
}

// The attribute rule's own attributes are not copied as they are: a copy is a write, so it
// reads archive set, and carries hidden and system; other user attributes go as they are.
TEST_F(MetadataCopyTest, TheAttributeRuleDecidesItsOwnAttributes) {
    if (!tree.keepsXattrs())
        GTEST_SKIP() << "the temporary folder keeps no user extended attributes";
    tree.write("src/f", "x");
    tree.write("src/g", "y");
    fs.SetAttributesOf(tree.path("src/f"), 0); // archive cleared: a record is written
    fs.SetAttributesOf(tree.path("src/g"), attr::System);
    tree.setXattr("src/f", "user.other", "kept");
    ASSERT_TRUE(tree.xattr("src/f", dosattr::kArchiveClearedName));

    EXPECT_EQ(copy("src/f", "dst/f"), 0);
    EXPECT_EQ(copy("src/g", "dst/g"), 0);
    EXPECT_EQ(fs.AttributesOf(tree.path("dst/f")), attr::Archive);
    EXPECT_EQ(fs.AttributesOf(tree.path("dst/g")), attr::System | attr::Archive);
    EXPECT_FALSE(tree.xattr("dst/f", dosattr::kAttributeName));
    EXPECT_FALSE(tree.xattr("dst/g", dosattr::kArchiveClearedName));
    EXPECT_EQ(tree.xattr("dst/f", "user.other"), QByteArray("kept"));
}

// Set-id bits lend the rights of the copy's owner: they go only where the copy has the owner
// and group the source names.
TEST_F(MetadataCopyTest, SetIdBitsGoOnlyWithTheOwnerTheyName) {
    tree.write("copy", "x");
    const struct stat copy = tree.lstatOf("copy");
    const int fd = open(tree.native("copy"), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct Row {
        mode_t mode;
        bool sameOwner, sameGroup;
        mode_t carried;
    };
    for (const Row& row : {Row{06755, true, true, 06755}, Row{06755, false, true, 02755},
                           Row{06755, true, false, 04755}, Row{07750, false, false, 01750},
                           Row{0640, false, false, 0640}}) {
        struct stat source = copy;
        source.st_mode = S_IFREG | row.mode;
        source.st_uid = row.sameOwner ? copy.st_uid : copy.st_uid + 1;
        source.st_gid = row.sameGroup ? copy.st_gid : copy.st_gid + 1;
        EXPECT_EQ(metadata::carriedMode(source, fd), row.carried) << std::oct << row.mode;
    }
    close(fd);
}

} // namespace
