#pragma once
// The main window of the command-line program: the headless main window the engines write their
// lists into, with the options taken from the command line, plus what the profile reader needs
// (the profile list, a menu nobody sees, the creation of a missing destination). Its repaint
// draws the progress line and its event pump passes a Ctrl+C on as a cancel request.

#include "engine/compare/HeadlessMainForm.h"
#include "profiles/ProfileForm.h"
#include "workflow/Stage.h"

#include <QString>

namespace pelto::cli {

class Console;

class CliForm : public HeadlessMainForm, public ProfileForm, public workflow::StageHook {
public:
    explicit CliForm(Console& console);

    // What the run is doing, for the progress line ("Checking", "Copying", ...).
    void enterStage(const QString& stage) override;
    // Draws the progress line now, whatever time has passed since the last one.
    void showProgress();

    void Refresh() override;
    void DoEvents() override;

    bool chkNumberProfiles() const override { return false; }
    void setCaption(const QString& caption) override { caption_ = caption; }
    const QString& caption() const { return caption_; }
    ProfileMenuModel& mnuProfile() override { return menu_; }
    ProfileListModel& lstProfile() override { return profileLines_; }
    void CreateNewFolder(QString& asMyPath) override;

    // A folder the copy created under a profile goes into the profile's folder record.
    bool StoreFolderProfile(const QString& asFolder) override;

private:
    // The list line or folder the run is at.
    QString currentItem();
    void takeCancelRequest();

    Console& console_;
    QString stage_;
    qint64 startMs_ = 0;
    qint64 lastDrawnMs_ = -1;
    QString caption_;
    ProfileMenuModel menu_;
    ProfileListModel profileLines_;
};

} // namespace pelto::cli
