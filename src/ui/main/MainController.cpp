#include "ui/main/MainController.h"

#include <limits>
#include <vector>

#include "diag/Convert.h"
#include "platform/ProgramPaths.h"
#include "platform/ProgramState.h"
#include "settings/Registry.h"
#include "settings/SettingsKeys.h"
#include "ui/common/Twips.h"

#include <algorithm>
#include <cmath>

namespace pelto::ui {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString padded(const char* heading, int blanks) {
    return QString::fromLatin1(heading) + QString(blanks, QLatin1Char(' '));
}

QString beforeColon(const QString& caption) {
    return caption.left(caption.indexOf(QLatin1Char(':')));
}

struct Designed {
    const char* name;
    const char* caption;
    bool value;
    bool visible;
    int left;
};

// The controls the window's rules change, as designed.
constexpr Designed kDesigned[] = {
    {"optTest", "Test mode", true, true, 0},
    {"optProd", "Production mode", false, true, 0},
    {"optRecurse", "Traverse subdirectories", true, true, 0},
    {"optNoRecur", "No subdirectories", false, true, 0},
    {"optCopy", "Copy files", true, true, 0},
    {"optSync", "Synchronize files", false, true, 0},
    {"chkArchive", "Use archive bit", false, true, 0},
    {"chkResetArc", "Reset archive bit", false, true, 0},
    {"chkPlaySound", "Play sound", true, true, 0},
    {"chkRepeatSound", "Repeat sound", true, true, 0},
    {"optRepeatSound_0", "Repeat            times", true, true, 0},
    {"optRepeatSound_1", "Repeat every", false, true, 0},
    {"chkNumberProfiles", "Place a number in front of profiles shown on menu", false, true, 0},
    {"chkCopyAutomatically", "Copy Automatically", false, true, 0},
    {"txtSource", "", false, true, 0},
    {"txtDest", "", false, true, 0},
    {"txtSoundFile", "", false, true, 0},
    {"txtUpdateFrequency", "4", false, true, 0},
    {"txtRepeatFreq", "10", false, true, 0},
    {"txtRepeatCount", "10", false, true, 0},
    {"cboRepeatFreq", "", false, true, 0},
    {"cmdTestSound", "&Test sound", false, true, 0},
    {"cmdChgSound", "Chan&ge file", false, true, 0},
    {"lblDebug", "Test mode:", false, true, 0},
    {"lblRecursion", "Traverse Subdirectories:", false, true, 0},
    {"lblFileCopy", "Copy Files:", false, true, 0},
    {"lblCopyArchive", "Archive bit: ", false, true, 0},
    {"lblResetArc", " automatically-dbg", false, false, 0},
    {"lblOptions", "", false, true, 0},
    {"lblInstance", "Instance", false, false, 0},
    {"lblDstFolder", "Mismatched directories on destination. These directories will be deleted!",
     false, true, 0},
    {"lblDstFile", "Mismatched files on destination drive. These files  will be deleted!", false,
     true, 0},
    {"cmdCheck", "&Check mismatches", false, true, 120},
    {"cmdCancel", "C&ancel", false, false, 2160},
    {"cmdAgain", "&Again", false, false, 2160},
    {"cmdCopy", "C&opy files", false, false, 3960},
    {"cmdCopyDelete", "C&opy / Delete files", false, false, 3960},
    {"cmdResetArc", "&Reset Archive Bit", false, false, 5760},
    {"cmdExit", "&Exit", false, true, 7560},
    {"cmdDesign", "D", false, false, 0},
    {"cmdI", "I", false, false, 0},
    {"cmdK", "K", false, false, 0},
    {"cmdRegTest", "R", false, false, 0},
    {"lstProfile", "", false, false, 120},
    {"drvSrc", "", false, true, 0},
    {"dirSrc", "", false, true, 0},
    {"filSrc", "", false, true, 0},
    {"drvDst", "", false, true, 0},
    {"dirDst", "", false, true, 0},
    {"filDst", "", false, true, 0},
    {"fraOptions_1", "", false, true, MainController::kPageLeft},
    {"fraOptions_2", "", false, true, MainController::kPageLeft},
    {"fraOptions_3", "", false, true, MainController::kPageLeft},
    {"fraOptions_4", "", false, true, MainController::kPageLeft},
};

constexpr const char* kPickers[] = {"drvSrc", "dirSrc", "filSrc", "drvDst", "dirDst", "filDst"};

QString pageName(int page) {
    return QStringLiteral("fraOptions_") + QString::number(page);
}

QString read(Registry& reg, const char* key) {
    reg.setKey(QString::fromLatin1(key));
    reg.GetReg();
    return reg.Settings();
}

qint32 readNumber(Registry& reg, const char* key, const char* conversion = "Form_Load: ") {
    return diag::CvtInt(read(reg, key), QString::fromLatin1(conversion) + QLatin1String(key));
}

void save(Registry& reg, const char* key, const QString& value) {
    reg.setKey(QString::fromLatin1(key));
    reg.setSettings(value);
    reg.SaveReg();
}

// A repeat count or interval as start-up shows it: 1 to 19 as typed, anything else "0".
QString repeatText(qint32 stored) {
    return stored > 0 && stored < 20 ? QString::number(stored) : QStringLiteral("0");
}

} // namespace

