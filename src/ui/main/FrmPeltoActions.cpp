// The main window's actions: check, copy, copy and delete, cancel, again, archive reset, and the
// progress line a run shows.
#include "diag/Convert.h"
#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/copy/Copy.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramPaths.h"
#include "platform/ProgramState.h"
#include "platform/SystemDirs.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileHistory.h"
#include "profiles/ProfileTables.h"
#include "settings/SettingsKeys.h"
#include "ui/common/Twips.h"
#include "ui/main/CountingFileSystem.h"
#include "ui/main/ExtentDelegate.h"
#include "ui/main/FrmPelto.h"

#include <limits>

#include "ui/main/InstanceLock.h"
#include "ui/widgets/ErrorLogWindow.h"
#include "ui/widgets/FolderBrowser.h"
#include "ui/widgets/SplashWindow.h"
#include "ui_FrmPelto.h"
#include "workflow/CheckWorkflow.h"
#include "workflow/CopyWorkflow.h"
#include "workflow/FolderSafety.h"
#include "workflow/ProgramSession.h"
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>
#include <string_view>

namespace pelto::ui {
namespace {

QString elapsedText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void FrmPelto::enterStage(const QString& stage) {
    if (stage_.isEmpty())
        stageStartMs_ = clock().nowMs();
    stage_ = stage;
    showProgress();
}

QString FrmPelto::progressText() {
    if (stage_.isEmpty())
        return lastRun_;
    QString text = stage_ + QLatin1Char(' ') + elapsedText(clock().nowMs() - stageStartMs_);
    if (stage_ == QLatin1String("Checking")) {
        text += QStringLiteral(" | source %1 files | destination %2 files")
                    .arg(g().glSrcFiles)
                    .arg(g().glDstFiles);
    } else if (stage_ == QLatin1String("Copying") && files_) {
        const qint64 copied = files_->filesCopied();
        text += QStringLiteral(" | %1").arg(copied);
        if (copied <= filesListed_)
            text += QStringLiteral(" of %1").arg(filesListed_);
        text += QStringLiteral(" files | ") + QLocale().formattedDataSize(files_->bytesCopied());
        // Files inside new folders are copied too but were not listed one by one, so the time
        // left is only guessed while the listed count holds.
        if (copied > 0 && copied < filesListed_)
            text += QStringLiteral(" | about %1 left")
                        .arg(elapsedText((clock().nowMs() - stageStartMs_) *
                                         (filesListed_ - copied) / copied));
    }
    const ResultList& shown = lstShowDirs();
    if (shown.count() > 0)
        text += QStringLiteral(" | ") + shown.item(shown.count() - 1).trimmed();
    return text;
}

void FrmPelto::showProgress() {
    // The line fits its place: a long folder name gives way at its start, so that the counts
    // before it stay in sight; the whole line is the label's tooltip.
    const QString text = progressText();
    QString shown = text;
    const QFontMetrics metrics(progressLabel_->font());
    const int room = progressLabel_->contentsRect().width();
    const ResultList& folders = lstShowDirs();
    if (room > 0 && metrics.horizontalAdvance(text) > room) {
        const QString folder =
            folders.count() > 0 ? folders.item(folders.count() - 1).trimmed() : QString();
        if (!stage_.isEmpty() && !folder.isEmpty() && text.endsWith(folder)) {
            const QString head = text.left(text.size() - folder.size());
            shown = head + metrics.elidedText(folder, Qt::ElideLeft,
                                              std::max(0, room - metrics.horizontalAdvance(head)));
        }
        shown = metrics.elidedText(shown, Qt::ElideRight, room);
    }
    progressLabel_->setText(shown);
    progressLabel_->setToolTip(text);
    progressBar_->setVisible(!stage_.isEmpty());
    const bool counted = stage_ == QLatin1String("Copying") && files_ && filesListed_ > 0;
    progressBar_->setRange(0, counted ? static_cast<int>(filesListed_) : 0);
    if (counted)
        progressBar_->setValue(
            static_cast<int>(std::min<qint64>(files_->filesCopied(), filesListed_)));
}

bool FrmPelto::chosenPair(QString& source, QString& destination) {
    const QString sourceText = controller_.caption(QStringLiteral("txtSource"));
    const QString destinationText = controller_.caption(QStringLiteral("txtDest"));
    QString problem;
    if (sourceText.isEmpty() || destinationText.isEmpty()) {
        problem = QStringLiteral("Choose a source folder and a destination folder first.");
    } else {
        source = fspath::normalize(sourceText);
        destination = fspath::normalize(destinationText);
        try {
            if (!g().goFSO->FolderExistsExactly(source))
                problem = QStringLiteral("Source directory not found:") + source;
            else
                problem = workflow::folderPairProblem(*g().goFSO, source, destination);
        } catch (const RuntimeError& e) {
            problem = e.description();
        }
    }
    if (!problem.isEmpty()) {
        dialogs().notice(problem, QStringLiteral("Pelto"), BoxIcon::Exclamation);
        return false;
    }
    // A missing destination is made, exactly as named, only when the user agrees.
    const QString crLf = QStringLiteral("\r\n");
    try {
        if (g().goFSO->FolderExistsExactly(destination))
            return true;
        if (!dialogs().yesNo(QStringLiteral("Destination directory not found:") + crLf +
                                 destination + crLf +
                                 QStringLiteral("Would you like to create the directory?"),
                             QStringLiteral("Pelto"), BoxIcon::Critical))
            return false;
        workflow::createFolderExactly(*g().goFSO, destination);
        return true;
    } catch (const RuntimeError& e) {
        dialogs().notice(e.description(), QStringLiteral("Pelto"), BoxIcon::Exclamation);
        return false;
    }
}

void FrmPelto::cmdCheck_Click() {
    if (!MainController::mayStartAction())
        return;
    diag::Procedure proc("Pelto", "Sub cmdCheck_Click", [] { return QStringLiteral("()"); });
    MainController::beginUserAction();
    ProgramState& state = g();
    QString source;
    QString destination;
    if (!state.gbExcludes && !chosenPair(source, destination))
        return;
    if (errorLog_)
        errorLog_->clear();
    lastRun_.clear();
    controller_.checkStarted();
    showState();
    const workflow::StageResult result =
        workflow::RunCheck(*this, *this, *this, source, destination);
    publishLists(); // the lines added since the walk's last refresh
    const QString took = elapsedText(clock().nowMs() - stageStartMs_);
    stage_.clear();
    if (result != workflow::StageResult::Completed) {
        controller_.checkEnded(true);
        lastRun_ = result == workflow::StageResult::Cancelled
                       ? QStringLiteral("Check cancelled after ") + took
                       : QStringLiteral("Check failed: the error log says why.");
        showState();
        showProgress();
        // A walk that failed ends the program, as its lists cannot be trusted.
        if (result == workflow::StageResult::Failed)
            close();
        return;
    }
    if (state.gbExcludes) {
        // The copy after a profile check stands for the pickers with the first line's pair.
        source = state.gasProfile.at(profile::kSource, 1);
        destination = state.gasProfile.at(profile::kDestination, 1);
        controller_.ShowOptions();
    }
    runSource_ = source;
    runDestination_ = destination;
    playEndSound();
    controller_.checkEnded(false);
    showState();
    checkHScrollResults();
    lastRun_ = QStringLiteral("Checked in %1: source %2 files, destination %3 files")
                   .arg(took)
                   .arg(state.glSrcFiles)
                   .arg(state.glDstFiles);
    showProgress();
    if (state.gbExcludes)
        copyAutomaticallyIfChosen();
}

void FrmPelto::copyAutomaticallyIfChosen() {
    // A profile copied more than once with its current lines copies on its own after a check,
    // once the last-chance countdown ran out.
    ProgramState& state = g();
    if (!controller_.value(QStringLiteral("chkCopyAutomatically")) || !state.gbExcludes)
        return;
    diag::Procedure proc("Pelto", "Sub cmdCheck_Click", [] { return QStringLiteral("()"); });
    const auto trap = proc.trap();
    const QString key = settings::keyName(settings::key::TimesUsed);
    const auto used = trap([&] {
        Registry& reg = *state.goReg;
        reg.setSection(settings::profileSection(state.giProfileEntry));
        reg.setKey(key);
        reg.GetReg();
        return diag::CvtInt(reg.Settings(), QStringLiteral("cmdCheck_Click: ") + key);
    });
    if (!used || !used.value() || *used.value() <= 1)
        return;
    const bool sync = optSync();
    // A source found empty beside a full destination is put to the user by the copy before it
    // deletes anything; no countdown runs over that question, the copy waits for the answer.
    const bool question =
        sync && optProd() &&
        std::ranges::any_of(workflow::checkedPairs(), &workflow::CheckedPair::emptySource);
    if (!question) {
        const auto entries = [](const ResultList& list) {
            qsizetype n = 0;
            for (qsizetype i = 0; i < list.count(); ++i) {
                const LineData& line = list.lineData(i);
                n += line.kind == LineData::Kind::Entry && !line.name.isEmpty();
            }
            return n;
        };
        const CopyAutomaticallyWindow::Plan plan{chosenProfile_,
                                                 sync,
                                                 optTest(),
                                                 entries(lstSrcFile()),
                                                 entries(lstSrcFolder()),
                                                 entries(lstDstFile()),
                                                 entries(lstDstFolder())};
        if (!askCopyNow(plan))
            return;
    }
    if (sync)
        cmdCopyDelete_Click();
    else
        cmdCopy_Click();
}

void FrmPelto::checkHScrollResults() {
    CheckHScroll(ui_->lstSrcFile, lstSrcFile());
    CheckHScroll(ui_->lstDstFile, lstDstFile());
    CheckHScroll(ui_->lstSrcFolder, lstSrcFolder());
    CheckHScroll(ui_->lstDstFolder, lstDstFolder());
}

void FrmPelto::CheckHScroll(QListView* view, const ResultList& list) {
    diag::Procedure proc("Pelto", "Sub CheckHScroll", [] { return QStringLiteral("(<List>)"); });
    const QFontMetrics metrics = view->fontMetrics();
    // A line of printable ASCII and no-break spaces is at most as wide as its characters' own
    // advances, with one pixel more each for rounding; other characters may be shaped together.
    std::array<double, 256> charBound{};
    charBound.fill(std::numeric_limits<double>::infinity());
    for (char16_t code = 0x20; code < 0x7f; ++code)
        charBound[code] = metrics.horizontalAdvance(QChar(code)) + 1;
    charBound[0xa0] = metrics.horizontalAdvance(QChar(0xa0)) + 1;
    const auto widthBound = [&](const QString& line) {
        double pixels = 0;
        for (const QChar c : line)
            pixels += c.unicode() < 0x100 ? charBound[c.unicode()]
                                          : std::numeric_limits<double>::infinity();
        return pixels;
    };
    const std::optional<int> extent = horizontalExtent(
        list.items(), pixelsToTwips(view->width(), dpi()),
        list.fontName() == QLatin1String("Courier"), dpi(),
        [&](const QString& line) { return metrics.horizontalAdvance(line); }, widthBound);
    auto* const delegate = dynamic_cast<ExtentDelegate*>(view->itemDelegate());
    if (!extent || !delegate)
        return;
    delegate->setExtent(*extent);
    view->doItemsLayout();
}

void FrmPelto::cmdCopy_Click() {
    runCopy(QStringLiteral("cmdCopy"));
}

void FrmPelto::cmdCopyDelete_Click() {
    runCopy(QStringLiteral("cmdCopyDelete"));
}

void FrmPelto::runCopy(const QString& button) {
    // A copy works on the lists of the check before it.
    if (!MainController::mayStartAction() || runDestination_.isEmpty())
        return;
    diag::Procedure proc("Pelto",
                         button == QLatin1String("cmdCopy") ? "Sub cmdCopy_Click"
                                                            : "Sub cmdCopyDelete_Click",
                         [] { return QStringLiteral("()"); });
    MainController::beginUserAction();
    ProgramState& state = g();
    controller_.copyStarted(button);
    showState();
    const qsizetype logged = diag::messageLog().text().size();
    filesListed_ = 0;
    for (qsizetype i = 0; i < lstSrcFile().count(); ++i)
        filesListed_ += lstSrcFile().lineData(i).kind == LineData::Kind::Entry;
    files_->resetCounts();
    const workflow::StageResult result =
        workflow::RunCopy(*this, *this, runSource_, runDestination_);
    publishLists();
    const QString took = elapsedText(clock().nowMs() - stageStartMs_);
    stage_.clear();
    if (result == workflow::StageResult::Cancelled) {
        lstShowDirs().clear();
        controller_.CancelCopy();
        lastRun_ = QStringLiteral("Copy cancelled after ") + took +
                   QStringLiteral(": check again before copying.");
    } else if (result == workflow::StageResult::Failed) {
        // An error the user was told about leaves the buttons as they are, but a new check or
        // Exit may start; a copy stage that gave up ends the program.
        const bool reported = state.gbErrorFlag;
        state.gsAction.clear();
        lastRun_ = QStringLiteral("Copy failed: the error log says why.");
        // A full disk may have made the user free space before the copy failed after all: what
        // that deleted is gone and must not pass unsaid.
        if (state.gbSpaceFreed) {
            const workflow::CopySummary summary = workflow::SummarizeCopy(*this, *g().goFSO, {});
            lastRun_ += QStringLiteral(" To free space, %1 files and %2 folders deleted.")
                            .arg(summary.filesDeleted)
                            .arg(summary.foldersDeleted);
        }
        if (!reported) {
            showProgress();
            close();
            return;
        }
    } else {
        for (FolderBrowser* browser : {sourceBrowser_.data(), destinationBrowser_.data()})
            if (browser)
                browser->setPath(browser->path());
        const workflow::CopySummary summary =
            workflow::SummarizeCopy(*this, *g().goFSO,
                                    diag::messageLog().text().mid(logged).split(
                                        QStringLiteral("\r\n"), Qt::SkipEmptyParts));
        controller_.copyEnded(state.gbArchive && !chkResetArc());
        checkHScrollResults();
        playEndSound();
        lastRun_ = QStringLiteral("%1 in %2: %3 files and %4 folders copied")
                       .arg(summary.test ? QStringLiteral("Test run") : QStringLiteral("Copied"))
                       .arg(took)
                       .arg(summary.filesCopied)
                       .arg(summary.foldersCopied);
        if (summary.sync)
            lastRun_ += QStringLiteral(", %1 files and %2 folders deleted")
                            .arg(summary.filesDeleted)
                            .arg(summary.foldersDeleted);
        if (!summary.skipped.isEmpty())
            lastRun_ += QStringLiteral(", %1 skipped").arg(summary.skipped.size());
        if (!workflow::keptDestinations().isEmpty())
            lastRun_ += QStringLiteral(", kept beside an empty source: ") +
                        workflow::keptDestinations().join(QStringLiteral(", "));
    }
    showState();
    showProgress();
}

void FrmPelto::cmdCancel_Click() {
    const auto effect = controller_.cancelClicked([] {
        return dialogs().yesNo(QStringLiteral("If you answer YES, then you will have to check the "
                                              "files and directories again."),
                               QStringLiteral("Really sure you want to cancel?"));
    });
    if (effect == MainController::CancelEffect::Reset)
        lstShowDirs().clear();
    showState();
}

void FrmPelto::cmdAgain_Click() {
    if (!MainController::mayStartAction())
        return;
    lstShowDirs().clear();
    controller_.ShowOptions();
    controller_.selectTab(1);
    showState();
}

void FrmPelto::cmdResetArc_Click() {
    if (!MainController::mayStartAction())
        return;
    diag::Procedure proc("Pelto", "Sub cmdResetArc_Click", [] { return QStringLiteral("()"); });
    const auto trap = proc.trap();
    controller_.archiveResetStarted();
    showState();
    // Nothing else may start while the reset pumps events.
    g().gsAction = QStringLiteral("reset");
    enterStage(QStringLiteral("Clearing archive bits"));
    static_cast<void>(trap([&] { ResetArcFolders(runSource_, runDestination_, *this); }));
    g().gsAction.clear();
    stage_.clear();
    lastRun_ = QStringLiteral("Archive bits cleared.");
    controller_.archiveResetEnded();
    showState();
    showProgress();
}

} // namespace pelto::ui
