// The window's actions on real temporary trees, with scripted boxes and a clock that moves only
// when read.
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/ProgramState.h"
#include "platform/QSettingsBackend.h"
#include "platform/RuntimeError.h"
#include "settings/SettingsKeys.h"
#include "support/ByteTree.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/FrmPelto.h"

#include "ui/WindowFixture.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace pelto::ui {
namespace {

namespace bt = test::bytetree;

class WindowActions : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        open();
    }
    void open() {
        loadWindow();
        w_->controller().setText("txtSource", path("src"));
        w_->controller().setText("txtDest", path("dst"));
    }

    QByteArray root(const char* rel) const { return QFile::encodeName(path(rel)); }
    void put(const char* rel, const QByteArray& content = "x") { bt::put(root(""), rel, content); }
    void options(std::initializer_list<const char*> names) {
        for (const char* name : names)
            w_->controller().select(name);
        w_->showState();
    }
    QPushButton* button(const char* name) { return w_->findChild<QPushButton*>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    bool usable(const char* name) { return button(name)->isVisible() && button(name)->isEnabled(); }
    // Runs `action` the next time the running check or copy lets window events through.
    void whileRunning(std::function<void()> action) {
        QMetaObject::invokeMethod(w_.get(), std::move(action), Qt::QueuedConnection);
    }
    // File and folder lines (not folder headings) in the four result lists.
    qsizetype entriesListed() {
        qsizetype n = 0;
        for (ResultList* list :
             {&w_->lstSrcFolder(), &w_->lstDstFolder(), &w_->lstSrcFile(), &w_->lstDstFile()})
            for (qsizetype i = 0; i < list->count(); ++i)
                n += list->lineData(i).kind == LineData::Kind::Entry;
        return n;
    }
    // Folders with a file each, their names wider than the window; with `atDestination` the
    // folders exist there too, so their files are listed one by one.
    void manyFolders(int n, bool atDestination) {
        for (int i = 0; i < n; ++i) {
            const QByteArray folder = "f" + QByteArray::number(i) + QByteArray(150, 'n');
            put(QByteArray("src/" + folder + "/a.txt").constData());
            QDir().mkpath(path("dst/") + (atDestination ? QString::fromLatin1(folder) : ""));
        }
    }
    int tab() { return w_->findChild<QTabWidget*>("SSTab1")->currentIndex(); }
};

class CheckCopyCheck : public WindowActions, public ::testing::WithParamInterface<bool> {};

