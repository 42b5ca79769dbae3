// pelto-cli sync --production on seeded random folder pairs, compared entry by entry with what a
// sync has to leave behind (and with a `cp -a` of the source). PELTO_DIFF_SEEDS="1-5000" widens
// the range of seeds for a run by hand.
#include "CliSandbox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>

#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelto::cli::test {
namespace {

constexpr qint64 kSec = 1'000'000'000; // nanoseconds: copies keep the source's time exactly

// Cases the generator makes only when switched on.
struct Features {
    bool links = true; // symbolic links, also at the destination where the source has a folder
    bool typeChanges = true;    // a file on one side where the other side has a folder of that name
    bool caseTwins = false;     // off: two names in one folder that differ only in letter case
    bool newFolderCase = false; // off: a folder copied new arrives with its name lower-cased
    bool folderTimes = false;   // off: a folder copied new gets the time of copying, not its own
};

enum class Kind { None, Folder, File, Link };

class Generator {
public:
    Generator(unsigned seed, Features features) : rng_(seed), f_(features) {}

    // Fills a folder pair (or one folder, the other path empty) up to three folder levels deep.
    void fill(const QString& src, const QString& dst, int depth) {
        QStringList names; // of this folder pair, as the source spells them
        for (int n = depth == 0 ? 3 + pick(9) : pick(5); n > 0; --n) {
            const QString name = newName(names);
            const int where = pick(100); // both sides 60 %, source only 25 %, destination only 15 %
            const Kind sk = src.isEmpty() || where >= 85 ? Kind::None : kind(depth);
            Kind dk = dst.isEmpty() || (where >= 60 && where < 85) ? Kind::None
                      : sk == Kind::None                           ? kind(depth)
                                                                   : sk;
            if (f_.typeChanges && sk != Kind::None && dk != Kind::None && chance(15))
                dk = sk == Kind::Folder ? Kind::File : depth < 3 ? Kind::Folder : dk;
            if (f_.links && sk == Kind::Folder && dk == Kind::Folder && chance(15))
                dk = Kind::Link;
            const bool lower =
                !f_.newFolderCase && !f_.caseTwins && sk == Kind::Folder && dk != Kind::Folder;
            const QString s =
                sk == Kind::None ? QString() : src + '/' + (lower ? name.toLower() : name);
            const QString d =
                dk == Kind::None
                    ? QString()
                    : dst + '/' + (chance(25) && !f_.caseTwins ? otherCase(name) : name);
            const QByteArray data = content(sk);
            const qint64 time = randomTime();
            make(s, sk, data, time);
            const int relation = sk == dk ? pick(100) : 100; // same, older, newer, same second
            make(d, dk, relation < 50 ? data : content(dk),
                 relation < 50    ? time
                 : relation < 70  ? time - (1 + pick(100'000)) * kSec
                 : relation < 85  ? time + (1 + pick(100'000)) * kSec
                 : relation < 100 ? time / kSec * kSec + pick(kSec)
                                  : randomTime());
            if (sk == Kind::Folder || dk == Kind::Folder)
                fill(sk == Kind::Folder ? s : QString(), dk == Kind::Folder ? d : QString(),
                     depth + 1);
            for (const auto& [path, k] : {std::pair{s, sk}, std::pair{d, dk}})
                if (k == Kind::Folder) // after its contents, which change it
                    setTime(path, randomTime());
        }
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return pick(100) < percent; }
    qint64 randomTime() { return (1'600'000'000 + pick(1'000'000)) * kSec + pick(kSec); }
    Kind kind(int depth) {
        return depth < 3 && chance(30)  ? Kind::Folder
               : f_.links && chance(10) ? Kind::Link
                                        : Kind::File;
    }
    QByteArray content(Kind k) {
        if (k == Kind::Link)
            return QByteArrayList{"a", "../x to y", "nowhere", "/tmp"}[pick(4)];
        QByteArray bytes(chance(20) ? 0 : pick(300), '\0');
        for (char& c : bytes)
            c = char(pick(256));
        return bytes;
    }
    QString otherCase(QString name) {
        for (QChar& c : name)
            if (chance(50))
                c = c.isUpper() ? c.toLower() : c.toUpper();
        return name;
    }
    QString newName(QStringList& names) {
        static const QStringList pool{"a",         "Read me", ".hidden", "x to y",   "nb\u00A0sp",
                                      "Notes.TXT", ".Cfg",    "z z",     "data.bin", "Q"};
        for (;;) {
            QString name = pool[pick(pool.size())] + (chance(60) ? QString::number(pick(20)) : "");
            if (f_.caseTwins && !names.isEmpty() && chance(10))
                name = otherCase(names[pick(names.size())]);
            if (!names.contains(name, f_.caseTwins ? Qt::CaseSensitive : Qt::CaseInsensitive)) {
                names << name;
                return name;
            }
        }
    }
    static void setTime(const QString& path, qint64 ns) {
        const timespec times[2] = {{time_t(ns / kSec), long(ns % kSec)},
                                   {time_t(ns / kSec), long(ns % kSec)}};
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    static void make(const QString& path, Kind k, const QByteArray& data, qint64 time) {
        QFile file(path);
        const bool made =
            k == Kind::Folder ? QDir().mkdir(path)
            : k == Kind::Link
                ? ::symlink(data.constData(), QFile::encodeName(path).constData()) == 0
            : k == Kind::File ? file.open(QIODevice::WriteOnly) && file.write(data) == data.size()
                              : true;
        EXPECT_TRUE(made) << qPrintable(path);
        file.close();
        if (k == Kind::File || k == Kind::Link)
            setTime(path, time);
    }

    std::mt19937 rng_;
    const Features f_;
};

// Relative path as spelled on disk; "folder", "file <sha1>" or "link <target>"; modification time
// in nanoseconds (-1: not predicted).
struct Entry {
    QString path, what;
    qint64 time = 0;
};
using Tree = QMap<QString, Entry>; // by lower-cased relative path

void scan(const QString& root, const QString& relative, Tree& tree) {
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QString& name : QDir(root + '/' + relative).entryList(filter, QDir::Name)) {
        const QString path = relative.isEmpty() ? name : relative + '/' + name;
        const QByteArray native = QFile::encodeName(root + '/' + path);
        struct stat st {};
        EXPECT_EQ(::lstat(native.constData(), &st), 0);
        Entry entry{path, "folder", qint64(st.st_mtim.tv_sec) * kSec + st.st_mtim.tv_nsec};
        QFile file(root + '/' + path);
        if (S_ISLNK(st.st_mode))
            entry.what =
                "link " + QString::fromStdString(std::filesystem::read_symlink(native.constData()));
        else if (!S_ISDIR(st.st_mode) && file.open(QIODevice::ReadOnly))
            entry.what = "file " +
                         QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
        const QString key =
            tree.contains(path.toLower()) ? path.toLower() + QChar(1) + path : path.toLower();
        tree.insert(key, entry);
        if (S_ISDIR(st.st_mode))
            scan(root, path, tree);
    }
}

Tree scan(const QString& root) {
    Tree tree;
    scan(root, {}, tree);
    return tree;
}

// What a sync leaves at the destination: the source's entries, except that a destination file
// as new to the second stays as it was, and an entry the destination held under another letter
// case keeps that spelling. The time of a folder that was there already is not predicted.
Tree afterSync(const Tree& src, const Tree& dst, Features f) {
    Tree out;
    for (auto it = src.cbegin(); it != src.cend(); ++it) {
        const auto old = dst.constFind(it.key());
        const bool folder = it->what == "folder";
        if (old != dst.cend() && (old->what == "folder") == folder) {
            Entry kept = folder || old->time / kSec >= it->time / kSec ? *old : *it;
            kept.path = old->path;
            kept.time = folder ? -1 : kept.time;
            out.insert(it.key(), kept);
        } else {
            const qsizetype slash = it.key().lastIndexOf('/');
            Entry made = *it;
            made.time = folder && !f.folderTimes ? -1 : made.time;
            if (slash > 0)
                made.path =
                    out.value(it.key().left(slash)).path + it->path.mid(it->path.lastIndexOf('/'));
            out.insert(it.key(), made);
        }
    }
    return out;
}

// One line per entry, times masked where `model` does not predict them.
std::string text(const Tree& tree, const Tree& model = {}) {
    QString lines;
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        const bool masked = model.value(it.key()).time == -1;
        lines +=
            it->path + ' ' + it->what + ' ' + (masked ? "*" : QString::number(it->time)) + '\n';
    }
    return lines.toStdString();
}

std::vector<unsigned> seeds() {
    const QStringList range = qEnvironmentVariable("PELTO_DIFF_SEEDS", "1-40").split('-');
    std::vector<unsigned> all;
    for (unsigned seed = range.first().toUInt(); seed <= range.last().toUInt(); ++seed)
        all.push_back(seed);
    return all;
}

class SyncDifferentialTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(SyncDifferentialTest, ProductionSyncMakesTheDestinationTheSourceAndTouchesNothingElse) {
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    const QString src = box.path("src"), dst = box.path("dst"), outside = box.path("outside");
    for (const QString& folder : {src, dst, outside})
        QDir().mkdir(folder);
    const Features features;
    Generator generator(GetParam(), features);
    generator.fill(src, dst, 0);
    generator.fill(outside, {}, 2);
    const Tree source = scan(src), before = scan(dst), aside = scan(outside);
    ASSERT_EQ(QProcess::execute("cp", {"-a", src, box.path("ref")}), 0);
    const Tree reference = scan(box.path("ref"));
    EXPECT_EQ(text(reference), text(source)); // the snapshot keeps what cp -a keeps

    const CliResult sync = box.run({"sync", "--production", "--yes", src, dst});
    EXPECT_EQ(sync.exitCode, 0) << qPrintable(sync.out + sync.err);
    const Tree expected = afterSync(reference, before, features);
    EXPECT_EQ(text(scan(dst), expected), text(expected, expected));
    EXPECT_EQ(text(scan(src)), text(source));
    EXPECT_EQ(text(scan(outside)), text(aside));
    const CliResult check = box.run({"check", src, dst});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.out + check.err);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SyncDifferentialTest, ::testing::ValuesIn(seeds()));

} // namespace
} // namespace pelto::cli::test
