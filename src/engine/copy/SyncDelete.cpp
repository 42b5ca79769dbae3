// Synchronising delete: removes the folders and files the check found only at the destination.

#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/DisplayRefresh.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/Copy.h"
#include "engine/copy/CopyLines.h"
#include "engine/copy/CopyMessages.h"
#include "engine/copy/CopyRules.h"
#include "engine/copy/CopyRun.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"

#include <QHash>

namespace pelto {

using diag::Answer;
using diag::Procedure;
using diag::traceParams;

namespace {

constexpr qsizetype kSelectEvery = 40;

// A folder text compared component by component, without a trailing separator. Letter case
// counts: both lists spell a folder alike, and a folder's twin in another letter case (which
// the delete list may hold) is another folder.
QString folderKey(const QString& folder) {
    QString key = folder;
    while (key.size() > 1 && key.endsWith(PathSeparator()))
        key.chop(1);
    return key;
}

// The folders of lstDstFolder by key, each with the first line that names it; read once per
// delete run so that each containment question costs one look-up per folder level.
class ListedFolders {
public:
    explicit ListedFolders(const ResultList& list) {
        // From the last line up, so that a folder named twice keeps its first line.
        for (qsizetype j = list.count() - 1; j >= 0; --j) {
            try {
                firstLine_.insert(folderKey(copylines::entryPath(list.lineData(j))), j);
            } catch (const RuntimeError&) {
                // A line without stored data names no folder; the folder pass refuses it.
            }
        }
    }

    // True when the folder is, or lies below, a folder named on a line before `limit` (-1: any).
    bool contains(const QString& folder, qsizetype limit) const {
        for (QString key = folderKey(folder); !key.isEmpty(); key = fspath::parentOf(key)) {
            const auto it = firstLine_.constFind(key);
            if (it != firstLine_.constEnd() && (limit < 0 || *it < limit))
                return true;
        }
        return false;
    }

private:
    QHash<QString, qsizetype> firstLine_;
};

// FolderGone over the folders read once by the delete run.
bool folderGoneIn(const ListedFolders& folders, const QString& asFolder, qsizetype aiNdex) {
    Procedure proc(copymsg::kModule, "Function FolderGone", [&] {
        return traceParams("asFolder", asFolder, "af", "<Form>", "aiNdex", aiNdex);
    });
    return folders.contains(asFolder, aiNdex);
}

bool isProtectedName(const QString& lowerName) {
    return lowerName == QLatin1StringView("win386.swp") ||
           lowerName == QLatin1StringView("pagefile.sys");
}

} // namespace

bool SyncDelete(MainForm& af) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function SyncDelete",
                   [&] { return traceParams("af", "<Form>"); });
    const bool test = af.optTest();
    QString folderPath;
    QString fileName;
    QString filePath;
    bool nameTaken = false;
    qsizetype index = 0;

    ResultList& folderLines = af.lstDstFolder();
    ResultList& fileLines = af.lstDstFile();
    const ListedFolders listed(folderLines);

    // A folder deleted with a parent listed before it is gone already.
    const auto folderTrap = proc.trap([&](const RuntimeError& e) {
        if (e.number() == err::PathNotFound && folderGoneIn(listed, folderPath, index))
            return Answer::Ignore;
        return Answer::None;
    });
    const auto fileTrap = proc.trap();
    const auto ended = [&] {
        copymsg::logWithBox(QStringLiteral("SyncDelete"),
                            QStringLiteral("Error while synchronizing files: ") +
                                (nameTaken ? QStringLiteral("File name: ") + fileName
                                           : QStringLiteral("Directory name: ") + folderPath));
        g().gbErrorFlag = true;
        return result;
    };

    const qsizetype folders = folderLines.count();
    for (index = 0; index < folders; ++index) {
        bool leaveAlone = false;
        if (!folderTrap([&] {
                folderPath = copylines::entryPath(copylines::trustedLine(folderLines, index));
                leaveAlone = copylines::isRecycleBin(folderPath) ||
                             copyrules::isBootWizardFolder(folderPath.toLower());
            }))
            return ended();
        // A folder the copy replaced by the source's file of that name is gone already.
        if (leaveAlone || test || copyRun().destinationReplaced(folderPath))
            continue;
        if (!folderTrap([&] { g().goFSO->DeleteFolder(folderPath, true); }))
            return ended();
        if (index % kSelectEvery == 0)
            folderLines.setSelectedIndex(index);
    }
    folderLines.setSelectedIndex(folders - 1);

    QString currentDir;
    bool insideDeleted = false;
    const qsizetype files = fileLines.count();
    for (index = 0; index < files; ++index) {
        RefreshDisplayIfDue(af);
        if (index % kSelectEvery == 0)
            fileLines.setSelectedIndex(index);
        const LineData& line = fileLines.lineData(index);
        if (line.kind == LineData::Kind::Header) {
            currentDir = copylines::withSeparator(line.folder);
            insideDeleted = folderGoneIn(listed, currentDir, -1);
            continue;
        }
        if (insideDeleted)
            continue;
        if (!fileTrap([&] {
                const LineData& entry = copylines::trustedLine(fileLines, index);
                filePath = copylines::entryPath(entry);
                fileName = entry.name;
                nameTaken = true;
            }))
            return ended();
        // Likewise a file or link the copy replaced by the source's folder.
        if (isProtectedName(fileName.toLower()) || test || copyRun().destinationReplaced(filePath))
            continue;
        if (!fileTrap([&] { g().goFSO->DeleteFile(filePath, true); }))
            return ended();
    }
    fileLines.setSelectedIndex(files - 1);
    result = true;
    return result;
}

bool FolderGone(const QString& asFolder, MainForm& af, int aiNdex) {
    bool result = false;
    Procedure proc(copymsg::kModule, "Function FolderGone", [&] {
        return traceParams("asFolder", asFolder, "af", "<Form>", "aiNdex", aiNdex);
    });
    const ResultList& lines = af.lstDstFolder();
    const qsizetype n = aiNdex == -1 ? lines.count() : qMin<qsizetype>(aiNdex, lines.count());
    const QString folder = folderKey(asFolder);
    QString line;
    const auto trap = proc.trap([&](const RuntimeError&) {
        const QString tag = QStringLiteral(" unmatched") + kNbsp;
        copymsg::log(QStringLiteral("FolderGone"),
                     QStringLiteral("Mid$ call failed,  lsFolder2: ") + line +
                         QStringLiteral(",  liMatch1: ") +
                         QString::number(line.indexOf(QLatin1Char(':')) + 1) +
                         QStringLiteral(",  liMatch2: ") + QString::number(line.indexOf(tag) + 1) +
                         QStringLiteral(",  aiNdex: ") + QString::number(aiNdex) +
                         QStringLiteral(",  asFolder: ") + asFolder);
        return Answer::None;
    });
    for (qsizetype j = 0; j < n; ++j) {
        line = lines.item(j);
        const auto inside = trap([&] {
            const QString listed = folderKey(copylines::entryPath(lines.lineData(j)));
            return folder == listed || fspath::isWithin(folder, listed);
        });
        if (!inside)
            return result;
        if (inside.valueOr(false)) {
            result = true;
            return result;
        }
    }
    return result;
}

} // namespace pelto
