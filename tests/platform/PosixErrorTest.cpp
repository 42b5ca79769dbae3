// Run-time errors of the file-system service, described in the program's words.
#include "platform/linux/PosixError.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace pelto;

namespace {

TEST(PosixErrorTest, DescribesInTheProgramsWordsOrTheSystems) {
    EXPECT_EQ(errnoError(ENOSPC, err::FileNotFound).description(),
              "There is not enough space on the disk.");
    EXPECT_EQ(errnoError(EACCES, err::FileNotFound).description(), "Permission denied");
    const RuntimeError other = errnoError(EXDEV, err::FileNotFound);
    EXPECT_EQ(other.number(), err::PathFileAccessError);
    EXPECT_FALSE(other.description().isEmpty());
    EXPECT_EQ(fsError(err::LockViolation).number(), err::LockViolation);
}

} // namespace
