// The main window with real widgets on the offscreen platform: start-up, options restored after
// shutdown, instances, placement, keyboard page switching and the action guard.
#include "platform/ProgramPaths.h"
#include "platform/ProgramState.h"
#include "platform/QSettingsBackend.h"
#include "platform/SystemInfo.h"
#include "platform/TextFile.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/FrmPelto.h"
#include "ui/widgets/AboutWindow.h"
#include "ui/widgets/RevisionsWindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace pelto::ui {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + "/config"));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", savedConfig_); }

    std::unique_ptr<FrmPelto> open() {
        auto window = std::make_unique<FrmPelto>();
        const bool started =
            window->Form_Load({dir_.path() + "/instance", dir_.path() + "/Pelto.INI", &dialogs_});
        EXPECT_TRUE(started);
        window->show();
        return window;
    }
    QString stored(const QString& key) {
        return QSettingsBackend(dir_.path() + "/config").read("Pelto", "Settings", key);
    }
    void store(const QString& key, const QString& value) {
        QSettingsBackend(dir_.path() + "/config").save("Pelto", "Settings", key, value);
    }
    template <typename W = QWidget> static W* child(QWidget& window, const char* name) {
        W* const widget = window.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // Brings the control's tab and option page to the front, then clicks it.
    static QWidget* toFront(QWidget& window, const char* name) {
        QWidget* const widget = child(window, name);
        for (QWidget* w = widget; w; w = w->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(
                    w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr))
                tabs->setCurrentWidget(w);
        return widget;
    }
    static void click(QWidget& window, const char* name) {
        QWidget* const widget = toFront(window, name);
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(8, widget->height() / 2));
    }
    static void type(QWidget& window, const char* name, const QString& text) {
        auto* const box = qobject_cast<QLineEdit*>(toFront(window, name));
        box->clear();
        QTest::keyClicks(box, text);
    }

    QTemporaryDir dir_;
    QByteArray savedConfig_;
    test::ScriptedDialogs dialogs_;
};

TEST_F(MainWindowTest, FreshUserStartsWithTheDefaults) {
    const auto w = open();
    QStringList checked;
    for (QAbstractButton* button : w->findChildren<QAbstractButton*>())
        if (button->isChecked() && !button->objectName().isEmpty() &&
            !button->objectName().startsWith("qt_"))
            checked << button->objectName();
    checked.sort();
    EXPECT_EQ(checked.join(' ').toStdString(),
              "chkNumberProfiles optCopy optRecurse optRepeatSound_1 optTest");
    EXPECT_EQ(child<QLineEdit>(*w, "txtRepeatCount")->text(), "0");
    EXPECT_EQ(child<QLineEdit>(*w, "txtRepeatFreq")->text(), "0");
    EXPECT_EQ(child<QComboBox>(*w, "cboRepeatFreq")->currentText(), "Seconds");
    EXPECT_FALSE(child(*w, "cmdChgSound")->isEnabled());
    EXPECT_EQ(w->windowTitle(), "Pelto - Back up your data!");
    EXPECT_EQ(child<QLabel>(*w, "lblOptions")->text(),
              "Test mode     Traverse Subdirectories     Copy Files");
    EXPECT_EQ(child<QTabWidget>(*w, "SSTab1")->currentIndex(), 0);
    EXPECT_EQ(stored("Instances"), "1");
    EXPECT_TRUE(child(*w, "cmdRegTest")->isHidden()); // a released build is no developer
}

