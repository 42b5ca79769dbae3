// What a file copy carries besides content: holes of sparse files (onto a small tmpfs, root
// only), hard links within one copy run, the attribute rule's own attributes, and set-id bits
// only with the owner they name.
#include "FsTestTree.h"

#include "platform/ProgramState.h"
#include "platform/linux/DosAttributes.h"
#include "platform/linux/ItemMetadata.h"

using namespace pelto;

namespace {

class MetadataCopyTest : public pelto::test::FsTest {
protected:
    void SetUp() override {
        tree.makeFolder("src");
        tree.makeFolder("dst");
    }
    qint32 copy(const QString& name, const QString& as = {}) {
        return pelto::test::errorOf([&] {
            fs.CopyFile(tree.path("src/" + name), tree.path("dst/" + (as.isEmpty() ? name : as)));
        });
    }
    // `size` bytes at `offset` of a file ("<short>" when it ends sooner).
    QByteArray readAt(const QString& rel, qint64 offset, int size) const {
        QFile file(tree.path(rel));
        return file.open(QIODevice::ReadOnly) && file.seek(offset) ? file.read(size) : "<short>";
    }
    bool sameFile(const QString& a, const QString& b) const {
        const struct stat x = tree.lstatOf("dst/" + a), y = tree.lstatOf("dst/" + b);
        return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
    }
};

// 3 GB files holding 4 KB blocks of data (none, in the middle, at both ends) fit a 100 MB
// destination in no more blocks than the source, with their exact size.
TEST_F(MetadataCopyTest, SparseFilesKeepTheirHolesAndExactSize) {
    pelto::test::ScratchMount disk(tree.path("dst"), "tmpfs", "size=100m");
    if (!disk.isMounted())
        GTEST_SKIP() << "a tmpfs could not be mounted (needs root)";
    constexpr qint64 kSize = qint64(3) << 30;
    const QList<QList<qint64>> rows = {{}, {kSize / 3}, {0, kSize - 4096}, {0, 4096, 12288}};
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString name = QString::number(i);
        QFile file(tree.path("src/" + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const qint64 offset : rows[i])
            ASSERT_TRUE(file.seek(offset) && file.write(QByteArray(4096, 'd')) == 4096);
        ASSERT_TRUE(file.resize(i == 3 ? 65536 : kSize)); // the last one: 64 KB, ending in a hole
        file.close();
        ASSERT_EQ(copy(name), 0) << i;
        const struct stat source = tree.lstatOf("src/" + name);
        const struct stat copied = tree.lstatOf("dst/" + name);
        EXPECT_EQ(copied.st_size, source.st_size);
        EXPECT_LE(copied.st_blocks, source.st_blocks) << i;
        for (const qint64 offset : rows[i])
            EXPECT_EQ(readAt("dst/" + name, offset, 4096), QByteArray(4096, 'd'));
        EXPECT_EQ(readAt("dst/" + name, source.st_size - 8, 8),
                  readAt("src/" + name, source.st_size - 8, 8));
    }
}

// Names of one file are linked while one run copies them; a name whose first copy was replaced
// since, or was made by an earlier run, is copied as a file; a name that already is the copy
// stays as it is.
TEST_F(MetadataCopyTest, HardLinksAreKeptWithinOneCopyRun) {
    tree.makeFolder("src/sub");
    tree.makeFolder("dst/sub");
    tree.write("src/a", "shared");
    for (const char* name : {"sub/b", "c", "d", "e", "f"})
        ASSERT_EQ(link(tree.native("src/a"), tree.native(QStringLiteral("src/") + name)), 0);
    for (const char* name : {"a", "sub/b", "c", "c"})
        EXPECT_EQ(copy(QString::fromLatin1(name)), 0) << name;
    EXPECT_TRUE(sameFile("a", "sub/b") && sameFile("a", "c"));
    EXPECT_EQ(tree.lstatOf("dst/a").st_nlink, 3u);

    tree.remove("dst/a");
    tree.write("dst/a", "someone else's");
    EXPECT_EQ(copy("d"), 0);
    EXPECT_FALSE(sameFile("d", "a"));
    fs.StartCopyRun();
    EXPECT_EQ(copy("e") + copy("a", "a2"), 0);
    EXPECT_TRUE(sameFile("e", "a2") && !sameFile("e", "c"));
    resetProgramState(); // forgets as well
    EXPECT_EQ(copy("f"), 0);
    EXPECT_EQ(tree.lstatOf("dst/f").st_nlink, 1u);
    EXPECT_EQ(tree.read("dst/f"), "shared");
    EXPECT_EQ(tree.names("dst"), QStringList({"a", "a2", "c", "d", "e", "f", "sub"}));
}

// The attribute rule's own attributes are not copied as they are: a copy is a write, so it reads
// archive set and carries hidden and system; other user attributes go as they are.
TEST_F(MetadataCopyTest, TheAttributeRuleDecidesItsOwnAttributes) {
    if (!tree.keepsXattrs())
        GTEST_SKIP() << "the temporary folder keeps no user extended attributes";
    tree.write("src/f", "x");
    tree.write("src/g", "y");
    fs.SetAttributesOf(tree.path("src/f"), 0); // archive cleared: a record is written
    fs.SetAttributesOf(tree.path("src/g"), attr::System);
    tree.setXattr("src/f", "user.other", "kept");
    ASSERT_EQ(copy("f") + copy("g"), 0);
    EXPECT_EQ(fs.AttributesOf(tree.path("dst/f")), attr::Archive);
    EXPECT_EQ(fs.AttributesOf(tree.path("dst/g")), attr::System | attr::Archive);
    EXPECT_FALSE(tree.xattr("dst/f", dosattr::kAttributeName));
    EXPECT_FALSE(tree.xattr("dst/g", dosattr::kArchiveClearedName));
    EXPECT_EQ(tree.xattr("dst/f", "user.other"), QByteArray("kept"));
}

// A set-id bit lends the rights of the copy's owner: it goes only where the copy has the owner
// (set-user-id) or group (set-group-id) the source names.
TEST_F(MetadataCopyTest, SetIdBitsGoOnlyWithTheOwnerTheyName) {
    tree.write("copy", "x");
    QFile copy(tree.path("copy"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    const struct stat own = tree.lstatOf("copy");
    // mode, same owner, same group -> carried
    const std::tuple<mode_t, bool, bool, mode_t> rows[] = {{06755, true, true, 06755},
                                                           {06755, false, true, 02755},
                                                           {06755, true, false, 04755},
                                                           {07750, false, false, 01750}};
    for (const auto& [mode, sameOwner, sameGroup, carried] : rows) {
        struct stat source = own;
        source.st_mode = S_IFREG | mode;
        source.st_uid = own.st_uid + (sameOwner ? 0 : 1);
        source.st_gid = own.st_gid + (sameGroup ? 0 : 1);
        EXPECT_EQ(metadata::carriedMode(source, copy.handle()), carried) << std::oct << mode;
    }
}

} // namespace
