#include "platform/MountTable.h"

#include "platform/FsPath.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

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

QStringList mountPoints() {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseMountInfo(file.readAll());
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
