#include "ui/main/CountingFileSystem.h"

#include "platform/FsPath.h"

#include <sys/stat.h>

namespace pelto::ui {

void CountingFileSystem::CopyFile(const QString& source, const QString& destination,
                                  bool overwrite) {
    inner_.CopyFile(source, destination, overwrite);
    count(destination);
}

void CountingFileSystem::CopyFileExactly(const QString& source, const QString& destination) {
    inner_.CopyFileExactly(source, destination);
    count(destination);
}

void CountingFileSystem::count(const QString& destination) {
    ++files_;
    // The copy's own entry, a link not followed; its size is what was written.
    struct stat st {};
    if (::lstat(fspath::native(destination).constData(), &st) == 0 && S_ISREG(st.st_mode))
        bytes_ += st.st_size;
}

} // namespace pelto::ui
