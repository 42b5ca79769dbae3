#include "platform/UserPrivacy.h"

#include <QFile>
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelto {

bool isPrivateUserFolder(const QString& path) {
    struct stat st {};
    // lstat: a link could be turned to another folder between this check and the folder's use.
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

bool makePrivateUserFolder(const QString& path) {
    if (path.isEmpty())
        return false;
    if (::mkdir(QFile::encodeName(path).constData(), S_IRWXU) != 0 && errno != EEXIST)
        return false;
    return isPrivateUserFolder(path);
}

QString currentUserId() {
    return QString::number(::getuid());
}

bool peerIsCurrentUser(qintptr socketDescriptor) {
    if (socketDescriptor < 0)
        return false;
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) !=
            0 ||
        size != sizeof peer)
        return false;
    return peer.uid == ::getuid();
}

} // namespace pelto
