#pragma once
// Copies one file so that a failure never destroys the file it replaces: the copy is written to a
// temporary name in the destination folder and renamed over the destination only when complete.
// A file that is new at the destination is written unnamed (O_TMPFILE) where the file system
// allows and linked under its name when complete.
// Data moves with copy_file_range (reflinks where the file system offers them) and falls back to
// a read/write loop. The copy keeps the source's modification time to the nanosecond and its
// permission bits; a symbolic link is copied as a link. On any failure the temporary file is
// removed. Everything in the destination folder is done relative to its open descriptor, so its
// path is walked once per copy, not once per step.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <sys/types.h>

struct stat;

namespace pelto {

// Runs after the temporary copy is complete and before it replaces the destination (or, for an
// unnamed copy, before it is given its name: the path is then its /proc/self/fd entry); a test
// seam for failures at the last moment. Throwing from it fails the copy.
using BeforeReplaceHook = std::function<void(const QString& temporaryPath)>;

// Prefix of the temporary names in the destination folder. A temporary name is this prefix and
// exactly kTemporaryTokenLength characters of 0-9 and a-z (a random 64-bit number in base 36,
// padded with zeros), nothing before or after.
inline constexpr char kTemporaryPrefix[] = ".pelto-copy-";
inline constexpr int kTemporaryTokenLength = 13;

// True when `name` is exactly of the shape of the copier's temporary names.
bool isTemporaryName(const char* name);

// Removes the copier's temporary files that an interrupted copy (a crash, kill -9) left in the
// folder open at `folder` (O_PATH will do). Only regular files under a temporary name go, and of
// those not one that a copy still running (in this or another process) is writing: the copier
// holds a lock on its temporary file until it is renamed, and a file whose lock is held stays.
// Best effort: what cannot be removed stays, and nothing is reported.
void removeLeftoverTemporaries(int folder, const QList<QByteArray>& names);

// Where a copy goes.
struct CopyTarget {
    int folder = -1;          // open descriptor (O_PATH will do) of the destination folder
    QString folderPath;       // that folder's path, for the temporary path the test seam is given
    QString name;             // the name the copy is given in it
    bool replaces = false;    // an entry of that name is there and is replaced
    bool mayBeUnnamed = true; // a new file may be written unnamed where the system allows
};

// Test seam: with false, unnamed copies are linked through /proc/self/fd as in a process without
// CAP_DAC_READ_SEARCH; with true a direct link (AT_EMPTY_PATH) is tried first again.
void allowDirectLinks(bool allowed);

// Thrown, before anything is written, when a status given as possibly out of date does not
// describe the source that was opened.
struct SourceNotAsDescribed {};

// Copies `source` (the path of an existing file or link as the system calls take it, stored
// case, that lstat described as `sourceStat`) to `target`, replacing what is there. With
// `statMayBeOld` the status came from an earlier read and the opened file is checked against it
// (SourceNotAsDescribed). Throws
// RuntimeError: err::DiskFull when space or quota runs out, err::PermissionDenied,
// err::FileNotFound (source gone), err::PathNotFound (folder gone).
void copyFileAtomically(const QByteArray& source, const struct stat& sourceStat, bool statMayBeOld,
                        const CopyTarget& target, const BeforeReplaceHook& beforeReplace = {});

// Gives `target` another name of an existing file instead of a copy: a hard link, made under a
// temporary name in the target's folder and renamed over the target, so the target changes in one
// step. `existing` is the file's path as the system calls take it; the link is kept only when it
// names the file of `device` and `inode`. False, with nothing changed, when that file is no
// longer there or cannot be linked (another file system, one without hard links, too many
// links). True at once when the target already is that file.
bool linkAtomically(const QByteArray& existing, dev_t device, ino_t inode,
                    const CopyTarget& target);

} // namespace pelto
