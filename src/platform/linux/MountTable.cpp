#include "platform/linux/MountTable.h"

#include "platform/FsPath.h"
#include "platform/ProgramState.h"

#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelto::mounts {

namespace {

bool statOf(const QString& path, struct stat& st) {
    return stat(fspath::native(path).constData(), &st) == 0;
}

// The path with every link resolved, for the nearest part of it that exists.
QString canonicalExisting(const QString& path) {
    QString probe = path;
    while (!probe.isEmpty()) {
        const QString canonical = QFileInfo(probe).canonicalFilePath();
        if (!canonical.isEmpty())
            return canonical;
        probe = fspath::parentOf(probe);
    }
    return QStringLiteral("/");
}

// Where mountinfo cannot be read: the topmost folder on the same device as the path.
QString mountPointByDevice(const QString& canonical) {
    struct stat st {};
    if (!statOf(canonical, st))
        return QStringLiteral("/");
    QString top = canonical;
    for (QString up = fspath::parentOf(canonical); !up.isEmpty(); up = fspath::parentOf(up)) {
        struct stat upStat {};
        if (!statOf(up, upStat) || upStat.st_dev != st.st_dev)
            break;
        top = up;
    }
    return top;
}

} // namespace

QString unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3') {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return fspath::fromNative(out.constData());
}

QStringList parseMountInfo(const QByteArray& text) {
    QStringList points;
    for (const QByteArray& line : text.split('\n')) {
        // id parent major:minor root mount-point options ...
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4)
            points.append(unescape(fields[4]));
    }
    return points;
}

namespace {

// The mount points as last read from an open mountinfo, which is read again only when polling it
// says the mounts changed (creating a folder asks for the drive twice, so the table was read and
// parsed twice per folder).
class MountPointCache {
public:
    MountPointCache() = default;
    MountPointCache(const MountPointCache&) = delete;
    MountPointCache& operator=(const MountPointCache&) = delete;
    ~MountPointCache() {
        if (fd_ >= 0)
            close(fd_);
    }

    QStringList points() {
        const std::lock_guard lock(mutex_);
        if (fd_ < 0) {
            fd_ = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
            if (fd_ < 0)
                return {};
            stale_ = true;
        }
        pollfd changes{fd_, POLLPRI, 0};
        if (poll(&changes, 1, 0) > 0 && (changes.revents & (POLLERR | POLLPRI)))
            stale_ = true;
        if (stale_) {
            const std::optional<QByteArray> text = readAll();
            if (!text)
                return {};
            points_ = parseMountInfo(*text);
            stale_ = false;
        }
        return points_;
    }

    // The next look reads the table again.
    void forget() {
        const std::lock_guard lock(mutex_);
        stale_ = true;
    }

private:
    std::optional<QByteArray> readAll() const {
        if (lseek(fd_, 0, SEEK_SET) != 0)
            return std::nullopt;
        QByteArray text;
        char buffer[16 * 1024];
        for (;;) {
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n == 0)
                return text;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return std::nullopt;
            }
            text.append(buffer, n);
        }
    }

    std::mutex mutex_;
    int fd_ = -1;
    bool stale_ = true;
    QStringList points_;
};

MountPointCache& mountPointCache() {
    static MountPointCache cache;
    return cache;
}
const StateReset kResetMountCache{[] { mountPointCache().forget(); }};

} // namespace

QStringList mountPoints() {
    return mountPointCache().points();
}

QString mountPointOf(const QString& path) {
    const QString canonical = canonicalExisting(path);
    const QStringList points = mountPoints();
    if (points.isEmpty())
        return mountPointByDevice(canonical);
    QString best = QStringLiteral("/");
    for (const QString& point : points) {
        if (point.size() > best.size() && fspath::isWithin(canonical, point))
            best = point;
    }
    return best;
}

bool isMountPoint(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return false;
    if (canonical == QLatin1String("/"))
        return true;
    const QStringList points = mountPoints();
    if (!points.isEmpty())
        return points.contains(canonical);
    struct stat st {};
    struct stat parentStat {};
    return statOf(canonical, st) && statOf(fspath::parentOf(canonical), parentStat) &&
           st.st_dev != parentStat.st_dev;
}

} // namespace pelto::mounts
