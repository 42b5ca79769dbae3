// What a file copy carries besides content: hard links within one copy run, and set-id bits only
// with the owner they name.
#include "FsTestTree.h"

#include "platform/ProgramState.h"
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
    bool sameFile(const QString& a, const QString& b) const {
        const struct stat x = tree.lstatOf("dst/" + a), y = tree.lstatOf("dst/" + b);
        return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
    }
};

// Names of one file are linked within one run, never to a copy replaced since or of a past run.
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

// A set-id bit goes only where the copy has the owner or group the source names.
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
