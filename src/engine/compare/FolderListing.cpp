#include "engine/compare/FolderListing.h"

#include "diag/ErrorLog.h"
#include "engine/compare/Compare.h"
#include "engine/compare/CompareWalk.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/LeftOut.h"
#include "platform/ProgramState.h"

#include <QSet>

namespace pelto::detail {

namespace {

QSet<QString> twinKeys(const QList<DirEntry>& entries) {
    QSet<QString> seen, twins;
    seen.reserve(entries.size());
    for (const DirEntry& entry : entries) {
        QString key = LowerCaseKey(entry.name);
        if (seen.contains(key))
            twins.insert(std::move(key));
        else
            seen.insert(std::move(key));
    }
    return twins;
}

bool isSystemVolumeInformation(const QString& path) {
    const QString name = path.section(PathSeparator(), -1, -1, QString::SectionSkipEmpty);
    return name.compare(QLatin1StringView("System Volume Information"), Qt::CaseInsensitive) == 0;
}

// The paths of the entries reported in this run. The run's tally counts each of them, so when
// the tally has been emptied (a new run) these are forgotten too.
QSet<QString>& reportedOthers() {
    static QSet<QString> paths;
    if (leftOut().count(LeftOutReason::SpecialFile) == 0)
        paths.clear();
    return paths;
}

const StateReset kResetReportedOthers{[] { reportedOthers().clear(); }};

} // namespace

void ReportOthersLeftOut(const QString& asProc, const QString& folderPath,
                         const QStringList& names) {
    if (names.isEmpty())
        return;
    QSet<QString>& reported = reportedOthers();
    for (const QString& name : names) {
        const QString path = fspath::join(folderPath, name);
        if (reported.contains(path))
            continue;
        reported.insert(path);
        noteLeftOut(LeftOutReason::SpecialFile);
        diag::LogError(QStringLiteral("Pelto"), asProc,
                       QStringLiteral("Not a file or folder, left out: ") + path, false);
    }
}

ListOutcome ListFolderEntries(const diag::ProcedureScope& proc, const QString& path,
                              FolderEntries& out) {
    // A folder of the system that may not be read is given up here: it lists as empty.
    const auto trap = proc.trap([&](const RuntimeError& e) {
        if (e.number() == err::PermissionDenied && isSystemVolumeInformation(path))
            return diag::Answer::Skip;
        return diag::Answer::None;
    });
    const auto listed = trap([&] {
        out = FolderEntries();
        out.entries = g().goFSO->ListWithOthers(path, out.others);
        for (const DirEntry& entry : std::as_const(out.entries))
            ++(entry.kind == EntryKind::Folder ? out.folders : out.files);
        out.twins = twinKeys(out.entries);
    });
    if (listed.skipped())
        return ListOutcome::Listed;
    if (!listed)
        return ListOutcome::Stop;
    // The failure report's Ignore goes on without this folder.
    return listed.answer() == diag::Answer::Ignore ? ListOutcome::Skipped : ListOutcome::Listed;
}

} // namespace pelto::detail
