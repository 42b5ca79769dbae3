#pragma once
// Profile tests: a temporary folder for all files, the real file system, scripted boxes, fixed date.
#include "diag/ErrorLog.h"
#include "platform/ProgramState.h"
#include "platform/QSettingsBackend.h"
#include "platform/TextFile.h"
#include "platform/linux/LinuxFileSystem.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileHistory.h"
#include "profiles/ProfileTables.h"
#include "settings/Registry.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace pelto::test {

// The main window as the profile reader sees it. Folders are created only in the temp folder.
class TestProfileForm : public ProfileForm {
public:
    QString caption;
    QStringList created;
    ProfileMenuModel menu;
    ProfileListModel list;

    bool chkNumberProfiles() const override { return true; }
    void setCaption(const QString& text) override { caption = text; }
    ProfileMenuModel& mnuProfile() override { return menu; }
    ProfileListModel& lstProfile() override { return list; }
    void CreateNewFolder(QString& asMyPath) override {
        created.append(asMyPath);
        if (asMyPath.startsWith(QDir(QDir::tempPath()).canonicalPath() + QLatin1Char('/')))
            QDir().mkpath(asMyPath);
    }
    QStringList captions() const {
        QStringList out;
        for (int k = 1; k <= menu.UBound(); ++k)
            out.append(menu.caption(k));
        return out;
    }
};

class ProfileTest : public ::testing::Test {
protected:
    static QDate fixedToday() { return QDate(2026, 3, 7); }

    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        root_ = QDir(temp_.path()).canonicalPath();
        diag::SetLogEnabled(true);
        diag::SetLogFile(path("Error Log.txt"));
        setHistoryDateSource(&ProfileTest::fixedToday);
        reg_.emplace(std::make_unique<QSettingsBackend>(path("settings")));
        reg_->setApplicationName("Pelto");
        g().goReg = &*reg_;
        g().goFSO = &fs_;
        dialogs_.emplace();
    }

    void TearDown() override {
        EXPECT_EQ(dialogs_->unanswered(), 0) << "scripted answers left over";
        dialogs_.reset();
    }

    QString path(const QString& relative) const { return root_ + QLatin1Char('/') + relative; }
    QString folder(const QString& relative) const {
        QDir().mkpath(path(relative));
        return path(relative);
    }
    QString iniPath() const { return path("Pelto.INI"); }
    void writeIni(const QStringList& lines) const { writeTextLines(iniPath(), lines); }
    static void writeFile(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) >= 0);
    }
    bool load() { return ReadINI("Load", form_, iniPath()); }
    bool read(const QString& section) { return ReadINI(section, form_, iniPath()); }

    // A value as stored, read through a second store object.
    QString stored(const QString& section, const QString& key) const {
        Registry other(std::make_unique<QSettingsBackend>(path("settings")));
        other.setApplicationName("Pelto");
        other.setSection(section);
        other.setKey(key);
        other.GetReg();
        return other.Settings();
    }
    static QString profileField(int field, int line) { return g().gasProfile.at(field, line); }
    // A field (the whole line by default) of the profile table's first `count` lines.
    static QStringList tableLines(int count, int field = profile::kLine) {
        QStringList out;
        for (int n = 1; n <= count; ++n)
            out.append(profileField(field, n));
        return out;
    }

    ScriptedDialogs& dialogs() { return *dialogs_; }
    TestProfileForm& form() { return form_; }
    const QString& root() const { return root_; }

private:
    QTemporaryDir temp_;
    QString root_;
    LinuxFileSystem fs_;
    std::optional<Registry> reg_;
    TestProfileForm form_;
    std::optional<ScriptedDialogs> dialogs_;
};

} // namespace pelto::test
