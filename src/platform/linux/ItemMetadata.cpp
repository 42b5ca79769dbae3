#include "platform/linux/ItemMetadata.h"

#include "platform/FileSystem.h"
#include "platform/linux/DosAttributes.h"
#include "platform/linux/PosixError.h"

#include <QByteArray>
#include <QList>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace pelto::metadata {

namespace {

constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr char kDefaultAcl[] = "system.posix_acl_default";

// Reads through `get` (a call that fills a buffer of a size, or tells the size with none) into a
// buffer that grows while the value grows under it; nullopt with errno on failure.
template <typename Get> std::optional<QByteArray> readGrowing(Get&& get) {
    QByteArray buffer;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t needed = get(nullptr, 0);
        if (needed < 0)
            return std::nullopt;
        buffer.resize(needed);
        if (needed == 0)
            return buffer;
        const ssize_t n = get(buffer.data(), size_t(buffer.size()));
        if (n >= 0) {
            buffer.resize(n);
            return buffer;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
    errno = ERANGE;
    return std::nullopt;
}

// The names of the open item's extended attributes (those the process may see); none where its
// file system keeps none.
QList<QByteArray> attributeNames(int fd) {
    const auto list =
        readGrowing([fd](char* buffer, size_t size) { return flistxattr(fd, buffer, size); });
    QList<QByteArray> names;
    // Most items have none: an empty listing needs no splitting.
    if (!list || list->isEmpty())
        return names;
    for (const QByteArray& name : list->split('\0')) {
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

// The names the attribute rule writes itself.
bool ownedByAttributeRule(const QByteArray& name) {
    return name == dosattr::kAttributeName || name == dosattr::kArchiveClearedName;
}

// Space or quota ran out: the copy fails as a full disk, not quietly without its attributes.
bool outOfSpace(int e) {
    return e == ENOSPC || e == EDQUOT;
}

} // namespace

bool mayChangeOwner() {
    static const bool root = geteuid() == 0;
    return root;
}

bool copyOwner(int out, const struct stat& source) {
    if (!mayChangeOwner())
        return false;
    return fchown(out, source.st_uid, source.st_gid) == 0;
}

bool copyExtendedAttributes(int in, int out) {
    bool accessAcl = false;
    bool defaultAcl = false;
    bool dosAttributes = false;
    for (const QByteArray& name : attributeNames(in)) {
        if (ownedByAttributeRule(name)) {
            dosAttributes = dosAttributes || name == dosattr::kAttributeName;
            continue;
        }
        const auto value = readGrowing([&](char* buffer, size_t size) {
            return fgetxattr(in, name.constData(), buffer, size);
        });
        if (!value)
            continue; // gone since it was listed, or not readable by this process
        if (fsetxattr(out, name.constData(), value->constData(), size_t(value->size()), 0) != 0) {
            if (outOfSpace(errno))
                throw errnoError(errno, err::PathNotFound);
            continue; // refused by the destination or not ours to write: left out
        }
        accessAcl = accessAcl || name == kAccessAcl;
        defaultAcl = defaultAcl || name == kDefaultAcl;
    }
    // A new item takes ACL entries from its folder's default ACL; the source had none of them.
    if (accessAcl && defaultAcl)
        return dosAttributes;
    for (const QByteArray& name : attributeNames(out)) {
        if ((name == kAccessAcl && !accessAcl) || (name == kDefaultAcl && !defaultAcl))
            fremovexattr(out, name.constData());
    }
    return dosAttributes;
}

mode_t carriedMode(const struct stat& source, int out) {
    mode_t mode = source.st_mode & 01777;
    if (!(source.st_mode & (S_ISUID | S_ISGID)))
        return mode;
    struct stat copy {};
    if (fstat(out, &copy) != 0)
        return mode;
    if ((source.st_mode & S_ISUID) && copy.st_uid == source.st_uid)
        mode |= S_ISUID;
    if ((source.st_mode & S_ISGID) && copy.st_gid == source.st_gid)
        mode |= S_ISGID;
    return mode;
}

} // namespace pelto::metadata
