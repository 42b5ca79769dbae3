// Windows attribute bits on Linux: permissions, dot names and the user.DOSATTRIB attribute.
#include "FsTestTree.h"

#include "platform/linux/DosAttributes.h"

using namespace pelto;
using pelto::test::errorOf;

namespace {

class AttributesTest : public pelto::test::FsTest {
protected:
    int attributes(const QString& relative) { return fs.GetFile(tree.path(relative)).Attributes(); }
    void setAttributes(const QString& relative, int value) {
        fs.GetFile(tree.path(relative)).SetAttributes(value);
    }
    mode_t permissions(const QString& relative) { return tree.lstatOf(relative).st_mode & 0777; }
};

// Read-only is the owner's write bit, hidden a dot name; a link's target is never changed.
TEST_F(AttributesTest, PermissionsDotNamesAndKindsGiveTheBitsAndLinksAreNotFollowed) {
    for (const char* file : {"plain.txt", ".hidden", "gone.txt"})
        tree.write(file, "x");
    tree.makeFolder("Folder");
    tree.makeFolder(".config");
    tree.setMode("plain.txt", 0644);
    const File gone = fs.GetFile(tree.path("gone.txt"));
    tree.remove("gone.txt");
    EXPECT_EQ(
        QList<qint32>({errorOf([&] { gone.Attributes(); }), errorOf([&] { gone.SetAttributes(0); }),
                       errorOf([&] { gone.DateLastModified(); })}),
        QList<qint32>(3, err::FileNotFound));
    tree.link("link.txt", tree.path("plain.txt"));
    const Folder folder = fs.GetFolder(tree.path("folder"));
    EXPECT_EQ(QList<int>({attributes("plain.txt"), attributes(".hidden"), attributes("link.txt"),
                          folder.Attributes(), fs.GetFolder(tree.path(".config")).Attributes()}),
              QList<int>({attr::Archive, attr::Archive | attr::Hidden, attr::Archive,
                          attr::Directory, attr::Directory | attr::Hidden}));

    setAttributes("link.txt", attr::ReadOnly | attr::System);
    EXPECT_EQ(permissions("plain.txt"), 0644u);
    setAttributes("plain.txt", attr::ReadOnly | attr::Archive);
    EXPECT_EQ(permissions("plain.txt"), 0444u);
    setAttributes("plain.txt", attr::Archive);
    EXPECT_EQ(permissions("plain.txt"), 0644u);
    tree.setMode("plain.txt", 0464); // group may write, owner may not
    EXPECT_EQ(attributes("plain.txt") & attr::ReadOnly, attr::ReadOnly);

    folder.SetAttributes(attr::ReadOnly);
    EXPECT_EQ(tree.lstatOf("Folder").st_mode & S_IWUSR, S_IWUSR);
}

// System, hidden and archive kept in Samba's form; archive comes back when the content changes.
TEST_F(AttributesTest, SystemHiddenAndArchiveKeptInSambasFormArchiveReturnsOnAWrite) {
    if (!tree.keepsXattrs())
        GTEST_SKIP() << "no user extended attributes in the temporary folder";
    tree.write("file.txt", "before");
    setAttributes("file.txt", attr::System | attr::Archive);
    EXPECT_EQ(attributes("file.txt"), attr::System | attr::Archive);
    EXPECT_EQ(tree.xattr("file.txt", dosattr::kAttributeName), QByteArray("0x24"));
    setAttributes("file.txt", attr::Hidden | attr::ReadOnly);
    EXPECT_EQ(attributes("file.txt"), attr::Hidden | attr::ReadOnly);
    setAttributes("file.txt", 0);
    EXPECT_EQ(tree.xattr("file.txt", dosattr::kAttributeName), QByteArray("0x0"));

    tree.write("file.txt", "after!");
    EXPECT_EQ(attributes("file.txt"), attr::Archive);
    setAttributes("file.txt", 0);
    // A write that keeps the size still moves the modification time.
    const auto st = tree.lstatOf("file.txt");
    tree.setModified("file.txt", st.st_mtim.tv_sec + 1, st.st_mtim.tv_nsec);
    EXPECT_EQ(attributes("file.txt"), attr::Archive);

    tree.write("samba.txt", "x");
    // Samba's own value: the text, a NUL and a binary record.
    tree.setXattr("samba.txt", dosattr::kAttributeName, QByteArray("0x6\0\x03\x00\x01", 7));
    EXPECT_EQ(attributes("samba.txt"), attr::System | attr::Hidden);
    tree.makeFolder("Folder");
    const Folder folder = fs.GetFolder(tree.path("Folder"));
    folder.SetAttributes(attr::System | attr::Hidden);
    EXPECT_EQ(folder.Attributes(), attr::Directory | attr::System | attr::Hidden);
}

} // namespace
