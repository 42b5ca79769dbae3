#include "platform/SystemFileSystem.h"

#include "platform/linux/LinuxFileSystem.h"

namespace pelto {

std::unique_ptr<FileSystem> makeSystemFileSystem() {
    return std::make_unique<LinuxFileSystem>();
}

} // namespace pelto
