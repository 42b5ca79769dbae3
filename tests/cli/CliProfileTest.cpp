// pelto-cli with --profile: the profile's folder pairs, its exclusions and its use count.
#include "CliSandbox.h"

namespace pelto::cli::test {
namespace {

class CliProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        for (const char* file :
             {"src/a.txt", "src/b.tmp", "src/keep/k.txt", "src/cache/c.txt", "docs/d.txt"})
            box.write(file, "x");
        box.makeFolder("dst");
        box.makeFolder("docs-copy");
    }

    // A profile file with the profiles "Backup" (two lines) and "Other".
    QString writeProfiles(const QString& relative) const {
        box.write(relative, ("[Backup]\n; nightly\n" + box.path("src") + "   " + box.path("dst") +
                             "   subdirs exclude *.tmp /cache*\n" + box.path("docs") + "   " +
                             box.path("docs-copy") + "\n\n[Other]\n")
                                .toUtf8());
        return box.path(relative);
    }
    QString timesUsed() const { return box.setting("Profile01", "TimesUsed"); }

    CliSandbox box;
};

TEST_F(CliProfileTest, ProfileRunAppliesItsExclusionsAndCountsEachCompletedProductionCopy) {
    // Without --ini the profile file is the one beside the program.
    const QString besideProgram = box.path("bin/Pelto.INI");
    const CliResult noFile = box.run({"check", "--profile", "Backup"});
    EXPECT_EQ(noFile.exitCode, 3);
    EXPECT_EQ(noFile.err, "pelto-cli: profile file not found: " + besideProgram +
                              " (put Pelto.INI beside the program, or name a profile file with "
                              "--ini FILE)\n");
    writeProfiles("bin/Pelto.INI");
    const CliResult noProfile = box.run({"check", "--profile", "backup"});
    EXPECT_EQ(noProfile.exitCode, 3);
    EXPECT_EQ(noProfile.err, "pelto-cli: no profile named 'backup' in " + besideProgram +
                                 "; its profiles: Backup, Other\n");
    EXPECT_EQ(noProfile.out, QString());

    const QString src = box.path("src");
    const QString dst = box.path("dst");
    const CliResult check = box.run({"check", "--profile", "Backup"});
    EXPECT_EQ(check.exitCode, 1) << qPrintable(check.err);
    // Both lines were compared; numbering runs on across them.
    const QStringList report{"Mismatched directories on source drive",
                             "2: " + src + "/keep unmatched" + kNbsp + " to " + dst + "/",
                             "",
                             "Mismatched directories on destination ",
                             "",
                             "Mismatched files on source drive",
                             "Dir: " + src + " to " + dst,
                             "1: a.txt unmatched" + kNbsp,
                             "Dir: " + box.path("docs") + " to " + box.path("docs-copy"),
                             "3: d.txt unmatched" + kNbsp,
                             "",
                             "Mismatched files on destination drive "};
    EXPECT_EQ(check.out, report.join('\n') + '\n');
    // The exclusions are logged, and the log goes to standard error as it is written.
    const QString excluded = "Source file excluded: " + src + "/b.tmp";
    EXPECT_EQ(logged(check), "Files excluded: exclude *.tmp /cache*\n" + excluded +
                                 "\nSource folder excluded: cache\n");
    EXPECT_TRUE(box.errorLog().contains(excluded));
    EXPECT_EQ(box.setting("Profile01", "Description"), "Backup");
    EXPECT_EQ(timesUsed(), "0");

    // A copy in test mode is no use of the profile; each production copy is one.
    const QString ini = writeProfiles("profiles/my.ini");
    EXPECT_EQ(box.run({"copy", "--profile=Backup", "--ini=" + ini}).exitCode, 0);
    EXPECT_EQ(timesUsed(), "0");
    const QStringList copy{"copy", "--production", "--profile", "Backup", "--ini", ini};
    ASSERT_EQ(box.run(copy).exitCode, 0);
    EXPECT_EQ(timesUsed(), "1");
    EXPECT_EQ(snapshot(dst).keys(), (QStringList{"a.txt", "keep", "keep/k.txt"}));
    EXPECT_TRUE(box.exists("docs-copy/d.txt"));
    ASSERT_EQ(box.run(copy).exitCode, 0);
    EXPECT_EQ(timesUsed(), "2");
}

} // namespace
} // namespace pelto::cli::test
