// pelto-cli sync --production on seeded random folder pairs, checked entry by entry against what a
// sync must leave (and a `cp -a` of the source). PELTO_DIFF_SEEDS=1-5000 widens the seeds by hand.
#include "CliSandbox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace pelto::cli::test {
namespace {

constexpr qint64 kSec = 1'000'000'000; // nanoseconds: copies keep the source's time exactly

struct Features {      // cases the generator makes only when switched on
    bool links = true; // symbolic links, also at the destination where the source has a folder
    bool typeChanges = true; // a file on one side where the other side has a folder of that name
    bool caseTwins = true;   // two names in one folder that differ only in letter case
    bool folderTimes = true; // a folder copied new gets its source's time once it is filled
    bool modes = true;       // permission bits of files and folders, private ones included
    bool xattrs = true;      // extended attributes of files and folders
    bool hardLinks = true;   // source-only files that are hard links of each other
    bool specials = true;    // fifos at the source, which a backup leaves out and reports
};

enum class Kind { None, Folder, File, Link };
using enum Kind;

const QStringList kNames =
    QString("a|Read me|.hidden|x to y|nb\u00A0sp|p\u00A0to\u00A0q|Notes.TXT|.Cfg|z z|data.bin|Q")
        .split('|');

void setTime(const QString& path, qint64 ns) { // fails harmlessly where nothing is
    const timespec t{time_t(ns / kSec), long(ns % kSec)}, times[2] = {t, t};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

void make(const QString& path, Kind k, const QByteArray& data, qint64 time) {
    QFile file(path); // flushed, not closed, before stamping: closing would stamp it again
    EXPECT_TRUE(k == Folder ? QDir().mkdir(path)
                : k == Link ? QFile::link(data, path)
                            : k != File || (file.open(QIODevice::WriteOnly) &&
                                            file.write(data) == data.size() && file.flush()))
        << qPrintable(path);
    if (k == File || k == Link) // a folder gets its time after its contents
        setTime(path, time);
}

struct Generator {
    std::mt19937 rng;
    const Features f;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool chance(int percent) { return pick(100) < percent; }
    qint64 randomTime() { return (1'600'000'000 + pick(1'000'000)) * kSec + pick(kSec); }
    Kind kind(int d) { return d < 3 && chance(30) ? Folder : f.links && chance(10) ? Link : File; }
    QByteArray content(Kind k) {
        QByteArray bytes(chance(20) ? 0 : pick(300), '\0');
        std::generate(bytes.begin(), bytes.end(), [this] { return char(pick(256)); });
        return k == Link ? QByteArrayList{"a", "../x to y", "nowhere", "/tmp"}[pick(4)] : bytes;
    }
    void setMeta(const QString& path, Kind k) { // owner-writable: read-only is an attribute
        if (k != File && k != Folder)
            return;
        const QByteArray native = QFile::encodeName(path), value = QByteArray::number(pick(9));
        if (f.modes)
            ::chmod(native.constData(), k == File
                                            ? QList<mode_t>{0644, 0600, 0640, 0755, 0700}[pick(5)]
                                            : QList<mode_t>{0755, 0700, 0750, 0775}[pick(4)]);
        if (f.xattrs && chance(30))
            ::setxattr(native.constData(), ("user.k" + QByteArray::number(pick(3))).constData(),
                       value.constData(), size_t(value.size()), 0);
    }
    QString linkable; // a source-only file a later one may be a hard link of
    int specials = 0; // fifos made at the source
    QString otherCase(QString name) {
        for (QChar& c : name)
            c = chance(50) ? c : c.isUpper() ? c.toLower() : c.toUpper();
        return name;
    }
    // Fills a folder pair (or one folder, the other path empty) up to three folder levels deep.
    void fill(const QString& src, const QString& dst, int depth) {
        QStringList names, dstNames; // of this folder pair, as each side spells them
        for (int n = depth == 0 ? 3 + pick(9) : pick(5); n > 0; --n) {
            QString name;
            do
                name = f.caseTwins && !names.isEmpty() && chance(10)
                           ? otherCase(names[pick(names.size())])
                           : kNames[pick(kNames.size())] +
                                 (chance(60) ? QString::number(pick(20)) : "");
            while (names.contains(name, f.caseTwins ? Qt::CaseSensitive : Qt::CaseInsensitive) ||
                   dstNames.contains(name));
            names << name;
            const int where = std::discrete_distribution({60, 25, 15})(rng); // both, src, dst only
            const Kind sk = src.isEmpty() || where == 2 ? None : kind(depth);
            Kind dk = dst.isEmpty() || where == 1 ? None : sk == None ? kind(depth) : sk;
            if (f.typeChanges && sk != None && dk != None && chance(15))
                dk = sk == Folder ? File : depth < 3 ? Folder : dk;
            if (f.links && sk == Folder && dk == Folder && chance(15))
                dk = Link;
            const QString other = chance(25) ? otherCase(name) : name;
            dstNames << (names.contains(other) || dstNames.contains(other) ? name : other);
            const QString s = src + '/' + name, d = dst + '/' + dstNames.last();
            const QByteArray data = content(sk);
            const qint64 time = randomTime(), shift = (1 + pick(100'000)) * kSec;
            if (f.hardLinks && sk == File && dk == None && !linkable.isEmpty() && chance(25)) {
                EXPECT_EQ(::link(QFile::encodeName(linkable).constData(),
                                 QFile::encodeName(s).constData()),
                          0);
                continue;
            }
            make(s, sk, data, time);
            if (sk == File && dk == None)
                linkable = s;
            const int relation = sk == dk ? std::discrete_distribution({50, 20, 15, 15})(rng) : 4;
            make(d, dk, relation == 0 ? data : content(dk), // same/older/newer/same second/any
                 QList{time, time - shift, time + shift, time / kSec * kSec + pick(kSec),
                       randomTime()}[relation]);
            setMeta(s, sk);
            setMeta(d, dk);
            if (sk == Folder || dk == Folder)
                fill(sk == Folder ? s : "", dk == Folder ? d : "", depth + 1);
        }
        if (f.specials && !src.isEmpty() && chance(8) &&
            !names.contains("fifo", Qt::CaseInsensitive))
            specials += ::mkfifo(QFile::encodeName(src + "/fifo").constData(), 0644) == 0;
        setTime(src, randomTime()); // after its contents, which change it
        setTime(dst, randomTime());
    }
};

struct Entry {          // a Tree keys them by relative path
    QString path, what; // as spelled on disk: "folder <mode> <xattrs>", "file <md5> <mode> <xattrs>
                        // [=<first name of its hard links>]", "link <target>" or "special"
    qint64 time = 0;    // modification time in nanoseconds, -1 where not predicted
    quint64 inode = 0;  // of a file with more than one name
};

QString xattrsOf(const QByteArray& native) {
    QStringList pairs;
    char names[1024];
    const ssize_t n = ::listxattr(native.constData(), names, sizeof names);
    for (const char* name = names; n > 0 && name < names + n; name += strlen(name) + 1) {
        char value[256];
        const ssize_t size = ::getxattr(native.constData(), name, value, sizeof value);
        if (QByteArray(name).startsWith("user.k"))
            pairs << QString(name) + '=' + QByteArray(value, int(std::max<ssize_t>(size, 0)));
    }
    pairs.sort();
    return pairs.join(',');
}

using Tree = QMap<QString, Entry>;

// Marks each file with more than one name in the tree by the lowest of those names.
Tree withLinkGroups(Tree tree) {
    QMap<quint64, QStringList> names;
    for (const Entry& e : tree)
        if (e.inode)
            names[e.inode] << e.path.toLower();
    for (Entry& e : tree)
        if (e.inode && names[e.inode].size() > 1)
            e.what += " =" + *std::min_element(names[e.inode].begin(), names[e.inode].end());
    return tree;
}

Tree scan(const QString& root, const QString& relative = {}, Tree tree = {}) {
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QString& name : QDir(root + '/' + relative).entryList(filter, QDir::Name)) {
        const QString path = relative.isEmpty() ? name : relative + '/' + name;
        QFile file(root + '/' + path);
        const QByteArray native = QFile::encodeName(file.fileName());
        struct stat st {};
        EXPECT_EQ(::lstat(native.constData(), &st), 0);
        QString what = S_ISDIR(st.st_mode)    ? "folder"
                       : S_ISFIFO(st.st_mode) ? "special"
                                              : "unreadable";
        if (S_ISLNK(st.st_mode))
            what = "link " + QString(std::filesystem::read_symlink(native.constData()).c_str());
        else if (S_ISREG(st.st_mode) && file.open(QIODevice::ReadOnly))
            what =
                "file " + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex();
        if (!S_ISLNK(st.st_mode) && !S_ISFIFO(st.st_mode))
            what += ' ' + QString::number(st.st_mode & 07777, 8) + ' ' + xattrsOf(native);
        tree.insert(path, {path, what, qint64(st.st_mtim.tv_sec) * kSec + st.st_mtim.tv_nsec,
                           S_ISREG(st.st_mode) && st.st_nlink > 1 ? quint64(st.st_ino) : 0});
        if (S_ISDIR(st.st_mode))
            tree = scan(root, path, std::move(tree));
    }
    return tree;
}

// The entries of `tree` directly in `folder` whose names equal `name` after lower-casing.
QStringList namesakes(const Tree& tree, const QString& folder, const QString& name) {
    QStringList found;
    for (const Entry& e : tree)
        if (e.path.section('/', 0, -2) == folder &&
            e.path.section('/', -1).toLower() == name.toLower())
            found << e.path;
    return found;
}

// What sync leaves: the source's entries, but a destination file as new to the second stays, an
// entry keeps the destination's letter case (names with a twin in their folder match only
// exactly), and times of folders already there are not predicted.
Tree afterSync(const Tree& src, const Tree& dst, Features f) {
    Tree out;
    QMap<QString, QString> placed; // source path -> destination path
    for (auto it = src.cbegin(); it != src.cend(); ++it) {
        if (it->what == "special")
            continue;
        const QString parent = it.key().section('/', 0, -2), name = it.key().section('/', -1);
        const QString to = parent.isEmpty() ? "" : placed.value(parent) + '/';
        const QStringList there = namesakes(dst, to.chopped(to.isEmpty() ? 0 : 1), name);
        const bool twins = there.size() > 1 || namesakes(src, parent, name).size() > 1;
        const QString match = twins ? (there.contains(to + name) ? to + name : "") : there.value(0);
        const auto old = dst.constFind(match);
        const bool folder = it->what.startsWith("folder");
        const bool kept =
            old != dst.cend() && old->what.startsWith("folder") == it->what.startsWith("folder");
        Entry e = kept && (folder || old->time / kSec >= it->time / kSec) ? *old : *it;
        e.path = kept ? old->path : to + name;
        e.time = folder && (kept || !f.folderTimes) ? -1 : e.time;
        placed[it.key()] = e.path;
        out[e.path] = e;
    }
    return out;
}

// One line per entry, times masked where `model` does not predict them.
std::string text(const Tree& entries, const Tree& model = {}) {
    const Tree tree = withLinkGroups(entries);
    QString lines;
    for (auto it = tree.cbegin(); it != tree.cend(); ++it)
        lines += it->path + ' ' + it->what + ' ' +
                 (model.value(it.key()).time == -1 ? "*" : QString::number(it->time)) + '\n';
    return lines.toStdString();
}

unsigned seed(int i) { // 0: first, -1: last of the range PELTO_DIFF_SEEDS, 1-40 when unset
    return qEnvironmentVariable("PELTO_DIFF_SEEDS", "1-40").section('-', i, i).toUInt();
}

class SyncDifferentialTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(SyncDifferentialTest, ProductionSyncMakesTheDestinationTheSourceAndTouchesNothingElse) {
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    const QString src = box.path("src"), dst = box.path("dst"), outside = box.path("outside");
    ASSERT_TRUE(QDir().mkdir(src) && QDir().mkdir(dst) && QDir().mkdir(outside));
    Generator generator{std::mt19937(GetParam()), Features{}, {}, 0};
    generator.fill(src, dst, 0);
    const int leftOut = generator.specials ? 4 : 0; // exit status of a run that left items out
    generator.linkable.clear();
    generator.fill(outside, {}, 2);
    const Tree source = scan(src), before = scan(dst), aside = scan(outside);
    ASSERT_EQ(QProcess::execute("cp", {"-a", src, box.path("ref")}), 0);
    const Tree reference = scan(box.path("ref"));
    EXPECT_EQ(text(reference), text(source)); // the snapshot keeps what cp -a keeps

    const CliResult sync = box.run({"sync", "--production", "--yes", src, dst});
    EXPECT_EQ(sync.exitCode, leftOut) << qPrintable(sync.out + sync.err);
    const Tree expected = afterSync(reference, before, generator.f);
    EXPECT_EQ(text(scan(dst), expected), text(expected, expected));
    EXPECT_EQ(text(scan(src)), text(source));
    EXPECT_EQ(text(scan(outside)), text(aside));
    const CliResult check = box.run({"check", src, dst});
    EXPECT_EQ(check.exitCode, leftOut) << qPrintable(check.out + check.err);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SyncDifferentialTest, ::testing::Range(seed(0), seed(-1) + 1));

} // namespace
} // namespace pelto::cli::test
