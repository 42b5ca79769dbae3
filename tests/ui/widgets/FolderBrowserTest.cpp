// The folder picker on real widgets: clicks highlight, double-clicks and Enter open, the file
// list follows the open folder, and drives that cannot be read ask to retry or fall back.
#include "ui/widgets/FolderBrowser.h"

#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedDialogs.h"

#include "platform/ProgramState.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace pelto::test {
namespace {

// Folders of a temporary tree stand in for mounted volumes: each is ready while it exists.
class TreeVolumes : public LinuxFileSystem {
public:
    bool IsReadyAt(const QString& mountPoint) override { return QDir(mountPoint).exists(); }
};

QStringList linesOf(const QAbstractItemModel* model) {
    QStringList lines;
    for (int row = 0; row < model->rowCount(); ++row)
        lines << model->index(row, 0).data().toString();
    return lines;
}

class FolderBrowserTest : public ::testing::Test {
protected:
    FolderBrowserTest() {
        for (const char* folder : {"A/Photos/2024/zeta", "A/Photos/2024/Alpha",
                                   "A/Photos/2024/beta", "A/Music", "B/Docs", "C"})
            QDir().mkpath(path(folder));
        for (const char* file : {"A/Photos/2024/jan.jpg", "A/Photos/2024/Feb.jpg",
                                 "A/Photos/2024/.hidden", "A/Photos/b.txt", "A/readme.txt"})
            EXPECT_TRUE(QFile(path(file)).open(QIODevice::WriteOnly)) << file;
        g().goFSO = &fs;
        auto* layout = new QVBoxLayout(&host);
        for (QWidget* widget : std::initializer_list<QWidget*>{drives, folders, files})
            layout->addWidget(widget);
        host.resize(300, 500);
        host.show();
        volumes = {{path("A"), "Alpha"}, {path("B"), {}}, {path("C"), {}}};
        browser.setVolumeSource([this] { return volumes; });
        QObject::connect(&browser, &ui::FolderBrowser::pathChanged,
                         [this](const QString& now) { reported << now; });
    }

    QString path(const QString& rel) const { return dir.path() + '/' + rel; }
    QString relative(const QString& full) const {
        return full.isEmpty() ? full : QDir(dir.path()).relativeFilePath(full);
    }
    QRect rowRect(int row) const { return folders->visualRect(folders->model()->index(row, 0)); }

    QTemporaryDir dir;
    QList<Volume> volumes;
    TreeVolumes real;
    FaultInjectingFileSystem fs{real};
    QWidget host;
    QComboBox* drives = new QComboBox(&host);
    QListView* folders = new QListView(&host);
    QListView* files = new QListView(&host);
    ui::FolderBrowser browser{drives, folders, files, nullptr};
    QStringList reported;
};

// Each step acts on the folder list as a user does; "/" stands for the volume's line.
TEST_F(FolderBrowserTest, ClickHighlightsAndDoubleClickOrEnterOpensWithTheFilesFollowing) {
    ScriptedDialogs dialogs;
    browser.setPath(path("a/photos/2024/"));
    // Act (c click, e Enter, d double-click) and row; then the open folder, the folder list's
    // lines ("/" for the volume's), the file list's and the highlighted folder, split by ';'.
    const std::pair<const char*, const char*> steps[] = {
        {"c4", "A/Photos/2024;/,Photos,2024,Alpha,beta,zeta;.hidden,Feb.jpg,jan.jpg;"
               "A/Photos/2024/beta"},
        {"e", "A/Photos/2024/beta;/,Photos,2024,beta;;A/Photos/2024/beta"},
        {"d1", "A/Photos;/,Photos,2024;b.txt;A/Photos"},
        {"c0", "A/Photos;/,Photos,2024;b.txt;A"},
        {"e", "A;/,Music,Photos;readme.txt;A"},
        {"d1", "A/Music;/,Music;;A/Music"},
    };
    EXPECT_EQ(relative(browser.path()), "A/Photos/2024");
    EXPECT_EQ(drives->currentText(), path("A") + "  [Alpha]");
    for (const auto& [act, expected] : steps) {
        SCOPED_TRACE(expected);
        const QPoint at = rowRect(QString(act).mid(1).toInt()).center();
        if (act[0] != 'e')
            QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
        if (act[0] == 'd') // a double-click is a click and then the second press
            QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, at);
        if (act[0] == 'e')
            QTest::keyClick(folders, Qt::Key_Return);
        QStringList folderLines = linesOf(folders->model());
        folderLines.first() = folderLines.first() == path("A") ? "/" : folderLines.first();
        EXPECT_EQ(QStringList({relative(browser.openFolder()), folderLines.join(','),
                               linesOf(files->model()).join(','), relative(browser.path())})
                      .join(';'),
                  expected);
    }
    EXPECT_EQ(reported.size(), 5) << "one signal per change of the highlighted folder";
    EXPECT_EQ(relative(reported.last()), "A/Music");
}

