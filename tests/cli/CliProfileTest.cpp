// pelto-cli with --profile: the profile's folder pairs, its exclusions and its use count.
#include "CliSandbox.h"

#include <QFile>
#include <QSettings>

namespace pelto::cli::test {
namespace {

TEST(CliProfileTest, ProfileRunAppliesItsExclusionsAndCountsEachCompletedProductionCopy) {
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    for (const char* file :
         {"src/a.txt", "src/b.tmp", "src/keep/k.txt", "src/cache/c.txt", "docs/d.txt"})
        box.write(file, "x");
    box.makeFolder("dst");
    box.makeFolder("docs-copy");
    const QString src = box.path("src"), dst = box.path("dst"), ini = box.path("bin/Pelto.INI");
    const QByteArray profiles =
        ("[Backup]\n; nightly\n" + src + "   " + dst + "   subdirs exclude *.tmp /cache*\n" +
         box.path("docs") + "   " + box.path("docs-copy") + "\n\n[Other]\n")
            .toUtf8();
    const auto setting = [&](const char* key) {
        return QSettings(box.path("config/Pelto.ini"), QSettings::IniFormat).value(key).toString();
    };

    // Without --ini the profile file is the one beside the program.
    const CliResult noFile = box.run({"check", "--profile", "Backup"});
    EXPECT_EQ(noFile.exitCode, 3);
    EXPECT_EQ(noFile.err,
              "pelto-cli: profile file not found: " + ini +
                  " (put Pelto.INI beside the program, or name a profile file with --ini FILE)\n");
    box.write("bin/Pelto.INI", profiles);
    const CliResult noProfile = box.run({"check", "--profile", "backup"});
    EXPECT_EQ(noProfile.exitCode, 3);
    EXPECT_EQ(noProfile.out + noProfile.err,
              "pelto-cli: no profile named 'backup' in " + ini + "; its profiles: Backup, Other\n");

    // Both lines are compared, numbering running on across them; the exclusions are logged.
    const CliResult check = box.run({"check", "--profile", "Backup"});
    EXPECT_EQ(check.exitCode, 1) << qPrintable(check.err);
    EXPECT_EQ(check.out,
              QStringList(
                  {"Mismatched directories on source drive",
                   "2: " + src + "/keep unmatched" + kNbsp + " to " + dst + "/", "",
                   "Mismatched directories on destination ", "", "Mismatched files on source drive",
                   "Dir: " + src + " to " + dst, "1: a.txt unmatched" + kNbsp,
                   "Dir: " + box.path("docs") + " to " + box.path("docs-copy"),
                   "3: d.txt unmatched" + kNbsp, "", "Mismatched files on destination drive \n"})
                  .join('\n'));
    const QString excluded = "Source file excluded: " + src + "/b.tmp";
    EXPECT_EQ(logged(check), "Files excluded: exclude *.tmp /cache*\n" + excluded +
                                 "\nSource folder excluded: cache\n");
    EXPECT_TRUE(box.errorLog().contains(excluded));
    EXPECT_EQ(setting("Profile01/Description"), "Backup");
    EXPECT_EQ(setting("Profile01/TimesUsed"), "0");

    // A copy in test mode is no use of the profile; each production copy is one.
    box.write("profiles/my.ini", profiles);
    EXPECT_EQ(
        box.run({"copy", "--profile=Backup", "--ini=" + box.path("profiles/my.ini")}).exitCode, 0);
    EXPECT_EQ(setting("Profile01/TimesUsed"), "0");
    const QStringList copy{"copy",   "--production", "--profile",
                           "Backup", "--ini",        box.path("profiles/my.ini")};
    ASSERT_EQ(box.run(copy).exitCode, 0);
    EXPECT_EQ(setting("Profile01/TimesUsed"), "1");
    EXPECT_EQ(snapshot(dst).keys(), (QStringList{"a.txt", "keep", "keep/k.txt"}));
    EXPECT_TRUE(QFileInfo::exists(box.path("docs-copy/d.txt")));
    ASSERT_EQ(box.run(copy).exitCode, 0);
    EXPECT_EQ(setting("Profile01/TimesUsed"), "2");
}

// A quiet scheduled run prints nothing when all is well: the run header and the notes of what
// the exclusions leave alone go to the error log only. What is left out is a problem.
TEST(CliProfileTest, AQuietRunPrintsOnlyProblems) {
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    for (const char* file : {"src/a.txt", "src/b.tmp", "src/cache/c.txt", "src/sub/s.txt"})
        box.write(file, "x");
    box.makeFolder("dst");
    const QString src = box.path("src"), dst = box.path("dst");
    box.write("bin/Pelto.INI",
              ("[Nightly]\n" + src + "   " + dst + "   subdirs exclude *.tmp /cache*\n").toUtf8());
    const QStringList quiet{"--profile", "Nightly", "--production", "--quiet"};

    for (const char* command : {"sync", "sync", "check"}) {
        const CliResult run = box.run(QStringList{command} + quiet);
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_EQ(run.out + run.err, QString()) << command;
    }
    EXPECT_EQ(snapshot(dst).keys(), (QStringList{"a.txt", "sub", "sub/s.txt"}));
    const QString log = box.errorLog();
    EXPECT_EQ(log.count("Files excluded: exclude *.tmp /cache*"), 3);
    EXPECT_EQ(log.count("Source file excluded: " + src + "/b.tmp"), 3);

    // A folder where a newer file must go: the copy passes the file over and says so.
    box.write("src/a.txt", "newer", kNewer);
    ASSERT_TRUE(QFile::remove(box.path("dst/a.txt")));
    box.makeFolder("dst/a.txt");
    const CliResult skipped = box.run(QStringList{"copy"} + quiet);
    EXPECT_EQ(skipped.exitCode, 4);
    EXPECT_EQ(skipped.out + skipped.err, "Skipped, a folder stands where the file must go: " + dst +
                                             "/a.txt\nSkipped: 1 (other reasons 1)\n");
}

} // namespace
} // namespace pelto::cli::test
