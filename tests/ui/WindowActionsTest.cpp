// The window's actions on real temporary trees: check, copy, copy and delete, cancel, again and
// the archive reset, with scripted boxes and a clock that moves only when read.
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/ProgramState.h"
#include "platform/QSettingsBackend.h"
#include "settings/SettingsKeys.h"
#include "support/ByteTree.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/FrmPelto.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace pelto::ui {
namespace {

namespace bt = test::bytetree;

// Every reading of the time finds two seconds gone, so each display refresh falls due and
// pumps the window's events: where a queued click on Cancel lands.
class TickingClock : public Clock {
public:
    qint64 nowMs() override { return now_ += 2000; }
    void sleepMs(int ms) override { now_ += ms; }

private:
    qint64 now_ = 0;
};

class WindowActions : public ::testing::Test {
protected:
    void SetUp() override {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + "/config"));
        setClock(&clock_);
        w_ = std::make_unique<FrmPelto>();
        ASSERT_TRUE(
            w_->Form_Load({dir_.path() + "/instance", dir_.path() + "/Pelto.INI", &dialogs_}));
        w_->show();
        g().giUpdateFrequency = 1; // the shortest display refresh period
        set("txtSource", path("src"));
        set("txtDest", path("dst"));
    }
    void TearDown() override {
        g().gsAction.clear();
        w_.reset();
        setClock(nullptr);
        qputenv("XDG_CONFIG_HOME", savedConfig_);
    }

    QString path(const char* rel) const { return dir_.path() + "/" + rel; }
    QByteArray root(const char* rel) const { return QFile::encodeName(path(rel)); }
    void put(const char* rel, const QByteArray& content = "x") { bt::put(root(""), rel, content); }
    void set(const char* box, const QString& text) {
        w_->controller().setText(box, text);
        w_->showState();
    }
    void options(std::initializer_list<const char*> names) {
        for (const char* name : names)
            w_->controller().select(name);
        w_->showState();
    }
    QPushButton* button(const char* name) { return w_->findChild<QPushButton*>(name); }
    bool usable(const char* name) { return button(name)->isVisible() && button(name)->isEnabled(); }
    // Clicks the button the next time the running action lets window events through.
    void clickWhileRunning(const char* name) {
        QMetaObject::invokeMethod(
            w_.get(), [this, name] { QTest::mouseClick(button(name), Qt::LeftButton); },
            Qt::QueuedConnection);
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
    // Many folders each with a file: a walk long enough to see a cancel. With `atDestination`
    // the folders exist there, so their files are listed one by one.
    void manyFolders(int n, bool atDestination = false) {
        for (int i = 0; i < n; ++i) {
            const QString folder = QStringLiteral("f%1").arg(i);
            put(QFile::encodeName("src/" + folder + "/a.txt").constData());
            QDir().mkpath(path(atDestination ? "dst/" : "dst") + (atDestination ? folder : ""));
        }
    }
    int tab() { return w_->findChild<QTabWidget*>("SSTab1")->currentIndex(); }

    QTemporaryDir dir_;
    QByteArray savedConfig_;
    TickingClock clock_;
    test::ScriptedDialogs dialogs_;
    std::unique_ptr<FrmPelto> w_;
};

struct CopyCase {
    const char* mode;
    const char* button;
};

