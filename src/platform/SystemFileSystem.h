#pragma once
// The file-system service of the system the program runs on.

#include "platform/FileSystem.h"

#include <memory>

namespace pelto {

std::unique_ptr<FileSystem> makeSystemFileSystem();

} // namespace pelto
