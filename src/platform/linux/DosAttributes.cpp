#include "platform/linux/DosAttributes.h"

#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/linux/LongPath.h"
#include "platform/linux/PosixError.h"

#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace pelto::dosattr {

namespace {

// The bits kept in the extended attribute.
constexpr int kStoredBits = attr::Hidden | attr::System | attr::Archive;

bool unsupported(int e) {
    return e == ENOTSUP || e == EOPNOTSUPP;
}

struct Stored {
    bool supported = true;
    std::optional<int> bits;
};

// One extended attribute read through `get` (a getxattr call for a buffer); nothing when absent
// or unreadable, and `supported` false when the file system keeps none.
template <typename Get> std::optional<QByteArray> readAttribute(Get&& get, bool& supported) {
    // Values are short (Samba's record included): a buffer on the stack takes them, and an absent
    // attribute (most files) costs no allocation.
    char small[256];
    ssize_t n = get(small, sizeof small);
    if (n >= 0)
        return QByteArray(small, n);
    QByteArray buffer;
    while (n < 0 && errno == ERANGE) {
        const ssize_t needed = get(nullptr, 0);
        if (needed < 0)
            return std::nullopt;
        buffer.resize(needed + 1);
        n = get(buffer.data(), size_t(buffer.size()));
    }
    if (n >= 0) {
        buffer.resize(n);
        return buffer;
    }
    if (unsupported(errno))
        supported = false;
    return std::nullopt; // absent, or unreadable: treated as absent
}

std::optional<QByteArray> getAttribute(const QByteArray& path, const char* name, bool& supported) {
    return readAttribute(
        [&](void* buffer, size_t size) { return longpath::lgetxattr(path, name, buffer, size); },
        supported);
}

Stored readStored(const QByteArray& path) {
    Stored stored;
    if (const auto value = getAttribute(path, kAttributeName, stored.supported))
        stored.bits = parse(*value);
    return stored;
}

// What the archive-cleared record holds: the content's modification time and size.
QByteArray contentStamp(const struct stat& st) {
    return QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ':' +
           QByteArray::number(qint64(st.st_size));
}

bool changedSinceArchiveCleared(const QByteArray& path, const struct stat& st) {
    bool supported = true;
    const auto stamp = getAttribute(path, kArchiveClearedName, supported);
    // Without a record the bit was cleared by another program: trust it.
    return stamp && *stamp != contentStamp(st);
}

bool hiddenByName(const QString& path) {
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    return nameStart < path.size() && path.at(nameStart) == QLatin1Char('.');
}

// Sets or removes one extended attribute; false when the file system keeps none.
bool setAttribute(const QByteArray& path, const char* name, const QByteArray& value) {
    if (longpath::lsetxattr(path, name, value.constData(), size_t(value.size()), 0) == 0)
        return true;
    if (unsupported(errno))
        return false;
    throw errnoError(errno, err::FileNotFound);
}

void removeAttribute(const QByteArray& path, const char* name) {
    if (longpath::lremovexattr(path, name) == 0 || errno == ENODATA || unsupported(errno))
        return;
    throw errnoError(errno, err::FileNotFound);
}

void changeMode(const QByteArray& path, mode_t mode) {
    if (longpath::chmod(path, mode) != 0)
        throw errnoError(errno, err::FileNotFound);
}

int readFolder(const QString& path, const QByteArray& native) {
    int value = attr::Directory;
    if (hiddenByName(path))
        value |= attr::Hidden;
    const Stored stored = readStored(native);
    if (stored.bits)
        value |= *stored.bits & kStoredBits;
    return value;
}

int readFile(const QString& path, const QByteArray& native, const struct stat& st) {
    int value = 0;
    if (!(st.st_mode & S_IWUSR))
        value |= attr::ReadOnly;
    if (hiddenByName(path))
        value |= attr::Hidden;
    const Stored stored = readStored(native);
    if (!stored.supported || !stored.bits)
        return value | attr::Archive;
    value |= *stored.bits & kStoredBits;
    if (!(value & attr::Archive) && changedSinceArchiveCleared(native, st))
        value |= attr::Archive;
    return value;
}

void writeFolder(const QString& path, int value) {
    const QByteArray native = fspath::native(path);
    setAttribute(native, kAttributeName, format(attr::Directory | (value & kStoredBits)));
}

void writeFile(const QString& path, const struct stat& st, int value) {
    const QByteArray native = fspath::native(path);
    const mode_t mode = st.st_mode & 07777;
    const mode_t wanted = (value & attr::ReadOnly) ? mode_t(mode & ~0222) : mode_t(mode | S_IWUSR);

    // User extended attributes need write access to the file: open it up while writing them.
    const bool opened = !(mode & S_IWUSR);
    if (opened)
        changeMode(native, mode | S_IWUSR);
    try {
        if (setAttribute(native, kAttributeName, format(value & attr::Writable))) {
            if (value & attr::Archive)
                removeAttribute(native, kArchiveClearedName);
            else
                setAttribute(native, kArchiveClearedName, contentStamp(st));
        }
    } catch (...) {
        if (opened)
            longpath::chmod(native, mode);
        throw;
    }
    if (wanted != mode || opened)
        changeMode(native, wanted);
}

} // namespace

std::optional<int> parse(const QByteArray& value) {
    const qsizetype end = value.indexOf('\0');
    const QByteArray text = (end < 0 ? value : value.left(end)).trimmed();
    if (!text.startsWith("0x") && !text.startsWith("0X"))
        return std::nullopt;
    bool ok = false;
    const uint bits = text.mid(2).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return int(bits & 0xFFFF);
}

QByteArray format(int bits) {
    return "0x" + QByteArray::number(bits, 16);
}

int read(const QString& path, const QByteArray& nativePath, const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return readFolder(path, nativePath);
    if (S_ISLNK(st.st_mode))
        return attr::Archive | (hiddenByName(path) ? attr::Hidden : 0);
    return readFile(path, nativePath, st);
}

void write(const QString& path, const struct stat& st, int value) {
    if (S_ISDIR(st.st_mode))
        writeFolder(path, value);
    else if (S_ISREG(st.st_mode))
        writeFile(path, st, value);
    // A link keeps no attributes of its own: nothing to write.
}

std::optional<int> bitsToCarry(int sourceFd, const struct stat& sourceStat) {
    if (!S_ISREG(sourceStat.st_mode))
        return std::nullopt;
    bool supported = true;
    const auto value = readAttribute(
        [&](void* buffer, size_t size) {
            return fgetxattr(sourceFd, kAttributeName, buffer, size);
        },
        supported);
    const std::optional<int> bits = value ? parse(*value) : std::nullopt;
    if (!bits || !(*bits & (attr::Hidden | attr::System)))
        return std::nullopt;
    // A copy is a write: it carries hidden and system and has its archive bit set.
    return (*bits & (attr::Hidden | attr::System)) | attr::Archive;
}

bool writeToOpenFile(int fd, int bits) {
    const QByteArray value = format(bits);
    if (fsetxattr(fd, kAttributeName, value.constData(), size_t(value.size()), 0) == 0)
        return true;
    if (unsupported(errno))
        return false;
    throw errnoError(errno, err::FileNotFound);
}

} // namespace pelto::dosattr
