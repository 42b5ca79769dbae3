// The parts of pelto-cli below its run: progress line, result report, boxes, log echo, and the
// folder-pair refusals.

#include "cli/CliDialogs.h"
#include "cli/Console.h"
#include "cli/LogEcho.h"
#include "cli/ProgressLine.h"
#include "cli/Report.h"
#include "diag/ErrorLog.h"
#include "engine/compare/HeadlessMainForm.h"
#include "platform/linux/LinuxFileSystem.h"
#include "workflow/FolderSafety.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace pelto::cli {
namespace {

using workflow::folderPairProblem;
using workflow::resolvedFolder;

// A Console whose two streams are kept in memory.
class CapturedConsole {
public:
    CapturedConsole()
        : out_(open_memstream(&outBuf_, &outSize_)), err_(open_memstream(&errBuf_, &errSize_)),
          console_(out_, err_, false) {}
    ~CapturedConsole() {
        std::fclose(out_);
        std::fclose(err_);
        std::free(outBuf_);
        std::free(errBuf_);
    }
    Console& console() { return console_; }
    QString err() {
        std::fflush(err_);
        return QString::fromUtf8(errBuf_, static_cast<qsizetype>(errSize_));
    }

private:
    char* outBuf_ = nullptr;
    std::size_t outSize_ = 0;
    char* errBuf_ = nullptr;
    std::size_t errSize_ = 0;
    std::FILE* out_;
    std::FILE* err_;
    Console console_;
};

TEST(ProgressLineTest, ElapsedTimeGrowsAnHourFieldOnlyWhenNeeded) {
    EXPECT_EQ(elapsedText(0), "0:00");
    EXPECT_EQ(elapsedText(61'999), "1:01");
    EXPECT_EQ(elapsedText(3'599'000), "59:59");
    EXPECT_EQ(elapsedText(3'723'000), "1:02:03");
}

TEST(ProgressLineTest, FolderGivesWayFromItsStartSoThatTheLineNeverWraps) {
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

TEST(ReportTest, FolderHeadersAloneAreNoDifference) {
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

TEST(CliDialogsTest, QuestionsGetTheCautiousAnswerUnlessTheCommandLineChoseOtherwise) {
    CapturedConsole cautious;
    CliDialogs boxes(cautious.console(), false, false);
    EXPECT_FALSE(boxes.yesNo("Free space?", "Out of disk space"));
    EXPECT_EQ(boxes.abortRetryIgnore("boom", "Unexpected Error"), BoxAnswer::Abort);
    EXPECT_FALSE(boxes.retry("Drive is not available.", "Pelto"));
    EXPECT_EQ(boxes.errorReports(), 1);
    EXPECT_EQ(boxes.errorsIgnored(), 0);
    EXPECT_EQ(cautious.err(), QStringLiteral("Out of disk space: Free space?\n"
                                             "Answered No (--yes answers Yes).\n"
                                             "Unexpected Error: boom\n"
                                             "Answered Abort (--on-error=ignore answers Ignore).\n"
                                             "Pelto: Drive is not available.\n"
                                             "Answered Cancel.\n"));

    CapturedConsole bold;
    CliDialogs chosen(bold.console(), true, true);
    EXPECT_TRUE(chosen.yesNo("Create?", "Pelto"));
    EXPECT_EQ(chosen.abortRetryIgnore("boom", "Unexpected Error"), BoxAnswer::Ignore);
    EXPECT_EQ(chosen.errorsIgnored(), 1);
}

TEST(CliDialogsTest, NoticeRepeatingTheLoggedMessageIsNotShownTwice) {
    CapturedConsole captured;
    QString logged = QStringLiteral("\r\nOut of space on destination drive.");
    CliDialogs boxes(captured.console(), false, false, [&] { return logged; });
    boxes.notice(QStringLiteral("\r\nOut of space on destination drive."), "Pelto Error");
    boxes.notice(QStringLiteral("Something else\r\nin two lines"), "Pelto Error");
    EXPECT_EQ(captured.err(), QStringLiteral("Pelto Error: Something else\nin two lines\n"));
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

TEST(FolderSafetyTest, FoldersAreComparedComponentByComponentAsTheSystemFindsThem) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    ASSERT_TRUE(QDir(root).mkpath("Data/inner"));
    ASSERT_TRUE(QDir(root).mkpath("Data2"));
    ASSERT_TRUE(QFile::link(root + "/Data", root + "/link"));
    LinuxFileSystem fs;

    EXPECT_EQ(resolvedFolder(fs, root + "/DATA/./inner/../new/deeper/"), root + "/Data/new/deeper");
    EXPECT_EQ(resolvedFolder(fs, root + "/link/inner"), root + "/Data/inner");
    // Overlaps through links, letter case and either direction are run as a program too.
    EXPECT_EQ(folderPairProblem(fs, root + "/Data", root + "/Data2"), QString());
    EXPECT_EQ(folderPairProblem(fs, root + "/data", root + "/link"),
              "Source and destination are the same folder: " + root + "/Data");
    EXPECT_EQ(folderPairProblem(fs, "/", root),
              "The destination folder lies inside the source folder: " + root + " is inside /");
}

} // namespace
} // namespace pelto::cli
