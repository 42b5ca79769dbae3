#pragma once
// The Windows attribute bits of files and folders on a Linux file system.
//
// Read-only is the owner's write permission (off = read-only). Hidden is a name beginning with
// '.', or the hidden bit stored by a previous write. System and archive live in the
// "user.DOSATTRIB" extended attribute in Samba's text form ("0x20"). Clearing the archive bit also
// records the file's modification time and size; when either has moved since, the file was
// written again and reads as archive set, as Windows sets it on every write. A file without the
// extended attribute, or on a file system without user extended attributes, reads as archive set
// and writing the bits there changes only read-only.
//
// Folders report the directory bit (16) and any hidden, system or archive bit written to them;
// their read-only bit is neither reported nor applied, since it does not protect a folder on
// Windows but would stop files being created in it here. Symbolic links read as archive (and
// hidden by name) and their attributes cannot be written: the link itself keeps no permissions
// or extended attributes.

#include <QByteArray>
#include <QString>
#include <optional>

struct stat;

namespace pelto::dosattr {

inline constexpr char kAttributeName[] = "user.DOSATTRIB";
inline constexpr char kArchiveClearedName[] = "user.pelto.archive-cleared";

// Samba's text form; the text may be followed by a NUL and Samba's binary record.
std::optional<int> parse(const QByteArray& value);
QByteArray format(int bits);

// The attribute value of an item that lstat described as `st`; `nativePath` is its path as the
// system calls take it (fspath::native).
int read(const QString& path, const QByteArray& nativePath, const struct stat& st);
// Writes the writable bits; throws RuntimeError when the item cannot be changed.
void write(const QString& path, const struct stat& st, int value);

// The bits a copy of the open source file should carry in its extended attribute, or nothing
// when it needs none (a copy without one reads archive set, which is what a copy is).
std::optional<int> bitsToCarry(int sourceFd, const struct stat& sourceStat);
// Stores bits on an open file; false when its file system keeps no user extended attributes.
bool writeToOpenFile(int fd, int bits);

} // namespace pelto::dosattr