class CheckCopyCheck : public WindowActions, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CheckCopyCheck, CopyThenCheckListsNothingAndCopyDeleteMirrors) {
    const QByteArray longName = "src/" + QByteArray(200, 'n') + ".txt";
    put(longName.constData(), "long");
    put("src/new/deep/d.txt", "d");
    put("src/same.txt", "s");
    bt::put(root(""), "dst/same.txt", "old", 1600000000);
    put("dst/gone/g.txt", "g");
    put("dst/only.txt", "o");
    options({"optProd", GetParam().mode});
    QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
    EXPECT_EQ(tab(), MainController::kResultsTab);
    EXPECT_GT(entriesListed(), 0);
    EXPECT_TRUE(usable(GetParam().button));
    EXPECT_TRUE(usable("cmdCancel"));
    EXPECT_GT(w_->findChild<QListView*>("lstSrcFile")->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(w_->findChild<QLabel*>("lblDstFile")->text().contains("will be deleted"),
              QByteArray(GetParam().mode) == "optSync");

    QTest::mouseClick(button(GetParam().button), Qt::LeftButton);
    EXPECT_TRUE(usable("cmdExit"));
    EXPECT_TRUE(usable("cmdAgain"));
    EXPECT_FALSE(button("cmdCopy")->isVisible());
    EXPECT_TRUE(w_->progressText().contains("2 files and 1 folders copied"))
        << w_->progressText().toStdString();
    QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
    EXPECT_EQ(entriesListed(), QByteArray(GetParam().mode) == "optSync" ? 0 : 2);
    if (QByteArray(GetParam().mode) == "optSync") {
        EXPECT_EQ(bt::snapshot(root("dst")), bt::snapshot(root("src")));
    }
    EXPECT_TRUE(dialogs_.shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Modes, CheckCopyCheck,
                         ::testing::Values(CopyCase{"optCopy", "cmdCopy"},
                                           CopyCase{"optSync", "cmdCopyDelete"}),
                         [](const auto& info) { return std::string(info.param.mode); });

TEST_F(WindowActions, TestModeChangesNothingAndSaysSo) {
    put("src/a.txt");
    put("dst/b.txt");
    options({"optSync"});
    const auto before = bt::snapshot(root(""));
    QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
    for (const char* name : {"cmdCopy", "cmdCopyDelete"})
        EXPECT_EQ(button(name)->text(), "TEST MODE");
    EXPECT_FALSE(button("cmdCopyDelete")->isEnabled());
    w_->cmdCopyDelete_Click(); // even a run started from code only shows
    EXPECT_EQ(bt::snapshot(root("")), before);
}

TEST_F(WindowActions, CancelledCheckStopsAndKeepsTheCopyButtons) {
    manyFolders(40);
    options({"optProd"});
    QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
    ASSERT_TRUE(usable("cmdCopy"));
    clickWhileRunning("cmdCancel");
    QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
    EXPECT_LT(w_->lstSrcFolder().count(), 40);
    EXPECT_TRUE(usable("cmdCopy"));
    EXPECT_FALSE(button("cmdCancel")->isVisible());
    EXPECT_EQ(w_->lstShowDirs().count(), 0);
    EXPECT_FALSE(g().gbCancel);
    EXPECT_TRUE(dialogs_.shown().isEmpty()); // a check is cancelled without a question
    EXPECT_TRUE(w_->progressText().startsWith("Check cancelled"));
}

TEST_F(WindowActions, CancelDuringACopyAsksNoGoesOnYesStops) {
    for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
        bt::removeAllBelow(root("dst"));
        manyFolders(12, true);
        options({"optProd"});
        QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
        dialogs_.then(answer);
        QString progress;
        QMetaObject::invokeMethod(
            w_.get(), [&] { progress = w_->progressText(); }, Qt::QueuedConnection);
        clickWhileRunning("cmdCancel");
        QTest::mouseClick(button("cmdCopy"), Qt::LeftButton);
        ASSERT_FALSE(dialogs_.shown().isEmpty());
        EXPECT_EQ(dialogs_.shown().last().title, "Really sure you want to cancel?");
        const qsizetype copied = bt::snapshot(root("dst")).size();
        if (answer == BoxAnswer::No) {
            EXPECT_EQ(copied, 24);
            EXPECT_TRUE(progress.startsWith("Copying")) << progress.toStdString();
            EXPECT_TRUE(progress.contains(" of 12 files | ")) << progress.toStdString();
            EXPECT_TRUE(usable("cmdExit"));
        } else {
            EXPECT_LT(copied, 24);
            EXPECT_FALSE(button("cmdCancel")->isVisible());
            EXPECT_EQ(tab(), 1);
            EXPECT_FALSE(g().gbCancel);
            EXPECT_TRUE(MainController::mayStartAction());
        }
    }
}

TEST_F(WindowActions, AgainAndCancelWhenIdle) {
    put("src/a.txt");
    QDir().mkpath(path("dst"));
    options({"optProd"});
    QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
    QTest::mouseClick(button("cmdCancel"), Qt::LeftButton); // nothing runs: back to the start
    for (const char* name : {"cmdCopy", "cmdCopyDelete", "cmdCancel", "cmdExit", "cmdAgain"})
        EXPECT_FALSE(button(name)->isVisible()) << name;
    EXPECT_TRUE(usable("cmdCheck"));
    EXPECT_EQ(tab(), 1);
    QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
    QTest::mouseClick(button("cmdCopy"), Qt::LeftButton);
    QTest::mouseClick(button("cmdAgain"), Qt::LeftButton);
    EXPECT_EQ(tab(), 1);
    EXPECT_EQ(w_->lstShowDirs().count(), 0);
}

TEST_F(WindowActions, ArchiveModeResetsAutomaticallyOrThroughItsButton) {
    for (const bool automatic : {true, false}) {
        bt::removeAllBelow(root(""));
        put("src/a.txt");
        QDir().mkpath(path("dst"));
        g().goFSO->SetAttributesOf(path("src/a.txt"), attr::Archive);
        options({"optProd", "optCopy"});
        w_->controller().setChecked("chkArchive", true);
        w_->controller().setChecked("chkResetArc", automatic);
        w_->showState();
        QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
        QTest::mouseClick(button("cmdCopy"), Qt::LeftButton);
        ASSERT_TRUE(QFile::exists(path("dst/a.txt")));
        EXPECT_EQ(usable("cmdResetArc"), !automatic);
        if (!automatic) {
            EXPECT_EQ(g().goFSO->AttributesOf(path("src/a.txt")), attr::Archive);
            QTest::mouseClick(button("cmdResetArc"), Qt::LeftButton);
            EXPECT_FALSE(button("cmdResetArc")->isVisible());
            EXPECT_TRUE(usable("cmdExit"));
        }
        EXPECT_EQ(g().goFSO->AttributesOf(path("src/a.txt")), 0) << automatic;
    }
}

TEST_F(WindowActions, EmptySourceIsPutToTheUserBeforeAnythingIsDeleted) {
    for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
        QDir().mkpath(path("src"));
        put("dst/keep.txt");
        options({"optProd", "optSync"});
        QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
        dialogs_.then(answer);
        QTest::mouseClick(button("cmdCopyDelete"), Qt::LeftButton);
        ASSERT_FALSE(dialogs_.shown().isEmpty());
        EXPECT_TRUE(dialogs_.shown().last().text.contains("is empty"));
        EXPECT_EQ(QFile::exists(path("dst/keep.txt")), answer == BoxAnswer::No);
    }
}

