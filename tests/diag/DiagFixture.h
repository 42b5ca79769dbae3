#pragma once
// Each diagnostics test gets a manual clock, a fixed local time, US English, scripted dialogs and
// a private runtime folder and current folder, so no other test's receiver or log file is seen.
#include "diag/ErrorLog.h"
#include "diag/Trace.h"
#include "diag/Version.h"
#include "diag/WallClock.h"
#include "support/ManualClock.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace pelto::test {

// An entry or exit line of this test program's trace, without its CR LF, and its banner.
inline QString traceLine(const char* number, const char* seconds, const char* arrow, int tabs,
                         const QString& rest) {
    return QStringLiteral("[%1] [%2] [%3] %4")
               .arg(diag::ProgramName(), QLatin1String(number), QLatin1String(seconds),
                    QLatin1String(arrow)) +
           QString(tabs, u'\t') + rest;
}
inline QString traceBanner() {
    return diag::ProgramName() + " START TRACE 1.00 LITE 03-07-2026,14:05:09";
}

class DiagTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid() && work_.isValid());
        oldRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
        oldCurrent_ = QDir::currentPath();
        QDir::setCurrent(work_.path());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        diag::setWallClock([] { return QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9)); });
        setClock(&clock_);
        dialogs_.emplace();
    }

    void TearDown() override {
        EXPECT_EQ(dialogs_->unanswered(), 0) << "scripted answers left over";
        dialogs_.reset();
        QLocale::setDefault(QLocale::system());
        QDir::setCurrent(oldCurrent_);
        qputenv("XDG_RUNTIME_DIR", oldRuntime_);
    }

    ScriptedDialogs& dialogs() { return *dialogs_; }
    QString workPath(const QString& name) const { return work_.filePath(name); }
    QString runtimeFolder() const { return runtime_.path(); }
    static QByteArray readAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The header the log gains at its first entry of a run, for the fixed time above.
    static QByteArray runHeaderBytes() {
        return " \r\nLogging started 03/07/26 at 02:05 PM\r\nProgram version " +
               QByteArray::number(kVersion.major) + '.' + QByteArray::number(kVersion.minor) + '.' +
               QByteArray::number(kVersion.revision).right(2) + "\r\n";
    }

    ManualClock clock_;

private:
    QTemporaryDir runtime_;
    QTemporaryDir work_;
    QByteArray oldRuntime_;
    QString oldCurrent_;
    std::optional<ScriptedDialogs> dialogs_;
};

} // namespace pelto::test
