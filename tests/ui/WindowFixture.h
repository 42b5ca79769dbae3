#pragma once
// The main window on a temporary folder, with a temporary settings store, scripted boxes and a
// clock on which every display refresh falls due.

#include "platform/Clock.h"
#include "platform/ProgramState.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/FrmPelto.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace pelto::ui {

// Every reading finds two seconds gone: each display refresh falls due and pumps the window's
// events, which is where a queued click lands.
class TickingClock : public Clock {
public:
    qint64 nowMs() override { return now_ += 2000; }
    void sleepMs(int ms) override { now_ += ms; }

private:
    qint64 now_ = 0;
};

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
    }
    void TearDown() override {
        g().gsAction.clear();
        w_.reset();
        setClock(nullptr);
        qputenv("XDG_CONFIG_HOME", savedConfig_);
    }
    // A fresh window on the profile file "Pelto.INI" of the temporary folder, with the shortest
    // display refresh period.
    void loadWindow() {
        w_.reset();
        resetProgramState();
        setClock(&clock_);
        w_ = std::make_unique<FrmPelto>();
        ASSERT_TRUE(w_->Form_Load({path("instance"), path("Pelto.INI"), &dialogs_}));
        w_->show();
        g().giUpdateFrequency = 1;
    }
    QString path(const char* rel) const { return dir_.path() + "/" + rel; }

    QTemporaryDir dir_;
    QByteArray savedConfig_;
    TickingClock clock_;
    test::ScriptedDialogs dialogs_;
    std::unique_ptr<FrmPelto> w_;
};

} // namespace pelto::ui
