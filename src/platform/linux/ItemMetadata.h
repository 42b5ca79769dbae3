#pragma once
// What a copy of a file or folder carries besides its content, as `cp -a` carries it: owner and
// group (when the process may give items away), extended attributes of every namespace the
// process may write, POSIX ACLs (kept as the extended attributes system.posix_acl_access and
// system.posix_acl_default), and the mode bits.
//
// The attributes the attribute rule decides (user.DOSATTRIB and the archive-cleared record) are
// not copied here: the copy writes them by that rule. Everything is done on open descriptors, so
// no path is walked twice.
//
// Order matters. Owner first: giving an item away clears its file capabilities, which the
// extended attributes then bring back. Mode after the attributes: a user attribute needs write
// access, which a read-only mode would take away, and an ACL rewrites the group bits, which the
// mode then sets as the source has them (the source's group bits are its ACL mask).

#include <sys/types.h>

struct stat;

namespace pelto::metadata {

// True when the process may give items to other owners (it runs as root).
bool mayChangeOwner();

// Gives the open item `out` the owner and group of `source` when the process may; true when the
// item has them now. A file system that keeps no owners (refuses) leaves the item as it is.
bool copyOwner(int out, const struct stat& source);

// Copies the extended attributes of the open item `in` to the open item `out`, each one the
// destination takes; one the destination's file system or the process's rights refuse is left
// out quietly. An ACL that `out` inherited from its folder and `in` does not have is removed, so
// the copy has the source's permissions and no others. Throws RuntimeError err::DiskFull when
// space runs out. Returns whether `in` lists user.DOSATTRIB, which the attribute rule then reads.
bool copyExtendedAttributes(int in, int out);

// The mode bits the open copy `out` of `source` carries: the permission bits and the sticky bit,
// and set-user-id and set-group-id where the copy has the source's owner and group (a set-id bit
// on a copy that belongs to someone else would lend it the rights of the one who copied).
mode_t carriedMode(const struct stat& source, int out);

} // namespace pelto::metadata
