// pelto-cli with --profile: the profile's folder pairs, its exclusions and its use count.
#include "CliSandbox.h"

#include <gtest/gtest.h>

namespace pelto::cli::test {
namespace {

const QString kNbsp = QString(QChar(0x00A0));

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

    // A profile file with two profiles; "Other" names a missing destination.
    QString writeProfiles(const QString& relative) const {
        box.write(relative, ("[Backup]\n; nightly\n" + box.path("src") + "   " + box.path("dst") +
                             "   subdirs exclude *.tmp /cache*\n" + box.path("docs") + "   " +
                             box.path("docs-copy") + "\n\n[Other]\n" + box.path("docs") + "   " +
                             box.path("other") + "\n")
                                .toUtf8());
        return box.path(relative);
    }
    QString timesUsed() const { return box.setting("Profile01", "TimesUsed"); }

    CliSandbox box;
};

TEST_F(CliProfileTest, ProfileRunAppliesItsExclusionsAndCountsEachCompletedProductionCopy) {
    const QString ini = writeProfiles("profiles/my.ini");
    const QStringList backup{"--profile", "Backup", "--ini", ini};

    const CliResult check = box.run(QStringList{"check"} + backup);
    EXPECT_EQ(check.exitCode, 1) << qPrintable(check.err);
    // Both lines were compared; numbering runs on across them.
    EXPECT_TRUE(check.out.contains("1: a.txt unmatched" + kNbsp));
    EXPECT_TRUE(check.out.contains("3: d.txt unmatched" + kNbsp)) << qPrintable(check.out);
    EXPECT_FALSE(check.out.contains("b.tmp"));
    EXPECT_FALSE(check.out.contains("cache"));
    // The exclusions are logged, and the log goes to standard error as it is written.
    const QString excluded = "Source file excluded: " + box.path("src/b.tmp");
    EXPECT_TRUE(check.err.contains(excluded));
    EXPECT_TRUE(box.errorLog().contains(excluded));
    EXPECT_EQ(box.setting("Profile01", "Description"), "Backup");
    EXPECT_EQ(timesUsed(), "0");

    // A copy in test mode is no use of the profile.
    EXPECT_EQ(box.run({"copy", "--profile=Backup", "--ini=" + ini}).exitCode, 0);
    EXPECT_EQ(timesUsed(), "0");

    ASSERT_EQ(box.run(QStringList{"copy", "--production"} + backup).exitCode, 0);
    EXPECT_EQ(timesUsed(), "1");
    EXPECT_EQ(snapshot(box.path("dst")).keys(), (QStringList{"a.txt", "keep", "keep/k.txt"}));
    EXPECT_TRUE(box.exists("docs-copy/d.txt"));
    ASSERT_EQ(box.run(QStringList{"copy", "--production"} + backup).exitCode, 0);
    EXPECT_EQ(timesUsed(), "2");
}

TEST_F(CliProfileTest, ProfileFileBesideTheProgramIsTheDefaultAndMissingOnesAreBadUsage) {
    const CliResult noFile = box.run({"check", "--profile", "Backup"});
    EXPECT_EQ(noFile.exitCode, 3);
    EXPECT_TRUE(noFile.err.contains("profile file not found: " + box.path("bin/Pelto.INI")))
        << qPrintable(noFile.err);

    writeProfiles("bin/Pelto.INI");
    const CliResult check = box.run({"check", "--profile", "Backup"});
    EXPECT_EQ(check.exitCode, 1) << qPrintable(check.err);
    EXPECT_TRUE(check.out.contains("1: a.txt unmatched" + kNbsp));

    const CliResult noProfile = box.run({"check", "--profile", "backup"});
    EXPECT_EQ(noProfile.exitCode, 3);
    EXPECT_TRUE(noProfile.err.contains("no profile named 'backup'"));
    EXPECT_TRUE(noProfile.err.contains("Backup, Other"));
    EXPECT_EQ(noProfile.out, QString());
}

TEST_F(CliProfileTest, MissingDestinationFailsClearlyUnlessYesCreatesIt) {
    const QStringList other{"check", "--profile", "Other", "--ini", writeProfiles("my.ini")};
    const CliResult refused = box.run(other);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("Destination directory not found:" + box.path("other")))
        << qPrintable(refused.err);
    EXPECT_TRUE(refused.err.contains("Answered No (--yes answers Yes)."));
    EXPECT_FALSE(box.exists("other"));
    EXPECT_EQ(refused.out, QString());

    const CliResult created = box.run(other + QStringList{"--yes"});
    EXPECT_EQ(created.exitCode, 1) << qPrintable(created.err);
    EXPECT_TRUE(created.err.contains("Answered Yes (--yes)."));
    EXPECT_TRUE(box.exists("other"));
    EXPECT_TRUE(created.out.contains("1: d.txt unmatched" + kNbsp));
}

} // namespace
} // namespace pelto::cli::test
