#include "platform/Volumes.h"

#include "platform/linux/MountTable.h"
#include "platform/linux/VolumeTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <algorithm>
#include <array>

namespace pelto {
namespace volumes {
namespace {

bool isWithin(const QString& path, QLatin1StringView folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// "\x20" -> " ", as udev names its label links.
QString decodeHexEscapes(const QString& name) {
    QByteArray out;
    const QByteArray in = QFile::encodeName(name);
    for (qsizetype i = 0; i < in.size(); ++i) {
        bool ok = false;
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            const int code = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromUtf8(out);
}

// One value of os-release: double or single quotes removed, backslash escapes undone.
QString unquote(QByteArray value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        const bool single = value.front() == '\'';
        value = value.mid(1, value.size() - 2);
        if (!single) {
            QByteArray out;
            for (qsizetype i = 0; i < value.size(); ++i) {
                if (value[i] == '\\' && i + 1 < value.size())
                    ++i;
                out.append(value[i]);
            }
            value = out;
        }
    }
    return QString::fromUtf8(value);
}

} // namespace

QList<MountEntry> parseMountInfo(const QByteArray& text) {
    QList<MountEntry> entries;
    for (const QByteArray& line : text.split('\n')) {
        // id parent major:minor root mount-point options [optional...] - type source options
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 5 || dash + 2 >= fields.size())
            continue;
        entries.append({mounts::unescape(fields[4]), mounts::unescape(fields[dash + 1]),
                        mounts::unescape(fields[dash + 2])});
    }
    return entries;
}

bool holdsRealFiles(const MountEntry& entry) {
    static const std::array pseudoTypes{
        "autofs",      "binfmt_misc",   "bpf",      "cgroup",    "cgroup2",         "configfs",
        "debugfs",     "devpts",        "devtmpfs", "efivarfs",  "fuse.gvfsd-fuse", "fuse.lxcfs",
        "fuse.portal", "fuse.snapfuse", "fusectl",  "hugetlbfs", "mqueue",          "nfsd",
        "nsfs",        "proc",          "pstore",   "ramfs",     "rpc_pipefs",      "securityfs",
        "selinuxfs",   "squashfs",      "sysfs",    "tracefs"};
    if (std::ranges::find(pseudoTypes, entry.type) != pseudoTypes.end())
        return false;
    // The system's own folders; removable media mounted below /run/media are the user's.
    const QString& point = entry.mountPoint;
    if (isWithin(point, QLatin1StringView("/run/media")))
        return true;
    return !std::ranges::any_of(
        std::array{"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"},
        [&](const char* folder) { return isWithin(point, QLatin1StringView(folder)); });
}

QHash<QString, QString> labelsByDevice(const QString& labelFolder) {
    QHash<QString, QString> labels;
    const QDir folder(labelFolder);
    for (const QFileInfo& link :
         folder.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty())
            labels.insert(device, decodeHexEscapes(link.fileName()));
    }
    return labels;
}

QList<Volume> volumesOf(const QList<MountEntry>& entries, const QHash<QString, QString>& labels) {
    QMap<QString, Volume> byPoint; // sorted by mount point
    for (const MountEntry& entry : entries) {
        if (!holdsRealFiles(entry)) {
            byPoint.remove(entry.mountPoint);
            continue;
        }
        QString label = labels.value(QFileInfo(entry.source).canonicalFilePath());
        if (label.isEmpty() && !entry.source.startsWith(QLatin1Char('/')) &&
            (entry.source.contains(QLatin1Char(':')) || entry.source.startsWith(u"//")))
            label = entry.source;
        byPoint.insert(entry.mountPoint, {entry.mountPoint, label});
    }
    return byPoint.values();
}

QString prettyName(const QByteArray& osRelease) {
    QString name;
    for (const QByteArray& line : osRelease.split('\n')) {
        if (line.startsWith("PRETTY_NAME="))
            return unquote(line.mid(12));
        if (line.startsWith("NAME="))
            name = unquote(line.mid(5));
    }
    return name;
}

} // namespace volumes

QList<Volume> mountedVolumes() {
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {{QStringLiteral("/"), {}}};
    QList<Volume> volumes =
        volumes::volumesOf(volumes::parseMountInfo(table.readAll()),
                           volumes::labelsByDevice(QStringLiteral("/dev/disk/by-label")));
    // Files mounted over files (a container's /etc/hosts) are no volumes to pick.
    volumes.removeIf([](const Volume& v) { return !QFileInfo(v.mountPoint).isDir(); });
    return volumes;
}

QString volumeText(const Volume& volume) {
    return volume.label.isEmpty() ? volume.mountPoint
                                  : QStringLiteral("%1  [%2]").arg(volume.mountPoint, volume.label);
}

QString systemName() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            const QString name = volumes::prettyName(file.readAll());
            if (!name.isEmpty())
                return name;
        }
    }
    return QStringLiteral("Linux");
}

} // namespace pelto
