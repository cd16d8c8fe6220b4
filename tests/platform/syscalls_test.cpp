#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "platform/env.h"
#include "platform/syscalls.h"
#include "tests/support/temp_dir.h"

namespace tomeo::platform {
namespace {

// Fails the n-th call of one kind.
class FailNth : public SysCallHook {
public:
    FailNth(SysOp op, int n) : op_(op), n_(n) {}
    bool ShouldFail(SysOp op, int& error_number) override {
        if (op != op_ || ++seen_ != n_) return false;
        error_number = ENOSPC;
        return true;
    }

private:
    SysOp op_;
    int n_;
    int seen_ = 0;
};

TEST(SysCallHook, FailsTheChosenCallOnly) {
    test::TempDir dir;
    const std::string path = dir / "f";
    FailNth hook(SysOp::Write, 2);
    SysCallHook* previous = SetSysCallHook(&hook);
    const int fd = sys_open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(sys_write(fd, "ab", 2), 2);
    EXPECT_EQ(sys_write(fd, "cd", 2), -1);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(sys_write(fd, "ef", 2), 2);
    EXPECT_EQ(sys_close(fd), 0);
    SetSysCallHook(previous);
    EXPECT_EQ(test::ReadFile(path), "abef");
}

TEST(SysCallHook, FailsTheWorkingDirectoryToo) {
    FailNth hook(SysOp::Stat, 1);
    SysCallHook* previous = SetSysCallHook(&hook);
    WSTR failed;
    const bool first = GetWorkingDirectory(failed);
    WSTR found;
    const bool second = GetWorkingDirectory(found);
    SetSysCallHook(previous);
    EXPECT_FALSE(first);
    EXPECT_TRUE(second);
    EXPECT_FALSE(found.is_empty());
}

TEST(SysCalls, RenameNeverReplaces) {
    test::TempDir dir;
    test::WriteFile(dir / "a", "A");
    test::WriteFile(dir / "b", "B");
    EXPECT_EQ(sys_rename_noreplace((dir / "a").c_str(), (dir / "b").c_str()), -1);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(test::ReadFile(dir / "b"), "B");
    EXPECT_EQ(sys_rename_noreplace((dir / "a").c_str(), (dir / "c").c_str()), 0);
    EXPECT_EQ(test::ReadFile(dir / "c"), "A");
}

}  // namespace
}  // namespace tomeo::platform
