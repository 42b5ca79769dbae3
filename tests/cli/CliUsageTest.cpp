// pelto-cli's help and its answer to arguments it cannot use, run as a program.
#include "CliSandbox.h"

#include <gtest/gtest.h>

namespace pelto::cli::test {
namespace {

TEST(CliUsageTest, HelpDocumentsEveryCommandAndOption) {
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    const CliResult result = box.run({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.startsWith("Usage: pelto-cli check|copy|sync"));
    for (const char* word :
         {"check", "copy", "sync", "--profile NAME", "--ini FILE", "--production", "--no-subdirs",
          "--archive", "--reset-archive", "--quiet", "--yes", "--on-error=ignore", "Exit status",
          "Error Log.txt", "Pelto.INI", "nice"})
        EXPECT_TRUE(result.out.contains(word)) << word;
    EXPECT_EQ(result.err, QString());
}

TEST(CliUsageTest, BadArgumentsExitThreeNamingTheProblem) {
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    const std::pair<QStringList, const char*> cases[] = {
        {{}, "no command given"},
        {{"check", "--fast", "a", "b"}, "unknown option '--fast'"},
        {{"sync", "--archive", "a", "b"}, "--archive works with check and copy, not with sync"},
    };
    for (const auto& [arguments, problem] : cases) {
        const CliResult result = box.run(arguments);
        EXPECT_EQ(result.exitCode, 3) << problem;
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("pelto-cli: ") + problem))
            << qPrintable(result.err);
        EXPECT_TRUE(result.err.contains("pelto-cli --help"));
        EXPECT_EQ(result.out, QString());
    }
    EXPECT_EQ(box.errorLog(), QString()); // nothing ran, so nothing was logged
}

} // namespace
} // namespace pelto::cli::test
