#include "platform/FileSystem.h"

#include "platform/FsPath.h"

namespace pelto {

RuntimeError fsError(qint32 number) {
    return RuntimeError(number, fsErrorText(number), QStringLiteral("FileSystem"));
}

QString fsErrorText(qint32 number) {
    switch (number) {
    case err::OutOfMemory:
        return QStringLiteral("Out of memory");
    case err::DeviceIoError:
        return QStringLiteral("Device I/O error");
    case err::FileAlreadyExists:
        return QStringLiteral("File already exists");
    case err::TooManyFiles:
        return QStringLiteral("Too many files");
    case err::ObjectNotSet:
        return QStringLiteral("Object variable not set");
    default:
        return describeError(number);
    }
}

namespace {

// An object made by default construction has no service behind it.
FileSystem& serviceOf(FileSystem* fs) {
    if (!fs)
        throw fsError(err::ObjectNotSet);
    return *fs;
}

} // namespace

int File::Attributes() const {
    return serviceOf(fs_).AttributesOf(path_);
}

void File::SetAttributes(int value) const {
    serviceOf(fs_).SetAttributesOf(path_, value);
}

QDateTime File::DateLastModified() const {
    return serviceOf(fs_).LastModifiedOf(path_);
}

int Folder::Attributes() const {
    return serviceOf(fs_).AttributesOf(path_);
}

void Folder::SetAttributes(int value) const {
    serviceOf(fs_).SetAttributesOf(path_, value);
}

FileCollection Folder::Files() const {
    FileSystem& fs = serviceOf(fs_);
    QList<File> files;
    for (const DirEntry& entry : fs.List(path_)) {
        if (entry.kind == EntryKind::File)
            files.append(File(fs, fspath::join(path_, entry.name), entry.name));
    }
    return FileCollection(std::move(files));
}

QList<Folder> Folder::SubFolders() const {
    FileSystem& fs = serviceOf(fs_);
    QList<Folder> folders;
    for (const DirEntry& entry : fs.List(path_)) {
        if (entry.kind == EntryKind::Folder)
            folders.append(Folder(fs, fspath::join(path_, entry.name), entry.name));
    }
    return folders;
}

QList<DirEntry> FileSystem::ListWithOthers(const QString& folderPath, QStringList& others) {
    others.clear();
    return List(folderPath);
}

QList<std::optional<qint64>> FileSystem::ModifiedTimesIn(const QString& folderPath,
                                                         const QStringList& names) {
    QList<std::optional<qint64>> times;
    times.reserve(names.size());
    for (const QString& name : names) {
        try {
            times.append(LastModifiedOf(fspath::join(folderPath, name)).toMSecsSinceEpoch());
        } catch (const RuntimeError&) {
            times.append(std::nullopt);
        }
    }
    return times;
}

bool Drive::IsReady() const {
    return serviceOf(fs_).IsReadyAt(mountPoint_);
}

Folder FileSystem::GetFolder(const QString& path) {
    const std::optional<QString> resolved = ResolvePath(path, EntryKind::Folder);
    if (!resolved)
        throw fsError(err::PathNotFound);
    return Folder(*this, *resolved, fspath::nameOf(*resolved));
}

File FileSystem::GetFile(const QString& path) {
    const std::optional<QString> resolved = ResolvePath(path, EntryKind::File);
    if (!resolved)
        throw fsError(err::FileNotFound);
    return File(*this, *resolved, fspath::nameOf(*resolved));
}

Drive FileSystem::GetDrive(const QString& path) {
    return Drive(*this, MountPointOf(path));
}

bool FileSystem::FolderExists(const QString& path) {
    try {
        return ResolvePath(path, EntryKind::Folder).has_value();
    } catch (const RuntimeError&) {
        return false;
    }
}

std::optional<DirEntry> FileSystem::EntryAt(const QString& path) {
    const QString normalized = fspath::normalize(path);
    const QString name = fspath::nameOf(normalized);
    if (name.isEmpty())
        return std::nullopt;
    const std::optional<QString> folder =
        ResolvePath(fspath::parentOf(normalized), EntryKind::Folder);
    if (!folder)
        return std::nullopt;
    std::optional<DirEntry> found;
    const QString lower = fspath::lowerCase(name);
    for (const DirEntry& entry : List(*folder)) {
        if (entry.name == name)
            return entry;
        if (!found && fspath::lowerCase(entry.name) == lower)
            found = entry;
    }
    return found;
}

Folder FileSystem::GetFolderExactly(const QString& path) {
    const std::optional<QString> exact = ExactFolderPath(path);
    if (!exact)
        throw fsError(err::PathNotFound);
    return Folder(*this, *exact, fspath::nameOf(*exact));
}

FileSystem::NameHold FileSystem::HoldOf(const QString& folder, const QString& name) {
    const QString lower = fspath::lowerCase(name);
    std::optional<DirEntry> variant;
    for (const DirEntry& entry : List(folder)) {
        if (entry.name == name)
            return NameHold::Exact;
        if (!variant && fspath::lowerCase(entry.name) == lower)
            variant = entry;
    }
    if (!variant)
        return NameHold::Absent;
    // Where the name is not listed, a volume that sees letter case finds only the variant.
    const QString path = fspath::join(fspath::normalize(folder), name);
    return ResolvePath(path, variant->kind) == path ? NameHold::Folded : NameHold::OtherCase;
}

bool FileSystem::FolderExistsExactly(const QString& path) {
    try {
        return ExactFolderPath(path).has_value();
    } catch (const RuntimeError&) {
        return false;
    }
}

std::optional<QString> FileSystem::ExactFolderPath(const QString& path) {
    const QString normalized = fspath::normalize(path);
    if (normalized.isEmpty())
        return std::nullopt;
    const std::optional<QString> found = ResolvePath(normalized, EntryKind::Folder);
    if (!found || *found != normalized)
        return std::nullopt;
    return found;
}

void FileSystem::CreateFolderExactly(const QString& path) {
    const QString normalized = fspath::normalize(path);
    const QString parent = fspath::parentOf(normalized);
    if (!parent.isEmpty() && !ExactFolderPath(parent))
        throw fsError(err::PathNotFound);
    CreateFolder(normalized);
}

bool FileSystem::FileExists(const QString& path) {
    try {
        return ResolvePath(path, EntryKind::File).has_value();
    } catch (const RuntimeError&) {
        return false;
    }
}

} // namespace pelto
