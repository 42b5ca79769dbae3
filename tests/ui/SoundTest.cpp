// The end-of-work sound: once, n times or every interval with the mouse stopping the repetition,
// changing the sound file, and the window's side (timer, the nine controls, no input while a
// sound plays). Sounds go to a recording player, never to the sound device.
#include "platform/ProgramState.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/FrmPelto.h"
#include "ui/main/MainController.h"
#include "ui/main/SoundNotifier.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace pelto::ui {
namespace {

const QString kSound = QStringLiteral("/sounds/end.wav");

void setRepeat(MainController& c, bool repeat, bool every, const char* count, const char* freq,
               const char* unit) {
    c.setText("txtSoundFile", kSound);
    c.setChecked("chkRepeatSound", repeat);
    c.select(every ? "optRepeatSound_1" : "optRepeatSound_0");
    c.setText("txtRepeatCount", QString::fromLatin1(count));
    c.setText("txtRepeatFreq", QString::fromLatin1(freq));
    c.setText("cboRepeatFreq", QString::fromLatin1(unit));
}

// Script letters: p PlaySounds, t a tick of the timer when it runs, f the playing sounds end,
// m the mouse moves over a control that stops the repetition.
TEST(SoundNotifier, PlaysOnceTimesOrEveryIntervalUntilTheMouseMoves) {
    struct Row {
        const char* what;
        bool repeat, every;
        const char *count, *freq, *unit, *script;
        int plays;
        bool timerOn;
        int interval;
    };
    const Row rows[] = {
        {"once", false, false, "10", "10", "Seconds", "pf", 1, false, 0},
        {"second waits", false, false, "10", "10", "Seconds", "ppf", 2, false, 0},
        {"3 times", true, false, "3", "10", "Seconds", "pf", 3, false, 0},
        {"count 0", true, false, "0", "10", "Seconds", "pf", 0, false, 0},
        {"25 typed is 20", true, false, "25", "10", "Seconds", "pf", 20, false, 0},
        {"2 min: 2nd ticks", true, true, "10", "2", "Minutes", "ptftftftf", 2, true, 60000},
        {"move after a play", true, true, "10", "2", "Minutes", "pttfmtttt", 1, false, 60000},
        {"move before one", true, true, "10", "2", "Minutes", "pmttfttf", 2, true, 60000},
        {"restart: rule anew", true, true, "10", "2", "Minutes", "pttfpmttf", 2, true, 60000},
        {"not Minutes", true, true, "10", "3", "minutes", "ptttf", 1, true, 1000},
        {"interval 1", true, true, "10", "1", "Seconds", "ptftftf", 3, true, 1000},
        {"tick in a play", true, true, "10", "1", "Seconds", "pttf", 1, true, 1000},
        {"interval 0", true, true, "10", "0", "Seconds", "pttttt", 0, true, 1000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MainController c;
        setRepeat(c, row.repeat, row.every, row.count, row.freq, row.unit);
        test::RecordingSoundPlayer player;
        SoundNotifier sound(c, player);
        for (const char* step = row.script; *step; ++step) {
            if (*step == 'p')
                sound.PlaySounds();
            else if (*step == 't' && sound.timerEnabled()) // a stopped timer does not tick
                sound.Timer1_Timer();
            else if (*step == 'f')
                player.finishAll();
            else if (*step == 'm')
                sound.mouseMoved();
        }
        EXPECT_EQ(player.played, QStringList(row.plays, kSound));
        EXPECT_FALSE(sound.busy());
        EXPECT_EQ(sound.timerEnabled(), row.timerOn);
        EXPECT_EQ(sound.timerInterval(), row.interval);
    }
}

TEST(SoundNotifier, ChangeFileKeepsThePathWhenCancelled) {
    for (const auto& [answer, kept] : {std::pair{"", kSound}, {"/x/bell.wav", "/x/bell.wav"}}) {
        MainController c;
        c.setText("txtSoundFile", kSound);
        test::RecordingSoundPlayer player;
        test::ScriptedDialogs dialogs;
        dialogs.thenFile(QString::fromLatin1(answer));
        SoundNotifier(c, player).cmdChgSound_Click(dialogs, "/usr/share/pelto");
        EXPECT_EQ(c.caption("txtSoundFile"), kept);
        ASSERT_EQ(dialogs.fileDialogs().size(), 1);
        const test::ShownFileDialog& shown = dialogs.fileDialogs().first();
        EXPECT_EQ(
            QStringList({shown.title, shown.startPath, shown.filter}),
            QStringList({"Select File", "/usr/share/pelto/Media", "Sound files (*.wav *.mid)"}));
    }
}

class SoundWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + "/config"));
        window_ = std::make_unique<FrmPelto>();
        FrmPelto::StartOptions options{dir_.path() + "/instance", dir_.path() + "/Pelto.INI",
                                       &dialogs_};
        options.sound = &player_;
        ASSERT_TRUE(window_->Form_Load(options));
        window_->show();
        MainController& c = window_->controller();
        c.setChecked("chkPlaySound", true);
        setRepeat(c, true, true, "10", "2", "Minutes");
        window_->showState();
    }
    void TearDown() override {
        player_.finishAll();
        window_.reset();
        qputenv("XDG_CONFIG_HOME", savedConfig_);
    }
    QWidget* child(const char* name) {
        QWidget* const widget = window_->findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void moveOver(QWidget* widget) {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    // Starts the repetition and lets it sound once.
    void soundOnce() {
        window_->playEndSound();
        window_->sound().Timer1_Timer();
        window_->sound().Timer1_Timer();
        player_.finishAll();
    }
    QTimer* timer() { return window_->findChild<QTimer*>("Timer1"); }

    QTemporaryDir dir_;
    QByteArray savedConfig_;
    test::ScriptedDialogs dialogs_;
    test::RecordingSoundPlayer player_;
    std::unique_ptr<FrmPelto> window_;
};

TEST_F(SoundWindowTest, TheNineControlsStopTheRepetitionOthersDoNot) {
    const std::pair<const char*, bool> rows[] = {
        {"cmdCancel", true},     {"cmdCopy", true},   {"cmdCopyDelete", true},
        {"cmdExit", true},       {"dirSrc", true},    {"dirDst", true},
        {"filSrc", true},        {"filDst", true},    {"SSTab1", true},
        {"txtSoundFile", false}, {"cmdCheck", false}, {"lblOptions", false},
    };
    ASSERT_NE(timer(), nullptr);
    for (const auto& [name, stops] : rows) {
        window_->playEndSound();
        EXPECT_EQ(timer()->interval(), 60000);
        moveOver(child(name));
        EXPECT_TRUE(timer()->isActive()) << name << ": moved before the first sound";
        soundOnce();
        moveOver(child(name));
        EXPECT_EQ(timer()->isActive(), !stops) << name;
    }
    // Inside a folder list: its viewport.
    soundOnce();
    moveOver(static_cast<QAbstractScrollArea*>(child("filDst"))->viewport());
    EXPECT_FALSE(timer()->isActive());
}

TEST_F(SoundWindowTest, NoInputWhileASoundPlaysAndNoSoundWhenNotChosen) {
    MainController& c = window_->controller();
    c.setChecked("chkRepeatSound", false);
    window_->showState();
    auto* const box = qobject_cast<QCheckBox*>(child("chkArchive"));
    for (QWidget* w = box; w->parentWidget(); w = w->parentWidget()) // its pages to the front
        if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget()))
            tabs->setCurrentWidget(w);
    const bool before = box->isChecked();
    const auto click = [box] { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, 4)); };
    window_->playEndSound();
    ASSERT_TRUE(player_.playing());
    click();
    EXPECT_EQ(box->isChecked(), before);
    window_->close();
    EXPECT_TRUE(window_->isVisible());
    player_.finishAll();
    click();
    EXPECT_NE(box->isChecked(), before);
    c.setChecked("chkPlaySound", false);
    window_->playEndSound();
    EXPECT_EQ(player_.played.size(), 1);
}

} // namespace
} // namespace pelto::ui
