#include "workflow/FolderSafety.h"

#include "platform/FileSystem.h"
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

} // namespace

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
    return {};
}

} // namespace pelto::workflow
