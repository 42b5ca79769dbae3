#include "engine/compare/FolderListing.h"

#include "engine/compare/Compare.h"
#include "platform/FileSystem.h"
#include "platform/ProgramState.h"

namespace pelto::detail {

namespace {

bool isSystemVolumeInformation(const QString& path) {
    const QString name = path.section(PathSeparator(), -1, -1, QString::SectionSkipEmpty);
    return name.compare(QLatin1StringView("System Volume Information"), Qt::CaseInsensitive) == 0;
}

} // namespace

ListOutcome ListFolderEntries(diag::ProcedureScope& proc, const QString& path, FolderEntries& out) {
    bool done = false;
    const auto onError = [&](const RuntimeError& e) {
        if (e.number() == err::PermissionDenied && isSystemVolumeInformation(path)) {
            done = true;
            return diag::Resume::Next;
        }
        return diag::Resume::Report;
    };
    const bool goOn = proc.run(
        __LINE__,
        [&] {
            out = FolderEntries();
            out.entries = g().goFSO->List(path);
            for (const DirEntry& entry : std::as_const(out.entries))
                ++(entry.kind == EntryKind::Folder ? out.folders : out.files);
            done = true;
        },
        onError);
    if (!goOn)
        return ListOutcome::Stop;
    return done ? ListOutcome::Listed : ListOutcome::Skipped;
}

} // namespace pelto::detail
