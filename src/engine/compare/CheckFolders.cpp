// Folder comparison: the depth-first walk over a folder pair, the "Processing Directory" list and
// the path helpers.

#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/CompareWalk.h"
#include "engine/compare/Exclusions.h"
#include "engine/compare/FolderListing.h"
#include "engine/compare/MainForm.h"
#include "engine/compare/ReadAhead.h"
#include "engine/compare/SortedList.h"
#include "platform/FileSystem.h"
#include "platform/ProgramState.h"

#include <QDir>
#include <QVarLengthArray>
#include <array>
#include <utility>

namespace pelto {

using diag::Procedure;
using diag::traceParams;

namespace {

constexpr const char* kModule = "Pelto";
constexpr qsizetype kShowDirsWidth = 55;

// Folders directly below a drive root that hold deleted files or an indexer's data, by how their
// names begin.
constexpr std::array<QLatin1StringView, 4> kRootSkips{
    QLatin1StringView("recycled"), QLatin1StringView("$recycle"), QLatin1StringView("recycler"),
    QLatin1StringView("google desktop")};

} // namespace

QChar PathSeparator() {
    return QDir::separator();
}

QString AddSlash(QString& asPath) {
    Procedure proc(kModule, "Function AddSlash", [&] { return traceParams("asPath", asPath); });
    if (!asPath.endsWith(PathSeparator()))
        asPath += PathSeparator();
    return asPath;
}

QString AddSlash(const QString& asPath) {
    QString path = asPath;
    return AddSlash(path);
}

bool IsBuiltInSkip(const QString& asSource) {
    const QString t = detail::LowerCaseKey(asSource);
    const QStringView text(t);
    const QChar sep = PathSeparator();
    // Where a separator is followed by `name`, by the separator's position: a search for
    // separator + name, done as a walk over the separators (every folder of a walk asks).
    QVarLengthArray<qsizetype, 32> separators;
    for (qsizetype at = text.indexOf(sep); at >= 0; at = text.indexOf(sep, at + 1))
        separators.append(at);
    const auto forEachFolderNamed = [&](QLatin1StringView name, const auto& found) {
        for (const qsizetype at : separators) {
            if (text.sliced(at + 1).startsWith(name) && found(at))
                return true;
        }
        return false;
    };
    if (forEachFolderNamed(QLatin1StringView("system volume information"),
                           [](qsizetype) { return true; }))
        return true;
    // Lower-casing keeps positions for nearly every text; where it does not, ask with the
    // lower-cased text.
    const QString& original = t.size() == asSource.size() ? asSource : t;
    for (const QLatin1StringView name : kRootSkips) {
        const bool belowRoot = forEachFolderNamed(name, [&](qsizetype at) {
            const QString parent = at == 0 ? QString(sep) : original.left(at);
            return g().goFSO->IsDriveRoot(parent);
        });
        if (belowRoot)
            return true;
    }
    return false;
}

void ShowDirs(MainForm& af, const QString& asSource, const QString& asSrc) {
    Procedure proc(kModule, "Sub ShowDirs", [&] {
        return traceParams("af", "<Form>", "asSource", asSource, "asSrc", "<Optional>");
    });
    QString s = asSource + asSrc;
    if (s.size() >= kShowDirsWidth)
        s = s.left(3) + QLatin1StringView("...") + s.right(kShowDirsWidth - 6);
    else
        s = s.leftJustified(kShowDirsWidth, u' ');
    ResultList& list = af.lstShowDirs();
    list.add(s);
    list.setSelectedIndex(list.count() - 1);
    af.Refresh();
}

bool CheckFolders(QString asSource, QString asDest, MainForm& af, bool bbFirstCall) {
    return detail::CheckFoldersAt(asSource, asDest, QString(), QString(), af, bbFirstCall, true);
}

namespace detail {

bool CheckFoldersAt(const QString& asSource, const QString& asDest, const QString& srcDisk,
                    const QString& dstDisk, MainForm& af, bool bbFirstCall, bool top) {
    bool result = false;
    Procedure proc(kModule, "Function CheckFolders", [&] {
        return traceParams("asSource", asSource, "asDest", asDest, "af", "<Form>", "bbFirstCall",
                           "<Boolean = False>");
    });

    if (IsBuiltInSkip(srcDisk.isEmpty() ? asSource : srcDisk))
        return true;

    // The folders as stored on disk. A folder that cannot be opened goes to the failure report;
    // when the user goes on regardless, this pair is left out and the walk continues. The two
    // top folders are taken exactly as named: a folder whose name differs only in letter case
    // never stands in for them.
    QString srcPath = srcDisk;
    QString dstPath = dstDisk;
    if (srcPath.isEmpty() || dstPath.isEmpty()) {
        const auto trap = proc.trap();
        const auto open = [top](const QString& path) {
            FileSystem& fs = *g().goFSO;
            return (top ? fs.GetFolderExactly(path) : fs.GetFolder(path)).Path();
        };
        const auto opened = trap([&] {
            srcPath = open(asSource);
            dstPath = open(asDest);
        });
        if (!opened)
            return result;
        if (opened.answer() == diag::Answer::Ignore)
            return true;
    }

    // A walk has its folders read ahead on a second thread where it can (see ReadAhead).
    const bool readAhead =
        top && !ReadAhead::Active() && af.optRecurse() && ReadAhead::WantedFor(*g().goFSO);
    const ReadAheadScope aheadScope(
        readAhead ? std::make_unique<ReadAhead>(*g().goFSO, srcPath, dstPath, !g().gbArchive)
                  : nullptr);

    // Each folder is read once per side. In archive mode the destination's files are not
    // compared, so its folder is read only when subfolders are needed.
    FolderEntries src;
    FolderEntries dst;
    bool dstListed = false;
    const auto list = [&](const QString& path, FolderEntries& entries) {
        const ListOutcome outcome = ListFolderEntries(proc, path, entries);
        if (outcome == ListOutcome::Stop)
            g().gbErrorFlag = true;
        return outcome;
    };
    if (const ListOutcome outcome = list(srcPath, src); outcome != ListOutcome::Listed)
        return outcome == ListOutcome::Skipped;
    ReportOthersLeftOut(QStringLiteral("CheckFolders"), srcPath, src.others);
    if (!g().gbArchive) {
        if (const ListOutcome outcome = list(dstPath, dst); outcome != ListOutcome::Listed)
            return outcome == ListOutcome::Skipped;
        dstListed = true;
    }

    if (!CheckFilesAt(srcPath, dstPath, &src, dstListed ? &dst : nullptr, af, bbFirstCall))
        return false;
    if (g().gbCancel)
        return true;

    SortedList srcList;
    SortedList dstList;
    // Every walk shows its top folder: the check empties the list before each check, and a
    // profile's folder pairs are walks of their own.
    if (top)
        ShowDirs(af, asSource);
    const bool exclude = CheckExcludeSubdir(bbFirstCall);
    if (!af.optRecurse())
        return true;
    if (!dstListed) {
        if (const ListOutcome outcome = list(dstPath, dst); outcome != ListOutcome::Listed)
            return outcome == ListOutcome::Skipped;
    }

    StoredNames names;
    names.reserve(static_cast<size_t>(src.folders + dst.folders));
    for (qsizetype k = 0; k < src.entries.size(); ++k) {
        const DirEntry& entry = std::as_const(src.entries).at(k);
        if (entry.kind != EntryKind::Folder)
            continue;
        QString lower = src.keys.at(k);
        if (exclude && FolderExcluded(lower)) {
            diag::LogError(QString::fromLatin1(kModule), QStringLiteral("CheckFolders"),
                           QStringLiteral("Source folder excluded: ") + lower, false);
            continue;
        }
        names.push_back(&entry.name);
        srcList.addNumbered(static_cast<qint32>(names.size()), std::move(lower));
    }
    for (qsizetype k = 0; k < dst.entries.size(); ++k) {
        const DirEntry& entry = std::as_const(dst.entries).at(k);
        if (entry.kind != EntryKind::Folder)
            continue;
        names.push_back(&entry.name);
        dstList.addNumbered(static_cast<qint32>(names.size()), dst.keys.at(k));
    }
    srcList.Sort();
    dstList.Sort();

    const ListPair pair{
        false,  AddSlash(asSource), AddSlash(asDest), AddSlash(srcPath), AddSlash(dstPath),
        &names, &src.twins,         &dst.twins};
    result = CheckListsImpl(&srcList, &dstList, pair, af, false);
    if (g().gbCancel)
        return true;
    return result;
}

} // namespace detail
} // namespace pelto
