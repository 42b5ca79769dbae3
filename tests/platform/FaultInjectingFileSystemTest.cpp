// The fault-injecting decorator: chosen faults on chosen paths, counted, and felt through the
// objects it hands out; and how the service's errors are numbered and described.
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
    qint32 setAttributes(const char* file, int value) {
        return errorOf([&] { faults.GetFile(tree.path(file)).SetAttributes(value); });
    }

    FaultInjectingFileSystem faults{fs};
};

// A fault hits its operation on its path (source or destination, case-blind) the chosen number
// of times, or always, then the call goes through; FsOp::Any hits every operation.
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

    faults.inject(FsOp::SetAttributesOf, {}, err::PermissionDenied,
                  FaultInjectingFileSystem::kAlways);
    for (const char* file : {"src/a.txt", "src/b.txt", "src/a.txt"})
        EXPECT_EQ(setAttributes(file, 0), err::PermissionDenied);
    EXPECT_EQ(faults.armedFaults(), 1);
    faults.clearFaults();
    EXPECT_EQ(setAttributes("src/a.txt", attr::Archive), 0);
    faults.inject(FsOp::Any, tree.path("dst"), err::DiskFull);
    EXPECT_EQ(errorOf([&] { faults.DeleteFolder(tree.path("dst")); }), err::DiskFull);
    EXPECT_EQ(errorOf([&] { faults.GetFolder(tree.path("dst")); }), 0);
    EXPECT_TRUE(tree.exists("dst/a.txt"));
}

TEST_F(FaultInjectingTest, ObjectsLookupsAndDrivesCallBackThroughTheDecorator) {
    const Folder src = faults.GetFolder(tree.path("src"));
    faults.inject(FsOp::List, tree.path("SRC"), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { src.Files(); }), err::PathNotFound);
    EXPECT_EQ(src.Files().Count(), 2);
    const File a = faults.GetFile(tree.path("src/a.txt"));
    faults.inject(FsOp::AttributesOf, tree.path("src/a.txt"), err::DeviceUnavailable);
    faults.inject(FsOp::LastModifiedOf, tree.path("src/a.txt"), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { a.Attributes(); }), err::DeviceUnavailable);
    EXPECT_EQ(errorOf([&] { a.DateLastModified(); }), err::FileNotFound);
    faults.inject(FsOp::ResolvePath, tree.path("src/a.txt"), err::PermissionDenied);
    EXPECT_EQ(errorOf([&] { faults.GetFile(tree.path("src/a.txt")); }), err::PermissionDenied);

    faults.inject(FsOp::MountPointOf, tree.path("src"), err::DeviceUnavailable);
    EXPECT_EQ(errorOf([&] { faults.GetDrive(tree.path("src")); }), err::DeviceUnavailable);
    const Drive drive = faults.GetDrive(tree.path("src"));
    faults.setNotReady(drive.Path());
    EXPECT_FALSE(drive.IsReady());
    faults.setNotReady(drive.Path(), false);
    EXPECT_TRUE(drive.IsReady());
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
