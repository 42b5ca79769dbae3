// The File menu of profiles and the automatic copy after a profile check, in the real window on
// temporary trees, with a temporary settings store and scripted boxes.
#include "platform/Clock.h"
#include "platform/ProgramState.h"
#include "platform/QSettingsBackend.h"
#include "settings/SettingsKeys.h"
#include "support/ByteTree.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/FrmPelto.h"
#include "ui/widgets/CopyAutomaticallyWindow.h"

#include "ui/WindowFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace pelto::ui {
namespace {

namespace bt = test::bytetree;

class ProfileWindow : public WindowFixture {
protected:
    // Writes the profile file (%1 stands for the temporary folder) and opens the window on it.
    void open(const QString& ini) {
        QFile file(path("Pelto.INI"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QFile::encodeName(ini.arg(dir_.path())));
        file.close();
        loadWindow();
    }
    QByteArray root() const { return QFile::encodeName(dir_.path()); }
    QAction* entry(int k) {
        return w_->findChild<QAction*>(QStringLiteral("mnuProfile_%1").arg(k));
    }
    std::string menu() {
        QStringList captions;
        for (int k = 1; entry(k); ++k)
            captions << (entry(k)->isChecked() ? "*" : "") + entry(k)->text();
        return captions.join(' ').toStdString();
    }
    bool shown(const char* name) { return !w_->findChild<QWidget*>(name)->isHidden(); }
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void click(const char* name) { click(w_->findChild<QPushButton*>(name)); }
    QString stored(const QString& section, const QString& key) {
        return QSettingsBackend(path("config")).read("Pelto", section, key);
    }
    // Runs `act` on the countdown once it is open.
    void onCountdown(std::function<void(CopyAutomaticallyWindow&)> act) {
        act_ = std::move(act);
        pollCountdown(++armed_);
    }
    void pollCountdown(int armed) {
        auto* countdown = w_->findChild<CopyAutomaticallyWindow*>();
        if (armed != armed_)
            return;
        if (countdown && countdown->isVisible()) {
            ++armed_;
            act_(*countdown);
            return;
        }
        QMetaObject::invokeMethod(
            w_.get(), [this, armed] { pollCountdown(armed); }, Qt::QueuedConnection);
    }

    std::function<void(CopyAutomaticallyWindow&)> act_;
    int armed_ = 0;
};

TEST_F(ProfileWindow, MenuChoicesSwapPickersAndProfileLines) {
    for (const char* folder : {"a", "b", "c"})
        QDir().mkpath(path(folder));
    open("[Docs]\n%1/a   %1/b   subdirs\n[Backup]\n%1/a   %1/c\n[Reload]\n%1/a   %1/b\n"
         "[Broken]\n%1/missing   %1/b\n");
    // Entry to choose (0: untick the numbering), then the menu, the window title and whether a
    // profile is chosen, its lines shown in place of the pickers.
    struct Step {
        int choose;
        const char* menu;
        const char* title;
        bool chosen;
    };
    const Step steps[] = {
        {2, "&1 Docs *&2 Backup &3 Reload &4 Broken", "[Backup]", true},
        {1, "*&1 Docs &2 Backup &3 Reload &4 Broken", "[Docs]", true},
        {0, "*Docs Backup Reload Broken", "[Docs]", true}, // the choice outlives the new menu
        {1, "Docs Backup Reload Broken", "Pelto - Back up your data!", false},
        {3, "Docs Backup *Reload Broken", "[Reload]", true}, // a profile, not a menu reload
        {4, "Docs Backup Reload Broken", "Pelto - Back up your data!", false},
    };
    g().gbErrorFlag = true; // left by an error an earlier action handled
    for (const Step& step : steps) {
        if (step.choose == 4)
            dialogs_.then(BoxAnswer::Ok);
        if (step.choose == 0) {
            w_->controller().setChecked("chkNumberProfiles", false);
            w_->showState();
        } else
            entry(step.choose)->trigger();
        SCOPED_TRACE(step.menu);
        EXPECT_EQ(menu(), step.menu);
        EXPECT_EQ(w_->windowTitle(), step.title);
        EXPECT_EQ(shown("lstProfile"), step.chosen);
        EXPECT_EQ(shown("dirSrc"), !step.chosen);
        EXPECT_EQ(g().gbExcludes, step.chosen);
        EXPECT_EQ(w_->findChild<QLabel*>("lblOptions")->text().contains("Subdirectories varies"),
                  step.chosen);
    }
    // The bad line was reported and the program goes on.
    ASSERT_EQ(dialogs_.shown().size(), 1);
    EXPECT_TRUE(dialogs_.shown().first().text.contains("Source directory not found"));
    EXPECT_TRUE(w_->isVisible());
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(ProfileWindow, ProfileCheckWalksEachLineAndStopsAfterTheCurrentOneOnCancel) {
    for (int i = 1; i <= 3; ++i)
        for (int f = 0; f < 20; ++f)
            QDir().mkpath(dir_.path() + QStringLiteral("/s%1/d%2").arg(i).arg(f));
    open("[Three]\n%1/s1   %1/d1   subdirs\n%1/s2   %1/d2   subdirs\n%1/s3   %1/d3   subdirs\n");
    dialogs_.then(BoxAnswer::Yes).then(BoxAnswer::Yes).then(BoxAnswer::Yes); // make d1..d3
    entry(1)->trigger();
    QStringList walked;
    QObject::connect(&w_->lstProfile(), &ProfileListModel::selectedIndexChanged,
                     [&](qsizetype row) { walked << QString::number(row); });
    click("cmdCheck");
    EXPECT_EQ(walked.join(' '), "0 1 2");
    EXPECT_EQ(w_->lstSrcFolder().count(), 3 * 20); // the folders missing at d1..d3
    walked.clear();
    QMetaObject::invokeMethod(
        w_.get(), [this] { click("cmdCancel"); }, Qt::QueuedConnection);
    click("cmdAgain");
    click("cmdCheck");
    EXPECT_EQ(walked.join(' '), "0");
    EXPECT_LE(w_->lstSrcFolder().count(), 20);
}

TEST_F(ProfileWindow, AutomaticCopyAfterACountdownFromTwenty) {
    enum class Act { None, RunOut, DontCopy, CopyNow };
    struct Row {
        const char* what;
        int timesUsed;
        bool autoCopy;
        bool sync;
        bool emptySource;
        Act act;
        bool copied;
    };
    const Row rows[] = {
        {"never copied", 0, true, false, false, Act::None, false},
        {"copied once", 1, true, false, false, Act::None, false},
        {"not asked for", 5, false, false, false, Act::None, false},
        {"count runs out", 2, true, false, false, Act::RunOut, true},
        {"don't copy", 2, true, false, false, Act::DontCopy, false},
        {"copy and delete now", 7, true, true, false, Act::CopyNow, true},
        {"empty source asked instead", 2, true, true, true, Act::None, false},
    };
    const QString ini = "[Docs]\n%1/src   %1/dst   subdirs\n";
    std::optional<QPoint> placed; // where the user left the countdown
    QString told;
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ++n;
        QDir(path("src")).removeRecursively();
        QDir(path("dst")).removeRecursively();
        if (!row.emptySource)
            bt::put(root(), "src/new.txt", "n");
        QDir().mkpath(path("src"));
        bt::put(root(), "dst/old.txt", "o");
        open(ini);
        entry(1)->trigger();
        w_->controller().select("optProd");
        w_->controller().select(row.sync ? "optSync" : "optCopy");
        w_->controller().setChecked("chkCopyAutomatically", row.autoCopy);
        w_->showState();
        QSettingsBackend(path("config"))
            .save("Pelto", settings::profileSection(1), "TimesUsed",
                  QString::number(row.timesUsed));
        if (row.emptySource)
            dialogs_.then(BoxAnswer::No); // keep what the destination holds
        QStringList seconds;              // shown when the countdown opens and after each tick
        onCountdown([&](CopyAutomaticallyWindow& countdown) {
            if (placed) {
                EXPECT_EQ(countdown.pos(), *placed);
            }
            countdown.move(150 + n, 120);
            if (row.act == Act::CopyNow)
                for (const char* label : {"lblProfile", "lblAction", "lblListed"})
                    told += countdown.findChild<QLabel*>(label)->text() + '\n';
            placed = countdown.pos();
            seconds << QString::number(countdown.secondsShown());
            const int ticks = row.act == Act::RunOut ? 20 : row.act == Act::DontCopy ? 5 : 0;
            for (int t = 0; t < ticks; ++t) {
                countdown.Timer1_Timer();
                if (countdown.isVisible())
                    seconds << QString::number(countdown.secondsShown());
            }
            if (row.act == Act::DontCopy)
                click(countdown.findChild<QPushButton*>("cmdCancel"));
            if (row.act == Act::CopyNow)
                click(countdown.findChild<QPushButton*>("cmdLoad"));
        });
        const qsizetype listed = (click("cmdCheck"), w_->lstSrcFile().count());
        EXPECT_EQ(seconds.isEmpty(), row.act == Act::None);
        EXPECT_EQ(QFile::exists(path("dst/new.txt")), row.copied);
        EXPECT_EQ(QFile::exists(path("dst/old.txt")), !(row.copied && row.sync));
        if (row.act == Act::RunOut) {
            EXPECT_EQ(seconds.join(' '), "20 19 18 17 16 15 14 13 12 11 10 9 8 7 6 5 4 3 2 1");
        }
        if (row.act == Act::DontCopy) {
            EXPECT_EQ(seconds.join(' '), "20 19 18 17 16 15");
            EXPECT_EQ(w_->lstSrcFile().count(), listed); // the lists stay as the check left them
        }
        if (row.emptySource) {
            ASSERT_EQ(dialogs_.unanswered(), 0);
            EXPECT_TRUE(dialogs_.shown().last().text.contains("is empty"));
        }
        if (row.copied) {
            EXPECT_EQ(stored(settings::profileSection(1), "TimesUsed").toInt(), row.timesUsed + 1);
        }
    }
    EXPECT_EQ(told, "Profile: Docs\nPelto will copy and delete when the count reaches zero.\n"
                    "The check listed:\n    at the source: 1 file and 0 folders\n"
                    "    at the destination: 1 file and 0 folders\n");
    // The place of the countdown is kept in the profile's section, in twips.
    EXPECT_EQ(stored(settings::profileSection(1), "Instance1Top2"), "1800");
    EXPECT_EQ(stored(settings::profileSection(1), "Instance1Left2"),
              QString::number((150 + 6) * 15));
}

} // namespace
} // namespace pelto::ui
