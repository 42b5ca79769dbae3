#include "platform/linux/LinkedCopies.h"

#include "platform/FsPath.h"
#include "platform/ProgramState.h"
#include "platform/linux/LongPath.h"

#include <QHash>
#include <fcntl.h>
#include <sys/stat.h>

namespace pelto::linkedcopies {

namespace {

struct SourceKey {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const SourceKey&) const = default;
};

size_t qHash(const SourceKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.device, key.inode);
}

struct Copy {
    QByteArray destination;
    dev_t device = 0;
    ino_t inode = 0;
};

QHash<SourceKey, Copy>& copies() {
    static QHash<SourceKey, Copy> table;
    return table;
}

const StateReset kResetLinkedCopies{[] { copies().clear(); }};

SourceKey keyOf(const struct stat& st) {
    return {quint64(st.st_dev), quint64(st.st_ino)};
}

} // namespace

bool linkToEarlierCopy(const QByteArray& source, const struct stat& sourceStat,
                       const CopyTarget& target) {
    if (!S_ISREG(sourceStat.st_mode) || sourceStat.st_nlink < 2 || copies().isEmpty())
        return false;
    const auto found = copies().constFind(keyOf(sourceStat));
    if (found == copies().cend())
        return false;
    struct stat now {};
    if (longpath::lstat(source, now) != 0 || !S_ISREG(now.st_mode) ||
        !(keyOf(now) == keyOf(sourceStat)))
        return false;
    return linkAtomically(found->destination, found->device, found->inode, target);
}

void remember(const struct stat& sourceStat, const CopyTarget& target) {
    if (!S_ISREG(sourceStat.st_mode) || sourceStat.st_nlink < 2)
        return;
    struct stat copy {};
    QByteArray buffer;
    if (fstatat(target.folder, fspath::nativeName(target.name, buffer), &copy,
                AT_SYMLINK_NOFOLLOW) != 0)
        return;
    // The path is made only here: most files have one name.
    copies().insert(keyOf(sourceStat),
                    Copy{fspath::native(fspath::join(target.folderPath, target.name)), copy.st_dev,
                         copy.st_ino});
}

void forgetAll() {
    copies().clear();
}

} // namespace pelto::linkedcopies
