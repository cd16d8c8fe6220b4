#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "batch/paths.h"
#include "tests/batch/scan_test_support.h"
#include "tests/support/sys_hook.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

using test::W;

TEST(ComparePaths, EqualPrefixOrDifferentIgnoringCase) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"/books/", "/books/", PATHS_EQUAL},
        {"/Books/", "/bOOKS/", PATHS_EQUAL},
        {"/книги/", "/КНИГИ/", PATHS_EQUAL},
        {"/books/", "/books/fiction/", PATHS_A_PREFIX_OF_B},
        {"/books/fiction/", "/books/", PATHS_DIFFERENT},
        {"/books/", "/music/", PATHS_DIFFERENT},
        {"/books/", "/books", PATHS_DIFFERENT},
        {"", "", PATHS_EQUAL},
        {"", "/", PATHS_A_PREFIX_OF_B},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComparePaths(W(c.a).c_str(), W(c.b).c_str()), c.expected) << c.a << " " << c.b;
    }
}

TEST(HasParentComponent, OnlyAWholeComponent) {
    for (const char* path : {"..", "../x", "~/books/../../x", "/a/..", "/a/../", "a//../b"}) {
        EXPECT_TRUE(HasParentComponent(path)) << path;
    }
    for (const char* path : {"", ".", "/a/b/", "~/books/..x", "a../b", "/a/.../", "/a/./b"}) {
        EXPECT_FALSE(HasParentComponent(path)) << path;
    }
}

TEST(DirectoryExists, TestsDirectoriesOnly) {
    test::TempDir dir;
    test::MakeTree(dir.path(), {"file.txt", "Книги/"});
    EXPECT_TRUE(DirectoryExists("/"));
    EXPECT_TRUE(DirectoryExists(dir.path().c_str()));
    EXPECT_TRUE(DirectoryExists(W(dir / "Книги").c_str()));
    EXPECT_TRUE(DirectoryExists(W(dir / "Книги/").c_str()));
    EXPECT_FALSE(DirectoryExists((dir / "file.txt").c_str()));
    EXPECT_FALSE(DirectoryExists((dir / "none/").c_str()));
    EXPECT_FALSE(DirectoryExists(""));
}

TEST(CreateDirectoryPath, CreatesEveryMissingLevel) {
    test::TempDir dir;
    test::MakeTree(dir.path(), {"books/"});
    EXPECT_TRUE(CreateDirectoryPath(W(dir / "books/Новые/sub/").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "books/Новые/sub"));
    EXPECT_TRUE(CreateDirectoryPath((dir / "books").c_str()));  // there already
    EXPECT_TRUE(CreateDirectoryPath((dir / "a//b").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b"));
    EXPECT_TRUE(CreateDirectoryPath("/"));
}

TEST(CreateDirectoryPath, FailsWhereAFileStandsOrTheNameIsEmpty) {
    test::TempDir dir;
    test::MakeTree(dir.path(), {"file"});
    EXPECT_FALSE(CreateDirectoryPath((dir / "file/sub/").c_str()));
    EXPECT_FALSE(CreateDirectoryPath(""));
}

TEST(CreateDirectoryPath, StopsAtTheFirstFailureKeepingWhatWasMade) {
    test::TempDir dir;
    bool created = true;
    {
        test::FailNthCall second_mkdir(platform::SysOp::Mkdir, 2, EACCES);
        created = CreateDirectoryPath((dir / "one/two/three/").c_str());
    }
    EXPECT_FALSE(created);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "one"));
    EXPECT_FALSE(std::filesystem::exists(dir / "one/two"));
}

}  // namespace
}  // namespace tomeo
