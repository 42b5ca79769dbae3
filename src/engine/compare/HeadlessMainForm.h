#pragma once
// A main window without a screen, for tests, benchmarks and the command-line front end. Options
// are plain values that can be set at any time, also from inside a walk through the DoEvents hook
// (which is how a test clicks Cancel).

#include "engine/compare/MainForm.h"

#include <QStringList>
#include <functional>

namespace pelto {

class HeadlessMainForm : public MainForm {
public:
    // The designed defaults of the window: test mode, walk all subfolders, copy only.
    HeadlessMainForm() = default;

    bool optTest() const override { return test_; }
    bool optRecurse() const override { return recurse_; }
    bool optSync() const override { return sync_; }
    bool chkArchive() const override { return archive_; }
    bool chkResetArc() const override { return resetArc_; }

    void setOptTest(bool on) { test_ = on; }
    void setOptRecurse(bool on) override { recurse_ = on; }
    void setOptSync(bool on) { sync_ = on; }
    void setChkArchive(bool on) { archive_ = on; }
    void setChkResetArc(bool on) { resetArc_ = on; }

    // Publishes new lines to any attached views.
    void Refresh() override;
    // Publishes new lines, runs pending Qt events when an application object exists, then the hook.
    void DoEvents() override;

    // Runs at the end of every DoEvents; stands for what a user does while the window waits.
    std::function<void()> onDoEvents;

    // Records the folder, then answers through onStoreFolderProfile (true when unset).
    bool StoreFolderProfile(const QString& asFolder) override;
    std::function<bool(const QString&)> onStoreFolderProfile;
    const QStringList& storedFolderProfiles() const { return storedFolders_; }

    int refreshCount() const { return refreshes_; }
    int doEventsCount() const { return doEvents_; }

private:
    bool test_ = true;
    bool recurse_ = true;
    bool sync_ = false;
    bool archive_ = false;
    bool resetArc_ = false;
    QStringList storedFolders_;
    int refreshes_ = 0;
    int doEvents_ = 0;
};

} // namespace pelto
