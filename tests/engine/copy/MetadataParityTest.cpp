// After a copy run the destination holds, item by item, what `cp -a` makes of the same source:
// mode, owner, time to the nanosecond, extended attributes and ACLs, hard links, holes; for files,
// folders and links. The attribute rule's own attributes are left out of the comparison.

#include "CopyFixture.h"

#include <QProcess>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace pelto::test {
namespace {

// ACLs as the kernel keeps them in an extended attribute (version, then tag, permissions, id).
const QString kFileAcl = "02000000 01000600ffffffff 02000400d2040000 04000400ffffffff "
                         "080006002e160000 10000600ffffffff 20000000ffffffff";
const QString kFolderAcl = "02000000 01000700ffffffff 02000500d2040000 04000500ffffffff "
                           "10000700ffffffff 20000000ffffffff";

// A fresh ext4 volume on a loop device over `mountPoint` for the object's lifetime (root only).
class Ext4Volume {
public:
    explicit Ext4Volume(const QString& mountPoint) : point_(mountPoint) {
        const QString image = images_.filePath(QStringLiteral("volume.img"));
        QFile file(image);
        mounted_ = geteuid() == 0 && file.open(QIODevice::WriteOnly) && file.resize(64 << 20) &&
                   QProcess::execute("mkfs.ext4", {"-q", "-F", "-b", "4096", image}) == 0 &&
                   QProcess::execute("mount", {"-o", "loop", image, point_}) == 0;
    }
    ~Ext4Volume() {
        if (mounted_)
            QProcess::execute("umount", {point_});
    }

private:
    QTemporaryDir images_;
    QString point_;
    bool mounted_ = false;
};

struct Row {
    const char* name;
    bool needsRoot;
    QStringList items;
};

class MetadataParity : public CopyTest, public ::testing::WithParamInterface<Row> {
protected:
    // Builds the source from items "OP PATH ARGS": d folder MODE, f file MODE, m MODE (chmod),
    // h OTHER-NAME (hard link), l TARGET (symbolic link), o UID GID, x NAME HEX-VALUE, s SIZE
    // DATA-OFFSET (a sparse file). False when the file system refuses an extended attribute.
    bool build(const QStringList& items) {
        for (const QString& item : items) {
            const QStringList w = item.split(u' ');
            const QByteArray p = QFile::encodeName(at("src/" + w[1])), arg = w.value(2).toUtf8();
            const char op = w[0].at(0).toLatin1();
            if (op == 'd')
                makeDir("src/" + w[1]);
            else if (op == 'f')
                makeFile("src/" + w[1], p);
            if (op == 'd' || op == 'f' || op == 'm') {
                EXPECT_EQ(chmod(p.constData(), mode_t(w[2].toUInt(nullptr, 8))), 0);
            } else if (op == 'h') {
                EXPECT_EQ(link(QFile::encodeName(at("src/" + w[2])).constData(), p.constData()), 0);
            } else if (op == 'l') {
                EXPECT_EQ(symlink(arg.constData(), p.constData()), 0);
            } else if (op == 'o') {
                EXPECT_EQ(lchown(p.constData(), w[2].toUInt(), w[3].toUInt()), 0);
            }
            const QByteArray value = QByteArray::fromHex(w.mid(3).join(u' ').toLatin1());
            if (op == 'x' && lsetxattr(p.constData(), arg.constData(), value.constData(),
                                       size_t(value.size()), 0) != 0)
                return false;
            if (op == 's') {
                QFile sparse(at("src/" + w[1]));
                EXPECT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.seek(w[3].toLongLong()) &&
                            sparse.write(QByteArray(4096, 's')) == 4096 &&
                            sparse.resize(w[2].toLongLong()));
            }
        }
        return true;
    }
    // Every item below `root` by relative path, sorted.
    static QStringList itemsBelow(const QString& root) {
        QStringList rels;
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            rels << QDir(root).relativeFilePath(it.next());
        rels.sort();
        return rels;
    }
    // Every item below `root`, one line each, by relative path.
    static QStringList describe(const QString& root) {
        const QStringList rels = itemsBelow(root);
        QStringList lines;
        QHash<QPair<quint64, quint64>, QStringList> names; // files of several names
        QList<struct stat> stats(rels.size());
        for (qsizetype i = 0; i < rels.size(); ++i) {
            EXPECT_EQ(lstat(QFile::encodeName(root + '/' + rels[i]).constData(), &stats[i]), 0);
            if (!S_ISDIR(stats[i].st_mode) && stats[i].st_nlink > 1)
                names[{stats[i].st_dev, stats[i].st_ino}].append(rels[i]);
        }
        for (qsizetype i = 0; i < rels.size(); ++i) {
            const struct stat& st = stats[i];
            QString line = QStringLiteral("%1 %2 %3:%4 %5.%6 %7")
                               .arg(rels[i])
                               .arg(st.st_mode, 0, 8)
                               .arg(st.st_uid)
                               .arg(st.st_gid)
                               .arg(qint64(st.st_mtim.tv_sec))
                               .arg(qint64(st.st_mtim.tv_nsec), 9, 10, QChar(u'0'))
                               .arg(S_ISREG(st.st_mode) ? st.st_size : 0);
            // The data's blocks; on a small file an attribute block would weigh as much.
            if (S_ISREG(st.st_mode) && st.st_size > (1 << 20))
                line += QStringLiteral(" blocks=%1").arg(st.st_blocks);
            const QByteArray path = QFile::encodeName(root + '/' + rels[i]);
            QByteArray list(65536, '\0'), value(65536, '\0');
            list.resize(qMax<ssize_t>(0, llistxattr(path.constData(), list.data(), 65536)));
            QStringList attributes;
            for (const QByteArray& name : list.split('\0')) {
                if (name.isEmpty() || name == "user.DOSATTRIB" || name.startsWith("user.pelto."))
                    continue;
                const ssize_t n =
                    lgetxattr(path.constData(), name.constData(), value.data(), 65536);
                attributes << QString::fromLatin1(name + '=' +
                                                  value.left(qMax<ssize_t>(n, 0)).toHex());
            }
            attributes.sort();
            lines << line + u' ' + attributes.join(u' ') + u' ' +
                         names.value({st.st_dev, st.st_ino}).join(u',');
        }
        return lines;
    }
    // Distinct times to the nanosecond on every item, deepest first, so that no later change in
    // a folder moves its time again.
    void stampTimes() {
        QStringList items = itemsBelow(S());
        std::sort(items.begin(), items.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        for (qsizetype i = 0; i < items.size(); ++i) {
            const timespec t = {1'600'000'000 + i * 1000, long(i * 1'000'003 + 7)};
            const timespec times[2] = {t, t};
            EXPECT_EQ(utimensat(AT_FDCWD, QFile::encodeName(S() + '/' + items[i]).constData(),
                                times, AT_SYMLINK_NOFOLLOW),
                      0);
        }
    }
};

TEST_P(MetadataParity, TheCopyKeepsWhatCpArchiveKeeps) {
    if (GetParam().needsRoot && geteuid() != 0)
        GTEST_SKIP() << "needs root";
    // As root the trees live on a fresh ext4 volume; otherwise in the temporary folder.
    const Ext4Volume volume(at({}));
    for (const char* folder : {"src", "dst", "ref"})
        makeDir(QString::fromLatin1(folder));
    if (!build(GetParam().items))
        GTEST_SKIP() << "the file system refuses an extended attribute";
    stampTimes();
    const QStringList source = describe(S());

    ASSERT_TRUE(check());
    ASSERT_TRUE(copy());
    ASSERT_EQ(QProcess::execute("cp", {"-a", S() + "/.", at("ref")}), 0);
    const QStringList reference = describe(at("ref"));
    ASSERT_EQ(reference.size(), source.size());
    EXPECT_EQ(describe(D()), reference);
    EXPECT_TRUE(loggedMessages().isEmpty()) << loggedMessages().join('\n').toStdString();
}

const Row kRows[] = {
    {"Modes",
     false,
     {"d tree 755", "d tree/private 700", "f tree/private/secret 600", "d tree/group 750",
      "f tree/group/tool 750", "d tree/shared 1777", "d tree/team 2770", "f tree/team/run 4755",
      "d tree/sealed 755", "d tree/sealed/inner 711", "f tree/sealed/inner/note 440",
      "m tree/sealed 500", "f top 604"}},
    {"AttributesAndAcls",
     false,
     {"d tree 755", "f tree/f 640", "x tree/f user.note 68656c6c6f", "x tree/f user.bin 0001ff",
      "x tree/f system.posix_acl_access " + kFileAcl, "d tree/d 750", "x tree/d user.note 6466",
      "f tree/d/older 644", // made before the folder's default ACL: has none of its own
      "x tree/d system.posix_acl_access " + kFolderAcl,
      "x tree/d system.posix_acl_default " + kFolderAcl, "f tree/d/newer 640", "d tree/d/sub 755",
      "f top 644", "x top user.big " + QString("62").repeated(3000)}},
    {"OwnersAndPrivilegedAttributesAsRoot",
     true,
     {"d tree 755", "f tree/f 644", "o tree/f 1234 5678", "x tree/f trusted.t 6b",
      "x tree/f security.s 6b", "d tree/d 2750", "o tree/d 4321 8765", "x tree/d trusted.t 64",
      "f tree/d/run 644", "o tree/d/run 4321 8765", "m tree/d/run 6755", "l tree/link f",
      "o tree/link 1111 2222", "f top 644", "o top 0 5678",
      // A file capability (permitted CAP_NET_RAW) on a file of another owner: giving the copy
      // its owner after its attributes would drop it.
      "f tree/ping 755", "o tree/ping 1234 5678",
      "x tree/ping security.capability 0000000200200000000000000000000000000000"}},
    {"HardLinksSparseFilesAndLinks",
     false,
     {"d tree 755", "d tree/sub 755", "f tree/a 644", "h tree/sub/b tree/a", "h tree/c tree/a",
      "f tree/x 644", "h top tree/x", // the file pass links it to the folder pass's copy
      "f tree/solo 644", "s tree/sparse 268435456 67108864", "l tree/to-sparse sparse",
      "l tree/dangling /nowhere/at/all"}},
};

INSTANTIATE_TEST_SUITE_P(Trees, MetadataParity, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace pelto::test