TEST_F(WindowActions, UnusableFolderPairsAreRefusedBeforeTheCheck) {
    QDir().mkpath(path("src/inner"));
    for (const auto& [source, dest] : {std::pair{path("missing"), path("dst")},
                                       {path("src"), path("src/inner")},
                                       {QString(), path("dst")}}) {
        set("txtSource", source);
        set("txtDest", dest);
        dialogs_.then(BoxAnswer::Ok);
        QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
        EXPECT_FALSE(button("cmdCopy")->isVisible()) << source.toStdString();
        EXPECT_TRUE(w_->isVisible());
    }
    EXPECT_EQ(dialogs_.shown().size(), 3);
}

TEST_F(WindowActions, ProfileRunChecksAndCopiesEveryLineAndCountsTheUse) {
    put("a1/x.txt");
    put("a2/y.txt");
    QDir().mkpath(path("b1"));
    QDir().mkpath(path("b2"));
    QFile ini(path("Pelto.INI"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QFile::encodeName(
        QStringLiteral("[Docs]\n%1/a1   %1/b1   subdirs\n%1/a2   %1/b2   subdirs\n")
            .arg(dir_.path())));
    ini.close();
    w_.reset();
    resetProgramState();
    setClock(&clock_);
    w_ = std::make_unique<FrmPelto>();
    ASSERT_TRUE(w_->Form_Load({path("instance"), ini.fileName(), &dialogs_}));
    w_->show();
    w_->findChild<QAction*>("mnuProfile_1")->trigger();
    options({"optProd"});
    const auto timesUsed = [&] {
        return QSettingsBackend(path("config"))
            .read("Pelto", settings::profileSection(g().giProfileEntry), "TimesUsed")
            .toInt();
    };
    const int before = timesUsed();
    QTest::mouseClick(button("cmdCheck"), Qt::LeftButton);
    EXPECT_EQ(w_->lstProfile().selectedIndex(), 1);
    EXPECT_EQ(entriesListed(), 2);
    QTest::mouseClick(button("cmdCopy"), Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(path("b1/x.txt")));
    EXPECT_TRUE(QFile::exists(path("b2/y.txt")));
    EXPECT_EQ(timesUsed(), before + 1);
}

struct ExtentCase {
    QStringList lines;
    bool courier;
    std::optional<int> extent;
};

// Lines 10 pixels a letter, at 96 dpi (15 twips a pixel), in a list 1500 twips wide.
TEST(HorizontalExtent, OnlyLinesWiderThanNineTenthsOfTheListSetIt) {
    const QString ten(10, 'a');
    const ExtentCase cases[] = {
        {{"abc", QString(9, 'a')}, false, std::nullopt},
        {{ten}, false, 130},
        {{ten, QString(12, 'a'), ten}, false, 156},
        {{QString(5, 'a')}, true, 130},
        {{QString(4000, 'a')}, false, 32767},
        {{}, false, std::nullopt},
    };
    for (const ExtentCase& c : cases)
        EXPECT_EQ(horizontalExtent(c.lines, 1500, c.courier, 96,
                                   [](const QString& line) { return int(line.size()) * 10; }),
                  c.extent)
            << c.lines.join(',').left(20).toStdString();
}

} // namespace
} // namespace pelto::ui