MainController::MainController() {
    for (const Designed& d : kDesigned)
        controls_[QString::fromLatin1(d.name)] = {QString::fromLatin1(d.caption), d.value,
                                                  d.visible, true, d.left};
    for (const auto& [a, b] : {std::pair{"optTest", "optProd"},
                               {"optRecurse", "optNoRecur"},
                               {"optCopy", "optSync"},
                               {"optRepeatSound_0", "optRepeatSound_1"}}) {
        partners_[QString::fromLatin1(a)] = QString::fromLatin1(b);
        partners_[QString::fromLatin1(b)] = QString::fromLatin1(a);
    }
    handlers_ = {
        {QStringLiteral("optTest"), &MainController::optTestOrProd},
        {QStringLiteral("optProd"), &MainController::optTestOrProd},
        {QStringLiteral("optRecurse"), &MainController::optRecursion},
        {QStringLiteral("optNoRecur"), &MainController::optRecursion},
        {QStringLiteral("optCopy"), &MainController::optCopy_Click},
        {QStringLiteral("optSync"), &MainController::optSync_Click},
        {QStringLiteral("chkArchive"), &MainController::chkArchive_Click},
        {QStringLiteral("chkResetArc"), &MainController::chkResetArc_Click},
        {QStringLiteral("chkPlaySound"), &MainController::chkPlaySound_Click},
        {QStringLiteral("chkRepeatSound"), &MainController::chkRepeatSound_Click},
        {QStringLiteral("txtUpdateFrequency"), &MainController::txtUpdateFrequency_Change},
        {QStringLiteral("txtRepeatCount"), &MainController::txtRepeatCount_Change},
    };
}

ControlState& MainController::control(const QString& name) {
    return controls_.at(name);
}

const ControlState& MainController::control(const QString& name) const {
    return controls_.at(name);
}

void MainController::runHandler(const QString& name) {
    if (const auto it = handlers_.find(name); it != handlers_.end())
        (this->*(it->second))();
    else if (name == QLatin1String("chkNumberProfiles") && !loading_ && onNumberingChanged)
        onNumberingChanged();
}

void MainController::select(const QString& option) {
    control(option).value = true;
    control(partners_.at(option)).value = false;
    runHandler(option);
}

void MainController::setChecked(const QString& checkBox, bool checked) {
    ControlState& box = control(checkBox);
    if (box.value == checked)
        return;
    box.value = checked;
    runHandler(checkBox);
}

void MainController::setText(const QString& textBox, const QString& text) {
    control(textBox).caption = text;
    runHandler(textBox);
}

