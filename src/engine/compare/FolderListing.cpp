#include "engine/compare/FolderListing.h"

#include "diag/ErrorLog.h"
#include "engine/compare/Compare.h"
#include "engine/compare/CompareWalk.h"
#include "engine/compare/ReadAhead.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/LeftOut.h"
#include "platform/ProgramState.h"

#include <QSet>

namespace pelto::detail {

namespace {

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

QSet<QString> TwinKeys(const QList<DirEntry>& entries, const QList<QString>& keys) {
    // The names of one folder differ from each other, so two of them share a key only when at
    // least one of the two changes as it is lowered. Only the keys of such names are gathered;
    // the names that stay as they are are then looked up among them, and only when there are any.
    // A key that shares its name's text is that name unchanged (lowering hands back the name
    // itself when it has nothing to lower); a key with text of its own counts as changed, which
    // is safe either way: only two unchanged names are never compared.
    const auto unchanged = [&](qsizetype k) {
        return keys.at(k).constData() == entries.at(k).name.constData();
    };
    QSet<QString> changed, twins;
    changed.reserve(entries.size());
    for (qsizetype k = 0; k < entries.size(); ++k) {
        if (unchanged(k))
            continue;
        if (changed.contains(keys.at(k)))
            twins.insert(keys.at(k));
        else
            changed.insert(keys.at(k));
    }
    if (changed.isEmpty())
        return twins;
    for (qsizetype k = 0; k < entries.size(); ++k) {
        if (unchanged(k) && changed.contains(keys.at(k)))
            twins.insert(keys.at(k));
    }
    return twins;
}

void AddKeys(FolderEntries& listing) {
    listing.keys.reserve(listing.entries.size());
    for (const DirEntry& entry : std::as_const(listing.entries)) {
        ++(entry.kind == EntryKind::Folder ? listing.folders : listing.files);
        listing.keys.append(LowerCaseKey(entry.name));
    }
    listing.twins = TwinKeys(listing.entries, listing.keys);
}

ListOutcome ListFolderEntries(const diag::ProcedureScope& proc, const QString& path,
                              FolderEntries& out) {
    // A folder of the system that may not be read is given up here: it lists as empty.
    const auto trap = proc.trap([&](const RuntimeError& e) {
        if (e.number() == err::PermissionDenied && isSystemVolumeInformation(path))
            return diag::Answer::Skip;
        return diag::Answer::None;
    });
    if (ReadAhead* ahead = ReadAhead::Active()) {
        if (std::optional<FolderEntries> read = ahead->take(path)) {
            out = std::move(*read);
            return ListOutcome::Listed;
        }
    }
    const auto listed = trap([&] {
        out = FolderEntries();
        out.entries = g().goFSO->ListWithOthers(path, out.others);
        AddKeys(out);
    });
    if (listed.skipped())
        return ListOutcome::Listed;
    if (!listed)
        return ListOutcome::Stop;
    // The failure report's Ignore goes on without this folder.
    return listed.answer() == diag::Answer::Ignore ? ListOutcome::Skipped : ListOutcome::Listed;
}

} // namespace pelto::detail
