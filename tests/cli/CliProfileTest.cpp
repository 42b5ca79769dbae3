// pelto-cli with --profile: the profile's folder pairs, its exclusions and its use count.

#include "CliSandbox.h"
#include "TestTrees.h"

#include <gtest/gtest.h>

namespace pelto::cli::test {
namespace {

const QString kNbsp = QString(QChar(0x00A0));

class CliProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        box.write(QStringLiteral("src/a.txt"), "a", kOlder);
        box.write(QStringLiteral("src/b.tmp"), "b", kOlder);
        box.write(QStringLiteral("src/keep/k.txt"), "k", kOlder);
        box.write(QStringLiteral("src/cache/c.txt"), "c", kOlder);
        box.write(QStringLiteral("docs/d.txt"), "d", kOlder);
        box.makeFolder(QStringLiteral("dst"));
        box.makeFolder(QStringLiteral("docs-copy"));
    }

    // A profile file in the sandbox (not beside the program) with two profiles.
    QString writeProfiles(const QString& relative) const {
        const QString text =
            QStringLiteral("[Backup]\n; nightly\n") + box.path(QStringLiteral("src")) +
            QStringLiteral("   ") + box.path(QStringLiteral("dst")) +
            QStringLiteral("   subdirs exclude *.tmp /cache*\n") +
            box.path(QStringLiteral("docs")) + QStringLiteral("   ") +
            box.path(QStringLiteral("docs-copy")) + QStringLiteral("\n\n[Other]\n") +
            box.path(QStringLiteral("docs")) + QStringLiteral("   ") +
            box.path(QStringLiteral("other")) + QLatin1Char('\n');
        box.write(relative, text.toUtf8());
        return box.path(relative);
    }

    CliSandbox box;
};

TEST_F(CliProfileTest, ProfileRunAppliesItsExclusionsAndCountsEachCompletedProductionCopy) {
    const QString ini = writeProfiles(QStringLiteral("profiles/my.ini"));

    const CliResult check = box.run({QStringLiteral("check"), QStringLiteral("--profile"),
                                     QStringLiteral("Backup"), QStringLiteral("--ini"), ini});
    EXPECT_EQ(check.exitCode, 1) << qPrintable(check.err);
    // Both lines were compared; numbering runs on across them.
    EXPECT_TRUE(check.out.contains(QStringLiteral("1: a.txt unmatched") + kNbsp));
    EXPECT_TRUE(check.out.contains(QStringLiteral("3: d.txt unmatched") + kNbsp))
        << qPrintable(check.out);
    EXPECT_FALSE(check.out.contains(QStringLiteral("b.tmp")));
    EXPECT_FALSE(check.out.contains(QStringLiteral("cache")));
    // The exclusions are noted in the error log, which goes to standard error as it is written.
    EXPECT_TRUE(check.err.contains(QStringLiteral("Source file excluded: ") +
                                   box.path(QStringLiteral("src/b.tmp"))));
    EXPECT_TRUE(box.errorLog().contains(QStringLiteral("Source file excluded: ") +
                                        box.path(QStringLiteral("src/b.tmp"))));
    EXPECT_EQ(box.setting(QStringLiteral("Profile01"), QStringLiteral("Description")),
              QStringLiteral("Backup"));
    EXPECT_EQ(box.setting(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("0"));

    // A copy in test mode is no use of the profile.
    const CliResult trial = box.run({QStringLiteral("copy"), QStringLiteral("--profile=Backup"),
                                     QStringLiteral("--ini=") + ini});
    EXPECT_EQ(trial.exitCode, 0) << qPrintable(trial.err);
    EXPECT_EQ(box.setting(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("0"));

    const CliResult copy = box.run({QStringLiteral("copy"), QStringLiteral("--production"),
                                    QStringLiteral("--profile"), QStringLiteral("Backup"),
                                    QStringLiteral("--ini"), ini});
    ASSERT_EQ(copy.exitCode, 0) << qPrintable(copy.err);
    EXPECT_EQ(box.setting(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("1"));
    const auto copied = snapshot(box.path(QStringLiteral("dst")));
    EXPECT_EQ(copied.keys(), (QStringList{QStringLiteral("a.txt"), QStringLiteral("keep"),
                                          QStringLiteral("keep/k.txt")}));
    EXPECT_TRUE(box.exists(QStringLiteral("docs-copy/d.txt")));

    const CliResult again = box.run({QStringLiteral("copy"), QStringLiteral("--production"),
                                     QStringLiteral("--profile"), QStringLiteral("Backup"),
                                     QStringLiteral("--ini"), ini});
    ASSERT_EQ(again.exitCode, 0) << qPrintable(again.err);
    EXPECT_EQ(box.setting(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("2"));
}

TEST_F(CliProfileTest, ProfileFileBesideTheProgramIsTheDefault) {
    writeProfiles(QStringLiteral("bin/Pelto.INI"));

    const CliResult check =
        box.run({QStringLiteral("check"), QStringLiteral("--profile"), QStringLiteral("Backup")});

    EXPECT_EQ(check.exitCode, 1) << qPrintable(check.err);
    EXPECT_TRUE(check.out.contains(QStringLiteral("1: a.txt unmatched") + kNbsp));
}

TEST_F(CliProfileTest, MissingProfileFileOrProfileIsBadUsageNamingIt) {
    const CliResult noFile =
        box.run({QStringLiteral("check"), QStringLiteral("--profile"), QStringLiteral("Backup")});
    EXPECT_EQ(noFile.exitCode, 3);
    EXPECT_TRUE(noFile.err.contains(QStringLiteral("profile file not found: ") +
                                    box.path(QStringLiteral("bin/Pelto.INI"))))
        << qPrintable(noFile.err);

    const QString ini = writeProfiles(QStringLiteral("my.ini"));
    const CliResult noProfile = box.run({QStringLiteral("check"), QStringLiteral("--profile"),
                                         QStringLiteral("backup"), QStringLiteral("--ini"), ini});
    EXPECT_EQ(noProfile.exitCode, 3);
    EXPECT_TRUE(noProfile.err.contains(QStringLiteral("no profile named 'backup'")));
    EXPECT_TRUE(noProfile.err.contains(QStringLiteral("Backup, Other")));
    EXPECT_EQ(noProfile.out, QString());
}

TEST_F(CliProfileTest, MissingDestinationFailsClearlyUnlessYesCreatesIt) {
    const QString ini = writeProfiles(QStringLiteral("my.ini"));

    const CliResult refused = box.run({QStringLiteral("check"), QStringLiteral("--profile"),
                                       QStringLiteral("Other"), QStringLiteral("--ini"), ini});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Destination directory not found:") +
                                     box.path(QStringLiteral("other"))))
        << qPrintable(refused.err);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Answered No (--yes answers Yes).")));
    EXPECT_FALSE(box.exists(QStringLiteral("other")));
    EXPECT_EQ(refused.out, QString());

    const CliResult created =
        box.run({QStringLiteral("check"), QStringLiteral("--profile"), QStringLiteral("Other"),
                 QStringLiteral("--ini"), ini, QStringLiteral("--yes")});
    EXPECT_EQ(created.exitCode, 1) << qPrintable(created.err);
    EXPECT_TRUE(created.err.contains(QStringLiteral("Answered Yes (--yes).")));
    EXPECT_TRUE(box.exists(QStringLiteral("other")));
    EXPECT_TRUE(created.out.contains(QStringLiteral("1: d.txt unmatched") + kNbsp));
}

} // namespace
} // namespace pelto::cli::test
