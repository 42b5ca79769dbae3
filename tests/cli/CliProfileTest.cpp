// pelto-cli with --profile: the profile's folder pairs, its exclusions and its use count.
#include "CliSandbox.h"

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

} // namespace
} // namespace pelto::cli::test
