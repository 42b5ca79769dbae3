// The message-log window beside a main window: filled and shown by the error log, hidden by its
// button and close box, emptied by a check.
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
    static QList<int> leftTopHeight(const QWidget& w) {
        const QRect frame = w.frameGeometry();
        return {frame.left(), frame.top(), frame.height()};
    }
    // Flush against the main window's right edge, top-aligned, as tall, frames included.
    bool docked() const {
        const QList<int> m = leftTopHeight(main);
        return leftTopHeight(window) == QList<int>{m[0] + main.frameGeometry().width(), m[1], m[2]};
    }

    QTemporaryDir dir;
    QWidget main;
    ui::ErrorLogWindow window{&main};
};

TEST_F(ErrorLogWindowTest, FirstMessageShowsItDockedTheTextGrowsHiddenAndACheckEmptiesIt) {
    EXPECT_EQ(text(), "Message Log:\n");
    diag::LogError("Pelto", "CheckFiles", "first", false, false);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(docked());
    const QStringList lines = text().split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[2].startsWith("Logging started ") && lines[3].startsWith("Program version "));
    EXPECT_EQ(lines[4], "first");

    // Hidden by its button or its close box, it stays hidden for the run while the text grows.
    QTest::mouseClick(window.findChild<QPushButton*>("cmdHideMe"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    diag::LogError("Pelto", "CheckFiles", "second\r\nin two lines", false, false);
    EXPECT_FALSE(window.isVisible());
    window.show();
    EXPECT_FALSE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(text().endsWith("\nfirst\nsecond\nin two lines"));

    window.clear();
    EXPECT_EQ(text(), "");
    diag::LogError("Pelto", "CheckFiles", "after the check began", false, false);
    EXPECT_EQ(text(), "\nafter the check began");
}

} // namespace
} // namespace pelto::test
