#pragma once
// The main window's own logic without widgets: the state of every control the window's rules
// touch (caption or text, check mark, shown, enabled, left position in twips), the handlers the
// option controls run, the option summary, the option pages, keyboard page switching, the state
// of the action buttons around a check and a copy, and what start-up restores from the settings
// store and shutdown saves to it.
//
// The window forwards every user change to it and then shows its state; code that sets an
// option goes through the same calls, so setting a control from code runs its handler exactly as
// a click does.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>

namespace pelto {
class Registry;
}

namespace pelto::ui {

struct ControlState {
    QString caption; // caption of a button, label or check box; text of a text box
    bool value = false;
    bool visible = true;
    bool enabled = true;
    int left = 0; // twips, for the controls the rules move
};

class MainController {
public:
    // Option page positions: the shown page and where the others are moved out of sight.
    static constexpr int kPageLeft = 210;
    static constexpr int kPageAway = -20000;
    // Where a finished check puts the copy buttons and the cancel button, and a finished copy
    // the exit and again buttons.
    static constexpr int kCopyLeft = 3960;
    static constexpr int kCancelLeft = 2160;
    static constexpr int kPageCount = 4;
    static constexpr int kResultsTab = 2;

    // Every control in its designed state.
    MainController();

    // A control by its name; std::out_of_range for a name the rules do not know.
    bool has(const QString& name) const { return controls_.contains(name); }
    ControlState& control(const QString& name);
    const ControlState& control(const QString& name) const;
    const std::map<QString, ControlState>& controls() const { return controls_; }
    QString caption(const QString& name) const { return control(name).caption; }
    bool value(const QString& name) const { return control(name).value; }

    // An option button is selected (its partner cleared) and its handler runs; a check box
    // changes and its handler runs when the mark changes; a text box's change handler runs.
    void select(const QString& option);
    void setChecked(const QString& checkBox, bool checked);
    void setText(const QString& textBox, const QString& text);

    // Rebuilds the summary and disables the copy buttons until the next check.
    void ShowOptions();
    // Shows option page `page` (1..4): moved to its place and enabled; the others moved away
    // and disabled.
    void SetTabStrip(int page);
    int optionPage() const { return optionPage_; }
    // The outer tab control: leaving the results tab hides the cancel button.
    void selectTab(int tab);
    int tab() const { return tab_; }
    // Ctrl+Tab (forward) or Ctrl+Shift+Tab: the next or previous option page, wrapping around.
    // Nothing happens while an action runs.
    void switchOptionPage(bool forward);

    // False while an action runs: a click that would start another one is ignored.
    static bool mayStartAction();
    // The start of a user action that tests the error flag afterwards (check, copy, profile
    // choice): an error handled by an earlier action must not end this one.
    static void beginUserAction();

    // The action buttons around a check and a copy.
    void DisableButtons();
    void checkStarted();
    void checkEnded(bool cancelled);
    void copyEnded(bool offerArchiveReset);
    // A copy begins: the pressed button is disabled; Cancel and the others keep their state.
    void copyStarted(const QString& button);
    // A cancelled copy ends: Cancel is hidden and the progress tab shown; the other buttons keep
    // their state, as the lists no longer match the disks. Nothing runs any more, so a new check
    // or Exit may start.
    void CancelCopy();
    // What a click on Cancel did.
    enum class CancelEffect {
        None,      // a running copy goes on: the user said No
        Requested, // the running check or copy stops at its next look at the cancel flag
        Reset,     // nothing ran: the action buttons are hidden and a new check may start
    };
    // A running check stops without a question; a running copy only when `confirmCopyCancel`
    // says so.
    CancelEffect cancelClicked(const std::function<bool()>& confirmCopyCancel);
    // The archive reset a user starts after a copy: Exit waits until it is done.
    void archiveResetStarted();
    void archiveResetEnded();

    // The profile menu: entry choice shows the profile's lines in place of the pickers.
    void showProfileLines(bool shown);

    // Start-up, in its order. Numbers read through CvtInt, reported as "Form_Load: " + key.
    bool loading() const { return loading_; }
    void setLoading(bool on) { loading_ = on; }
    void restoreNumberProfiles(Registry& reg);
    void restoreModes(Registry& reg);
    // Raises "Instances" when another instance runs, else stores 1; labels the instance.
    void countInstance(Registry& reg, bool anotherRunning);
    QString instanceLabel() const { return caption(QStringLiteral("lblInstance")); }
    // The saved folder of "PathSource" or "PathDest", ending in the separator; "" when none.
    static QString savedFolder(Registry& reg, const char* key);
    // The sound file, repeat options and automatic copy. `defaultSound` is used when none is
    // stored; the file is shown only when `fileExists` says so.
    void restoreSound(Registry& reg, const QString& defaultSound,
                      const std::function<bool(const QString&)>& fileExists);
    // Every option back to the store, as shutdown does.
    void saveOptions(Registry& reg) const;

    // Window placement in the current section, per instance. A stored position of 0 or less
    // keeps the designed one, as does a window that would lie on no screen now.
    void savePosition(Registry& reg, QPoint topLeftTwips) const;
    QPoint restoredPosition(Registry& reg, const QRect& designedTwips,
                            const QList<QRect>& screensTwips) const;

    // Runs when "Place a number in front of profiles" changes after loading.
    std::function<void()> onNumberingChanged;

private:
    void runHandler(const QString& name);
    void setCaption(const QString& name, const QString& text) { control(name).caption = text; }
    void setShown(const QString& name, bool shown) { control(name).visible = shown; }
    void setEnabled(const QString& name, bool enabled) { control(name).enabled = enabled; }
    void place(const QString& name, int left, bool shown, bool enabled);

    void optTestOrProd();
    void optRecursion();
    void optCopy_Click();
    void optSync_Click();
    void chkArchive_Click();
    void chkResetArc_Click();
    void chkPlaySound_Click();
    void chkRepeatSound_Click();
    void txtUpdateFrequency_Change();
    void txtRepeatCount_Change();

    std::map<QString, ControlState> controls_;
    std::map<QString, QString> partners_;
    std::map<QString, void (MainController::*)()> handlers_;
    int optionPage_ = 1;
    int tab_ = 0;
    bool loading_ = false;
};

// The horizontal scroll extent, in pixels, that lets the widest line of a list be scrolled into
// view; nullopt while every line fits in 90 % of the list's width. A line is compared with the
// limit in twips (each wider line raises it) and the extent is 1.3 times the last such line's
// pixel width; a list shown in "Courier" counts both doubled. Widths saturate at 32767.
// widthBound, when given, is never below pixelWidth (infinity where it cannot say): lines that
// cannot be the widest are then left unmeasured, with the same result.
std::optional<int> horizontalExtent(const QStringList& lines, int listWidthTwips, bool courier,
                                    qreal logicalDpi,
                                    const std::function<int(const QString&)>& pixelWidth,
                                    const std::function<double(const QString&)>& widthBound = {});

// A window at `windowTwips` can be reached: a strip of its title bar lies on some screen.
bool reachable(const QRect& windowTwips, const QList<QRect>& screensTwips);

} // namespace pelto::ui