TEST_P(CheckCopyCheck, CopyEmptiesTheListsAndCopyDeleteMirrors) {
    const bool sync = GetParam();
    const char* copyButton = sync ? "cmdCopyDelete" : "cmdCopy";
    put(QByteArray("src/" + QByteArray(200, 'n') + ".txt").constData());
    put("src/new/deep/d.txt");
    put("src/same.txt", "s");
    bt::put(root(""), "dst/same.txt", "old", 1600000000);
    put("dst/gone/g.txt");
    put("dst/only.txt");
    options({"optProd", sync ? "optSync" : "optCopy"});
    click("cmdCheck");
    EXPECT_EQ(tab(), MainController::kResultsTab);
    EXPECT_TRUE(usable(copyButton) && usable("cmdCancel"));
    EXPECT_GT(w_->findChild<QListView*>("lstSrcFile")->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(w_->findChild<QListView*>("lstSrcFolder")->model()->rowCount(), 1); // "new"
    EXPECT_EQ(w_->findChild<QLabel*>("lblDstFile")->text().contains("will be deleted"), sync);

    click(copyButton);
    EXPECT_TRUE(usable("cmdExit") && usable("cmdAgain"));
    EXPECT_TRUE(w_->progressText().contains("2 files and 1 folders copied"));
    click("cmdAgain");
    EXPECT_EQ(tab(), 1);
    click("cmdCheck");
    EXPECT_EQ(entriesListed(), sync ? 0 : 2); // copying keeps what only the destination holds
    if (sync) {
        EXPECT_EQ(bt::snapshot(root("dst")), bt::snapshot(root("src")));
    }
    click("cmdCancel"); // nothing runs: back to the start
    for (const char* name : {"cmdCopy", "cmdCopyDelete", "cmdCancel", "cmdExit", "cmdAgain"})
        EXPECT_FALSE(button(name)->isVisible()) << name;
    EXPECT_TRUE(usable("cmdCheck"));
    EXPECT_TRUE(dialogs_.shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Modes, CheckCopyCheck, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Sync" : "Copy"; });

TEST_F(WindowActions, TestModeChangesNothingAndSaysSo) {
    put("src/a.txt");
    put("dst/b.txt");
    options({"optSync"});
    const auto before = bt::snapshot(root(""));
    click("cmdCheck");
    EXPECT_EQ(button("cmdCopy")->text() + button("cmdCopyDelete")->text(), "TEST MODETEST MODE");
    EXPECT_FALSE(button("cmdCopyDelete")->isEnabled());
    w_->cmdCopyDelete_Click(); // even a run started from code only shows
    EXPECT_EQ(bt::snapshot(root("")), before);
}

TEST_F(WindowActions, CancelledCheckStopsAndKeepsTheCopyButtons) {
    manyFolders(40, false);
    options({"optProd"});
    click("cmdCheck");
    ASSERT_TRUE(usable("cmdCopy"));
    whileRunning([this] { click("cmdCancel"); });
    click("cmdCheck");
    EXPECT_LT(w_->lstSrcFolder().count(), 40);
    EXPECT_TRUE(usable("cmdCopy"));
    EXPECT_FALSE(button("cmdCancel")->isVisible());
    EXPECT_EQ(w_->lstShowDirs().count(), 0);
    EXPECT_TRUE(dialogs_.shown().isEmpty()); // a check is cancelled without a question
}

TEST_F(WindowActions, CancelDuringACopyAsksNoGoesOnYesStops) {
    for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
        bt::removeAllBelow(root("dst"));
        manyFolders(12, true);
        options({"optProd"});
        click("cmdCheck");
        dialogs_.then(answer);
        QString progress;
        bool fits = false; // the status line shows its counts, the folder gives way
        w_->resize(500, w_->height());
        whileRunning([&] {
            progress = w_->progressText();
            const auto* const label = w_->findChild<QLabel*>("lblProgress");
            fits = label->text().contains(progress.section(" | ", 1, 2)) &&
                   label->fontMetrics().horizontalAdvance(label->text()) <=
                       label->contentsRect().width();
        });
        whileRunning([this] { click("cmdCancel"); });
        click("cmdCopy");
        ASSERT_EQ(dialogs_.unanswered(), 0);
        EXPECT_EQ(dialogs_.shown().last().title, "Really sure you want to cancel?");
        const qsizetype copied = bt::snapshot(root("dst")).size();
        if (answer == BoxAnswer::No) {
            EXPECT_EQ(copied, 24);
            EXPECT_TRUE(progress.startsWith("Copying") && progress.contains(" of 12 files | "))
                << progress.toStdString();
            EXPECT_TRUE(fits);
        } else {
            EXPECT_LT(copied, 24);
            EXPECT_FALSE(button("cmdCancel")->isVisible());
            EXPECT_EQ(tab(), 1);
            EXPECT_TRUE(MainController::mayStartAction()); // a new check may start
        }
    }
}

TEST_F(WindowActions, ArchiveModeResetsAutomaticallyOrThroughItsButton) {
    for (const bool automatic : {true, false}) {
        put("src/a.txt");
        bt::removeAllBelow(root("dst"));
        QDir().mkpath(path("dst"));
        g().goFSO->SetAttributesOf(path("src/a.txt"), attr::Archive);
        options({"optProd", "optCopy"});
        w_->controller().setChecked("chkArchive", true);
        w_->controller().setChecked("chkResetArc", automatic);
        click("cmdCheck");
        click("cmdCopy");
        ASSERT_TRUE(QFile::exists(path("dst/a.txt")));
        EXPECT_EQ(usable("cmdResetArc"), !automatic);
        if (!automatic) {
            EXPECT_EQ(g().goFSO->AttributesOf(path("src/a.txt")), attr::Archive);
            click("cmdResetArc");
            EXPECT_TRUE(!button("cmdResetArc")->isVisible() && usable("cmdExit"));
        }
        EXPECT_EQ(g().goFSO->AttributesOf(path("src/a.txt")), 0) << automatic;
    }
}

TEST_F(WindowActions, EmptySourceIsPutToTheUserBeforeAnythingIsDeleted) {
    for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
        QDir().mkpath(path("src"));
        put("dst/keep.txt");
        options({"optProd", "optSync"});
        click("cmdCheck");
        dialogs_.then(answer);
        click("cmdCopyDelete");
        ASSERT_EQ(dialogs_.unanswered(), 0);
        EXPECT_TRUE(dialogs_.shown().last().text.contains("is empty"));
        EXPECT_EQ(QFile::exists(path("dst/keep.txt")), answer == BoxAnswer::No);
    }
}

// A full destination during a copy-and-delete: freeing space deletes what only the destination
// holds, once, and the status line tells what was copied and deleted, also when the copy fails.
TEST_F(WindowActions, FullDiskFreedDuringACopyDeleteDeletesOnceAndSaysSo) {
    FileSystem* const window = g().goFSO;
    FaultInjectingFileSystem disk(*window);
    g().goFSO = &disk;
    const auto restore = qScopeGuard([&] { g().goFSO = window; });
    struct Row {
        BoxAnswer freeSpace;
        int fullTimes;
        bool copied;
        const char* status;
    };
    for (const Row& row : {Row{BoxAnswer::No, 1, false, "Copy failed"},
                           Row{BoxAnswer::Yes, 1, true, "1 files and 1 folders deleted"},
                           Row{BoxAnswer::Yes, 2, false, "1 files and 1 folders deleted"}}) {
        bt::removeAllBelow(root("src"));
        bt::removeAllBelow(root("dst"));
        put("src/a.txt");
        put("dst/junk.txt");
        put("dst/old/o.txt");
        options({"optProd", "optSync"});
        click("cmdCheck");
        disk.inject(FsOp::CopyFile, path("dst/a.txt"), err::DiskFull, row.fullTimes);
        const int deletes = disk.calls(FsOp::DeleteFile) + disk.calls(FsOp::DeleteFolder);
        dialogs_.then(BoxAnswer::Ok).then(row.freeSpace); // "Out of space", free some?
        if (row.fullTimes > 1)
            dialogs_.then(BoxAnswer::Ok); // full again: only said
        click("cmdCopyDelete");
        SCOPED_TRACE(w_->progressText().toStdString());
        ASSERT_EQ(dialogs_.unanswered(), 0);
        const bool freed = row.freeSpace == BoxAnswer::Yes;
        EXPECT_EQ(disk.calls(FsOp::DeleteFile) + disk.calls(FsOp::DeleteFolder) - deletes,
                  freed ? 2 : 0);
        EXPECT_EQ(bt::snapshot(root("dst")).size(), freed ? int(row.copied) : 3);
        EXPECT_EQ(QFile::exists(path("dst/a.txt")), row.copied);
        EXPECT_TRUE(w_->progressText().contains(row.status));
        EXPECT_EQ(w_->progressText().startsWith("Copy failed"), !row.copied);
        disk.clearFaults();
    }
}

TEST_F(WindowActions, UnusableFolderPairsAreRefusedBeforeTheCheck) {
    QDir().mkpath(path("src/inner"));
    // A missing source, nested folders, no destination, a new destination the user declines.
    for (const char* dest : {"missing", "src/inner", "", "new"}) {
        w_->controller().setText("txtSource", *dest == 'm' ? path(dest) : path("src"));
        w_->controller().setText("txtDest", *dest ? path(dest) : QString());
        dialogs_.then(*dest == 'n' ? BoxAnswer::No : BoxAnswer::Ok);
        click("cmdCheck");
        EXPECT_FALSE(button("cmdCopy")->isVisible()) << dest;
    }
    EXPECT_EQ(dialogs_.unanswered(), 0);
    EXPECT_FALSE(QFile::exists(path("new")));
    EXPECT_TRUE(w_->isVisible());
    dialogs_.then(BoxAnswer::Yes); // agreed: made, and the check runs
    click("cmdCheck");
    EXPECT_TRUE(QFileInfo(path("new")).isDir() && button("cmdCopy")->isVisible());
}

TEST_F(WindowActions, ProfileRunChecksAndCopiesEveryLineAndCountsTheUse) {
    for (const char* file : {"a1/x.txt", "a2/y.txt", "b1/", "b2/"})
        QByteArray(file).endsWith('/') ? void(QDir().mkpath(path(file))) : put(file);
    QFile ini(path("Pelto.INI"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QFile::encodeName(
        QStringLiteral("[Docs]\n%1/a1   %1/b1   subdirs\n%1/a2   %1/b2   subdirs\n")
            .arg(dir_.path())));
    ini.close();
    open();
    w_->findChild<QAction*>("mnuProfile_1")->trigger();
    options({"optProd"});
    const auto timesUsed = [&] {
        return QSettingsBackend(path("config"))
            .read("Pelto", settings::profileSection(g().giProfileEntry), "TimesUsed")
            .toInt();
    };
    const int before = timesUsed();
    click("cmdCheck");
    EXPECT_EQ(w_->lstProfile().selectedIndex(), 1);
    click("cmdCopy");
    EXPECT_TRUE(QFile::exists(path("b1/x.txt")) && QFile::exists(path("b2/y.txt")));
    EXPECT_EQ(timesUsed(), before + 1);
}

} // namespace
} // namespace pelto::ui
