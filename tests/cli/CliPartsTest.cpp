// The parts of pelto-cli a run of the program cannot reach: the progress line (drawn only on a
// terminal), the report's test for differences, the boxes' cautious answers, the log echo, and
// the refusal of a pair under the root folder.

#include "cli/CliDialogs.h"
#include "cli/Console.h"
#include "workflow/FolderSafety.h"
#include "cli/LogEcho.h"
#include "cli/ProgressLine.h"
#include "cli/Report.h"
#include "diag/ErrorLog.h"
#include "engine/compare/HeadlessMainForm.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdio>

namespace pelto::cli {
namespace {

TEST(ProgressLineTest, ElapsedTimeAndAFolderThatGivesWayFromItsStartSoThatTheLineNeverWraps) {
    EXPECT_EQ(elapsedText(0), "0:00");
    EXPECT_EQ(elapsedText(61'999), "1:01");
    EXPECT_EQ(elapsedText(3'599'000), "59:59");
    EXPECT_EQ(elapsedText(3'723'000), "1:02:03"); // an hour field only when needed
    ProgressState state{"Checking", 12'000, 1234, 1200, "/home/me/photos/2024/holiday     "};
    EXPECT_EQ(progressText(state, 200),
              QStringLiteral("Checking 0:12 | source 1234 files | destination 1200 files | "
                             "/home/me/photos/2024/holiday"));
    const QString narrow = progressText(state, 70);
    EXPECT_EQ(narrow.size(), 69);
    EXPECT_TRUE(narrow.endsWith(" files | ...liday")) << qPrintable(narrow);
    // Too narrow even for the counts: they are cut, the folder left out.
    EXPECT_EQ(progressText(state, 20), "Checking 0:12 | sou");
}

TEST(ReportTest, FolderHeadersAloneAreNoDifferenceButADestinationFolderIs) {
    // In archive mode a source folder with files gets its header even when no file is listed.
    HeadlessMainForm af;
    af.lstSrcFile().add("Dir: /s to /d");
    EXPECT_FALSE(hasDifferences(af));
    af.lstSrcFile().add(QStringLiteral("1: a archive\u00a0"));
    EXPECT_TRUE(hasDifferences(af));
    HeadlessMainForm folders;
    folders.lstDstFolder().add(QStringLiteral("1: /d/old unmatched\u00a0"));
    EXPECT_TRUE(hasDifferences(folders));
}

TEST(CliDialogsTest, QuestionsGetTheCautiousAnswerAndANoticeRepeatingTheLogIsNotShownTwice) {
    std::FILE* const file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        Console console(file, file, false);
        CliDialogs boxes(console, false, false, [] { return QStringLiteral("\r\nOut of space."); });
        EXPECT_FALSE(boxes.yesNo("Free space?", "Out of disk space"));
        EXPECT_EQ(boxes.abortRetryIgnore("boom", "Unexpected Error"), BoxAnswer::Abort);
        EXPECT_FALSE(boxes.retry("Drive is not available.", "Pelto"));
        boxes.notice(QStringLiteral("\r\nOut of space."), "Pelto Error");
        boxes.notice(QStringLiteral("Something else\r\nin two lines"), "Pelto Error");
        EXPECT_EQ(boxes.errorReports(), 1);
        EXPECT_EQ(boxes.errorsIgnored(), 0);
    }
    std::rewind(file);
    QFile written;
    ASSERT_TRUE(written.open(file, QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()),
              QStringLiteral("Out of disk space: Free space?\n"
                             "Answered No (--yes answers Yes).\n"
                             "Unexpected Error: boom\n"
                             "Answered Abort (--on-error=ignore answers Ignore).\n"
                             "Pelto: Drive is not available.\n"
                             "Answered Cancel.\n"
                             "Pelto Error: Something else\nin two lines\n"));
    written.close();
    std::fclose(file);
}

TEST(LogEchoTest, EveryLoggedMessagePassesOnceAlsoAfterTheLogWasEmptied) {
    diag::MessageLog log;
    int windowUpdates = 0;
    log.changed = [&] { ++windowUpdates; };
    QStringList echoed;
    {
        LogEcho echo(log, [&](const QString& m) { echoed.append(m); });
        log.append("first");
        log.append(QStringLiteral("\r\nLocked file skipped: /s/a"));
        log.clear();
        log.append("after clearing");
        EXPECT_EQ(echo.last(), "after clearing");
        EXPECT_EQ(echo.messages().size(), 3);
    }
    EXPECT_EQ(echoed, (QStringList{"first", QStringLiteral("\r\nLocked file skipped: /s/a"),
                                   "after clearing"}));
    // The window's own hook still ran, and is back alone once the echo is gone.
    EXPECT_EQ(windowUpdates, 4);
    log.append("later");
    EXPECT_EQ(windowUpdates, 5);
    EXPECT_EQ(echoed.size(), 3);
}

TEST(FolderSafetyTest, EveryFolderLiesInsideTheRoot) {
    // Other overlaps, through links, letter case and dot folders, are run as a program.
    LinuxFileSystem fs;
    const QString temp = QDir(QDir::tempPath()).canonicalPath();
    EXPECT_EQ(workflow::folderPairProblem(fs, "/", temp),
              "The destination folder lies inside the source folder: " + temp + " is inside /");
    EXPECT_EQ(workflow::folderPairProblem(fs, temp, "/"),
              "The source folder lies inside the destination folder: " + temp + " is inside /");
}

} // namespace
} // namespace pelto::cli
