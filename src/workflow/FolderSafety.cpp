#include "workflow/FolderSafety.h"

#include "platform/FileSystem.h"
#include "platform/FolderIdentity.h"
#include "platform/FsPath.h"

#include <QFileInfo>
#include <QStringList>

namespace pelto::workflow {
namespace {

// The stored path of an existing folder, or "" when some component does not exist (or cannot
// be looked up).
QString existingFolder(FileSystem& fs, const QString& path) {
    try {
        const std::optional<QString> found = fs.ResolvePath(path, EntryKind::Folder);
        if (!found)
            return {};
        const QString canonical = QFileInfo(*found).canonicalFilePath();
        return canonical.isEmpty() ? *found : canonical;
    } catch (const RuntimeError&) {
        return {};
    }
}

// True when `folder` or a folder above it is the folder `id` (paths that do not exist are
// passed over on the way up).
bool atOrBelow(const QString& folder, const FolderIdentity& id) {
    for (QString head = folder; !head.isEmpty(); head = fspath::parentOf(head)) {
        if (folderIdentity(head) == id)
            return true;
    }
    return false;
}

} // namespace

void createFolderExactly(FileSystem& fs, const QString& path) {
    QStringList missing;
    for (QString at = fspath::normalize(path); !at.isEmpty() && !fs.FolderExistsExactly(at);
         at = fspath::parentOf(at))
        missing.prepend(at);
    for (const QString& folder : std::as_const(missing))
        fs.CreateFolderExactly(folder);
}

QString resolvedFolder(FileSystem& fs, const QString& path) {
    const QString absolute = fspath::normalize(path);
    QStringList missing;
    for (QString head = absolute; !head.isEmpty(); head = fspath::parentOf(head)) {
        QString folder = existingFolder(fs, head);
        if (!folder.isEmpty()) {
            for (auto name = missing.crbegin(); name != missing.crend(); ++name)
                folder = fspath::join(folder, *name);
            return folder;
        }
        missing.append(fspath::nameOf(head));
    }
    return absolute;
}

QString folderPairProblem(FileSystem& fs, const QString& source, const QString& destination) {
    const QString from = resolvedFolder(fs, source);
    const QString to = resolvedFolder(fs, destination);
    if (from == to)
        return QStringLiteral("Source and destination are the same folder: ") + from;
    if (fspath::isWithin(to, from))
        return QStringLiteral("The destination folder lies inside the source folder: ") + to +
               QStringLiteral(" is inside ") + from;
    if (fspath::isWithin(from, to))
        return QStringLiteral("The source folder lies inside the destination folder: ") + from +
               QStringLiteral(" is inside ") + to;
    // The same tree can be reached by two paths (a bind mount): compare the folders themselves.
    const std::optional<FolderIdentity> fromId = folderIdentity(from);
    const std::optional<FolderIdentity> toId = folderIdentity(to);
    if (fromId && toId && *fromId == *toId)
        return QStringLiteral("Source and destination are the same folder: ") + from;
    if (fromId && atOrBelow(fspath::parentOf(to), *fromId))
        return QStringLiteral("The destination folder lies inside the source folder: ") + to +
               QStringLiteral(" is inside ") + from;
    if (toId && atOrBelow(fspath::parentOf(from), *toId))
        return QStringLiteral("The source folder lies inside the destination folder: ") + from +
               QStringLiteral(" is inside ") + to;
    return {};
}

} // namespace pelto::workflow
