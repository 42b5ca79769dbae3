// The command-line parser of pelto-cli, and the program's help and answer to arguments it cannot
// use, run as a program.
#include "cli/CliOptions.h"
#include "CliSandbox.h"

#include <gtest/gtest.h>

namespace pelto::cli {
namespace {

TEST(CliOptionsTest, CommandFoldersOptionsAndValuesInAnyOrder) {
    const ParseResult r = parseArguments({"--production", "sync", "/a", "--yes", "/b", "--quiet",
                                          "--on-error=ignore", "--no-subdirs"});
    ASSERT_EQ(r.kind, ParseResult::Kind::Run) << qPrintable(r.error);
    EXPECT_EQ(r.options.command, Command::Sync);
    EXPECT_EQ(r.options.source, "/a");
    EXPECT_EQ(r.options.destination, "/b");
    EXPECT_TRUE(r.options.production && r.options.yes && r.options.quiet &&
                r.options.ignoreErrors && r.options.noSubdirs);
    EXPECT_FALSE(r.options.archive || r.options.usesProfile());

    // Values follow an equals sign or come as the next word; "--" ends the options.
    const ParseResult spaced = parseArguments(
        {"copy", "--profile", "My Backup", "--ini", "p.ini", "--archive", "--reset-archive"});
    ASSERT_EQ(spaced.kind, ParseResult::Kind::Run) << qPrintable(spaced.error);
    EXPECT_EQ(spaced.options.profile, "My Backup");
    EXPECT_EQ(spaced.options.iniFile, "p.ini");
    EXPECT_TRUE(spaced.options.archive && spaced.options.resetArchive);

    const ParseResult joined = parseArguments({"check", "--profile=x=y", "--ini=f"});
    ASSERT_EQ(joined.kind, ParseResult::Kind::Run);
    EXPECT_EQ(joined.options.profile, "x=y");
    EXPECT_EQ(joined.options.iniFile, "f");

    const ParseResult dashed = parseArguments({"check", "--", "-src", "--dst"});
    ASSERT_EQ(dashed.kind, ParseResult::Kind::Run) << qPrintable(dashed.error);
    EXPECT_EQ(dashed.options.source, "-src");
    EXPECT_EQ(dashed.options.destination, "--dst");

    // Help and version win over everything after them.
    EXPECT_EQ(parseArguments({"check", "-h", "--bogus"}).kind, ParseResult::Kind::Help);
    EXPECT_EQ(parseArguments({"--version"}).kind, ParseResult::Kind::Version);
}

TEST(CliOptionsTest, UnusableArgumentsAreNamed) {
    const struct {
        QStringList args;
        const char* error;
    } cases[] = {
        {{}, "no command given: use check, copy or sync"},
        {{"verify", "a", "b"}, "unknown command 'verify': use check, copy or sync"},
        {{"check", "a", "b", "c"}, "unexpected argument 'c'"},
        {{"sync"}, "sync needs a source and a destination folder, or --profile NAME"},
        {{"check", "", "b"}, "a folder name is empty"},
        {{"check", "-x", "a", "b"}, "unknown option '-x'"},
        {{"check", "--quiet=yes", "a", "b"}, "option --quiet takes no value"},
        {{"check", "a", "b", "--profile"}, "--profile needs a value"},
        {{"check", "--profile=", "a"}, "--profile needs a value"},
        {{"check", "--profile", "P", "a", "b"},
         "give either SRC DST or --profile NAME, not both (unexpected argument 'a')"},
        {{"check", "--profile", "P", "--no-subdirs"},
         "--no-subdirs cannot be used with --profile: each profile line says whether its "
         "subfolders are included"},
        {{"check", "--ini", "f", "a", "b"}, "--ini needs --profile NAME"},
        {{"sync", "--archive", "a", "b"}, "--archive works with check and copy, not with sync"},
        {{"check", "--archive", "--reset-archive", "a", "b"},
         "--reset-archive works only with copy"},
        {{"copy", "--reset-archive", "a", "b"}, "--reset-archive needs --archive"},
        {{"copy", "--on-error", "retry", "a", "b"},
         "--on-error takes abort or ignore, not 'retry'"},
    };
    for (const auto& c : cases) {
        const ParseResult r = parseArguments(c.args);
        EXPECT_EQ(r.kind, ParseResult::Kind::Error) << c.error;
        EXPECT_EQ(r.error, c.error);
    }
}

TEST(CliUsageTest, HelpDocumentsEveryOptionAndBadArgumentsExitThreeNamingTheProblem) {
    const test::CliSandbox box;
    ASSERT_TRUE(box.isValid());
    const test::CliResult help = box.run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: pelto-cli check|copy|sync"));
    for (const char* word :
         {"check", "copy", "sync", "--profile NAME", "--ini FILE", "--production", "--no-subdirs",
          "--archive", "--reset-archive", "--quiet", "--yes", "--on-error=ignore", "Exit status",
          "Error Log.txt", "Pelto.INI", "nice"})
        EXPECT_TRUE(help.out.contains(word)) << word;
    EXPECT_EQ(help.err, QString());

    const test::CliResult bad = box.run({"check", "--fast", "a", "b"});
    EXPECT_EQ(bad.exitCode, 3);
    EXPECT_EQ(bad.err, "pelto-cli: unknown option '--fast'\nRun 'pelto-cli --help' for the "
                       "commands and options.\n");
    EXPECT_EQ(bad.out, QString());
    EXPECT_EQ(box.errorLog(), QString()); // nothing ran, so nothing was logged
}

} // namespace
} // namespace pelto::cli
