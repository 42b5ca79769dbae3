#include "workflow/CopyWorkflow.h"

#include "diag/Convert.h"
#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/Copy.h"
#include "engine/copy/CopyLines.h"
#include "engine/copy/CopyRun.h"
#include "engine/copy/FileItems.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/FolderIdentity.h"
#include "platform/LeftOut.h"
#include "platform/ProgramState.h"
#include "settings/Registry.h"
#include "settings/SettingsKeys.h"
#include "workflow/CheckWorkflow.h"

#include <QSet>
#include <limits>
#include <utility>

namespace pelto::workflow {

using diag::Procedure;
using diag::traceParams;

namespace {

constexpr auto kModule = "Workflow";

QStringList& keptList() {
    static QStringList kept;
    return kept;
}
const StateReset kResetKept{[] { keptList().clear(); }};

// Asks about every pair whose source the check found empty beside a destination with entries;
// on No the pair's destination-only lines leave the delete lists, so nothing there is deleted.
// Each pair is asked about once; the records of the later pairs follow their lines.
void confirmEmptySources(MainForm& af) {
    QList<CheckedPair>& pairs = checkedPairs();
    for (qsizetype k = 0; k < pairs.size(); ++k) {
        CheckedPair& pair = pairs[k];
        if (!pair.emptySource)
            continue;
        pair.emptySource = false;
        if (dialogs().cautiousYesNo(QStringLiteral("The source folder ") + pair.source +
                                        QStringLiteral(" is empty. Delete everything in ") +
                                        pair.destination + QStringLiteral("?"),
                                    QStringLiteral("Pelto"), BoxIcon::Exclamation))
            continue;
        keptList().append(pair.destination);
        diag::LogError(QString::fromLatin1(kModule), QStringLiteral("RunCopy"),
                       QStringLiteral("The source folder ") + pair.source +
                           QStringLiteral(" is empty: nothing in ") + pair.destination +
                           QStringLiteral(" was deleted."),
                       false);
        af.lstDstFolder().removeLines(pair.dstFolderFirst, pair.dstFolderEnd);
        af.lstDstFile().removeLines(pair.dstFileFirst, pair.dstFileEnd);
        const qsizetype folders = pair.dstFolderEnd - pair.dstFolderFirst;
        const qsizetype files = pair.dstFileEnd - pair.dstFileFirst;
        pair.dstFolderEnd = pair.dstFolderFirst;
        pair.dstFileEnd = pair.dstFileFirst;
        for (qsizetype later = k + 1; later < pairs.size(); ++later) {
            pairs[later].dstFolderFirst -= folders;
            pairs[later].dstFolderEnd -= folders;
            pairs[later].dstFileFirst -= files;
            pairs[later].dstFileEnd -= files;
        }
    }
}

// Syncs the file system of each destination once; false when a sync failed (it is logged).
bool syncDestinations(const QString& asDest) {
    Procedure proc(kModule, "Function SyncDestinations",
                   [&] { return traceParams("asDest", asDest); });
    QStringList destinations;
    for (const CheckedPair& pair : checkedPairs())
        destinations.append(pair.destination);
    if (destinations.isEmpty())
        destinations.append(asDest);
    QString destination;
    const auto trap = proc.trap([&](const RuntimeError& e) {
        diag::LogError(QString::fromLatin1(kModule), QStringLiteral("RunCopy"),
                       QStringLiteral("The copied files could not be written to the disk of ") +
                           destination + QStringLiteral(": ") + e.description(),
                       false);
        return diag::Answer::Abort;
    });
    QSet<quint64> synced;
    for (const QString& folder : destinations) {
        destination = folder;
        const std::optional<FolderIdentity> id = folderIdentity(folder);
        if (id && synced.contains(id->device))
            continue;
        if (!trap([&] { g().goFSO->SyncFileSystem(folder); }))
            return false;
        if (id)
            synced.insert(id->device);
    }
    return true;
}

// The folders of the missing-folder list the copy served (all of them in test mode).
qsizetype foldersCopied(MainForm& af) {
    const ResultList& lines = af.lstSrcFolder();
    qsizetype n = 0;
    for (qsizetype i = 0; i < lines.count(); ++i) {
        const LineData& line = lines.lineData(i);
        if (line.kind == LineData::Kind::Entry && !line.name.isEmpty() &&
            !copyRun().folderSkipped(copylines::sourceFolderLine(line).sourceFolder))
            ++n;
    }
    return n;
}

qsizetype filesCopied(MainForm& af) {
    qsizetype n = 0;
    FileItems items(af.lstSrcFile());
    for (qsizetype i = 0; i < items.count(); ++i) {
        try {
            if (items.read(i) && !copyRun().fileSkipped(items.sourcePath()))
                ++n;
        } catch (const RuntimeError&) {
        }
    }
    return n;
}

// Destination-only entries of a list that are gone after the delete (all of them in test mode,
// where they would be).
template <typename Exists>
qsizetype entriesDeleted(MainForm& af, const ResultList& lines, Exists exists) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < lines.count(); ++i) {
        const LineData& line = lines.lineData(i);
        if (line.kind == LineData::Kind::Entry && !line.name.isEmpty() &&
            (af.optTest() || !exists(copylines::entryPath(line))))
            ++n;
    }
    return n;
}

} // namespace