void MainController::optTestOrProd() {
    setCaption(QStringLiteral("lblDebug"),
               value(QStringLiteral("optProd"))
                   ? padded("Production mode:", 64) + kCrLf +
                         QStringLiteral("Program shows the files and directories which will be "
                                        "copied, and also copies files to the destination.")
                   : padded("Test mode:", 66) + kCrLf +
                         QStringLiteral("Program shows what files and directories would be "
                                        "copied, but does not copy any files to the destination."));
    ShowOptions();
}

void MainController::optRecursion() {
    setCaption(QStringLiteral("lblRecursion"),
               value(QStringLiteral("optRecurse"))
                   ? padded("Traverse Subdirectories:", 55) + kCrLf +
                         QStringLiteral("Program will both copy the specified directory, and "
                                        "recursively copy all subdirectories.")
                   : padded("No Subdirectories:", 70) + kCrLf +
                         QStringLiteral("Program will only copy the specified directory, without "
                                        "traversing any subdirectories."));
    ShowOptions();
}

void MainController::optCopy_Click() {
    setCaption(QStringLiteral("lblFileCopy"),
               padded("Copy Files:", 70) + kCrLf +
                   QStringLiteral("Files and directories will be copied from the Source "
                                  "drive to the destination drive. "));
    ShowOptions();
    for (const char* name : {"chkArchive", "chkResetArc", "lblResetArc"})
        setEnabled(QString::fromLatin1(name), true);
    const bool archive = value(QStringLiteral("chkArchive"));
    const bool reset = value(QStringLiteral("chkResetArc"));
    if (archive)
        g().gbArchive = true;
    QString text = padded("Archive bit:", 16) + QString(50, QLatin1Char(' ')) + kCrLf +
                   QStringLiteral("This only processes source files that have the archive "
                                  "bit turned on. This speeds up the copying.");
    if (reset)
        text += QStringLiteral(" At the end of processing, the archive bit will be turned "
                               "off automatically for the copied files.");
    else if (archive)
        text += kCrLf + QStringLiteral(" WARNING - this option should normally be selected!");
    setCaption(QStringLiteral("lblCopyArchive"), text);
}

void MainController::optSync_Click() {
    setCaption(QStringLiteral("lblFileCopy"),
               padded("Synchronize Files:", 65) + kCrLf +
                   QStringLiteral("Files and directories will be copied from the Source "
                                  "drive to the destination drive. "
                                  "In addition, files and directories will be deleted "
                                  "from the destination drive to synchronize the "
                                  "destination drive contents to match the source drive."));
    ShowOptions();
    for (const char* name : {"chkArchive", "chkResetArc", "lblResetArc"})
        setEnabled(QString::fromLatin1(name), false);
    g().gbArchive = false;
    setCaption(QStringLiteral("lblCopyArchive"),
               padded("Archive bit:", 66) + kCrLf +
                   QStringLiteral("This will only process source files that have the archive "
                                  "bit turned on. This is incompatible with synchronizing the "
                                  "source and destination - ALL files must be processed for "
                                  "synchronizing."));
}

void MainController::chkArchive_Click() {
    const bool archive = value(QStringLiteral("chkArchive"));
    g().gbArchive = archive;
    // Resetting follows the archive option; the copy-mode texts are rebuilt once below.
    control(QStringLiteral("chkResetArc")).value = archive;
    if (value(QStringLiteral("optCopy")))
        optCopy_Click();
}

void MainController::chkResetArc_Click() {
    if (value(QStringLiteral("optCopy")))
        optCopy_Click();
}

void MainController::chkPlaySound_Click() {
    const bool on = value(QStringLiteral("chkPlaySound"));
    for (const char* name : {"cmdChgSound", "cmdTestSound", "txtSoundFile", "chkRepeatSound"})
        setEnabled(QString::fromLatin1(name), on);
    chkRepeatSound_Click();
}

void MainController::chkRepeatSound_Click() {
    const bool on = value(QStringLiteral("chkRepeatSound"));
    for (const char* name : {"optRepeatSound_0", "optRepeatSound_1", "txtRepeatCount",
                             "txtRepeatFreq", "cboRepeatFreq"})
        setEnabled(QString::fromLatin1(name), on);
}

