// pelto-cli's help and its answer to arguments it cannot use, run as a program.

#include "CliSandbox.h"

#include <gtest/gtest.h>

namespace pelto::cli::test {
namespace {

class CliUsageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(box.isValid()); }
    CliSandbox box;
};

TEST_F(CliUsageTest, HelpDocumentsEveryCommandAndOption) {
    const CliResult result = box.run({QStringLiteral("--help")});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.startsWith(QStringLiteral("Usage: pelto-cli check|copy|sync")));
    for (const char* word :
         {"check", "copy", "sync", "--profile NAME", "--ini FILE", "--production", "--no-subdirs",
          "--archive", "--reset-archive", "--quiet", "--yes", "--on-error=ignore", "Exit status",
          "Error Log.txt", "Pelto.INI", "nice"})
        EXPECT_TRUE(result.out.contains(QString::fromLatin1(word))) << word;
    EXPECT_EQ(result.err, QString());
}

TEST_F(CliUsageTest, BadArgumentsExitThreeNamingTheProblem) {
    const struct {
        QStringList arguments;
        const char* problem;
    } cases[] = {
        {{}, "no command given"},
        {{QStringLiteral("backup"), QStringLiteral("a"), QStringLiteral("b")},
         "unknown command 'backup'"},
        {{QStringLiteral("check"), QStringLiteral("--fast"), QStringLiteral("a"),
          QStringLiteral("b")},
         "unknown option '--fast'"},
        {{QStringLiteral("copy"), QStringLiteral("a")},
         "copy needs a source and a destination folder"},
        {{QStringLiteral("sync"), QStringLiteral("--archive"), QStringLiteral("a"),
          QStringLiteral("b")},
         "--archive works with check and copy, not with sync"},
        {{QStringLiteral("check"), QStringLiteral("--on-error=retry"), QStringLiteral("a"),
          QStringLiteral("b")},
         "--on-error takes abort or ignore"},
    };
    for (const auto& c : cases) {
        const CliResult result = box.run(c.arguments);
        EXPECT_EQ(result.exitCode, 3) << c.problem;
        EXPECT_TRUE(
            result.err.startsWith(QStringLiteral("pelto-cli: ") + QString::fromLatin1(c.problem)))
            << qPrintable(result.err);
        EXPECT_TRUE(result.err.contains(QStringLiteral("pelto-cli --help")));
        EXPECT_EQ(result.out, QString());
    }
    // Nothing ran, so nothing was logged.
    EXPECT_EQ(box.errorLog(), QString());
}

} // namespace
} // namespace pelto::cli::test
