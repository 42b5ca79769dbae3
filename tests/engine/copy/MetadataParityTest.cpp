// After a copy run the destination holds, item by item, what `cp -a` makes of the same source:
// type and mode, owner and group, modification time to the nanosecond, extended attributes and
// ACLs, which names are one file, allocated blocks of large files, for files, folders and links. Extended
// attributes the attribute rule writes are its own business and left out of the comparison.

#include "CopyFixture.h"

#include <QProcess>
#include <array>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace pelto::test {
namespace {

// An ACL as the kernel keeps it in an extended attribute: version 2, then tag, permissions and
// id per entry, in tag order.
enum AclTag : quint32 { UserObj = 1, User = 2, GroupObj = 4, Group = 8, Mask = 0x10, Other = 0x20 };
constexpr quint32 kNoId = 0xFFFFFFFF;
QByteArray acl(std::initializer_list<std::array<quint32, 3>> entries) {
    QByteArray value;
    const auto put = [&](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            value += char((v >> (8 * i)) & 0xFF);
    };
    put(2, 4);
    for (const auto& [tag, perm, id] : entries) {
        put(tag, 2);
        put(perm, 2);
        put(id, 4);
    }
    return value;
}
const QByteArray kFileAcl = acl({{UserObj, 6, kNoId},
                                 {User, 4, 1234},
                                 {GroupObj, 4, kNoId},
                                 {Group, 6, 5678},
                                 {Mask, 6, kNoId},
                                 {Other, 0, kNoId}});
const QByteArray kFolderAcl = acl({{UserObj, 7, kNoId},
                                   {User, 5, 1234},
                                   {GroupObj, 5, kNoId},
                                   {Mask, 7, kNoId},
                                   {Other, 0, kNoId}});

// A fresh ext4 file system on a loop device, mounted for the object's lifetime (root only): a
// known file system with extended attributes and ACLs, whatever the temporary folder is on.
class Ext4Volume {
public:
    explicit Ext4Volume(const QString& mountPoint) : point_(mountPoint) {
        const QString image = images_.filePath(QStringLiteral("volume.img"));
        mounted_ =
            geteuid() == 0 && images_.isValid() &&
            QProcess::execute(QStringLiteral("mkfs.ext4"), {"-q", "-F", "-b", "4096", "-O",
                                                            "^has_journal", image, "64M"}) == 0 &&
            QProcess::execute(QStringLiteral("mount"), {"-o", "loop", image, point_}) == 0;
    }
    ~Ext4Volume() {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {point_});
    }
    Ext4Volume(const Ext4Volume&) = delete;
    Ext4Volume& operator=(const Ext4Volume&) = delete;
    bool isMounted() const { return mounted_; }

private:
    QTemporaryDir images_;
    QString point_;
    bool mounted_ = false;
};

class MetadataParity;

// One kind of source tree: what it sets up, and whether it needs root.
struct Row {
    const char* name;
    bool needsRoot;
    void (*setUp)(MetadataParity&);
};