void MainController::txtUpdateFrequency_Change() {
    // The box takes digits only, so "0" + its text is always a number; one beyond the 16-bit
    // range leaves the interval as it was.
    bool ok = false;
    const int seconds =
        (QLatin1Char('0') + caption(QStringLiteral("txtUpdateFrequency"))).toInt(&ok);
    if (!ok || seconds > 32767)
        return;
    g().giUpdateFrequency = static_cast<qint16>(std::max(seconds, 1));
}

void MainController::txtRepeatCount_Change() {
    const QString text = caption(QStringLiteral("txtRepeatCount"));
    if (diag::CvtInt(text, QStringLiteral("txtRepeatCount_Change")) >= 21)
        setText(QStringLiteral("txtRepeatCount"), QStringLiteral("20"));
}

void MainController::ShowOptions() {
    QString summary = beforeColon(caption(QStringLiteral("lblDebug")));
    if (g().gbExcludes)
        summary += QStringLiteral("     Subdirectories varies");
    else
        summary += QStringLiteral("     ") + beforeColon(caption(QStringLiteral("lblRecursion")));
    summary += QStringLiteral("     ") + beforeColon(caption(QStringLiteral("lblFileCopy")));
    setCaption(QStringLiteral("lblOptions"), summary);
    setEnabled(QStringLiteral("cmdCopy"), false);
    setEnabled(QStringLiteral("cmdCopyDelete"), false);
    setEnabled(QStringLiteral("cmdCheck"), true);
}

void MainController::SetTabStrip(int page) {
    for (int i = 1; i <= kPageCount; ++i) {
        ControlState& frame = control(pageName(i));
        frame.left = i == page ? kPageLeft : kPageAway;
        frame.enabled = i == page;
    }
    optionPage_ = page;
}

void MainController::selectTab(int tab) {
    const int previous = tab_;
    tab_ = tab;
    if (previous == kResultsTab && tab != previous) {
        setShown(QStringLiteral("cmdCancel"), false);
        setEnabled(QStringLiteral("cmdCancel"), false);
    }
}

void MainController::switchOptionPage(bool forward) {
    if (!mayStartAction())
        return;
    const int next =
        forward ? optionPage_ % kPageCount + 1 : (optionPage_ + kPageCount - 2) % kPageCount + 1;
    SetTabStrip(next);
}

bool MainController::mayStartAction() {
    return g().gsAction.isEmpty();
}

void MainController::beginUserAction() {
    g().gbErrorFlag = false;
}

void MainController::place(const QString& name, int left, bool shown, bool enabled) {
    ControlState& button = control(name);
    button.left = left;
    button.visible = shown;
    button.enabled = enabled;
}

void MainController::DisableButtons() {
    for (const char* name :
         {"cmdCopy", "cmdCopyDelete", "cmdExit", "cmdAgain", "cmdCancel", "cmdResetArc"}) {
        setShown(QString::fromLatin1(name), false);
        setEnabled(QString::fromLatin1(name), false);
    }
}

void MainController::checkStarted() {
    place(QStringLiteral("cmdCancel"), control(QStringLiteral("cmdCheck")).left, true, true);
    g().gsAction = QStringLiteral("check");
}

void MainController::checkEnded(bool cancelled) {
    g().gsAction.clear();
    if (cancelled) {
        setEnabled(QStringLiteral("cmdCancel"), true);
        setShown(QStringLiteral("cmdCancel"), false);
        return;
    }
    selectTab(kResultsTab);
    DisableButtons();
    const bool sync = value(QStringLiteral("optSync"));
    place(sync ? QStringLiteral("cmdCopyDelete") : QStringLiteral("cmdCopy"), kCopyLeft, true,
          true);
    setCaption(QStringLiteral("lblDstFolder"),
               QStringLiteral("Mismatched directories on") +
                   (sync ? QStringLiteral(" destination. These directories will be deleted!")
                         : QStringLiteral(" destination ")));
    setCaption(QStringLiteral("lblDstFile"),
               QStringLiteral("Mismatched files on destination") +
                   (sync ? QStringLiteral(" drive. These files will be deleted!")
                         : QStringLiteral(" drive ")));
    if (value(QStringLiteral("optTest"))) {
        for (const char* name : {"cmdCopyDelete", "cmdCopy"}) {
            setCaption(QString::fromLatin1(name), QStringLiteral("TEST MODE"));
            setEnabled(QString::fromLatin1(name), false);
        }
    } else {
        setCaption(QStringLiteral("cmdCopyDelete"), QStringLiteral("C&opy / Delete files"));
        setCaption(QStringLiteral("cmdCopy"), QStringLiteral("C&opy files"));
    }
    place(QStringLiteral("cmdCancel"), kCancelLeft, true, true);
}

