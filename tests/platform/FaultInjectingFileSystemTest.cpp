// The fault-injecting decorator (the engine tests use it throughout): chosen faults on chosen
// paths, counted; and how the service's errors are numbered and described.
#include "FsTestTree.h"

#include "platform/linux/PosixError.h"
#include "support/FaultInjectingFileSystem.h"

#include <cerrno>

using namespace pelto;
using pelto::test::errorOf;

namespace {

class FaultInjectingTest : public pelto::test::FsTest {
protected:
    void SetUp() override {
        tree.makeFolder("src");
        tree.makeFolder("dst");
        tree.write("src/a.txt", "a");
        tree.write("src/b.txt", "b");
    }
    qint32 copy(const char* from, const char* to) {
        return errorOf([&] { faults.CopyFile(tree.path(from), tree.path(to)); });
    }

    FaultInjectingFileSystem faults{fs};
};

// A fault hits its operation on its path (source or destination, case-blind) the chosen number
// of times, then the call goes through.
TEST_F(FaultInjectingTest, AFaultHitsOnlyItsOperationAndPathTheChosenNumberOfTimes) {
    faults.inject(FsOp::CopyFile, tree.path("DST/A.TXT"), err::LockViolation, 2);
    faults.inject(FsOp::CopyFile, tree.path("src/b.txt"), err::PermissionDenied);
    const QList<qint32> results{copy("src/a.txt", "dst/x.txt"), copy("src/a.txt", "dst/a.txt"),
                                copy("src/a.txt", "dst/a.txt"), copy("src/a.txt", "dst/a.txt"),
                                copy("src/B.txt", "dst/y.txt"), copy("src/b.txt", "dst/y.txt")};
    EXPECT_EQ(results, QList<qint32>({0, err::LockViolation, err::LockViolation, 0,
                                      err::PermissionDenied, 0}));
    EXPECT_EQ(tree.read("dst/x.txt") + tree.read("dst/a.txt") + tree.read("dst/y.txt"), "aab");
    EXPECT_EQ(faults.faultsRaised(), 3);
    EXPECT_EQ(faults.calls(FsOp::CopyFile), 6);
    EXPECT_EQ(faults.armedFaults(), 0);
}

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