TEST_F(MainWindowTest, EveryOptionComesBackAfterShutdown) {
    QDir(dir_.path()).mkpath("src");
    const QString sound = dir_.path() + "/ding.wav";
    QFile(sound).open(QIODevice::WriteOnly);
    std::map<QString, std::pair<bool, QString>> before;
    {
        const auto w = open();
        for (const char* name :
             {"chkArchive", "chkResetArc", "optSync", "optProd", "chkPlaySound", "chkRepeatSound",
              "optRepeatSound_1", "chkCopyAutomatically", "chkNumberProfiles"})
            click(*w, name);
        type(*w, "txtRepeatCount", "7");
        type(*w, "txtRepeatFreq", "3");
        child<QComboBox>(*w, "cboRepeatFreq")->setCurrentIndex(1);
        type(*w, "txtSource", dir_.path() + "/src/");
        type(*w, "txtDest", dir_.path());
        type(*w, "txtSoundFile", sound);
        for (const auto& [name, state] : w->controller().controls())
            before[name] = {state.value, state.caption};
        EXPECT_TRUE(w->controller().value("optSync"));
        EXPECT_FALSE(w->controller().value("chkResetArc"));
        w->close();
    }
    EXPECT_EQ(stored("PathDest"), dir_.path() + QLatin1Char('/'));
    resetProgramState();
    const auto w = open();
    before["txtDest"].second += QLatin1Char('/');
    for (const auto& [name, state] : w->controller().controls()) {
        if (name.startsWith(QLatin1String("lbl")) || name.startsWith(QLatin1String("cmd")))
            continue;
        EXPECT_EQ(state.value, before[name].first) << qPrintable(name);
        EXPECT_EQ(state.caption, before[name].second) << qPrintable(name);
    }
    EXPECT_FALSE(g().gbArchive); // synchronising: archive mode is not in force
}

TEST_F(MainWindowTest, UnreadableProfileFileEndsTheStartUp) {
    QFile ini(dir_.path() + "/Pelto.INI");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("no section header here\n");
    ini.close();
    store("TestProd", "1");
    dialogs_.then(BoxAnswer::Ok);
    {
        FrmPelto w;
        EXPECT_FALSE(w.Form_Load({dir_.path() + "/instance", ini.fileName(), &dialogs_}));
    }
    EXPECT_EQ(dialogs_.shown().size(), 1);
    EXPECT_EQ(stored("TestProd"), "1");
}

TEST_F(MainWindowTest, SecondInstanceCountsOnAndKeepsItsOwnPlace) {
    const auto first = open();
    EXPECT_EQ(first->controller().instanceLabel(), "Instance1");
    {
        const auto second = open();
        EXPECT_EQ(second->controller().instanceLabel(), "Instance2");
        EXPECT_EQ(stored("Instances"), "2");
        second->move(150, 120);
        second->close();
    }
    EXPECT_EQ(stored("Instance2Left"), "2250");
    EXPECT_EQ(stored("Instance2Top"), "1800");
    EXPECT_EQ(stored("Instance1Top"), QString());
}

TEST_F(MainWindowTest, CtrlTabWrapsThroughOptionPagesUnlessAnActionRuns) {
    const auto w = open();
    auto* const pages = child<QTabWidget>(*w, "tbsOptions");
    EXPECT_EQ(pages->currentIndex(), 0);
    QTest::keyClick(w.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pages->currentIndex(), 3);
    QTest::keyClick(w.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 0);
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 1);
    EXPECT_FALSE(child(*w, "fraOptions_1")->isEnabled());
    g().gsAction = "check";
    QTest::keyClick(w.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 1);
    g().gsAction.clear();
    pages->setCurrentIndex(2); // a click on the page's tab
    EXPECT_EQ(w->controller().control("fraOptions_3").left, MainController::kPageLeft);
    EXPECT_EQ(w->controller().control("fraOptions_1").left, MainController::kPageAway);
}

