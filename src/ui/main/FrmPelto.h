#pragma once
// The main window: the folder pickers, result lists, action buttons, option pages and menus. It
// implements the engines' view of the main window with its real controls, keeps its rules in
// MainController and forwards every control change there. Form_Load is the program's start-up
// and closing the window its shutdown.

#include "engine/compare/MainForm.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtSoundPlayer.h"
#include "profiles/ProfileForm.h"
#include "ui/main/MainController.h"
#include "ui/main/SoundNotifier.h"
#include "ui/widgets/CopyAutomaticallyWindow.h"
#include "workflow/Stage.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace pelto::workflow {
class ProgramSession;
}

class QLabel;
class QListView;
class QProgressBar;

namespace Ui {
class FrmPelto;
}

namespace pelto::ui {

class CountingFileSystem;
class InstanceLock;
class FolderBrowser;
class ErrorLogWindow;
class RevisionsWindow;

class FrmPelto : public QMainWindow,
                 public MainForm,
                 public ProfileForm,
                 public workflow::StageHook {
    Q_OBJECT

public:
    struct StartOptions {
        // The socket that tells running instances apart (InstanceLock::defaultName()).
        QString instanceName;
        // The profile file to read; empty for the one in the program's folder.
        QString profileFile;
        // Answers the program's boxes; nullptr for the window's real boxes.
        Dialogs* dialogs = nullptr;
        // Shows the splash window while the program starts (not in developer mode).
        bool splash = false;
        // Plays the end-of-work sound; nullptr for the real audio output.
        SoundPlayer* sound = nullptr;
    };

    explicit FrmPelto(QWidget* parent = nullptr);
    ~FrmPelto() override;

    // The start-up sequence. False when start-up failed and the program ends.
    bool Form_Load(const StartOptions& options);

    MainController& controller() { return controller_; }
    // Shows the controller's state in the controls.
    void showState();
    // Where the window opens when no reachable position is stored, in twips.
    QRect designedGeometryTwips() const;
    QPoint positionTwips() const;

    // The engines' view.
    bool optTest() const override { return controller_.value(QStringLiteral("optTest")); }
    bool optRecurse() const override { return controller_.value(QStringLiteral("optRecurse")); }
    void setOptRecurse(bool on) override;
    bool optSync() const override { return controller_.value(QStringLiteral("optSync")); }
    bool chkArchive() const override { return controller_.value(QStringLiteral("chkArchive")); }
    bool chkResetArc() const override { return controller_.value(QStringLiteral("chkResetArc")); }
    bool StoreFolderProfile(const QString& asFolder) override;
    void Refresh() override;
    void DoEvents() override;

    // The profile reader's view.
    bool chkNumberProfiles() const override {
        return controller_.value(QStringLiteral("chkNumberProfiles"));
    }
    void setCaption(const QString& caption) override { setWindowTitle(caption); }
    ProfileMenuModel& mnuProfile() override { return menu_; }
    ProfileListModel& lstProfile() override { return profileLines_; }
    void CreateNewFolder(QString& asMyPath) override;

    // The workflows' view: the stage that begins shows in the status line.
    void enterStage(const QString& stage) override;

    // Menu and button handlers.
    void mnuProfile_Click(int index);
    void mnuHelpAbout_Click();
    void mnuHelpRevisions_Click();
    void cmdCheck_Click();
    void cmdCopy_Click();
    void cmdCopyDelete_Click();
    void cmdCancel_Click();
    void cmdAgain_Click();
    void cmdResetArc_Click();
    void cmdDesign_Click();
    void cmdRegTest_Click();

    // Gives the list view a horizontal scroll extent wide enough for its widest line.
    void CheckHScroll(QListView* view, const ResultList& list);
    // The status line under the lists: what a run does now, or what the last run did.
    QString progressText();
    // Called at the end of a completed check and of a completed copy: the sound plays when
    // "Play sound" is ticked.
    void playEndSound();
    SoundNotifier& sound() { return sound_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    // Where the drive, folder and file lists of each side get their behaviour.
    void connectFolderBrowsers();
    // Reads the profile file into the menu; the developer's own file when one is named.
    void readProfiles(const QString& profileFile);
    void restoreSavedFolders();
    void placeWindow();
    // One menu action per profile entry, made when the entries change and updated from them.
    void rebuildProfileMenu();
    void showProfileMenu();
    // A profile that could not be read, or whose section left the menu, is no longer chosen:
    // the pickers come back.
    void dropProfileChoice();
    // After the menu was made again (numbering changed): the chosen profile keeps its check mark.
    void keepProfileChoice();
    void Form_Unload();
    // The folder pair of a single-pair run as the pickers show it; false, with the reason shown,
    // when there is none to run on.
    bool chosenPair(QString& source, QString& destination);
    // The copy of both copy buttons: the workflow's stages, then the window's after-run state.
    void runCopy(const QString& button);
    void checkHScrollResults();
    // Called once a check of a profile has finished with its copy buttons on screen: where the
    // automatic copy of a profile that asks for it begins.
    void copyAutomaticallyIfChosen();
    // The last-chance countdown, placed where it was last left for the chosen profile; true when
    // the copy is to start.
    bool askCopyNow(const CopyAutomaticallyWindow::Plan& plan);
    void showProgress();
    // The sound buttons, the repeat timer and the controls whose mouse moves stop a repetition.
    void connectSound();
    bool stopsRepeat(const QWidget* widget) const;
    qreal dpi() const;

    std::unique_ptr<Ui::FrmPelto> ui_;
    MainController controller_;
    QtDialogs dialogs_;
    std::unique_ptr<workflow::ProgramSession> session_;
    // The service the engines use in the window: the session's, counting what a copy writes.
    std::unique_ptr<CountingFileSystem> files_;
    qsizetype filesListed_ = 0; // file lines the check listed, for the copy's progress
    std::unique_ptr<InstanceLock> instance_;
    // One folder picker per side, made once the file-system service exists.
    QPointer<FolderBrowser> sourceBrowser_;
    QPointer<FolderBrowser> destinationBrowser_;
    QPointer<ErrorLogWindow> errorLog_;
    ProfileMenuModel menu_;
    ProfileListModel profileLines_;
    QList<QPointer<QAction>> profileActions_; // entry i at i - 1
    QPointer<QAction> profileSeparator_;
    QString chosenProfile_; // the section of the checked entry, "" when none is checked
    QPointer<RevisionsWindow> revisions_;
    // The folder pair the last check ran on, for the copy and the archive reset after it.
    QString runSource_;
    QString runDestination_;
    QString stage_; // the running stage, "" when idle
    qint64 stageStartMs_ = 0;
    qint64 progressShownMs_ = -1; // when a refresh last rewrote the status line
    QString lastRun_;             // one line about the last finished run
    QPointer<QLabel> progressLabel_;
    QPointer<QProgressBar> progressBar_;
    QRect designedTwips_;  // fixed when the window is placed
    bool showing_ = false; // controls are being set from the controller's state
    bool firstShown_ = false;
    bool unloaded_ = false;
    // The end-of-work sound and its repeat timer.
    QtSoundPlayer soundPlayer_;
    SoundNotifier sound_{controller_, soundPlayer_};
    QTimer Timer1_;
};

} // namespace pelto::ui
