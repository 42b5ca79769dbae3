// The message-log window beside a main window: filled and shown by the error log, hidden by its
// button and close box, emptied by a check, following vertical moves of the main window.
#include "ui/widgets/ErrorLogWindow.h"

#include "diag/ErrorLog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

class ErrorLogWindowTest : public ::testing::Test {
protected:
    ErrorLogWindowTest() {
        main.setGeometry(100, 50, 600, 400);
        main.show();
        diag::SetLogEnabled(true);
        diag::SetLogFile(dir.path() + "/Error Log.txt");
    }
    QString text() const { return window.findChild<QPlainTextEdit*>()->toPlainText(); }
    // Where the window sits, outer frame included: left, top, height.
    QList<int> placement() const {
        const QRect frame = window.frameGeometry();
        return {frame.left(), frame.top(), frame.height()};
    }
    // Flush against the main window's right edge, top-aligned, as tall.
    QList<int> besideMain() const {
        const QRect frame = main.frameGeometry();
        return {frame.left() + frame.width(), frame.top(), frame.height()};
    }

    QTemporaryDir dir;
    QWidget main;
    ui::ErrorLogWindow window{&main};
};

TEST_F(ErrorLogWindowTest, FirstMessageShowsAndDocksItAndTheTextAccumulatesUntilACheck) {
    EXPECT_EQ(window.objectName(), "frmErrorLog");
    EXPECT_EQ(text(), "Message Log:\n");
    EXPECT_FALSE(window.isVisible());
    diag::LogError("Pelto", "CheckFiles", "first", false, false);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(placement(), besideMain());
    const QStringList lines = text().split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[2].startsWith("Logging started "));
    EXPECT_TRUE(lines[3].startsWith("Program version "));
    EXPECT_EQ(lines[4], "first");

    // Hidden by its button, it stays hidden for the rest of the run while the text grows.
    QTest::mouseClick(window.findChild<QPushButton*>("cmdHideMe"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    diag::LogError("Pelto", "CheckFiles", "second\r\nin two lines", false, false);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(text().endsWith("\nfirst\nsecond\nin two lines"));

    window.clear();
    EXPECT_EQ(text(), "");
    EXPECT_EQ(diag::messageLog().text(), "");
    diag::LogError("Pelto", "CheckFiles", "after the check began", false, false);
    EXPECT_EQ(text(), "\nafter the check began");
}

TEST_F(ErrorLogWindowTest, CloseBoxHidesTheWindowAndKeepsItsText) {
    diag::LogError("Pelto", "CopyFile", "kept", false, false);
    ASSERT_TRUE(window.isVisible());
    EXPECT_FALSE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(text().endsWith("\nkept"));
}

// The timer docks again only when the main window's top changed since its last look; the first
// look always docks, and a minimised window is left where it is.
TEST_F(ErrorLogWindowTest, FollowsVerticalMovesOfTheMainWindowOnly) {
    window.show();
    window.move(0, 0);
    const struct {
        QPoint mainAt;
        bool minimized;
        bool docked;
    } ticks[] = {
        {{100, 50}, false, true},  {{300, 50}, false, false}, {{300, 120}, false, true},
        {{300, 200}, true, false}, {{300, 200}, false, true}, {{300, 200}, false, true},
    };
    for (const auto& tick : ticks) {
        SCOPED_TRACE(tick.mainAt.y());
        const QList<int> before = placement();
        main.move(tick.mainAt);
        window.setWindowState(tick.minimized ? Qt::WindowMinimized : Qt::WindowNoState);
        window.followMainWindow();
        EXPECT_EQ(placement(), tick.docked ? besideMain() : before);
    }
    EXPECT_TRUE(window.followTimer().isActive());
    EXPECT_EQ(window.followTimer().interval(), 500);
}

} // namespace
} // namespace pelto::test