const QStringList& keptDestinations() {
    return keptList();
}

StageResult RunCopy(MainForm& af, StageHook& stages, const QString& asSource,
                    const QString& asDest) {
    StageResult result = StageResult::Failed;
    Procedure proc(kModule, "Function RunCopy", [&] {
        return traceParams("af", "<Form>", "asSource", asSource, "asDest", asDest);
    });
    const auto trap = proc.trap();
    ProgramState& state = g();
    bool done = false;

    const auto started = trap([&] {
        BeginCopyRun();
        keptList().clear();
        if (af.optSync() && af.optProd())
            confirmEmptySources(af);
        state.gsAction = QStringLiteral("copy");
        diag::StartTimer();
        stages.enterStage(QStringLiteral("Copying"));
        af.Refresh();
    });
    if (!started)
        return result;
    if (!trap([&] { done = CopyFolders(asSource, asDest, af); }))
        return result;
    // After a stage: a cancel or a handled error ends the copy.
    const auto stopped = [&] {
        if (state.gbCancel)
            result = StageResult::Cancelled;
        return state.gbCancel || state.gbErrorFlag;
    };
    if (!done || stopped())
        return result;

    if (af.optSync()) {
        if (!state.gbSpaceFreed) {
            stages.enterStage(QStringLiteral("Deleting"));
            if (!trap([&] { done = SyncDelete(af); }))
                return result;
            if (!done)
                return result;
        }
        if (stopped())
            return result;
    }

    // The finishing stage.
    if (state.gbArchive && af.chkResetArc()) {
        stages.enterStage(QStringLiteral("Clearing archive bits"));
        if (!trap([&] { ResetArcFolders(asSource, asDest, af); }))
            return result;
    }
    if (af.optProd() && !syncDestinations(asDest))
        return result;
    if (state.gbExcludes && af.optProd())
        CountProfileUse();
    result = StageResult::Completed;
    return result;
}

void CountProfileUse() {
    Procedure proc(kModule, "Sub CountProfileUse", diag::noParams());
    const auto trap = proc.trap();
    trap([&] {
        ProgramState& state = g();
        if (state.goReg == nullptr)
            throw RuntimeError(err::ObjectNotSet,
                               QStringLiteral("Object variable or With block variable not set"));
        Registry& reg = *state.goReg;
        const QString key = settings::keyName(settings::key::TimesUsed);
        // The chosen profile's own entry, whatever section an earlier call left current.
        reg.setSection(settings::profileSection(state.giProfileEntry));
        reg.setKey(key);
        reg.GetReg();
        const qint32 used = diag::CvtInt(reg.Settings(), QStringLiteral("CopyStep2: ") + key);
        // The count is a 16-bit number; it stays at its largest value rather than wrap.
        const qint32 most = std::numeric_limits<qint16>::max();
        reg.setKey(key);
        reg.setSettings(QString::number(used >= most ? most : used + 1));
        reg.SaveReg();
    });
}

CopySummary SummarizeCopy(MainForm& af, FileSystem& fs, const QStringList& stageMessages) {
    CopySummary summary;
    summary.test = af.optTest();
    summary.sync = af.optSync();
    summary.foldersCopied = foldersCopied(af);
    summary.filesCopied = filesCopied(af);
    if (summary.sync) {
        summary.foldersDeleted = entriesDeleted(
            af, af.lstDstFolder(), [&](const QString& path) { return fs.FolderExists(path); });
        summary.filesDeleted = entriesDeleted(
            af, af.lstDstFile(), [&](const QString& path) { return fs.FileExists(path); });
    }
    summary.archiveReset = g().gbArchive && af.chkResetArc() && af.optProd();
    summary.leftOut = leftOut();
    for (const QString& message : stageMessages) {
        if (message.contains(QStringLiteral("skipped"), Qt::CaseInsensitive) ||
            message.contains(QStringLiteral("left out"), Qt::CaseInsensitive))
            summary.skipped.append(message.trimmed());
    }
    return summary;
}

} // namespace pelto::workflow
