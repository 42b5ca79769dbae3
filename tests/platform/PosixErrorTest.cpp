// How the service's errors are numbered and described.
#include "platform/linux/PosixError.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace pelto;

namespace {

// System errors are described in the program's words where it has them, else the system's.
TEST(PosixErrorTest, DescribesInTheProgramsWordsOrTheSystems) {
    EXPECT_EQ(errnoError(ENOSPC, err::FileNotFound).description(),
              "There is not enough space on the disk.");
    EXPECT_EQ(errnoError(EACCES, err::FileNotFound).description(), "Permission denied");
    EXPECT_EQ(fsError(err::PathNotFound).description(), "Path not found");
    const RuntimeError other = errnoError(EXDEV, err::FileNotFound);
    EXPECT_EQ(other.number(), err::PathFileAccessError);
    EXPECT_FALSE(other.description().isEmpty());
}

} // namespace