void MainController::copyEnded(bool offerArchiveReset) {
    g().gsAction.clear();
    DisableButtons();
    place(QStringLiteral("cmdCheck"), control(QStringLiteral("cmdCheck")).left, true, true);
    place(QStringLiteral("cmdExit"), kCopyLeft, true, true);
    place(QStringLiteral("cmdAgain"), kCancelLeft, true, true);
    if (offerArchiveReset) {
        setShown(QStringLiteral("cmdResetArc"), true);
        setEnabled(QStringLiteral("cmdResetArc"), true);
    }
}

void MainController::copyStarted(const QString& button) {
    setEnabled(button, false);
}

void MainController::CancelCopy() {
    if (!g().gbCancel)
        return;
    setShown(QStringLiteral("cmdCancel"), false);
    g().gbCancel = false;
    // The run is over: a new check, or Exit, may start.
    g().gsAction.clear();
    selectTab(1);
}

MainController::CancelEffect
MainController::cancelClicked(const std::function<bool()>& confirmCopyCancel) {
    ProgramState& state = g();
    const bool check = state.gsAction == QLatin1String("check");
    if (check || state.gsAction == QLatin1String("copy")) {
        if (!check && !confirmCopyCancel())
            return CancelEffect::None;
        state.gbCancel = true;
        setEnabled(QStringLiteral("cmdCancel"), false);
        return CancelEffect::Requested;
    }
    selectTab(1);
    DisableButtons();
    setEnabled(QStringLiteral("cmdCheck"), true);
    return CancelEffect::Reset;
}

void MainController::archiveResetStarted() {
    setShown(QStringLiteral("cmdExit"), false);
    setEnabled(QStringLiteral("cmdExit"), false);
}

void MainController::archiveResetEnded() {
    setShown(QStringLiteral("cmdResetArc"), false);
    setEnabled(QStringLiteral("cmdResetArc"), false);
    setShown(QStringLiteral("cmdExit"), true);
    setEnabled(QStringLiteral("cmdExit"), true);
}

void MainController::showProfileLines(bool shown) {
    setShown(QStringLiteral("lstProfile"), shown);
    for (const char* picker : kPickers)
        setShown(QString::fromLatin1(picker), !shown);
    setEnabled(QStringLiteral("optRecurse"), !shown);
    setEnabled(QStringLiteral("optNoRecur"), !shown);
    ShowOptions();
}

void MainController::restoreNumberProfiles(Registry& reg) {
    const QString stored = read(reg, settings::key::NumberProfiles.name);
    setChecked(QStringLiteral("chkNumberProfiles"),
               stored.isEmpty() ||
                   diag::CvtInt(stored, QStringLiteral("Form_Load: NumberProfiles")) == 1);
}

void MainController::restoreModes(Registry& reg) {
    if (read(reg, settings::key::SyncDelete.name) == QLatin1String("Sync"))
        select(QStringLiteral("optSync"));
    else
        select(QStringLiteral("optCopy"));
    select(readNumber(reg, settings::key::TestProd.name) == 0 ? QStringLiteral("optTest")
                                                              : QStringLiteral("optProd"));
    const bool archive = readNumber(reg, settings::key::UseArchive.name) != 0;
    setChecked(QStringLiteral("chkArchive"), archive);
    if (archive)
        g().gbArchive = value(QStringLiteral("optCopy"));
    setChecked(QStringLiteral("chkResetArc"),
               readNumber(reg, settings::key::ResetArchive.name) != 0);
}

