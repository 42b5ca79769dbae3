// The fault-injecting decorator: chosen faults on chosen paths, counted, and felt through the
// objects it hands out; and how the service's errors are numbered and described.
#include "FsTestTree.h"

#include "support/FaultInjectingFileSystem.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/PosixError.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace pelto;
using pelto::test::errorOf;

namespace {

class FaultInjectingTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.makeFolder("src");
        tree.makeFolder("dst");
        tree.write("src/a.txt", "a");
        tree.write("src/b.txt", "b");
    }
    qint32 copy(const char* from, const char* to) {
        return errorOf([&] { fs.CopyFile(tree.path(from), tree.path(to)); });
    }

    pelto::test::FsTestTree tree;
    LinuxFileSystem real;
    FaultInjectingFileSystem fs{real};
};

// A fault hits its operation on its path (source or destination, case-blind) the chosen number
// of times, then the call goes through.
TEST_F(FaultInjectingTest, AFaultHitsOnlyItsOperationAndPathTheChosenNumberOfTimes) {
    fs.inject(FsOp::CopyFile, tree.path("DST/A.TXT"), err::LockViolation, 2);
    fs.inject(FsOp::CopyFile, tree.path("src/b.txt"), err::PermissionDenied);

    EXPECT_EQ(copy("src/a.txt", "dst/x.txt"), 0);
    EXPECT_EQ(errorOf([&] { fs.DeleteFile(tree.path("dst/x.txt")); }), 0);
    EXPECT_EQ(copy("src/a.txt", "dst/a.txt"), err::LockViolation);
    EXPECT_EQ(copy("src/a.txt", "dst/a.txt"), err::LockViolation);
    EXPECT_FALSE(tree.exists("dst/a.txt"));
    EXPECT_EQ(copy("src/a.txt", "dst/a.txt"), 0);
    EXPECT_EQ(tree.read("dst/a.txt"), "a");
    EXPECT_EQ(copy("src/B.txt", "dst/x.txt"), err::PermissionDenied);
    EXPECT_EQ(copy("src/b.txt", "dst/x.txt"), 0);
    EXPECT_EQ(fs.faultsRaised(), 3);
    EXPECT_EQ(fs.calls(FsOp::CopyFile), 6);
    EXPECT_EQ(fs.armedFaults(), 0);
}

TEST_F(FaultInjectingTest, AlwaysAnyPathAndAnyOperationFaultsAndTheirDescription) {
    fs.inject(FsOp::SetAttributesOf, {}, err::PermissionDenied, FaultInjectingFileSystem::kAlways);
    for (const char* file : {"src/a.txt", "src/b.txt", "src/a.txt"})
        EXPECT_EQ(errorOf([&] { fs.GetFile(tree.path(file)).SetAttributes(0); }),
                  err::PermissionDenied);
    EXPECT_EQ(fs.armedFaults(), 1);
    fs.clearFaults();
    EXPECT_EQ(errorOf([&] { fs.GetFile(tree.path("src/a.txt")).SetAttributes(attr::Archive); }), 0);

    fs.inject(FsOp::Any, tree.path("dst"), err::DiskFull);
    EXPECT_EQ(errorOf([&] { fs.GetFolder(tree.path("dst")); }), err::DiskFull);
    EXPECT_EQ(errorOf([&] { fs.GetFolder(tree.path("dst")); }), 0);

    fs.inject(FsOp::DeleteFolder, {}, err::PathNotFound);
    try {
        fs.DeleteFolder(tree.path("dst"));
        ADD_FAILURE() << "no error raised";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::PathNotFound);
        EXPECT_EQ(e.description(), "Path not found");
    }
    EXPECT_TRUE(tree.exists("dst"));
}

TEST_F(FaultInjectingTest, ObjectsLookupsAndDrivesCallBackThroughTheDecorator) {
    const Folder src = fs.GetFolder(tree.path("src"));
    fs.inject(FsOp::List, tree.path("SRC"), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { src.Files(); }), err::PathNotFound);
    EXPECT_EQ(src.Files().Count(), 2);

    const File a = fs.GetFile(tree.path("src/a.txt"));
    fs.inject(FsOp::AttributesOf, tree.path("src/a.txt"), err::DeviceUnavailable);
    fs.inject(FsOp::LastModifiedOf, tree.path("src/a.txt"), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { a.Attributes(); }), err::DeviceUnavailable);
    EXPECT_EQ(errorOf([&] { a.DateLastModified(); }), err::FileNotFound);
    for (const File& f : src.Files())
        EXPECT_EQ(errorOf([&] { f.Attributes(); }), 0);
    EXPECT_GE(fs.calls(FsOp::AttributesOf), 3);

    fs.inject(FsOp::ResolvePath, tree.path("src/a.txt"), err::PermissionDenied);
    EXPECT_EQ(errorOf([&] { fs.GetFile(tree.path("src/a.txt")); }), err::PermissionDenied);
    fs.inject(FsOp::MountPointOf, tree.path("src"), err::DeviceUnavailable);
    EXPECT_EQ(errorOf([&] { fs.GetDrive(tree.path("src")); }), err::DeviceUnavailable);
    const Drive drive = fs.GetDrive(tree.path("src"));
    ASSERT_TRUE(drive.IsReady());
    fs.setNotReady(drive.Path());
    EXPECT_FALSE(drive.IsReady());
    fs.setNotReady(drive.Path(), false);
    EXPECT_TRUE(drive.IsReady());
}

// System errors are described in the program's words where it has them, else the system's.
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
