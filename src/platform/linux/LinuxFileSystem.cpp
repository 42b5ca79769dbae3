#include "platform/linux/LinuxFileSystem.h"

#include "platform/FsPath.h"
#include "platform/linux/DosAttributes.h"
#include "platform/linux/ItemMetadata.h"
#include "platform/linux/LinkedCopies.h"
#include "platform/linux/LongPath.h"
#include "platform/linux/MountTable.h"
#include "platform/linux/PosixError.h"
#include "platform/linux/TreeRemover.h"
#include "platform/linux/UniqueFd.h"

#include <QScopeGuard>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <typeinfo>
#include <unistd.h>

namespace pelto {

namespace {

bool lstatOf(const QString& path, struct stat& st) {
    return longpath::lstat(fspath::native(path), st) == 0;
}

bool isFolderOrLinkToOne(const QString& path, const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return true;
    struct stat target {};
    return S_ISLNK(st.st_mode) && longpath::stat(fspath::native(path), target) == 0 &&
           S_ISDIR(target.st_mode);
}

// With `followLinks` false (below a top folder) a link to a folder is not a folder.
bool isKind(const QString& path, const struct stat& st, EntryKind kind, bool followLinks = true) {
    if (kind == EntryKind::Folder)
        return followLinks ? isFolderOrLinkToOne(path, st) : S_ISDIR(st.st_mode);
    return S_ISREG(st.st_mode) || S_ISLNK(st.st_mode);
}

// Opens the folder `below` names relative to the open folder `top` in one call that refuses a link
// anywhere on the way, as the walk one component at a time does. -1 (errno set) when that fails or
// the kernel has no such call; the caller then walks, which gives the failure its exact errno.
int openBelowWithoutLinks(int top, const char* below) {
    static std::atomic<bool> unavailable{false};
    if (unavailable.load(std::memory_order_relaxed))
        return -1;
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
    const long fd = syscall(SYS_openat2, top, below, &how, sizeof how);
    if (fd < 0 && (errno == ENOSYS || errno == EPERM))
        unavailable.store(true, std::memory_order_relaxed);
    return int(fd);
}

qint32 notFoundFor(EntryKind kind) {
    return kind == EntryKind::Folder ? err::PathNotFound : err::FileNotFound;
}

} // namespace

// --- lookup -------------------------------------------------------------------------------

std::optional<QString> LinuxFileSystem::ResolvePath(const QString& path, EntryKind kind) {
    const QString normalized = fspath::normalize(path);
    if (normalized.isEmpty())
        return std::nullopt;
    return resolve(normalized, kind);
}

std::optional<QString> LinuxFileSystem::ExactFolderPath(const QString& path) {
    const QString normalized = fspath::normalize(path);
    if (normalized.isEmpty())
        return std::nullopt;
    // stat, not lstat: a top folder may be a link to a folder.
    struct stat st {};
    if (longpath::stat(fspath::native(normalized), st) != 0) {
        const int e = errno;
        if (e == ENOENT || e == ENOTDIR || e == ENAMETOOLONG || e == ELOOP)
            return std::nullopt;
        throw errnoError(e, err::PathNotFound);
    }
    if (!S_ISDIR(st.st_mode))
        return std::nullopt;
    if (!tops_.contains(normalized)) {
        tops_.insert(normalized);
        topList_.append(normalized);
        dropHeldFolders(); // held below other tops than this one
    }
    return normalized;
}

std::optional<QString> LinuxFileSystem::topAbove(const QString& path) const {
    if (tops_.isEmpty())
        return std::nullopt;
    // Mostly there are a few tops (the two folders of each walk): each is tried against the
    // path, and the longest one it lies strictly below is the nearest. This makes no text for
    // each folder above the path, as the look-up by folder below does.
    constexpr qsizetype kFewTops = 8;
    if (topList_.size() <= kFewTops) {
        const QString* nearest = nullptr;
        for (const QString& top : topList_) {
            const bool above = top == QLatin1String("/")
                                   ? path.size() > 1 && path.startsWith(QLatin1Char('/'))
                                   : path.size() > top.size() &&
                                         path.at(top.size()) == QLatin1Char('/') &&
                                         path.startsWith(top);
            if (above && (!nearest || top.size() > nearest->size()))
                nearest = &top;
        }
        return nearest ? std::optional<QString>(*nearest) : std::nullopt;
    }
    for (QString folder = fspath::parentOf(path); !folder.isEmpty();
         folder = fspath::parentOf(folder)) {
        if (tops_.contains(folder))
            return folder;
    }
    return std::nullopt;
}

UniqueFd LinuxFileSystem::openFolder(const QString& path) const {
    const std::optional<QString> top = topAbove(path);
    UniqueFd fd(
        longpath::open(fspath::native(top ? *top : path), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!top || !fd.valid())
        return fd;
    QByteArray buffer;
    const QStringView below = QStringView(path).sliced(top->size());
    // Mostly one call opens the whole rest of the way.
    if (const int whole = openBelowWithoutLinks(
            fd.get(),
            fspath::nativeName(below.sliced(top->endsWith(QLatin1Char('/')) ? 0 : 1), buffer));
        whole >= 0)
        return UniqueFd(whole);
    for (const QStringView name : below.tokenize(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!fd.valid())
            break;
        const int next = openat(fd.get(), fspath::nativeName(name, buffer),
                                O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int e = errno;
        fd.reset(next);
        errno = e; // a link on the way reads ENOTDIR, a missing folder ENOENT
    }
    return fd;
}

std::optional<QString> LinuxFileSystem::resolve(const QString& path, EntryKind kind) {
    if (path == QLatin1String("/"))
        return kind == EntryKind::Folder ? std::optional<QString>(path) : std::nullopt;

    // Below a top folder a link is not followed, neither at the end nor on the way.
    const bool below = topAbove(path).has_value();
    const auto realChain = [&](const QString& folder) {
        return !below || openFolder(folder).valid();
    };
    struct stat st {};
    if (lstatOf(path, st)) {
        if (isKind(path, st, kind, !below) && realChain(fspath::parentOf(path)))
            return path;
    } else if (errno == ENAMETOOLONG || errno == ELOOP) {
        return std::nullopt;
    } else if (errno != ENOENT && errno != ENOTDIR) {
        throw errnoError(errno, notFoundFor(kind));
    }

    const QString givenParent = fspath::parentOf(path);
    const std::optional<QString> parent = resolve(givenParent, EntryKind::Folder);
    if (!parent)
        return std::nullopt;
    const QString name = fspath::nameOf(path);
    if (*parent != givenParent) {
        const QString exact = fspath::join(*parent, name);
        if (lstatOf(exact, st) && isKind(exact, st, kind, !below))
            return exact;
    }
    // The index may lag behind changes made by others within one timestamp tick: every answer
    // is checked on disk, and an index that named a vanished entry is read again once.
    for (int pass = 0; pass < 2; ++pass) {
        bool stale = false;
        for (const DirEntry& variant : index_.variantsOf(*parent, fspath::lowerCase(name))) {
            if (variant.name == name)
                continue; // the exact name was tried: it is of the other kind
            const QString candidate = fspath::join(*parent, variant.name);
            if (!lstatOf(candidate, st))
                stale = true;
            else if (isKind(candidate, st, kind, !below))
                return candidate;
        }
        if (!stale)
            break;
        index_.forget(*parent);
    }
    return std::nullopt;
}

std::optional<QString> LinuxFileSystem::existingEntry(const QString& folder, const QString& name,
                                                      struct stat& st, const OpenFolder* open) {
    QByteArray buffer;
    // lstat of an entry of the folder, relative to its descriptor when it is open.
    const auto statEntry = [&](const QString& entryName) {
        if (open)
            return fstatat(open->fd, fspath::nativeName(entryName, buffer), &st,
                           AT_SYMLINK_NOFOLLOW) == 0;
        return lstatOf(fspath::join(folder, entryName), st);
    };
    const QString lowerName = fspath::lowerCase(name);
    // A current index of the folder that knows no entry of this name (in any letter case)
    // answers without a look at the disk: the name is new there.
    if (open && open->indexCurrent && index_.variantsOf(folder, lowerName, open->stamp).isEmpty())
        return std::nullopt;
    if (statEntry(name))
        return fspath::join(folder, name);
    if (exactNames_)
        return std::nullopt;
    std::optional<QString> found;
    struct stat foundStat {};
    bool foundFile = false;
    for (int pass = 0; pass < 2 && !found; ++pass) {
        bool stale = false;
        const QList<DirEntry> variants = open ? index_.variantsOf(folder, lowerName, open->stamp)
                                              : index_.variantsOf(folder, lowerName);
        for (const DirEntry& variant : variants) {
            if (!statEntry(variant.name))
                stale = true;
            else if (!found || (!foundFile && !S_ISDIR(st.st_mode))) {
                // the first file in name order, else the first folder
                found = fspath::join(folder, variant.name);
                foundStat = st;
                foundFile = !S_ISDIR(st.st_mode);
            }
        }
        if (!stale)
            break;
        found.reset();
        index_.forget(folder);
    }
    if (found)
        st = foundStat;
    return found;
}

QString LinuxFileSystem::statItem(const QString& path, struct stat& st, QByteArray* nativePath) {
    const QString normalized = fspath::normalize(path);
    if (!normalized.isEmpty()) {
        QByteArray native = fspath::native(normalized);
        if (longpath::lstat(native, st) == 0) {
            if (nativePath)
                *nativePath = std::move(native);
            return normalized;
        }
        if (errno != ENOENT && errno != ENOTDIR)
            throw errnoError(errno, err::FileNotFound);
    }
    for (const EntryKind kind : {EntryKind::File, EntryKind::Folder}) {
        const std::optional<QString> resolved =
            normalized.isEmpty() ? std::nullopt : resolve(normalized, kind);
        if (resolved && lstatOf(*resolved, st)) {
            if (nativePath)
                *nativePath = fspath::native(*resolved);
            return *resolved;
        }
    }
    throw fsError(err::FileNotFound);
}

// --- listing and item properties ------------------------------------------------------------

QList<DirEntry> LinuxFileSystem::List(const QString& folderPath) {
    QStringList others;
    return ListWithOthers(folderPath, others);
}

QList<DirEntry> LinuxFileSystem::ListWithOthers(const QString& folderPath, QStringList& others) {
    QString folder = fspath::normalize(folderPath);
    ScannedFolder scan;
    try {
        if (folder.isEmpty())
            throw fsError(err::PathNotFound);
        scan = scanFolder(folder);
    } catch (const RuntimeError& e) {
        if (e.number() != err::PathNotFound || folder.isEmpty())
            throw;
        const std::optional<QString> resolved = resolve(folder, EntryKind::Folder);
        if (!resolved || *resolved == folder)
            throw;
        folder = *resolved;
        scan = scanFolder(folder);
    }
    index_.remember(folder, scan);
    if (!scan.leftovers.isEmpty())
        leftovers_.insert(folder, scan.leftovers);
    else if (!leftovers_.isEmpty())
        leftovers_.remove(folder);
    others = std::move(scan.others);
    return scan.entries;
}

int LinuxFileSystem::AttributesOf(const QString& path) {
    struct stat st {};
    QByteArray native;
    const QString stored = statItem(path, st, &native);
    const int value = dosattr::read(stored, native, st);
    // A copy of the file often follows at once.
    if (S_ISREG(st.st_mode))
        lastSourceRead_ = SourceStatus{stored, std::move(native), st};
    return value;
}

void LinuxFileSystem::SetAttributesOf(const QString& path, int value) {
    struct stat st {};
    const QString stored = statItem(path, st);
    dosattr::write(stored, st, value);
}

QDateTime LinuxFileSystem::LastModifiedOf(const QString& path) {
    struct stat st {};
    statItem(path, st);
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1'000'000;
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
}

QList<std::optional<qint64>> LinuxFileSystem::ModifiedTimesIn(const QString& folderPath,
                                                              const QStringList& names) {
    const QString folder = fspath::normalize(folderPath);
    const int fd = folder.isEmpty()
                       ? -1
                       : longpath::open(fspath::native(folder), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) // not there under this name: look the entries up one by one, case-blind
        return FileSystem::ModifiedTimesIn(folderPath, names);
    QList<std::optional<qint64>> times;
    times.reserve(names.size());
    QByteArray buffer;
    for (const QString& name : names) {
        struct stat st {};
        if (fstatat(fd, fspath::nativeName(name, buffer), &st, AT_SYMLINK_NOFOLLOW) == 0)
            times.append(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1'000'000);
        else
            times.append(std::nullopt);
    }
    close(fd);
    return times;
}

// --- drives -----------------------------------------------------------------------------------

QString LinuxFileSystem::MountPointOf(const QString& path) {
    const QString normalized = fspath::normalize(path);
    if (normalized.isEmpty())
        throw fsError(err::DeviceUnavailable);
    // The volume of the nearest folder on the path that exists, found case-blind.
    for (QString probe = normalized; !probe.isEmpty(); probe = fspath::parentOf(probe)) {
        try {
            if (const std::optional<QString> folder = resolve(probe, EntryKind::Folder))
                return mounts::mountPointOf(*folder);
        } catch (const RuntimeError&) {
            // not searchable: try the folder above
        }
    }
    return mounts::mountPointOf(QStringLiteral("/"));
}

bool LinuxFileSystem::IsReadyAt(const QString& mountPoint) {
    const QString normalized = fspath::normalize(mountPoint);
    if (normalized.isEmpty())
        return false;
    const QByteArray native = fspath::native(normalized);
    struct stat st {};
    return stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           access(native.constData(), R_OK | X_OK) == 0 && mounts::isMountPoint(normalized);
}

void LinuxFileSystem::SyncFileSystem(const QString& path) {
    dropHeldFolders();
    const std::optional<QString> folder = resolve(fspath::normalize(path), EntryKind::Folder);
    if (!folder)
        throw fsError(err::PathNotFound);
    const UniqueFd fd(longpath::open(fspath::native(*folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || syncfs(fd.get()) != 0)
        throw errnoError(errno, err::PathNotFound);
}

bool LinuxFileSystem::IsDriveRoot(const QString& path) {
    const QString normalized = fspath::normalize(path);
    if (normalized.isEmpty())
        return false;
    const std::optional<QString> folder = resolve(normalized, EntryKind::Folder);
    return folder && mounts::isMountPoint(*folder);
}

// --- changes ----------------------------------------------------------------------------------

std::shared_ptr<const UniqueFd> LinuxFileSystem::heldFolder(const QString& given, QString& folder,
                                                            struct stat& st) {
    const auto it = std::find_if(held_.begin(), held_.end(),
                                 [&](const HeldFolder& h) { return h.given == given; });
    if (it == held_.end())
        return nullptr;
    struct stat now {};
    const int read = it->belowTop ? longpath::lstat(it->nativeStored, now)
                                  : longpath::stat(it->nativeStored, now);
    if (read != 0 || !S_ISDIR(now.st_mode) || quint64(now.st_dev) != it->device ||
        quint64(now.st_ino) != it->inode) {
        held_.erase(it);
        return nullptr;
    }
    st = now;
    folder = it->stored;
    HeldFolder found = std::move(*it);
    held_.erase(it);
    held_.push_front(std::move(found));
    return held_.front().fd;
}

std::shared_ptr<const UniqueFd> LinuxFileSystem::openDestinationFolder(QString& folder,
                                                                       struct stat& st) {
    const QString given = folder;
    if (std::shared_ptr<const UniqueFd> held = heldFolder(given, folder, st))
        return held;
    UniqueFd fd = openFolder(given);
    // Not there as named: the folder found case-blind for the same name last time, if it is still
    // the same folder, else a new search.
    bool known = false;
    if (!fd.valid() && (errno == ENOENT || errno == ENOTDIR) && lastFolderFound_ &&
        lastFolderFound_->given == given) {
        fd = openFolder(lastFolderFound_->stored);
        known = fd.valid() && fstat(fd.get(), &st) == 0 &&
                quint64(st.st_dev) == lastFolderFound_->device &&
                quint64(st.st_ino) == lastFolderFound_->inode;
        if (known)
            folder = lastFolderFound_->stored;
        else
            fd.reset();
    }
    if (!fd.valid()) {
        const std::optional<QString> resolved = resolve(given, EntryKind::Folder);
        if (!resolved)
            throw fsError(err::PathNotFound);
        folder = *resolved;
        fd = openFolder(folder);
        if (!fd.valid())
            throw errnoError(errno, err::PathNotFound);
    }
    if (!known && fstat(fd.get(), &st) != 0)
        throw errnoError(errno, err::PathNotFound);
    if (folder != given)
        lastFolderFound_ = FolderFound{given, folder, quint64(st.st_dev), quint64(st.st_ino)};

    // A few folders are held: mostly the copy fills one folder at a time.
    constexpr std::size_t kHeldFolders = 4;
    held_.push_front(HeldFolder{given, folder, fspath::native(folder),
                                std::make_shared<const UniqueFd>(std::move(fd)), quint64(st.st_dev),
                                quint64(st.st_ino), topAbove(folder).has_value()});
    if (held_.size() > kHeldFolders)
        held_.pop_back();
    return held_.front().fd;
}

void LinuxFileSystem::CopyFile(const QString& source, const QString& destination, bool overwrite) {
    std::optional<SourceStatus> lastRead = std::exchange(lastSourceRead_, std::nullopt);
    try {
        copyFile(source, destination, overwrite, lastRead ? &*lastRead : nullptr);
    } catch (const SourceNotAsDescribed&) {
        // The file changed since its attributes were read: look at it afresh.
        copyFile(source, destination, overwrite, nullptr);
    }
}

void LinuxFileSystem::CopyFileExactly(const QString& source, const QString& destination) {
    exactNames_ = true;
    const auto restore = qScopeGuard([this] { exactNames_ = false; });
    CopyFile(source, destination, true);
}

void LinuxFileSystem::copyFile(const QString& source, const QString& destination, bool overwrite,
                               const SourceStatus* lastRead) {
    // The source as named, else found case-blind. A regular file whose attributes were read just
    // before under the same path is not read again: the copy confirms it on the opened file.
    // The path just read, named the same way, needs no second conversion.
    const bool asLastRead = lastRead && source == lastRead->path;
    QString from = asLastRead ? lastRead->path : fspath::normalize(source);
    QByteArray nativeFrom = asLastRead ? lastRead->native : fspath::native(from);
    struct stat sourceStat {};
    const bool statFromLastRead = lastRead && lastRead->path == from;
    if (statFromLastRead)
        sourceStat = lastRead->st;
    else if (from.isEmpty() || longpath::lstat(nativeFrom, sourceStat) != 0 ||
             !isKind(from, sourceStat, EntryKind::File)) {
        const std::optional<QString> resolved =
            from.isEmpty() ? std::nullopt : resolve(from, EntryKind::File);
        if (!resolved || !lstatOf(*resolved, sourceStat))
            throw fsError(err::FileNotFound);
        from = *resolved;
        nativeFrom = fspath::native(from);
    }

    // The destination folder, opened once: the rest of the copy works relative to it.
    const QString destinationPath = fspath::normalize(destination);
    const QString name = fspath::nameOf(destinationPath);
    if (name.isEmpty())
        throw fsError(err::PathNotFound);
    QString folder = fspath::parentOf(destinationPath);
    struct stat folderStat {};
    const std::shared_ptr<const UniqueFd> heldFd = openDestinationFolder(folder, folderStat);
    const UniqueFd& folderFd = *heldFd;
    // Temporary files that interrupted copies left in the folder go when a copy writes into it.
    // Only a copy does this, never a listing: a check and a copy in test mode, which list but
    // never copy, leave the disk exactly as it is. The listing found them, so a folder without
    // leftovers costs a look in an empty table.
    if (!leftovers_.isEmpty()) {
        if (const QList<QByteArray> names = leftovers_.take(folder); !names.isEmpty()) {
            removeLeftoverTemporaries(folderFd.get(), names);
            if (fstat(folderFd.get(), &folderStat) != 0)
                throw errnoError(errno, err::PathNotFound);
        }
    }

    // The folder's stamp, read through the descriptor, tells the index whether it still holds.
    const OpenFolder open{folderFd.get(), folderStampOf(folderStat),
                          index_.isCurrent(folder, folderStampOf(folderStat))};

    CopyTarget target{folderFd.get(), folder, name, false, unnamedCopies_};
    struct stat targetStat {};
    if (const std::optional<QString> existing = existingEntry(folder, name, targetStat, &open)) {
        if (!overwrite)
            throw fsError(err::FileAlreadyExists);
        // A folder is not replaced by a file; a read-only file is not overwritten, as on
        // Windows; and a file is not copied onto itself.
        if (S_ISDIR(targetStat.st_mode) ||
            (S_ISREG(targetStat.st_mode) && !(targetStat.st_mode & S_IWUSR)))
            throw fsError(err::PermissionDenied);
        if (sourceStat.st_dev == targetStat.st_dev && sourceStat.st_ino == targetStat.st_ino)
            throw fsError(err::PermissionDenied);
        target.name = fspath::nameOf(*existing);
        target.replaces = true;
    }

    // The look-up may have read the folder's index afresh.
    const bool wasCurrent = open.indexCurrent || index_.isCurrent(folder, open.stamp);
    try {
        // A file of several names whose other name this run copied becomes another name of
        // that copy.
        if (!linkedcopies::linkToEarlierCopy(nativeFrom, sourceStat, target)) {
            copyFileAtomically(nativeFrom, sourceStat, statFromLastRead, target, beforeReplace_);
            linkedcopies::remember(sourceStat, target);
        }
    } catch (...) {
        index_.forget(folder);
        throw;
    }
    const DirEntry added{target.name, EntryKind::File, S_ISLNK(sourceStat.st_mode)};
    if (fstat(folderFd.get(), &folderStat) == 0)
        index_.noteAdded(folder, added, wasCurrent, folderStampOf(folderStat));
    else
        index_.forget(folder);
}

void LinuxFileSystem::CreateFolder(const QString& path) {
    const QString normalized = fspath::normalize(path);
    const QString name = fspath::nameOf(normalized);
    if (normalized.isEmpty())
        throw fsError(err::PathNotFound);
    if (name.isEmpty())
        throw fsError(err::FileAlreadyExists); // the root
    const std::optional<QString> parent = resolve(fspath::parentOf(normalized), EntryKind::Folder);
    if (!parent)
        throw fsError(err::PathNotFound);
    struct stat existing {};
    if (existingEntry(*parent, name, existing))
        throw fsError(err::FileAlreadyExists);

    const bool wasCurrent = index_.isCurrent(*parent);
    // Made relative to the parent opened without following links below a top folder.
    const UniqueFd parentFd = openFolder(*parent);
    QByteArray buffer;
    if (!parentFd.valid() || mkdirat(parentFd.get(), fspath::nativeName(name, buffer), 0777) != 0) {
        const int e = errno;
        index_.forget(*parent);
        throw errnoError(e, err::PathNotFound);
    }
    index_.noteAdded(*parent, DirEntry{name, EntryKind::Folder, false}, wasCurrent);
    lastFolderFound_.reset();
    dropHeldFolders();
}

void LinuxFileSystem::CreateFolderExactly(const QString& path) {
    const QString normalized = fspath::normalize(path);
    if (normalized.isEmpty())
        throw fsError(err::PathNotFound);
    const QString parent = fspath::parentOf(normalized);
    if (parent.isEmpty())
        throw fsError(err::FileAlreadyExists); // the root
    if (!ExactFolderPath(parent))
        throw fsError(err::PathNotFound);
    const bool wasCurrent = index_.isCurrent(parent);
    if (longpath::mkdir(fspath::native(normalized), 0777) != 0) {
        const int e = errno;
        index_.forget(parent);
        throw errnoError(e, err::PathNotFound);
    }
    index_.noteAdded(parent, DirEntry{fspath::nameOf(normalized), EntryKind::Folder, false},
                     wasCurrent);
    lastFolderFound_.reset();
    dropHeldFolders();
}

UniqueFd LinuxFileSystem::openFolderForMetadata(const QString& path) {
    const QString normalized = fspath::normalize(path);
    const std::optional<QString> folder =
        normalized.isEmpty() ? std::nullopt : resolve(normalized, EntryKind::Folder);
    if (!folder)
        throw fsError(err::PathNotFound);
    const UniqueFd found = openFolder(*folder);
    UniqueFd fd(found.valid() ? openat(found.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1);
    if (!fd.valid())
        throw errnoError(errno, err::PathNotFound);
    return fd;
}

void LinuxFileSystem::CopyFolderMetadata(const QString& source, const QString& destination) {
    const UniqueFd in = openFolderForMetadata(source);
    const UniqueFd out = openFolderForMetadata(destination);
    struct stat st {};
    if (fstat(in.get(), &st) != 0)
        throw errnoError(errno, err::PathNotFound);
    metadata::copyOwner(out.get(), st);
    metadata::copyExtendedAttributes(in.get(), out.get());
    // The owner may write while the folder is filled; FinishFolderCopy takes that back.
    if (fchmod(out.get(), metadata::carriedMode(st, out.get()) | S_IRWXU) != 0)
        throw errnoError(errno, err::PathNotFound);
}

void LinuxFileSystem::FinishFolderCopy(const QString& source, const QString& destination) {
    const UniqueFd in = openFolderForMetadata(source);
    const UniqueFd out = openFolderForMetadata(destination);
    struct stat st {};
    if (fstat(in.get(), &st) != 0)
        throw errnoError(errno, err::PathNotFound);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (fchmod(out.get(), metadata::carriedMode(st, out.get())) != 0 ||
        futimens(out.get(), times) != 0)
        throw errnoError(errno, err::PathNotFound);
}

void LinuxFileSystem::StartCopyRun() {
    linkedcopies::forgetAll();
    dropHeldFolders();
}

void LinuxFileSystem::EndCopyWork() {
    dropHeldFolders();
}

void LinuxFileSystem::DeleteFile(const QString& path, bool force) {
    const QString normalized = fspath::normalize(path);
    const std::optional<QString> file =
        normalized.isEmpty() ? std::nullopt : resolve(normalized, EntryKind::File);
    if (!file)
        throw fsError(err::FileNotFound);
    struct stat st {};
    if (!force && lstatOf(*file, st) && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
        throw fsError(err::PermissionDenied);

    const QString parent = fspath::parentOf(*file);
    const bool wasCurrent = index_.isCurrent(parent);
    const UniqueFd parentFd = openFolder(parent);
    QByteArray buffer;
    if (!parentFd.valid() ||
        unlinkat(parentFd.get(), fspath::nativeName(fspath::nameOf(*file), buffer), 0) != 0) {
        const int e = errno;
        index_.forget(parent);
        throw errnoError(e, err::FileNotFound);
    }
    index_.noteRemoved(parent, fspath::nameOf(*file), wasCurrent);
}

void LinuxFileSystem::DeleteFolder(const QString& path, bool force) {
    const QString normalized = fspath::normalize(path);
    const std::optional<QString> folder =
        normalized.isEmpty() ? std::nullopt : resolve(normalized, EntryKind::Folder);
    if (!folder)
        throw fsError(err::PathNotFound);

    const QString parent = fspath::parentOf(*folder);
    const bool wasCurrent = index_.isCurrent(parent);
    dropHeldFolders();
    try {
        struct stat st {};
        if (lstatOf(*folder, st) && S_ISLNK(st.st_mode)) {
            // A link to a folder goes by itself; what it points to stays.
            if (longpath::unlink(fspath::native(*folder)) != 0)
                throw errnoError(errno, err::PathNotFound);
        } else {
            removeTree(*folder, force);
        }
    } catch (...) {
        index_.forget(parent);
        index_.forgetTree(*folder);
        throw;
    }
    index_.forgetTree(*folder);
    index_.noteRemoved(parent, fspath::nameOf(*folder), wasCurrent);
    lastFolderFound_.reset();
}

// --- reading ahead (on another thread) --------------------------------------------------------

bool LinuxFileSystem::ReadsAheadSafely() const {
    return typeid(*this) == typeid(LinuxFileSystem);
}

std::optional<FolderAhead> LinuxFileSystem::ReadFolderAhead(const QString& folderPath) {
    const QString folder = fspath::normalize(folderPath);
    if (folder.isEmpty())
        return std::nullopt;
    try {
        ScannedFolder scan = scanFolder(folder);
        FolderAhead ahead{folderPath, scan.entries, std::move(scan.others), {}};
        scan.others = QStringList();
        ahead.kept =
            std::make_shared<const std::pair<QString, ScannedFolder>>(folder, std::move(scan));
        return ahead;
    } catch (const RuntimeError&) {
        return std::nullopt; // read again the ordinary way, which reports the error
    }
}

void LinuxFileSystem::UseFolderAhead(const FolderAhead& ahead) {
    // What ListWithOthers keeps of a listing it reads itself.
    const auto* kept = static_cast<const std::pair<QString, ScannedFolder>*>(ahead.kept.get());
    if (!kept)
        return;
    const auto& [folder, scan] = *kept;
    index_.remember(folder, scan);
    if (!scan.leftovers.isEmpty())
        leftovers_.insert(folder, scan.leftovers);
    else if (!leftovers_.isEmpty())
        leftovers_.remove(folder);
}

QList<std::optional<qint64>> LinuxFileSystem::ModifiedTimesAhead(const QString& folderPath,
                                                                 const QStringList& names) {
    const QString folder = fspath::normalize(folderPath);
    const UniqueFd dir(folder.isEmpty() ? -1
                                        : longpath::open(fspath::native(folder),
                                                         O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return {};
    QList<std::optional<qint64>> times;
    times.reserve(names.size());
    QByteArray buffer;
    for (const QString& name : names) {
        struct stat st {};
        if (fstatat(dir.get(), fspath::nativeName(name, buffer), &st, AT_SYMLINK_NOFOLLOW) == 0)
            times.append(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1'000'000);
        else
            times.append(std::nullopt);
    }
    return times;
}

} // namespace pelto