TEST_F(MainWindowTest, ClicksThatStartAnActionWaitForTheRunningOne) {
    const auto w = open();
    w->controller().copyEnded(false);
    w->showState();
    g().gsAction = "check";
    click(*w, "cmdAgain");
    EXPECT_EQ(child<QTabWidget>(*w, "SSTab1")->currentIndex(), 0);
    w->close();
    EXPECT_TRUE(w->isVisible()); // closing waits for the action too
    g().gbErrorFlag = true;
    click(*w, "cmdCheck");
    EXPECT_TRUE(g().gbErrorFlag);
    g().gsAction.clear();
    click(*w, "cmdAgain");
    EXPECT_EQ(child<QTabWidget>(*w, "SSTab1")->currentIndex(), 1);
    // An error handled by an earlier action does not end the next one.
    dialogs_.then(BoxAnswer::Ok); // no folders chosen yet: the check says so
    click(*w, "cmdCheck");
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(MainWindowTest, HelpMenuShowsAboutAndTheRevisionHistory) {
    const auto w = open();
    QStringList about;
    QMetaObject::invokeMethod(
        w.get(),
        [&] {
            auto* const box = qobject_cast<AboutWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            about << box->windowTitle() << child<QLabel>(*box, "lblVersion")->text()
                  << child<QLabel>(*box, "lblFolder")->text();
            dialogs_.then(BoxAnswer::Ok);
            box->StartSysInfo({dir_.path()}); // no system-information program there
            box->accept();
        },
        Qt::QueuedConnection);
    w->findChild<QAction*>("mnuHelpAbout")->trigger();
    ASSERT_EQ(about.size(), 3);
    EXPECT_EQ(about[0], "About Pelto");
    EXPECT_EQ(about[2], "Program folder: " + programFolder());
    EXPECT_EQ(dialogs_.shown().last().text, "System Information Is Unavailable At This Time");
    for (const char* name : {"lshw-gtk", "kinfocenter", "notes"}) {
        QFile program(dir_.path() + "/" + name);
        ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        program.setPermissions(program.permissions() | QFile::ExeOwner);
    }
    EXPECT_EQ(systemInfoProgram({dir_.path()}), dir_.path() + "/kinfocenter");

    // The shipped history, from the menu: its newest version is the one About shows.
    w->findChild<QAction*>("mnuHelpRevisions")->trigger();
    w->findChild<QAction*>("mnuHelpRevisions")->trigger(); // brings the same window forward
    ASSERT_EQ(w->findChildren<RevisionsWindow*>().size(), 1);
    RevisionsWindow* const shown = w->findChildren<RevisionsWindow*>().first();
    const QStringList lines = shown->lines();
    const qsizetype newest = lines.indexOf(QRegularExpression("^\\d+\\.\\d+\\.\\d+ .*"));
    ASSERT_GE(newest, 0);
    EXPECT_EQ("Version " + lines[newest].section(' ', 0, 0), about[1]);
    EXPECT_EQ(child<QListWidget>(*shown, "lstRev")->currentRow(), 0);
    shown->resize(500, 20); // never lower than five button heights; OK stays centred
    auto* const ok = child<QPushButton>(*shown, "cmdOK");
    EXPECT_GE(shown->height(), 5 * ok->height());
    EXPECT_NEAR(ok->geometry().center().x(), shown->width() / 2, 1);
    EXPECT_GT(ok->y(), child(*shown, "lstRev")->geometry().bottom());

    // The history beside the program wins; none anywhere is said and opens no window.
    for (const char* folder : {"beside", "data"}) {
        QDir(dir_.path()).mkpath(folder);
        writeTextLines(dir_.path() + "/" + folder + "/PeltoRev.txt", {folder});
    }
    const QString beside = dir_.path() + "/beside", data = dir_.path() + "/data";
    EXPECT_EQ(findRevisionFile({beside, data}), beside + "/PeltoRev.txt");
    EXPECT_EQ(findRevisionFile({dir_.path(), data}), data + "/PeltoRev.txt");
    dialogs_.then(BoxAnswer::Ok);
    EXPECT_EQ(RevisionsWindow::Display(0, w.get(), {dir_.path()}), nullptr);
    EXPECT_EQ(dialogs_.shown().last().text, "Revision History not found");
}

TEST_F(MainWindowTest, EveryControlHasANameAndTheKeyboardReachesIt) {
    const auto w = open();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w.get(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(child<QPushButton>(*w, "cmdCheck")->isDown()); // "&Check mismatches" pressed
    for (QWidget* widget : w->findChildren<QWidget*>()) {
        const bool control =
            qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
            qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QComboBox*>(widget);
        if (!control || widget->objectName().startsWith(QLatin1String("qt_")) ||
            widget->objectName().isEmpty())
            continue;
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        EXPECT_FALSE(widget->accessibleName().isEmpty() && (!button || button->text().isEmpty()))
            << qPrintable(widget->objectName());
        EXPECT_NE(widget->focusPolicy() & Qt::TabFocus, 0) << qPrintable(widget->objectName());
        if (auto* list = qobject_cast<QListView*>(widget)) {
            EXPECT_TRUE(list->uniformItemSizes()) << qPrintable(widget->objectName());
        }
    }
}

} // namespace
} // namespace pelto::ui