// A folder that is gone, or on a volume that cannot be read, is passed over without a word.
TEST_F(FolderBrowserTest, StoredFolderOnMissingOrUnreadableVolumeIsSkippedQuietly) {
    ScriptedDialogs dialogs;
    browser.setPath(path("A"));
    reported.clear();
    fs.setNotReady(path("B"));
    for (const QString& stored : {path("A/none"), path("D/Docs"), path("B/Docs"), QString()}) {
        browser.setPath(stored);
        EXPECT_EQ(relative(browser.path()), "A") << stored.toStdString();
    }
    EXPECT_TRUE(reported.isEmpty());
    fs.setNotReady(path("B"), false);
    browser.setPath(path("B/Docs"));
    EXPECT_EQ(relative(browser.openFolder()), "B/Docs") << "the drive's root was not opened first";
    EXPECT_EQ(drives->currentIndex(), 1);
    EXPECT_TRUE(dialogs.shown().isEmpty());

    // A volume mounted later shows when the drive list is opened; the open folder stays.
    volumes.insert(1, {path("A/Music"), "Stick"});
    QTest::mouseClick(drives, Qt::LeftButton);
    drives->hidePopup();
    EXPECT_EQ(drives->count(), 4);
    EXPECT_EQ(drives->currentIndex(), 2);
    EXPECT_EQ(relative(browser.openFolder()), "B/Docs");
}

// Retry asks again; Cancel falls back to the second drive, or to nothing open.
TEST_F(FolderBrowserTest, UnreadableDriveAsksRetryOrCancelAndCancelFallsBackToTheSecondDrive) {
    using A = BoxAnswer;
    const struct {
        int chosen;
        QStringList notReady;
        int failuresOnce;
        QList<A> answers;
        int drive;
        QString open;
    } cases[] = {
        {2, {}, 1, {A::Retry}, 2, "C"},
        {2, {"C"}, 0, {A::Retry, A::Cancel}, 1, "B"},
        {1, {"B"}, 0, {A::Cancel}, 1, ""},
        {2, {"B", "C"}, 0, {A::Cancel, A::Cancel}, 1, ""},
        {1, {}, 0, {}, 1, "B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers.size());
        browser.setPath(path("A"));
        ScriptedDialogs dialogs;
        for (const A answer : c.answers)
            dialogs.then(answer);
        for (const QString& volume : c.notReady)
            fs.setNotReady(path(volume));
        if (c.failuresOnce)
            fs.inject(FsOp::IsReadyAt, path("C"), err::DeviceUnavailable, c.failuresOnce);
        drives->setCurrentIndex(c.chosen);
        EXPECT_EQ(drives->currentIndex(), c.drive);
        EXPECT_EQ(relative(browser.openFolder()), c.open);
        EXPECT_EQ(relative(browser.path()), c.open);
        EXPECT_EQ(folders->model()->rowCount(), c.open.isEmpty() ? 0 : 1 + (c.open == "B"));
        ASSERT_EQ(dialogs.shown().size(), c.answers.size());
        for (const ShownBox& box : dialogs.shown()) {
            EXPECT_EQ(box.text, "Drive is not available.");
            EXPECT_EQ(box.buttons, BoxButtons::RetryCancel);
            EXPECT_EQ(box.icon, BoxIcon::Critical);
        }
        for (const QString& volume : c.notReady)
            fs.setNotReady(path(volume), false);
    }

    // Any other fault goes to the failure report; giving up keeps the open folder and its drive.
    browser.setPath(path("A"));
    ScriptedDialogs dialogs;
    dialogs.then(A::Abort);
    fs.inject(FsOp::List, path("C"), err::PermissionDenied);
    drives->setCurrentIndex(2);
    EXPECT_EQ(drives->currentIndex(), 0);
    EXPECT_EQ(relative(browser.openFolder()), "A");
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].buttons, BoxButtons::AbortRetryIgnore);
}

} // namespace
} // namespace pelto::test
