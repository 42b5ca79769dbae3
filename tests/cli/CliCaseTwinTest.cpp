// Names that differ only in letter case within one folder, backed up by pelto-cli: each under its
// own name where the destination can hold both, and where it cannot (a volume that ignores letter
// case), the first of each group copied and every other reported as left out.
#include "CliSandbox.h"

#include <QDir>
#include <QProcess>

#include <sys/mount.h>
#include <unistd.h>

namespace pelto::cli::test {
namespace {

// Source: a.txt / A.txt, Docs / docs (a folder each), and a file "notes" beside a folder "Notes".
void writeTwins(const CliSandbox& box) {
    for (const auto& [path, text] : {std::pair{"src/a.txt", "lower"},
                                     {"src/A.txt", "upper"},
                                     {"src/Docs/x", "D"},
                                     {"src/docs/x", "d"},
                                     {"src/notes", "file"},
                                     {"src/Notes/n", "folder"}})
        box.write(path, text, kNewer);
}

QString read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("<none>");
}

TEST(CliCaseTwinTest, EachTwinIsBackedUpUnderItsOwnNameAndAFollowingCheckFindsNothing) {
    const CliSandbox box;
    writeTwins(box);
    box.write("dst/A.TXT", "old"); // neither twin's exact name: deleted by the sync
    box.write("dst/docs/y", "extra");
    const QString src = box.path("src"), dst = box.path("dst");
    const CliResult sync = box.run({"sync", "--production", src, dst});
    EXPECT_EQ(sync.exitCode, 0) << qPrintable(sync.err);
    EXPECT_EQ(snapshot(dst), snapshot(src));
    EXPECT_EQ(box.run({"check", src, dst}).exitCode, 0);
}

TEST(CliCaseTwinTest, AVolumeThatIgnoresCaseTakesTheFirstTwinAndReportsEachOther) {
    const CliSandbox box;
    if (geteuid() != 0 || QProcess::execute("sh", {"-c", "command -v mkfs.vfat >/dev/null"}) != 0)
        GTEST_SKIP() << "needs root and mkfs.vfat";
    const QString image = box.path("fat.img"), dst = box.path("dst");
    ASSERT_TRUE(QDir().mkpath(dst));
    if (QProcess::execute("sh", {"-c", "truncate -s 8M '" + image + "' && mkfs.vfat '" + image +
                                           "' >/dev/null && mount -o loop '" + image + "' '" + dst +
                                           "' 2>/dev/null"}) != 0)
        GTEST_SKIP() << "this kernel mounts no vfat volume";
    writeTwins(box);
    const CliResult sync = box.run({"sync", "--production", box.path("src"), dst});
    EXPECT_EQ(sync.exitCode, 4) << qPrintable(sync.err);
    const QStringList held = QDir(dst).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QString skipped = "Skipped, the destination ignores letter case and holds a name that "
                            "differs from this one only in letter case: ";
    // One of each group arrived whole, with its own content; each other is named in the log.
    EXPECT_EQ(held.size(), 3) << qPrintable(held.join(','));
    for (const QString& name : held) {
        const QString path = dst + '/' + name;
        EXPECT_EQ(QFileInfo(path).isDir() ? read(path + "/x") + read(path + "/n") : read(path),
                  QFileInfo(box.path("src/" + name)).isDir()
                      ? read(box.path("src/" + name + "/x")) + read(box.path("src/" + name + "/n"))
                      : read(box.path("src/" + name)));
    }
    EXPECT_EQ(sync.err.count(skipped), 3) << qPrintable(sync.err);
    ::umount(QFile::encodeName(dst).constData());
}

} // namespace
} // namespace pelto::cli::test