void MainController::countInstance(Registry& reg, bool anotherRunning) {
    const qint32 count = anotherRunning ? readNumber(reg, settings::key::Instances.name) + 1 : 1;
    save(reg, settings::key::Instances.name, QString::number(count));
    setCaption(QStringLiteral("lblInstance"), QStringLiteral("Instance") + QString::number(count));
    setShown(QStringLiteral("lblInstance"), g().gbInDesign);
}

QString MainController::savedFolder(Registry& reg, const char* key) {
    QString folder = read(reg, key);
    if (!folder.isEmpty() && !folder.endsWith(pathSeparator()))
        folder += pathSeparator();
    return folder;
}

void MainController::restoreSound(Registry& reg, const QString& defaultSound,
                                  const std::function<bool(const QString&)>& fileExists) {
    QString sound = read(reg, settings::key::PathSound.name);
    if (sound.isEmpty())
        sound = defaultSound;
    if (fileExists(sound))
        setText(QStringLiteral("txtSoundFile"), sound);
    setChecked(QStringLiteral("chkPlaySound"), readNumber(reg, settings::key::PlaySound.name) != 0);
    setChecked(QStringLiteral("chkRepeatSound"),
               readNumber(reg, settings::key::RepeatSound.name) != 0);
    setEnabled(QStringLiteral("chkRepeatSound"),
               readNumber(reg, settings::key::RepeatEnabled.name) == 1);
    select(readNumber(reg, settings::key::RepeatSound0.name) == 1
               ? QStringLiteral("optRepeatSound_0")
               : QStringLiteral("optRepeatSound_1"));
    setText(QStringLiteral("txtRepeatCount"),
            repeatText(readNumber(reg, settings::key::RepeatCount.name)));
    setText(QStringLiteral("txtRepeatFreq"),
            repeatText(readNumber(reg, settings::key::RepeatFreq.name)));
    const QString unit = read(reg, settings::key::RepeatMinutes.name);
    setText(QStringLiteral("cboRepeatFreq"), unit.isEmpty() ? QStringLiteral("Seconds") : unit);
    chkPlaySound_Click();
    setChecked(QStringLiteral("chkCopyAutomatically"),
               readNumber(reg, settings::key::AutoCopy.name) == 1);
}

void MainController::saveOptions(Registry& reg) const {
    using namespace settings;
    const auto flag = [&](const char* name) { return flagText(value(QString::fromLatin1(name))); };
    save(reg, key::SyncDelete.name, syncOrCopyText(value(QStringLiteral("optSync"))));
    save(reg, key::TestProd.name, flag("optProd"));
    save(reg, key::UseArchive.name, flag("chkArchive"));
    save(reg, key::ResetArchive.name, flag("chkResetArc"));
    // An empty start-up folder stays empty: with a separator added it would name the root.
    for (const auto& [key, box] :
         {std::pair{key::PathSource.name, "txtSource"}, {key::PathDest.name, "txtDest"}}) {
        QString folder = caption(QString::fromLatin1(box));
        if (!folder.isEmpty() && !folder.endsWith(pathSeparator()))
            folder += pathSeparator();
        save(reg, key, folder);
    }
    save(reg, key::PathSound.name, caption(QStringLiteral("txtSoundFile")));
    save(reg, key::PlaySound.name, flag("chkPlaySound"));
    save(reg, key::RepeatEnabled.name, flagText(control(QStringLiteral("chkRepeatSound")).enabled));
    save(reg, key::RepeatSound.name, flag("chkRepeatSound"));
    save(reg, key::RepeatSound0.name, flag("optRepeatSound_0"));
    save(reg, key::RepeatCount.name, caption(QStringLiteral("txtRepeatCount")));
    save(reg, key::RepeatFreq.name, caption(QStringLiteral("txtRepeatFreq")));
    save(reg, key::RepeatMinutes.name, caption(QStringLiteral("cboRepeatFreq")));
    save(reg, key::AutoCopy.name, flag("chkCopyAutomatically"));
    save(reg, key::NumberProfiles.name, flag("chkNumberProfiles"));
}

