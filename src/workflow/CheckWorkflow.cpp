#include "workflow/CheckWorkflow.h"

#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/Exclusions.h"
#include "engine/compare/MainForm.h"
#include "platform/FileSystem.h"
#include "platform/LeftOut.h"
#include "platform/ProgramState.h"
#include "profiles/ProfileForm.h"
#include "profiles/ProfileLine.h"
#include "profiles/ProfileTables.h"

namespace pelto::workflow {

using diag::Procedure;
using diag::traceParams;

namespace {

constexpr auto kModule = "Workflow";

QList<CheckedPair>& pairsChecked() {
    static QList<CheckedPair> pairs;
    return pairs;
}
const StateReset kResetPairs{[] { pairsChecked().clear(); }};

// Whether the folder holds any entry the service lists; nullopt when it cannot be listed.
std::optional<bool> holdsEntries(const QString& folder) {
    try {
        FileSystem& fs = *g().goFSO;
        return !fs.List(fs.GetFolder(folder).Path()).isEmpty();
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

// Walks one folder pair and records what the copy needs to know about it.
bool checkPair(MainForm& af, const QString& source, const QString& dest) {
    CheckedPair pair{source, dest, af.lstDstFolder().count(), 0, af.lstDstFile().count()};
    if (!CheckFolders(source, dest, af, true))
        return false;
    pair.dstFolderEnd = af.lstDstFolder().count();
    pair.dstFileEnd = af.lstDstFile().count();
    pair.emptySource = holdsEntries(source) == false && holdsEntries(dest) == true;
    pairsChecked().append(pair);
    return true;
}

void clearLists(MainForm& af) {
    for (ResultList* list : {&af.lstSrcFile(), &af.lstDstFile(), &af.lstShowDirs(),
                             &af.lstSrcFolder(), &af.lstDstFolder(), &af.lstSrcFile2(),
                             &af.lstDstFile2(), &af.lstSrcFolder2(), &af.lstDstFolder2()})
        list->clear();
}

} // namespace

QList<CheckedPair>& checkedPairs() {
    return pairsChecked();
}

StageResult RunCheck(MainForm& af, ProfileForm& profiles, StageHook& stages,
                     const QString& asSource, const QString& asDest) {
    StageResult result = StageResult::Failed;
    Procedure proc(kModule, "Function RunCheck", [&] {
        return traceParams("af", "<Form>", "asSource", asSource, "asDest", asDest);
    });
    const auto trap = proc.trap();
    ProgramState& state = g();

    const auto started = trap([&] {
        clearLists(af);
        pairsChecked().clear();
        leftOut().clear(); // the check and the copy after it count what they leave out afresh
        state.glSrcFiles = 0;
        state.glDstFiles = 0;
        diag::messageLog().clear();
        CheckLists(nullptr, nullptr, QStringLiteral("folder"), QStringLiteral("dummy"),
                   QStringLiteral("dummy"), af, true);
        state.gsAction = QStringLiteral("check");
        stages.enterStage(QStringLiteral("Checking"));
    });
    if (!started)
        return result;

    bool walked = false;
    if (state.gbExcludes) {
        const int lines = static_cast<int>(profiles.lstProfile().count());
        for (int i = 1; i <= lines; ++i) {
            QString source;
            QString dest;
            const auto lineRead = trap([&] {
                profiles.lstProfile().setSelectedIndex(i - 1);
                source = state.gasProfile.at(profile::kSource, i);
                dest = state.gasProfile.at(profile::kDestination, i);
                af.setOptRecurse(!trimBlanks(state.gasProfile.at(profile::kSubdirs, i)).isEmpty());
                ValidateExcludes(static_cast<qint16>(i), true);
                state.giProfileLine = static_cast<qint16>(i);
            });
            if (!lineRead)
                return result;
            if (!trap([&] { walked = checkPair(af, source, dest); }))
                return result;
            if (!walked)
                return result;
            if (state.gbCancel)
                break;
        }
    } else {
        if (!trap([&] { walked = checkPair(af, asSource, asDest); }))
            return result;
        if (!walked)
            return result;
    }

    if (state.gbCancel) {
        af.lstShowDirs().clear();
        state.gbCancel = false;
        state.gsAction.clear();
        result = StageResult::Cancelled;
        return result;
    }
    state.gsAction.clear();
    result = StageResult::Completed;
    return result;
}

} // namespace pelto::workflow
