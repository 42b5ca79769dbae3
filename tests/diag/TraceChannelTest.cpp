#include "DiagFixture.h"
#include "TraceReceiverThread.h"

#include "platform/UserPrivacy.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QScopeGuard>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pelto::test {
namespace {

const QString kViewer = QString::fromLatin1(diag::kTraceViewName);
constexpr uid_t kOtherUser = 65534;

void setEnv(const char* name, const QString& value) { // an empty value unsets
    value.isEmpty() ? qunsetenv(name) : qputenv(name, value.toLocal8Bit());
}
bool setMode(const QString& folder, mode_t mode, uid_t owner) {
    const QByteArray name = QFile::encodeName(folder);
    return ::chmod(name.constData(), mode) == 0 && ::chown(name.constData(), owner, gid_t(-1)) == 0;
}

// Everything that reached a socket that takes connections in the kernel but never answers.
QByteArray receivedBy(QLocalServer& server) {
    QByteArray bytes;
    while (server.waitForNewConnection(0))
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            socket->waitForReadyRead(0);
            bytes += socket->readAll();
        }
    return bytes;
}

// Listens on a socket bound here but put to listening by a child that first became another
// user, so its peer credentials name that user.
bool listenAsOtherUser(QLocalServer& server, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || name.size() >= qsizetype(sizeof address.sun_path) ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setresuid(kOtherUser, kOtherUser, kOtherUser) != 0 || ::listen(fd, 8) != 0);
    int status = -1;
    return ::waitpid(child, &status, 0) == child && status == 0 && server.listen(fd);
}

using TraceChannelTest = DiagTest;

// The trace reaches only a viewer of this user in a folder that is the user's alone.
TEST_F(TraceChannelTest, OnlyAViewerOfThisUserInAPrivateFolderReceivesTheTrace) {
    QTemporaryDir temp, open; // the temporary folder for the runs; a folder opened up to others
    ASSERT_TRUE(temp.isValid() && open.isValid());
    const auto restoreTemp =
        qScopeGuard([old = qEnvironmentVariable("TMPDIR")] { setEnv("TMPDIR", old); });
    setEnv("TMPDIR", temp.path());
    ASSERT_TRUE(QFile::link(runtimeFolder(), open.filePath("link")));
    const QString perUser = temp.filePath("pelto-trace-" + currentUserId());
    const uid_t me = ::getuid();
    enum Listener { Viewer, Impostor, OtherUsersImpostor };
    const struct {
        const char* what;
        QString runtime, folder; // runtime: XDG_RUNTIME_DIR, empty for unset
        mode_t mode;
        uid_t owner;
        Listener listener;
    } rows[] = {
        {"viewer, no runtime folder", {}, temp.path(), 01777, me, Viewer},
        {"viewer, world-writable runtime folder", open.path(), open.path(), 0777, me, Viewer},
        {"world-writable runtime folder", open.path(), open.path(), 0777, me, Impostor},
        {"runtime folder the group may enter", open.path(), open.path(), 0750, me, Impostor},
        {"runtime folder of another user", open.path(), open.path(), 0700, kOtherUser, Impostor},
        {"no runtime folder: socket in the temporary folder", {}, temp.path(), 01777, me, Impostor},
        {"no runtime folder: another user's per-user folder",
         {},
         perUser,
         0700,
         kOtherUser,
         Impostor},
        {"runtime folder is a link to a private folder", open.filePath("link"), runtimeFolder(),
         0700, me, Impostor},
        {"listener runs as another user", runtimeFolder(), runtimeFolder(), 0700, me,
         OtherUsersImpostor},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if ((row.owner != me || row.listener == OtherUsersImpostor) && me != 0)
            continue; // handing a folder to another user, or becoming one, takes root
        QDir().mkpath(row.folder);
        ASSERT_TRUE(setMode(row.folder, row.mode, row.owner));
        setEnv("XDG_RUNTIME_DIR", row.runtime); // the fixture restores it
        diag::ResetTrace();
        diag::SetTraceWaitMs(row.listener == Viewer ? diag::kDefaultTraceWaitMs : 20);
        std::optional<TraceReceiverThread> viewer;
        QLocalServer impostor;
        const QString socket = row.folder + "/" + kViewer;
        if (row.listener == Viewer)
            viewer.emplace(kViewer);
        ASSERT_TRUE(viewer                               ? viewer->listening()
                    : row.listener == OtherUsersImpostor ? listenAsOtherUser(impostor, socket)
                                                         : impostor.listen(socket));
        diag::TraceEnter("Pelto", "Sub Secret", "(asPath=/home/user/private)");
        EXPECT_EQ(diag::TraceActive(), viewer.has_value());
        if (viewer) {
            EXPECT_EQ(diag::traceSocketFolder().toStdString(), perUser.toStdString());
            EXPECT_TRUE(isPrivateUserFolder(perUser));
            EXPECT_EQ(viewer->lines(),
                      (QStringList{traceBanner(),
                                   traceLine("00001", "00000.000", "->", 0,
                                             "Pelto : Sub Secret : (asPath=/home/user/private)")}));
        } else {
            EXPECT_EQ(receivedBy(impostor).toStdString(), "");
        }
        ASSERT_TRUE(setMode(row.folder, 0700, me));
    }
}

} // namespace
} // namespace pelto::test
