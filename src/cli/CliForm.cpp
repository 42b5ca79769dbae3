#include "cli/CliForm.h"

#include "cli/CancelSignal.h"
#include "cli/Console.h"
#include "cli/ProgressLine.h"
#include "diag/Procedure.h"
#include "engine/copy/Copy.h"
#include "platform/Clock.h"
#include "platform/ProgramState.h"
#include "profiles/ProfileHistory.h"
#include "workflow/FolderSafety.h"

namespace pelto::cli {
namespace {
// Redrawing the line more often than this only costs time.
constexpr qint64 kProgressIntervalMs = 100;
} // namespace

CliForm::CliForm(Console& console) : console_(console), startMs_(clock().nowMs()) {}

void CliForm::enterStage(const QString& stage) {
    stage_ = stage;
    showProgress();
}

QString CliForm::currentItem() {
    if (g().gsAction == QLatin1StringView("check")) {
        const ResultList& shown = lstShowDirs();
        return shown.count() > 0 ? shown.item(shown.count() - 1) : QString();
    }
    // The copy, delete and reset stages move the selection of the list they serve.
    for (ResultList* list : {&lstDstFile(), &lstDstFolder(), &lstSrcFile(), &lstSrcFolder()}) {
        const qsizetype at = list->selectedIndex();
        if (at >= 0 && at < list->count() - 1)
            return list->item(at);
    }
    return {};
}

void CliForm::showProgress() {
    takeCancelRequest();
    if (!console_.progressEnabled())
        return;
    const qint64 now = clock().nowMs();
    lastDrawnMs_ = now;
    ProgressState state;
    state.stage = stage_;
    state.elapsedMs = now - startMs_;
    state.sourceFiles = g().glSrcFiles;
    state.destinationFiles = g().glDstFiles;
    state.item = currentItem();
    console_.progress(progressText(state, console_.width()));
}

void CliForm::takeCancelRequest() {
    if (CancelSignal::requested())
        g().gbCancel = true;
}

void CliForm::Refresh() {
    HeadlessMainForm::Refresh();
    takeCancelRequest();
    if (!console_.progressEnabled())
        return;
    if (lastDrawnMs_ < 0 || clock().nowMs() - lastDrawnMs_ >= kProgressIntervalMs)
        showProgress();
}

void CliForm::DoEvents() {
    HeadlessMainForm::DoEvents();
    takeCancelRequest();
}

void CliForm::CreateNewFolder(QString& asMyPath) {
    // The profile reader asks for a line's destination: a folder the user named, so it is made
    // exactly as written.
    diag::Procedure proc("PeltoCli", "Sub CreateNewFolder",
                         [&] { return diag::traceParams("asMyPath", asMyPath); });
    const auto trap = proc.trap();
    static_cast<void>(trap([&] { workflow::createFolderExactly(*g().goFSO, asMyPath); }));
}

bool CliForm::StoreFolderProfile(const QString& asFolder) {
    return pelto::StoreFolderProfile(asFolder);
}

} // namespace pelto::cli
