#include "DiagFixture.h"
#include "TraceReceiverThread.h"

#include "platform/UserPrivacy.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pelto::test {
namespace {

const QString kViewer = QString::fromLatin1(diag::kTraceViewName);
constexpr uid_t kOtherUser = 65534;

// Everything that reached a socket that takes connections in the kernel but never answers.
QByteArray receivedBy(QLocalServer& server) {
    QByteArray bytes;
    while (server.waitForNewConnection(0)) {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            socket->waitForReadyRead(0);
            bytes += socket->readAll();
        }
    }
    return bytes;
}

// Sets an environment variable (or unsets it, for an empty value) until the end of the scope.
class EnvGuard {
public:
    EnvGuard(const char* name, const QString& value) : name_(name), old_(qgetenv(name)) {
        had_ = qEnvironmentVariableIsSet(name);
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value.toLocal8Bit());
    }
    ~EnvGuard() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* name_;
    QByteArray old_;
    bool had_ = false;
};

class TraceChannelTest : public DiagTest {
protected:
    void SetUp() override {
        DiagTest::SetUp();
        ASSERT_TRUE(temp_.isValid() && open_.isValid());
        diag::SetTraceWaitMs(20); // an impostor never answers; do not wait long for it
    }
    QTemporaryDir temp_; // the temporary folder for the test's runs
    QTemporaryDir open_; // a folder the test opens up to others
    EnvGuard tmpdir_{"TMPDIR", temp_.path()};
};

// A socket named like the viewer, put where other users could put one, gets nothing: the trace
// goes nowhere rather than to a socket in a folder that is not the user's alone.
TEST_F(TraceChannelTest, ViewerNamedSocketInAFolderOthersReachReceivesNothing) {
    const QString perUser = temp_.filePath("pelto-trace-" + currentUserId());
    const struct {
        const char* what;
        QString runtime; // XDG_RUNTIME_DIR; empty for unset
        QString socketFolder;
        mode_t mode;
        uid_t owner;
    } rows[] = {
        {"world-writable runtime folder", open_.path(), open_.path(), 0777, ::getuid()},
        {"runtime folder the group may enter", open_.path(), open_.path(), 0750, ::getuid()},
        {"runtime folder of another user", open_.path(), open_.path(), 0700, kOtherUser},
        {"no runtime folder: socket in the temporary folder", {}, temp_.path(), 01777, ::getuid()},
        {"no runtime folder: another user's per-user folder", {}, perUser, 0700, kOtherUser},
        {"runtime folder is a link to a private folder", open_.filePath("link"), runtimeFolder(),
         0700, ::getuid()},
    };
    ASSERT_TRUE(QFile::link(runtimeFolder(), open_.filePath("link")));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.owner != ::getuid() && ::getuid() != 0)
            continue; // handing a folder to another user takes root
        QDir().mkpath(row.socketFolder);
        const QByteArray folder = QFile::encodeName(row.socketFolder);
        ASSERT_EQ(::chmod(folder.constData(), row.mode), 0);
        ASSERT_EQ(::chown(folder.constData(), row.owner, static_cast<gid_t>(-1)), 0);
        const EnvGuard runtime("XDG_RUNTIME_DIR", row.runtime);
        diag::ResetTrace();
        diag::SetTraceWaitMs(20);
        QLocalServer impostor;
        ASSERT_TRUE(impostor.listen(row.socketFolder + "/" + kViewer));

        diag::TraceEnter("Pelto", "Sub Secret", "(asPath=/home/user/private)");
        EXPECT_FALSE(diag::TraceActive());
        EXPECT_EQ(receivedBy(impostor).toStdString(), "");
        impostor.close();
        ASSERT_EQ(::chown(folder.constData(), ::getuid(), static_cast<gid_t>(-1)), 0);
        ASSERT_EQ(::chmod(folder.constData(), 0700), 0);
    }
}

// Without a private runtime folder, viewer and program meet in the user's own folder in the
// temporary folder, which the viewer makes private to the user.
TEST_F(TraceChannelTest, WithoutPrivateRuntimeFolderViewerAndProgramMeetInTheUsersOwnFolder) {
    ASSERT_EQ(::chmod(QFile::encodeName(open_.path()).constData(), 0777), 0);
    for (const QString& runtime : {QString(), open_.path()}) {
        SCOPED_TRACE(runtime.toStdString());
        const EnvGuard env("XDG_RUNTIME_DIR", runtime);
        diag::ResetTrace();
        TraceReceiverThread viewer(kViewer);
        ASSERT_TRUE(viewer.listening());
        EXPECT_EQ(diag::traceSocketFolder().toStdString(),
                  temp_.filePath("pelto-trace-" + currentUserId()).toStdString());
        EXPECT_TRUE(isPrivateUserFolder(diag::traceSocketFolder()));
        diag::TraceEnter("Pelto", "Sub A", "()");
        EXPECT_EQ(viewer.lines(), (QStringList{traceBanner(), traceLine("00001", "00000.000", "->",
                                                                        0, "Pelto : Sub A : ()")}));
    }
}

// A socket in the private runtime folder whose listener runs as another user gets nothing. The
// listening socket is bound here and put to listening by a child that first became that user,
// so its peer credentials name the other user.
TEST_F(TraceChannelTest, ViewerRunningAsAnotherUserReceivesNothing) {
    if (::getuid() != 0)
        GTEST_SKIP() << "becoming another user takes root";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(runtimeFolder() + "/" + kViewer);
    ASSERT_LT(path.size(), static_cast<qsizetype>(sizeof address.sun_path));
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setresuid(kOtherUser, kOtherUser, kOtherUser) == 0 && ::listen(fd, 8) == 0 ? 0
                                                                                             : 1);
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    QLocalServer impostor; // takes over the descriptor
    ASSERT_TRUE(impostor.listen(fd));

    diag::TraceEnter("Pelto", "Sub Secret", "(asPath=/home/user/private)");
    EXPECT_FALSE(diag::TraceActive());
    EXPECT_EQ(receivedBy(impostor).toStdString(), "");
}

// The peer check on both ends of a socket pair of this process, and on no socket at all.
TEST(PeerIsCurrentUser, TrueForOwnSocketPairFalseForNoSocket) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    EXPECT_TRUE(peerIsCurrentUser(pair[0]));
    EXPECT_TRUE(peerIsCurrentUser(pair[1]));
    ::close(pair[0]);
    ::close(pair[1]);
    EXPECT_FALSE(peerIsCurrentUser(-1));
}

} // namespace
} // namespace pelto::test
