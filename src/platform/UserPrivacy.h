#pragma once
// Checks that keep what a program says for its own user's eyes away from other users: a folder
// only the current user may enter or change, and a local-socket peer that runs as that user.

#include <QString>
#include <QtGlobal>

namespace pelto {

// True when `path` is a folder itself (not a link to one), owned by the current user, that
// nobody else may enter, read or change.
bool isPrivateUserFolder(const QString& path);
// Creates `path` (its parent must exist) as a folder private to the current user when it is
// missing. True when `path` then is such a folder; a folder someone else made is left alone.
bool makePrivateUserFolder(const QString& path);
// The current user's number, as text ("1000"), for names no other user's programs pick.
QString currentUserId();
// True when the process at the other end of this connected local socket runs as the current
// user; false for any other user and for a descriptor that is no connected local socket.
bool peerIsCurrentUser(qintptr socketDescriptor);

} // namespace pelto
