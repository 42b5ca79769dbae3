#pragma once
// Folder trees made and read byte for byte: names are the system's bytes (valid UTF-8 or not)
// and every step works relative to an open folder, so trees may be deeper than the system's
// path limit. Tests use it where Qt's own file classes would change a name or give up on a
// long path.

#include <QByteArray>
#include <QCryptographicHash>
#include <QMap>
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
        for (const char c : it.key()) {
            if (c >= 0x20 && c < 0x7f)
                *os << c;
            else
                *os << "\\x" << QByteArray(1, c).toHex().constData();
        }
        *os << " = " << it.value().constData();
    }
}

namespace pelto::test::bytetree {

// The folder `rel` below `root` (both '/'-separated bytes), opened a component at a time and
// made where missing when `make` is set; -1 when it cannot be reached.
inline int openFolder(const QByteArray& root, const QByteArray& rel, bool make) {
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

inline QByteArray folderOf(const QByteArray& rel) {
    const qsizetype slash = rel.lastIndexOf('/');
    return slash < 0 ? QByteArray() : rel.left(slash);
}
inline QByteArray nameOf(const QByteArray& rel) {
    return rel.mid(rel.lastIndexOf('/') + 1);
}

// Writes a file (making its folders) modified at `seconds` after the epoch.
inline void put(const QByteArray& root, const QByteArray& rel, const QByteArray& content,
                qint64 seconds = 1704067200) {
    const int folder = openFolder(root, folderOf(rel), true);
    ASSERT_GE(folder, 0) << rel.size();
    const int fd = openat(folder, nameOf(rel).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    const timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
    ASSERT_EQ(futimens(fd, times), 0);
    ::close(fd);
    ::close(folder);
}

inline void makeFolder(const QByteArray& root, const QByteArray& rel) {
    const int fd = openFolder(root, rel, true);
    ASSERT_GE(fd, 0);
    ::close(fd);
}

// Makes an item that is neither a file nor a folder: S_IFIFO, S_IFSOCK or S_IFCHR (the null
// device's numbers; root only). False when the system refuses it.
inline bool makeSpecial(const QByteArray& root, const QByteArray& rel, mode_t type) {
    const int folder = openFolder(root, folderOf(rel), true);
    const bool made = folder >= 0 && mknodat(folder, nameOf(rel).constData(), type | 0644,
                                             type == S_IFCHR ? makedev(1, 3) : 0) == 0;
    ::close(folder);
    return made;
}

namespace detail {
inline void walk(int folder, const QByteArray& prefix, QMap<QByteArray, QByteArray>& items) {
    DIR* dir = fdopendir(folder);
    if (!dir) {
        ::close(folder);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray rel = prefix.isEmpty() ? name : prefix + '/' + name;
        struct stat st {};
        if (fstatat(dirfd(dir), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            items[rel] = "folder";
            const int sub = openat(dirfd(dir), name.constData(), O_RDONLY | O_DIRECTORY);
            if (sub >= 0)
                walk(sub, rel, items);
        } else if (S_ISREG(st.st_mode)) {
            QByteArray content;
            const int fd = openat(dirfd(dir), name.constData(), O_RDONLY);
            char buffer[4096];
            for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                content.append(buffer, n);
            if (fd >= 0)
                ::close(fd);
            items[rel] = "file " + QByteArray::number(qint64(st.st_mtim.tv_sec)) + ' ' +
                         QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex();
        } else {
            items[rel] = "other";
        }
    }
    closedir(dir);
}
} // namespace detail

namespace detail {
inline void empty(int folder) {
    DIR* dir = fdopendir(folder);
    if (!dir) {
        ::close(folder);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const int sub = openat(dirfd(dir), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (sub >= 0)
            empty(sub);
        unlinkat(dirfd(dir), name.constData(), sub >= 0 ? AT_REMOVEDIR : 0);
        rewinddir(dir);
    }
    closedir(dir);
}
} // namespace detail

// Removes everything below `root`, at any depth (Qt's own removal stops at the path limit).
inline void removeAllBelow(const QByteArray& root) {
    const int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        detail::empty(fd);
}

// Every item below `root` by its relative path in bytes: "folder", "file <mtime> <sha1>" or
// "other"; the tree may be of any depth.
inline QMap<QByteArray, QByteArray> snapshot(const QByteArray& root) {
    QMap<QByteArray, QByteArray> items;
    const int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        detail::walk(fd, {}, items);
    return items;
}

} // namespace pelto::test::bytetree
