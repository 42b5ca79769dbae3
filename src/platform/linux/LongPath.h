#pragma once
// System calls on paths of any length.
//
// The kernel refuses a path of PATH_MAX bytes or more (ENAMETOOLONG), yet a tree may be deeper
// than that. These calls take a path as it is shorter than the limit; a longer one is walked a
// part at a time: the folders on the way are opened relative to each other, each part shorter
// than the limit, and the call is made relative to the last folder opened. Links on the way are
// followed exactly as the kernel follows them in a whole path, so a call gives what the plain call
// would give if the path were short. Each returns what its namesake returns, with errno set.

#include <QByteArray>
#include <sys/types.h>

struct stat;

namespace pelto::longpath {

int lstat(const QByteArray& path, struct stat& st);
int stat(const QByteArray& path, struct stat& st);
int open(const QByteArray& path, int flags, mode_t mode = 0);
int mkdir(const QByteArray& path, mode_t mode);
int unlink(const QByteArray& path);
int chmod(const QByteArray& path, mode_t mode);
ssize_t readlink(const QByteArray& path, char* buffer, size_t size);
// Extended attributes of the item itself, never of what a link points to.
ssize_t lgetxattr(const QByteArray& path, const char* name, void* value, size_t size);
int lsetxattr(const QByteArray& path, const char* name, const void* value, size_t size, int flags);
int lremovexattr(const QByteArray& path, const char* name);

} // namespace pelto::longpath