void MainController::savePosition(Registry& reg, QPoint topLeftTwips) const {
    const QString id = QString::fromLatin1(settings::kMainWindowId);
    reg.setKey(settings::topKey(instanceLabel(), id));
    reg.setSettings(QString::number(topLeftTwips.y()));
    reg.SaveReg();
    reg.setKey(settings::leftKey(instanceLabel(), id));
    reg.setSettings(QString::number(topLeftTwips.x()));
    reg.SaveReg();
}

QPoint MainController::restoredPosition(Registry& reg, const QRect& designedTwips,
                                        const QList<QRect>& screensTwips) const {
    const QString id = QString::fromLatin1(settings::kMainWindowId);
    QPoint at = designedTwips.topLeft();
    for (const bool top : {true, false}) {
        const QString key =
            top ? settings::topKey(instanceLabel(), id) : settings::leftKey(instanceLabel(), id);
        reg.setKey(key);
        reg.GetReg();
        const qint32 stored = diag::CvtLng(reg.Settings(), QStringLiteral("Form_Load: ") + key);
        if (stored > 0)
            (top ? at.ry() : at.rx()) = stored;
    }
    // A position saved on a screen that is gone would open the window out of sight.
    if (!reachable(QRect(at, designedTwips.size()), screensTwips))
        return designedTwips.topLeft();
    return at;
}

namespace {

// A width as a 16-bit whole number; wider than that stays at the largest.
int width16(double width) {
    return static_cast<int>(std::clamp(std::round(width), 0.0, 32767.0));
}

} // namespace

std::optional<int> horizontalExtent(const QStringList& lines, int listWidthTwips, bool courier,
                                    qreal logicalDpi,
                                    const std::function<int(const QString&)>& pixelWidth,
                                    const std::function<double(const QString&)>& widthBound) {
    const double factor = courier ? 2.0 : 1.0;
    const auto twipsOf = [&](double pixels) {
        return width16(factor * pixels * kTwipsPerInch / logicalDpi);
    };
    const int limit = width16(listWidthTwips * 0.9);
    // The extent follows the first line that reaches the greatest width in twips. Measuring a
    // line shapes its text, which is slow on long lists, so lines are measured widest bound
    // first, and only while a line's bound could still reach the widest line measured so far.
    const auto bound = [&](const QString& line) {
        return widthBound ? widthBound(line) : std::numeric_limits<double>::infinity();
    };
    std::vector<std::pair<double, qsizetype>> order; // (bound, line index), widest bound first
    order.reserve(static_cast<std::size_t>(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        order.emplace_back(bound(lines[i]), i);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    int widestTwips = -1;
    int widestPixels = 0;
    qsizetype widestIndex = 0;
    for (const auto& [lineBound, index] : order) {
        if (twipsOf(lineBound) < widestTwips)
            break;
        const int pixels = pixelWidth(lines[index]);
        const int twips = twipsOf(pixels);
        if (twips > widestTwips || (twips == widestTwips && index < widestIndex)) {
            widestTwips = twips;
            widestPixels = pixels;
            widestIndex = index;
        }
    }
    if (widestTwips <= limit)
        return std::nullopt;
    return width16(factor * width16(widestPixels * 1.3));
}

bool reachable(const QRect& windowTwips, const QList<QRect>& screensTwips) {
    // The top quarter inch of the window, at least one inch of it wide, must lie on a screen, so
    // that the title bar can be grabbed.
    constexpr int kStripHeight = 360;
    constexpr int kStripWidth = 1440;
    const QRect strip(windowTwips.topLeft(), QSize(windowTwips.width(), kStripHeight));
    for (const QRect& screen : screensTwips) {
        const QRect seen = strip.intersected(screen);
        if (seen.height() >= kStripHeight && seen.width() >= std::min(kStripWidth, strip.width()))
            return true;
    }
    return false;
}

} // namespace pelto::ui