class MetadataParity : public CopyTest, public ::testing::WithParamInterface<Row> {
public:
    // A source path in the system's bytes, as the POSIX calls take it.
    struct Native : QByteArray {
        operator const char*() const { return constData(); }
    };
    Native path(const QString& rel) const { return {QFile::encodeName(at("src/" + rel))}; }
    void file(const QString& rel, mode_t mode = 0644) {
        makeFile("src/" + rel, "content of " + rel.toUtf8());
        ASSERT_EQ(chmod(path(rel), mode), 0);
    }
    void folder(const QString& rel, mode_t mode = 0755) {
        makeDir("src/" + rel);
        ASSERT_EQ(chmod(path(rel), mode), 0);
    }
    void hardLink(const QString& existing, const QString& rel) {
        ASSERT_EQ(link(path(existing), path(rel)), 0);
    }
    void owner(const QString& rel, uid_t uid, gid_t gid) {
        ASSERT_EQ(lchown(path(rel), uid, gid), 0);
    }
    // Notes the row as not testable here when the file system refuses the attribute.
    void xattr(const QString& rel, const char* name, const QByteArray& value) {
        if (lsetxattr(path(rel), name, value.constData(), size_t(value.size()), 0) != 0)
            unsupported_ =
                QString::fromLatin1(name) + ": " + QString::fromLocal8Bit(strerror(errno));
    }
    QString unsupported_;

protected:
    // Every item below `root`, one line each, by relative path.
    static QStringList describe(const QString& root) {
        QStringList rels;
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            rels << QDir(root).relativeFilePath(it.next());
        rels.sort();
        QHash<QPair<quint64, quint64>, QStringList> names;
        QList<struct stat> stats;
        for (const QString& rel : std::as_const(rels)) {
            struct stat st {};
            EXPECT_EQ(lstat(QFile::encodeName(root + '/' + rel).constData(), &st), 0);
            stats.append(st);
            if (!S_ISDIR(st.st_mode) && st.st_nlink > 1)
                names[{st.st_dev, st.st_ino}].append(rel);
        }
        QStringList lines;
        for (qsizetype i = 0; i < rels.size(); ++i) {
            const struct stat& st = stats[i];
            QString line = QStringLiteral("%1 mode=%2 owner=%3:%4 mtime=%5.%6")
                               .arg(rels[i])
                               .arg(st.st_mode, 0, 8)
                               .arg(st.st_uid)
                               .arg(st.st_gid)
                               .arg(qint64(st.st_mtim.tv_sec))
                               .arg(qint64(st.st_mtim.tv_nsec), 9, 10, QChar(u'0'));
            if (S_ISREG(st.st_mode))
                line += QStringLiteral(" size=%1").arg(st.st_size);
            // The data's blocks; on small files an attribute block the attribute rule wrote
            // would weigh as much.
            if (S_ISREG(st.st_mode) && st.st_size > (1 << 20))
                line += QStringLiteral(" blocks=%1").arg(st.st_blocks);
            line += xattrsOf(QFile::encodeName(root + '/' + rels[i]));
            if (const QStringList same = names.value({st.st_dev, st.st_ino}); !same.isEmpty())
                line += QStringLiteral(" names=") + same.join(u',');
            lines.append(line);
        }
        return lines;
    }
    static QString xattrsOf(const QByteArray& path) {
        QByteArray list(65536, '\0');
        const ssize_t n = llistxattr(path.constData(), list.data(), size_t(list.size()));
        QStringList parts;
        for (const QByteArray& name : list.left(qMax<ssize_t>(n, 0)).split('\0')) {
            if (name.isEmpty() || name == "user.DOSATTRIB" || name.startsWith("user.pelto."))
                continue;
            QByteArray value(65536, '\0');
            const ssize_t size =
                lgetxattr(path.constData(), name.constData(), value.data(), size_t(value.size()));
            parts << QString::fromLatin1(name + '=' + value.left(qMax<ssize_t>(size, 0)).toHex());
        }
        parts.sort();
        return parts.isEmpty() ? QString() : u' ' + parts.join(u' ');
    }
    // Distinct times to the nanosecond on every item, deepest first, so that no later change
    // inside a folder moves its time again.
    void stampTimes() {
        QStringList items;
        QDirIterator it(S(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            items << it.next();
        std::sort(items.begin(), items.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        long tick = 0;
        for (const QString& item : std::as_const(items)) {
            tick += 1'000'003;
            const timespec times[2] = {{1'600'000'000, tick % 1'000'000'000},
                                       {1'600'000'000 + tick / 7, tick % 1'000'000'000}};
            ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(item).constData(), times,
                                AT_SYMLINK_NOFOLLOW),
                      0);
        }
    }
};

TEST_P(MetadataParity, TheCopyKeepsWhatCpArchiveKeeps) {
    if (GetParam().needsRoot && geteuid() != 0)
        GTEST_SKIP() << "needs root";
    // As root the trees live on a fresh ext4 volume; otherwise in the temporary folder.
    const Ext4Volume volume(at({}));
    makeDir("src");
    makeDir("dst");
    makeDir("ref");
    GetParam().setUp(*this);
    if (!unsupported_.isEmpty())
        GTEST_SKIP() << "the temporary folder's file system refuses " << unsupported_.toStdString();
    stampTimes();
    const QStringList source = describe(S());

    ASSERT_TRUE(check());
    ASSERT_TRUE(copy());
    ASSERT_EQ(
        QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), S() + "/.", at("ref")}), 0);
    const QStringList reference = describe(at("ref"));
    ASSERT_EQ(reference.size(), source.size()) << "cp -a copied a different set of items";
    EXPECT_EQ(describe(D()), reference);
    EXPECT_TRUE(loggedMessages().isEmpty()) << loggedMessages().join('\n').toStdString();
}

