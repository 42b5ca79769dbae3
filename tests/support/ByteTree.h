#pragma once
// Folder trees made and read byte for byte, relative to open folders: names may be any bytes and
// trees deeper than the system's path limit, where Qt's file classes change names or give up.

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// Failure messages show a snapshot one item a line, bytes outside printable ASCII as \xNN.
inline void PrintTo(const QMap<QByteArray, QByteArray>& items, std::ostream* os) {
    for (auto it = items.cbegin(); it != items.cend(); ++it) {
        *os << "\n  ";
        for (const char c : it.key())
            *os << (c >= 0x20 && c < 0x7f ? QByteArray(1, c) : "\\x" + QByteArray(1, c).toHex())
                       .constData();
        *os << " = " << it.value().constData();
    }
}

namespace pelto::test::bytetree {

// The folder `rel` below `root` opened a component at a time (made if `make`); -1 if unreachable.
inline int openFolder(const QByteArray& root, const QByteArray& rel, bool make = true) {
    if (make)
        ::mkdir(root.constData(), 0755);
    int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QByteArray& name : rel.split('/')) {
        if (fd < 0 || name.isEmpty())
            continue;
        if (make)
            mkdirat(fd, name.constData(), 0755);
        const int next = openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        ::close(fd);
        fd = next;
    }
    return fd;
}

// Makes the item `rel` (and its folders) with `make(folder, name)`.
template <typename Make> bool makeAt(const QByteArray& root, const QByteArray& rel, Make make) {
    const qsizetype slash = rel.lastIndexOf('/');
    const int folder = openFolder(root, slash < 0 ? QByteArray() : rel.left(slash));
    const bool made = folder >= 0 && make(folder, rel.mid(slash + 1).constData());
    ::close(folder);
    return made;
}

// A file modified at `seconds` after the epoch.
inline void put(const QByteArray& root, const QByteArray& rel, const QByteArray& content,
                qint64 seconds = 1704067200) {
    ASSERT_TRUE(makeAt(root, rel, [&](int folder, const char* name) {
        const int fd = openat(folder, name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
        const bool ok =
            fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size() &&
            futimens(fd, times) == 0;
        ::close(fd);
        return ok;
    })) << rel.size();
}

// A fifo, socket or (as root) the null device's node; false when the system refuses it.
inline bool makeSpecial(const QByteArray& root, const QByteArray& rel, mode_t type) {
    return makeAt(root, rel, [&](int folder, const char* name) {
        return mknodat(folder, name, type | 0644, type == S_IFCHR ? makedev(1, 3) : 0) == 0;
    });
}

// Calls `visit(folderFd, name, status, relativePath)` for every item below the open folder `fd`.
template <typename Visit> void walk(int fd, const QByteArray& prefix, Visit&& visit) {
    DIR* dir = fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    QByteArrayList names;
    while (const dirent* entry = readdir(dir))
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.append(entry->d_name);
    for (const QByteArray& name : names) {
        struct stat st {};
        if (fstatat(dirfd(dir), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const QByteArray rel = prefix.isEmpty() ? name : prefix + '/' + name;
        visit(dirfd(dir), name, st, rel);
        if (S_ISDIR(st.st_mode))
            walk(openat(dirfd(dir), name.constData(), O_RDONLY | O_DIRECTORY), rel, visit);
    }
    closedir(dir);
}

// Every item below `root` by relative path: "folder", "file <mtime> <sha1>" or "other".
inline QMap<QByteArray, QByteArray> snapshot(const QByteArray& root) {
    QMap<QByteArray, QByteArray> items;
    walk(openFolder(root, {}, false), {},
         [&](int folder, const QByteArray& name, const struct stat& st, const QByteArray& rel) {
             QByteArray& item = items[rel] = S_ISDIR(st.st_mode) ? "folder" : "other";
             if (!S_ISREG(st.st_mode))
                 return;
             QFile file;
             const int fd = openat(folder, name.constData(), O_RDONLY);
             file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
             item = "file " + QByteArray::number(qint64(st.st_mtim.tv_sec)) + ' ' +
                    QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
         });
    return items;
}

// Removes everything below `root`, at any depth (Qt's own removal stops at the path limit).
inline void removeAllBelow(const QByteArray& root) {
    QList<std::pair<int, QByteArray>> folders; // deepest last, removed in reverse
    walk(openFolder(root, {}, false), {},
         [&](int folder, const QByteArray& name, const struct stat& st, const QByteArray&) {
             if (S_ISDIR(st.st_mode))
                 folders.append({::dup(folder), name});
             else
                 unlinkat(folder, name.constData(), 0);
         });
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        unlinkat(it->first, it->second.constData(), AT_REMOVEDIR);
        ::close(it->first);
    }
}

} // namespace pelto::test::bytetree
