// The error numbers callers route on, from the system's errno values.
#include "platform/PosixError.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace pelto;

namespace {

TEST(PosixErrorTest, MapsSystemErrorsToTheNumbersCallersRouteOn) {
    EXPECT_EQ(errorNumberForErrno(ENOENT, err::FileNotFound), err::FileNotFound);
    EXPECT_EQ(errorNumberForErrno(ENOENT, err::PathNotFound), err::PathNotFound);
    EXPECT_EQ(errorNumberForErrno(ENOTDIR, err::PathNotFound), err::PathNotFound);
    for (const int e : {EACCES, EPERM, EROFS, EISDIR})
        EXPECT_EQ(errorNumberForErrno(e, err::FileNotFound), err::PermissionDenied) << e;
    for (const int e : {ENOSPC, EDQUOT})
        EXPECT_EQ(errorNumberForErrno(e, err::FileNotFound), err::DiskFull) << e;
    for (const int e : {EBUSY, ETXTBSY, EAGAIN, EDEADLK})
        EXPECT_EQ(errorNumberForErrno(e, err::FileNotFound), err::LockViolation) << e;
    EXPECT_EQ(errorNumberForErrno(EEXIST, err::PathNotFound), err::FileAlreadyExists);
    EXPECT_EQ(errorNumberForErrno(EIO, err::PathNotFound), err::DeviceIoError);
    EXPECT_EQ(errorNumberForErrno(EXDEV, err::PathNotFound), err::PathFileAccessError);
}

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