const Row kRows[] = {
    {"Modes", false,
     [](MetadataParity& t) {
         t.folder("tree");
         t.folder("tree/private", 0700);
         t.file("tree/private/secret", 0600);
         t.folder("tree/group", 0750);
         t.file("tree/group/tool", 0750);
         t.folder("tree/shared", 01777);
         t.folder("tree/team", 02770);
         t.file("tree/team/run", 04755);
         t.folder("tree/sealed"); // sealed once filled
         t.folder("tree/sealed/inner", 0711);
         t.file("tree/sealed/inner/note", 0440);
         t.file("top", 0604);
         ASSERT_EQ(chmod(t.path("tree/sealed"), 0500), 0);
     }},
    {"UserAttributes", false,
     [](MetadataParity& t) {
         t.folder("tree");
         t.file("tree/f");
         t.xattr("tree/f", "user.note", "hello");
         t.xattr("tree/f", "user.binary", QByteArray("\0\x01\xff", 3));
         t.folder("tree/d");
         t.xattr("tree/d", "user.note", "a folder");
         t.file("tree/d/plain");
         t.file("top");
         t.xattr("top", "user.big", QByteArray(3000, 'b'));
     }},
    {"Acls", false,
     [](MetadataParity& t) {
         t.folder("tree");
         t.file("tree/f", 0640);
         t.xattr("tree/f", "system.posix_acl_access", kFileAcl);
         t.folder("tree/d", 0750);
         t.file("tree/d/older"); // made before the folder's default ACL: none of its own
         t.xattr("tree/d", "system.posix_acl_access", kFolderAcl);
         t.xattr("tree/d", "system.posix_acl_default", kFolderAcl);
         t.file("tree/d/newer", 0640); // takes the default ACL
         t.folder("tree/d/sub");       // takes both
     }},
    {"OwnersAsRoot", true,
     [](MetadataParity& t) {
         t.folder("tree");
         t.file("tree/f");
         t.owner("tree/f", 1234, 5678);
         t.folder("tree/d", 02750);
         t.owner("tree/d", 4321, 8765);
         t.file("tree/d/run", 06755);
         t.owner("tree/d/run", 4321, 8765);
         ASSERT_EQ(chmod(t.path("tree/d/run"), 06755), 0); // chown cleared the set-id bits
         ASSERT_EQ(symlink("f", t.path("tree/link")), 0);
         t.owner("tree/link", 1111, 2222);
         t.file("top");
         t.owner("top", 0, 5678);
     }},
    {"TrustedAndSecurityAsRoot", true,
     [](MetadataParity& t) {
         t.folder("tree");
         t.file("tree/f");
         t.xattr("tree/f", "trusted.pelto", "kept");
         t.xattr("tree/f", "security.pelto", "kept too");
         t.folder("tree/d");
         t.xattr("tree/d", "trusted.pelto", "folder");
         // A file capability (revision 2: permitted CAP_NET_RAW) on a file of another owner:
         // giving the copy its owner would drop it if done after the attributes.
         t.file("tree/ping", 0755);
         t.owner("tree/ping", 1234, 5678);
         t.xattr("tree/ping", "security.capability",
                 QByteArray::fromHex("0000000200200000000000000000000000000000"));
     }},
    {"HardLinks", false,
     [](MetadataParity& t) {
         t.folder("tree");
         t.folder("tree/sub");
         t.file("tree/a");
         t.hardLink("tree/a", "tree/sub/b");
         t.hardLink("tree/a", "tree/c");
         t.file("tree/x");
         t.hardLink("tree/x", "top"); // the file pass links it to the folder pass's copy
         t.file("tree/solo");
     }},
    {"SparseAndLinks", false,
     [](MetadataParity& t) {
         t.folder("tree");
         t.file("tree/sparse");
         QFile sparse(QFile::decodeName(t.path("tree/sparse")));
         ASSERT_TRUE(sparse.open(QIODevice::ReadWrite));
         ASSERT_TRUE(sparse.seek(64 << 20));
         ASSERT_EQ(sparse.write(QByteArray(4096, 's')), 4096);
         ASSERT_TRUE(sparse.resize(256 << 20));
         sparse.close();
         ASSERT_EQ(symlink("sparse", t.path("tree/to-sparse")), 0);
         ASSERT_EQ(symlink("/nowhere/at/all", t.path("tree/dangling")), 0);
     }},
};

INSTANTIATE_TEST_SUITE_P(Trees, MetadataParity, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace pelto::test
