#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "batch/temp_files.h"
#include "tests/support/sys_hook.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

TEST(TempFiles, DeletesWhatItRecorded) {
    test::TempDir dir;
    test::WriteFile(dir / "tmp_a.fb2", "a");
    test::WriteFile(dir / "tmp_b.fb2", "b");
    TFILEDELLIST temp;
    temp.AddTempFile((dir / "tmp_a.fb2").c_str());
    temp.AddTempFile((dir / "tmp_b.fb2").c_str());
    EXPECT_EQ(temp.count(), 2);
    temp.DeleteTempFiles();
    EXPECT_EQ(temp.count(), 0);
    EXPECT_FALSE(test::FileExists(dir / "tmp_a.fb2"));
    EXPECT_FALSE(test::FileExists(dir / "tmp_b.fb2"));
}

TEST(TempFiles, AFileThatCannotBeDeletedStaysListedAndIsTriedAgain) {
    test::TempDir dir;
    test::WriteFile(dir / "busy.fb2", "x");
    {
        TFILEDELLIST temp;
        temp.AddTempFile((dir / "busy.fb2").c_str());
        {
            test::ScopedSysCallHook busy([](platform::SysOp op, int& error) {
                error = EBUSY;
                return op == platform::SysOp::Unlink;
            });
            temp.DeleteTempFiles();
        }
        EXPECT_EQ(temp.count(), 1);
        EXPECT_STREQ(temp.path(0), (dir / "busy.fb2").c_str());
        EXPECT_TRUE(test::FileExists(dir / "busy.fb2"));
    }  // the end of the list tries once more
    EXPECT_FALSE(test::FileExists(dir / "busy.fb2"));
}

TEST(TempFiles, NeverDeletesWhatNowStandsUnderTheName) {
    test::TempDir dir;
    test::WriteFile(dir / "precious.fb2", "the user's book");
    test::WriteFile(dir / "link.fb2", "copy");
    test::WriteFile(dir / "replaced.fb2", "copy");
    test::WriteFile(dir / "gone.fb2", "copy");
    TFILEDELLIST temp;
    temp.AddTempFile((dir / "link.fb2").c_str());
    temp.AddTempFile((dir / "replaced.fb2").c_str());
    temp.AddTempFile((dir / "gone.fb2").c_str());
    temp.AddTempFile((dir / "never-made.fb2").c_str());

    // Someone swaps the copies for a link to a book and for a file of their own.
    std::filesystem::remove(dir / "link.fb2");
    std::filesystem::create_symlink(dir / "precious.fb2", dir / "link.fb2");
    std::filesystem::remove(dir / "replaced.fb2");
    test::WriteFile(dir / "other.fb2", "someone else's");
    std::filesystem::rename(dir / "other.fb2", dir / "replaced.fb2");
    std::filesystem::remove(dir / "gone.fb2");
    test::WriteFile(dir / "never-made.fb2", "made later by someone else");

    temp.DeleteTempFiles();
    EXPECT_EQ(temp.count(), 0) << "all of them are forgotten";
    EXPECT_EQ(test::ReadFile(dir / "precious.fb2"), "the user's book");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.fb2"));
    EXPECT_EQ(test::ReadFile(dir / "replaced.fb2"), "someone else's");
    EXPECT_TRUE(test::FileExists(dir / "never-made.fb2"));
}

TEST(TempFiles, ClearForgetsWithoutDeleting) {
    test::TempDir dir;
    test::WriteFile(dir / "keep.fb2", "x");
    {
        TFILEDELLIST temp;
        temp.AddTempFile((dir / "keep.fb2").c_str());
        temp.ClearTempFiles();
        EXPECT_EQ(temp.count(), 0);
    }
    EXPECT_TRUE(test::FileExists(dir / "keep.fb2"));
}

}  // namespace
}  // namespace tomeo
