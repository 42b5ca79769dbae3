// The command line, and what a run on trees cannot reach: the progress line, the root folder.
#include "CliSandbox.h"
#include "cli/CliOptions.h"
#include "cli/ExitStatus.h"
#include "cli/ProgressLine.h"
#include "cli/Report.h"
#include "platform/linux/LinuxFileSystem.h"
#include "workflow/FolderSafety.h"

#include <QDir>

namespace pelto::cli {
namespace {

TEST(CliOptionsTest, CommandFoldersAndOptionsInAnyOrder) {
    const ParseResult r =
        parseArguments({"--production", "sync", "/a", "--yes", "--quiet", "--", "--b"});
    ASSERT_EQ(r.kind, ParseResult::Kind::Run) << qPrintable(r.error);
    EXPECT_EQ(r.options.command, Command::Sync);
    EXPECT_EQ(r.options.source + ' ' + r.options.destination, "/a --b"); // "--" ends the options
    EXPECT_TRUE(r.options.production && r.options.yes && r.options.quiet);
    EXPECT_FALSE(r.options.archive || r.options.noSubdirs || r.options.ignoreErrors ||
                 r.options.usesProfile());
    // Help and version win over everything after them.
    EXPECT_EQ(parseArguments({"check", "-h", "--bogus"}).kind, ParseResult::Kind::Help);
    EXPECT_EQ(parseArguments({"--version"}).kind, ParseResult::Kind::Version);
}

TEST(CliOptionsTest, UnusableArgumentsAreNamed) {
    for (const auto& [args, error] : std::initializer_list<std::pair<QStringList, QString>>{
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
             {{"sync", "--archive", "a", "b"},
              "--archive works with check and copy, not with sync"},
             {{"check", "--archive", "--reset-archive", "a", "b"},
              "--reset-archive works only with copy"},
             {{"copy", "--reset-archive", "a", "b"}, "--reset-archive needs --archive"},
             {{"copy", "--on-error", "retry", "a", "b"},
              "--on-error takes abort or ignore, not 'retry'"},
         }) {
        const ParseResult r = parseArguments(args);
        EXPECT_EQ(r.kind, ParseResult::Kind::Error) << qPrintable(error);
        EXPECT_EQ(r.error, error);
    }
}

TEST(CliUsageTest, HelpExitsZeroAndBadArgumentsExitThreeNamingTheProblem) {
    const test::CliSandbox box;
    ASSERT_TRUE(box.isValid());
    const test::CliResult help = box.run({"--help"}), bad = box.run({"check", "--fast", "a", "b"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: pelto-cli check|copy|sync")) << qPrintable(help.out);
    EXPECT_EQ(help.err, QString());
    EXPECT_EQ(bad.exitCode, 3);
    EXPECT_EQ(bad.out + bad.err, "pelto-cli: unknown option '--fast'\n"
                                 "Run 'pelto-cli --help' for the commands and options.\n");
    EXPECT_EQ(box.errorLog(), QString()); // nothing ran, so nothing was logged
}

// Each row: what a run came to (flags: u bad usage, f failed, c cancelled, i error ignored,
// d differences, l items left out), and its status. An error outranks everything; a check's
// differences outrank items left out, since a copy is what they call for, and that copy says 4.
TEST(ExitStatusTest, EachEndingHasItsStatus) {
    for (const char* row :
         {"check - 0", "check d 1", "check l 4", "check dl 1", "check fdl 2", "copy d 0",
          "copy l 4", "sync dl 4", "sync il 2", "copy cl 2", "sync ufl 3"}) {
        const QStringList field = QString::fromLatin1(row).split(' ');
        const auto has = [&](char flag) { return field[1].contains(QLatin1Char(flag)); };
        const Command command = field[0] == "check"  ? Command::Check
                                : field[0] == "copy" ? Command::Copy
                                                     : Command::Sync;
        const RunOutcome o{command, has('u'), has('f'), has('c'), has('i'), has('d'), has('l')};
        EXPECT_EQ(exitStatusFor(o), field[2].toInt()) << row;
    }
}

// Every reason that occurred is named with its count, in a fixed order.
TEST(ExitStatusTest, LeftOutItemsAreCountedByReason) {
    LeftOutTally tally;
    EXPECT_EQ(leftOutCounts(tally), "0");
    for (const LeftOutReason reason :
         {LeftOutReason::Other, LeftOutReason::SpecialFile, LeftOutReason::Vanished,
          LeftOutReason::NameNotHeld, LeftOutReason::Vanished, LeftOutReason::Locked})
        tally.note(reason);
    EXPECT_EQ(leftOutCounts(tally),
              "6 (locked or unreadable 1, vanished since the check 2, name the destination "
              "cannot hold 1, not a file or folder 1, other reasons 1)");
}

TEST(ProgressLineTest, TheFolderGivesWayFromItsStartSoThatTheLineNeverWraps) {
    const ProgressState state{"Checking", 3'723'999, 1234, 1200,
                              "/home/me/photos/2024/holiday     "};
    const QString counts = "Checking 1:02:03 | source 1234 files | destination 1200 files | ";
    for (const auto& [width, line] : std::initializer_list<std::pair<int, QString>>{
             {200, counts + "/home/me/photos/2024/holiday"},
             {73, counts + "...liday"},
             {20, "Checking 1:02:03 | "}})
        EXPECT_EQ(progressText(state, width), line) << width;
}

TEST(FolderSafetyTest, EveryFolderLiesInsideTheRoot) {
    LinuxFileSystem fs;
    const QString temp = QDir(QDir::tempPath()).canonicalPath();
    EXPECT_EQ(workflow::folderPairProblem(fs, "/", temp),
              "The destination folder lies inside the source folder: " + temp + " is inside /");
    EXPECT_EQ(workflow::folderPairProblem(fs, temp, "/"),
              "The source folder lies inside the destination folder: " + temp + " is inside /");
}

} // namespace
} // namespace pelto::cli
