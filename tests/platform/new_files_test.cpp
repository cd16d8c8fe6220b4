// New files bear no name until they are complete: unnamed files where the file system
// has them, a hidden temporary name of ours where it does not (FAT); scans never list
// those names and remove the ones nobody will finish.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/directories.h"
#include "platform/files.h"
#include "tests/support/sys_hook.h"
#include "tests/support/temp_dir.h"

namespace tomeo::platform {
namespace {

using test::FailNthCall;
using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

Names names_in(const std::string& dir) {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Names listed(const std::string& dir, const char* pattern = "*.*") {
    Names names;
    DirectorySearch search;
    DirectoryEntry entry;
    if (!search.Open(dir.c_str())) return names;
    while (search.Next(pattern, entry)) names.emplace_back(entry.name.c_str());
    std::sort(names.begin(), names.end());
    return names;
}

// Creates dir/name as a new file, pretending in the second case that the file system
// has no unnamed files (the first open, of the unnamed file, is refused as on FAT).
File create(const TempDir& dir, const char* name, bool without_unnamed_files) {
    if (!without_unnamed_files) return File::create((dir / name).c_str(), CreateMode::New, 0);
    FailNthCall refuse(SysOp::Open, 1, EOPNOTSUPP);
    return File::create((dir / name).c_str(), CreateMode::New, 0);
}

TEST(NewFile, BearsItsNameOnlyWhenPublishedAndNeverReplaces) {
    for (const bool fat : {false, true}) {
        SCOPED_TRACE(fat ? "hidden temporary name" : "unnamed file");
        TempDir dir;
        File file = create(dir, "book.zip", fat);
        ASSERT_TRUE(file.is_open());
        EXPECT_EQ(file.write_at("PK-content", 10, 0), 10);
        EXPECT_FALSE(FileExists(dir / "book.zip"));
        EXPECT_EQ(names_in(dir.path()).size(), fat ? 1u : 0u);
        if (fat) {
            EXPECT_TRUE(IsHiddenTemporaryName(names_in(dir.path())[0].c_str()));
        }
        EXPECT_EQ(listed(dir.path()), Names{});  // never listed
        EXPECT_TRUE(file.flush());
        EXPECT_TRUE(file.publish());
        EXPECT_TRUE(file.close());
        EXPECT_EQ(names_in(dir.path()), Names{"book.zip"});
        EXPECT_EQ(ReadFile(dir / "book.zip"), "PK-content");

        // The name is refused at once when taken, and at the end when taken meanwhile.
        EXPECT_FALSE(create(dir, "book.zip", fat).is_open());
        EXPECT_EQ(errno, EEXIST);
        File late = create(dir, "late.fb2", fat);
        ASSERT_TRUE(late.is_open());
        EXPECT_EQ(late.write_at("ours", 4, 0), 4);
        WriteFile(dir / "late.fb2", "someone else's");
        EXPECT_FALSE(late.publish());
        EXPECT_EQ(errno, EEXIST);
        EXPECT_TRUE(late.close());
        EXPECT_EQ(ReadFile(dir / "late.fb2"), "someone else's");

        // Dropped or closed unpublished, a new file leaves nothing.
        {
            File dropped = create(dir, "dropped.fb2", fat);
            ASSERT_TRUE(dropped.is_open());
            EXPECT_EQ(dropped.write_at("half", 4, 0), 4);
        }
        File closed = create(dir, "closed.fb2", fat);
        EXPECT_TRUE(closed.close());
        EXPECT_EQ(names_in(dir.path()), (Names{"book.zip", "late.fb2"}));
    }
}

TEST(NewFile, TakesTheModelsPermissionsAndOwner) {
    TempDir dir;
    WriteFile(dir / "model", "m");
    const bool root = geteuid() == 0;
    for (const mode_t mode : {mode_t{0600}, mode_t{0644}, mode_t{0440}, mode_t{02750}}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod((dir / "model").c_str(), mode), 0);
        if (root) {
            ASSERT_EQ(::chown((dir / "model").c_str(), 4321, 4322), 0);
        }
        const File model = File::open((dir / "model").c_str(), FileAccess::Read);
        File file = File::create((dir / "copy").c_str(), CreateMode::New, 0);
        ASSERT_TRUE(file.copy_access_from(model));
        ASSERT_TRUE(file.publish());
        struct stat st {};
        ASSERT_EQ(::stat((dir / "copy").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode & 01777);  // set-id bits are never carried
        if (root) {
            EXPECT_EQ(st.st_uid, 4321u);
            EXPECT_EQ(st.st_gid, 4322u);
        }
        ASSERT_EQ(::unlink((dir / "copy").c_str()), 0);
    }
}

TEST(HiddenTemporaryName, OnlyOurOwnPattern) {
    const std::string made = HiddenTemporaryName(".zip");
    long process = 0;
    EXPECT_TRUE(IsHiddenTemporaryName(made.c_str(), &process));
    EXPECT_EQ(process, static_cast<long>(getpid()));
    EXPECT_NE(made, HiddenTemporaryName(".zip"));
    const struct {
        const char* name;
        bool ours;
    } cases[] = {
        {".tomeo-12-0af.tmp", true},   {".tomeo-12-0af.tmp.fb2", true},
        {".tomeo-rename-12-0", false}, {"x.tomeo-12-0af.tmp", false},
        {".tomeo--0af.tmp", false},    {".tomeo-12-.tmp", false},
        {".tomeo-12-0af.tmpx", false}, {".tomeo-12-0AF.tmp", false},
        {"new_book.fb2", false},       {".tomeo-12-0af", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsHiddenTemporaryName(c.name), c.ours) << c.name;
}

// A listing removes the temporaries of ended processes and very old ones; those of a
// live process (a concurrent run writing them) stay, and none is ever listed.
TEST(HiddenTemporaryName, AListingRemovesOnlyWhatNobodyWillFinish) {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);  // a process number nobody has now

    TempDir dir;
    const std::string dead = ".tomeo-" + std::to_string(child) + "-1.tmp.zip";
    const std::string ours = HiddenTemporaryName(".fb2");
    const std::string live_old = ".tomeo-1-2.tmp";  // process 1 lives, the file is old
    const std::string live = ".tomeo-1-3.tmp";
    for (const std::string& name : {dead, ours, live_old, live}) WriteFile(dir / name, "x");
    WriteFile(dir / "book.fb2", "book");
    const struct timespec old[2] = {{0, UTIME_OMIT}, {time(nullptr) - 2 * 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / live_old).c_str(), old, 0), 0);

    EXPECT_EQ(listed(dir.path(), "*.txt"), Names{});
    Names left{"book.fb2", live, ours};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(names_in(dir.path()), left);
    EXPECT_EQ(listed(dir.path()), Names{"book.fb2"});
}

// A copy to another file system that a killed run left complete is recognised by its
// bytes: the move then only deletes the source. Any other file there stops the move.
TEST(MoveFile, ACompleteCopyOnAnotherFileSystemOnlyDeletesTheSource) {
    TempDir dir;
    struct stat shm {
    }, here{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(dir.path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev || ::access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no second writable file system";
    }
    const std::string other = "/dev/shm/tomeo-copy-" + std::to_string(getpid());
    WriteFile(dir / "a", "the book");
    WriteFile(other, "the boot");
    EXPECT_FALSE(MoveFile((dir / "a").c_str(), other.c_str()));
    EXPECT_EQ(ReadFile(dir / "a"), "the book");
    EXPECT_EQ(ReadFile(other), "the boot");
    WriteFile(other, "the book");
    EXPECT_TRUE(MoveFile((dir / "a").c_str(), other.c_str()));
    EXPECT_FALSE(FileExists(dir / "a"));
    EXPECT_EQ(ReadFile(other), "the book");

    // A fresh copy keeps the permissions and is never seen half-written.
    WriteFile(dir / "b", "another");
    ASSERT_EQ(::chmod((dir / "b").c_str(), 0604), 0);
    const std::string target = other + "-b";
    EXPECT_TRUE(MoveFile((dir / "b").c_str(), target.c_str()));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    ::unlink(other.c_str());
    ::unlink(target.c_str());
}

}  // namespace
}  // namespace tomeo::platform
