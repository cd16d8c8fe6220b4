#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "tests/support/sys_hook.h"
#include "tests/support/temp_dir.h"

namespace tomeo::platform {
namespace {

using test::FailNthCall;
using test::FileExists;
using test::ReadFile;
using test::ScopedSysCallHook;
using test::TempDir;
using test::WriteFile;

// Cyrillic "Книга" in Windows-1251 and in UTF-8.
constexpr char kBook1251[] = "\xCA\xED\xE8\xE3\xE0";
constexpr char kBookUtf8[] = "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0";

std::vector<std::string> names_in(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct stat stat_of(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// --- File ------------------------------------------------------------------------

TEST(File, CreateNewRefusesAnExistingNameAndLeavesItAlone) {
    TempDir dir;
    WriteFile(dir / "a", "old");
    File file = File::create((dir / "a").c_str(), CreateMode::New, 0);
    EXPECT_FALSE(file.is_open());
    EXPECT_EQ(ReadFile(dir / "a"), "old");
}

// A new file that cannot be used after all (its status cannot be read) is deleted
// again; an existing file opened for replacing is never deleted.
TEST(File, ACreatedFileThatCannotBeUsedDoesNotStay) {
    TempDir dir;
    {
        FailNthCall fail(SysOp::Stat, 1);
        EXPECT_FALSE(File::create((dir / "a").c_str(), CreateMode::New, 0).is_open());
        EXPECT_EQ(fail.calls(), 1);
        EXPECT_FALSE(FileExists(dir / "a"));
    }
    WriteFile(dir / "b", "old");
    FailNthCall fail(SysOp::Stat, 1);
    EXPECT_FALSE(File::create((dir / "b").c_str(), CreateMode::Replace, 0).is_open());
    EXPECT_TRUE(FileExists(dir / "b"));
}

TEST(IsSameFile, LinksAreOneFileCopiesAreNot) {
    TempDir dir;
    WriteFile(dir / "a", "A");
    WriteFile(dir / "copy", "A");
    ASSERT_EQ(::link((dir / "a").c_str(), (dir / "hard").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "a").c_str(), (dir / "soft").c_str()), 0);
    EXPECT_TRUE(IsSameFile((dir / "a").c_str(), (dir / "hard").c_str()));
    EXPECT_TRUE(IsSameFile((dir / "a").c_str(), (dir / "soft").c_str()));
    EXPECT_FALSE(IsSameFile((dir / "a").c_str(), (dir / "copy").c_str()));
    EXPECT_FALSE(IsSameFile((dir / "a").c_str(), (dir / "missing").c_str()));
}

TEST(File, CreateReplaceEmptiesAnExistingFile) {
    TempDir dir;
    WriteFile(dir / "a", "old contents");
    File file = File::create((dir / "a").c_str(), CreateMode::Replace, 0);
    ASSERT_TRUE(file.is_open());
    EXPECT_EQ(file.write_at("new", 3, 0), 3);
    EXPECT_TRUE(file.close());
    EXPECT_EQ(ReadFile(dir / "a"), "new");
}

TEST(File, PositionalReadsAndWrites) {
    TempDir dir;
    File out = File::create((dir / "f").c_str(), CreateMode::New, 0);
    ASSERT_TRUE(out.is_open());
    EXPECT_EQ(out.write_at("hello world", 11, 0), 11);
    EXPECT_EQ(out.write_at("W", 1, 6), 1);
    std::int64_t size = 0;
    EXPECT_TRUE(out.size(size));
    EXPECT_EQ(size, 11);
    EXPECT_TRUE(out.flush());
    EXPECT_TRUE(out.publish());
    EXPECT_TRUE(out.close());
    EXPECT_TRUE(out.close());  // a closed file closes again without complaint

    File in = File::open((dir / "f").c_str(), FileAccess::Read);
    ASSERT_TRUE(in.is_open());
    char buffer[32] = {};
    EXPECT_EQ(in.read_at(buffer, 5, 6), 5);
    EXPECT_EQ(std::string(buffer, 5), "World");
    EXPECT_EQ(in.read_at(buffer, 32, 8), 3);  // fewer only at the end
    EXPECT_EQ(in.read_at(buffer, 4, 11), 0);
    EXPECT_EQ(in.write_at("x", 1, 0), -1);  // opened for reading only
}

TEST(File, OpenTakesOnlyExistingRegularFiles) {
    TempDir dir;
    EXPECT_FALSE(File::open((dir / "missing").c_str(), FileAccess::Read).is_open());
    EXPECT_FALSE(File::open(dir.path().c_str(), FileAccess::Read).is_open());
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    // A named pipe without a writer must neither block nor open.
    EXPECT_FALSE(File::open((dir / "pipe").c_str(), FileAccess::Read).is_open());
    EXPECT_FALSE(File::create((dir / "pipe").c_str(), CreateMode::Replace, 0).is_open());
    EXPECT_FALSE(FileExists(dir / "missing"));
}

TEST(File, MovingKeepsOneOwner) {
    TempDir dir;
    File a = File::create((dir / "f").c_str(), CreateMode::New, 0);
    File b = std::move(a);
    EXPECT_FALSE(a.is_open());
    EXPECT_EQ(b.write_at("x", 1, 0), 1);
    File c;
    c = std::move(b);
    EXPECT_TRUE(c.close());
}

TEST(File, ReadOnlyAttributeMakesAReadOnlyFileThatTheHandleStillWrites) {
    TempDir dir;
    File file =
        File::create((dir / "ro").c_str(), CreateMode::New, kAttributeArchive | kAttributeReadOnly);
    ASSERT_TRUE(file.is_open());
    EXPECT_EQ(file.write_at("data", 4, 0), 4);
    EXPECT_TRUE(file.publish());
    EXPECT_TRUE(file.close());
    EXPECT_EQ(ReadFile(dir / "ro"), "data");

    FileStatus status;
    ASSERT_TRUE(GetFileStatus((dir / "ro").c_str(), status));
    EXPECT_EQ(status.attributes, kAttributeArchive | kAttributeReadOnly);
    EXPECT_EQ(status.size, 4);
    ASSERT_TRUE(GetFileStatus((dir / "rw").c_str(), status) == false);

    WriteFile(dir / "rw", "x");
    ASSERT_TRUE(GetFileStatus((dir / "rw").c_str(), status));
    EXPECT_EQ(status.attributes, kAttributeArchive);
    ASSERT_TRUE(GetFileStatus(dir.path().c_str(), status));
    EXPECT_TRUE(status.is_directory());

    // Replacing with the read-only bit makes an existing writable file read-only too.
    File again = File::create((dir / "rw").c_str(), CreateMode::Replace, kAttributeReadOnly);
    ASSERT_TRUE(again.is_open());
    EXPECT_TRUE(again.close());
    ASSERT_TRUE(GetFileStatus((dir / "rw").c_str(), status));
    EXPECT_EQ(status.attributes, kAttributeArchive | kAttributeReadOnly);
}

TEST(File, LastWriteTimeRoundTripsAsLocalTime) {
    TempDir dir;
    const FILETIME when = civil_to_filetime({2008, 3, 15, 14, 30, 58}) + 1234567;
    File file = File::create((dir / "t").c_str(), CreateMode::New, 0);
    ASSERT_TRUE(file.is_open());
    EXPECT_TRUE(file.set_last_write_time(when));
    FILETIME back = 0;
    EXPECT_TRUE(file.last_write_time(back));
    EXPECT_EQ(back, when);
    EXPECT_TRUE(file.publish());
    EXPECT_TRUE(file.close());

    const FILETIME later = civil_to_filetime({2020, 7, 1, 0, 0, 2});
    EXPECT_TRUE(SetFileLastWriteTime((dir / "t").c_str(), later));
    FileStatus status;
    ASSERT_TRUE(GetFileStatus((dir / "t").c_str(), status));
    EXPECT_EQ(status.last_write_time, later);
    EXPECT_EQ(stat_of(dir / "t").st_mtim.tv_sec, UtcFromLocalFileTime(later).tv_sec);
}

TEST(File, CloseAndFlushReportSystemFailures) {
    TempDir dir;
    File file = File::create((dir / "f").c_str(), CreateMode::New, 0);
    ASSERT_TRUE(file.is_open());
    {
        FailNthCall fail(SysOp::Fsync, 1);
        EXPECT_FALSE(file.flush());
    }
    {
        FailNthCall fail(SysOp::Write, 1, ENOSPC);
        EXPECT_EQ(file.write_at("abc", 3, 0), -1);
    }
    FailNthCall fail(SysOp::Close, 1);
    EXPECT_FALSE(file.close());
    EXPECT_FALSE(file.is_open());
}

// --- Names -----------------------------------------------------------------------

TEST(Names, Windows1251InsideUtf8OnDisk) {
    TempDir dir;
    const std::string path = dir.path() + kBook1251 + ".txt";
    File file = File::create(path.c_str(), CreateMode::New, 0);
    ASSERT_TRUE(file.is_open());
    EXPECT_TRUE(file.publish());
    EXPECT_TRUE(file.close());
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{std::string(kBookUtf8) + ".txt"});

    std::string back;
    EXPECT_TRUE(PathFromDisk(std::string(kBookUtf8) + ".txt", back));
    EXPECT_EQ(back, std::string(kBook1251) + ".txt");
    EXPECT_FALSE(PathFromDisk("\xE4\xB8\xAD.txt", back));  // a Chinese character
    EXPECT_FALSE(PathFromDisk("\xFF.txt", back));          // not UTF-8

    std::string disk;
    EXPECT_FALSE(PathToDisk("a\x98.txt", disk));  // 0x98 stands for no character
    EXPECT_FALSE(File::create((dir / "a\x98.txt").c_str(), CreateMode::New, 0).is_open());
}

// --- MoveFile --------------------------------------------------------------------

TEST(MoveFile, RenamesAndMovesBetweenFolders) {
    TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    WriteFile(dir / "a", "A");
    const std::string cyrillic = dir.path() + "sub/" + kBook1251;
    EXPECT_TRUE(MoveFile((dir / "a").c_str(), cyrillic.c_str()));
    EXPECT_FALSE(FileExists(dir / "a"));
    EXPECT_EQ(ReadFile(dir.path() + "sub/" + kBookUtf8), "A");
    EXPECT_TRUE(MoveFile(cyrillic.c_str(), cyrillic.c_str()));  // the same path: nothing to do
}

TEST(MoveFile, NeverReplacesAnExistingFile) {
    TempDir dir;
    WriteFile(dir / "a", "A");
    WriteFile(dir / "b", "B");
    EXPECT_FALSE(MoveFile((dir / "a").c_str(), (dir / "b").c_str()));
    EXPECT_EQ(ReadFile(dir / "a"), "A");
    EXPECT_EQ(ReadFile(dir / "b"), "B");
    EXPECT_FALSE(MoveFile((dir / "missing").c_str(), (dir / "c").c_str()));
}

// File systems without RENAME_NOREPLACE (EINVAL), then also without hard links
// (EPERM): the fallbacks still never replace.
TEST(MoveFile, FallbacksNeverReplaceEither) {
    struct Case {
        const char* what;
        int link_error;  // 0: hard links work
    };
    for (const Case& c : {Case{"hard link", 0}, Case{"checked rename", EPERM}}) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteFile(dir / "a", "A");
        WriteFile(dir / "b", "B");
        int renames = 0;  // the renameat2 call comes first
        ScopedSysCallHook no_noreplace([&](SysOp op, int& error) {
            if (op == SysOp::Rename && ++renames == 1) {
                error = EINVAL;
                return true;
            }
            if (op == SysOp::Link && c.link_error != 0) {
                error = c.link_error;
                return true;
            }
            return false;
        });
        EXPECT_FALSE(MoveFile((dir / "a").c_str(), (dir / "b").c_str()));
        EXPECT_EQ(ReadFile(dir / "b"), "B");
        renames = 0;
        EXPECT_TRUE(MoveFile((dir / "a").c_str(), (dir / "c").c_str()));
        EXPECT_EQ(ReadFile(dir / "c"), "A");
        EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"b", "c"}));
    }
}

TEST(MoveFile, LinkFallbackUndoesTheLinkWhenTheSourceCannotBeDeleted) {
    TempDir dir;
    WriteFile(dir / "a", "A");
    int renames = 0, unlinks = 0;
    ScopedSysCallHook hook([&](SysOp op, int& error) {
        if ((op == SysOp::Rename && ++renames == 1) || (op == SysOp::Unlink && ++unlinks == 1)) {
            error = op == SysOp::Rename ? EINVAL : EACCES;
            return true;
        }
        return false;
    });
    EXPECT_FALSE(MoveFile((dir / "a").c_str(), (dir / "c").c_str()));
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"a"});
}

// A hard link stands in for a case-insensitive file system: there the new name of a
// case-only rename resolves to the file itself, as the link does here.
TEST(MoveFile, CaseOnlyRenameThroughATemporaryName) {
    TempDir dir;
    WriteFile(dir / "book.fb2", "content");
    ASSERT_EQ(::link((dir / "book.fb2").c_str(), (dir / "BOOK.fb2").c_str()), 0);

    // On a case-sensitive file system the new name is a real second entry: the move
    // fails and the file gets its name back.
    EXPECT_FALSE(MoveFile((dir / "book.fb2").c_str(), (dir / "BOOK.fb2").c_str()));
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"BOOK.fb2", "book.fb2"}));

    // On FAT the new name disappears with the old one once the file steps aside to the
    // temporary name: the hook removes the link at that moment.
    int renames = 0;
    ScopedSysCallHook fat([&](SysOp op, int&) {
        if (op == SysOp::Rename && ++renames == 3) ::unlink((dir / "BOOK.fb2").c_str());
        return false;
    });
    EXPECT_TRUE(MoveFile((dir / "book.fb2").c_str(), (dir / "BOOK.fb2").c_str()));
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"BOOK.fb2"});
    EXPECT_EQ(ReadFile(dir / "BOOK.fb2"), "content");
}

TEST(MoveFile, AnotherLinkToTheSameFileIsNotACaseChange) {
    TempDir dir;
    WriteFile(dir / "a", "A");
    ASSERT_EQ(::link((dir / "a").c_str(), (dir / "b").c_str()), 0);
    EXPECT_FALSE(MoveFile((dir / "a").c_str(), (dir / "b").c_str()));
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"a", "b"}));
}

// Across file systems: copy, flush, keep the time, then delete the source. The hook
// makes the rename report EXDEV so the copy runs on any machine.
int exdev_first_rename(SysOp op, int& error, int& renames) {
    if (op == SysOp::Rename && ++renames == 1) {
        error = EXDEV;
        return true;
    }
    return false;
}

TEST(MoveFile, AcrossFileSystemsCopiesKeepsTimeAndModeThenDeletes) {
    TempDir dir;
    const std::string book(300000, 'x');
    WriteFile(dir / "a", book);
    ASSERT_EQ(::chmod((dir / "a").c_str(), 0444), 0);
    const FILETIME when = civil_to_filetime({2008, 3, 15, 14, 30, 58}) + 5;
    ASSERT_TRUE(SetFileLastWriteTime((dir / "a").c_str(), when));
    int renames = 0;
    ScopedSysCallHook hook([&](SysOp op, int& e) { return exdev_first_rename(op, e, renames); });

    EXPECT_TRUE(MoveFile((dir / "a").c_str(), (dir / "b").c_str()));
    EXPECT_FALSE(FileExists(dir / "a"));
    EXPECT_EQ(ReadFile(dir / "b"), book);
    FileStatus status;
    ASSERT_TRUE(GetFileStatus((dir / "b").c_str(), status));
    EXPECT_EQ(status.last_write_time, when);
    EXPECT_EQ(stat_of(dir / "b").st_mode & 0777, 0444u);

    // An existing target is never replaced.
    WriteFile(dir / "c", "C");
    renames = 0;
    EXPECT_FALSE(MoveFile((dir / "b").c_str(), (dir / "c").c_str()));
    EXPECT_EQ(ReadFile(dir / "c"), "C");
    EXPECT_EQ(ReadFile(dir / "b"), book);
}

// Whichever step of the copy fails, the source stays and no partial target remains.
TEST(MoveFile, AFailedCopyKeepsTheSourceAndDeletesThePartialTarget) {
    const std::string book(3 << 20, 'y');  // several copy blocks
    for (SysOp op : {SysOp::Open, SysOp::Stat, SysOp::Read, SysOp::Write, SysOp::Chmod,
                     SysOp::SetTime, SysOp::Fsync, SysOp::Close, SysOp::Unlink}) {
        for (int n = 1; n <= 3; ++n) {
            SCOPED_TRACE(testing::Message() << "op " << static_cast<int>(op) << " call " << n);
            TempDir dir;
            WriteFile(dir / "a", book);
            int renames = 0, calls = 0;
            bool failed = false;
            ScopedSysCallHook hook([&](SysOp seen, int& error) {
                if (exdev_first_rename(seen, error, renames)) return true;
                if (seen == op && ++calls == n) {
                    failed = true;
                    error = EIO;
                    return true;
                }
                return false;
            });
            const bool moved = MoveFile((dir / "a").c_str(), (dir / "b").c_str());
            if (moved) {
                EXPECT_FALSE(failed && op != SysOp::Close) << "a failure was reported as success";
                EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"b"});
                EXPECT_EQ(ReadFile(dir / "b"), book);
            } else {
                EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"a"});
                EXPECT_EQ(ReadFile(dir / "a"), book);
            }
        }
    }
}

// A source another program writes to during the copy stays whole; the copy goes.
TEST(MoveFile, ASourceChangedDuringTheCopyStays) {
    TempDir dir;
    const std::string book(300000, 'z');
    WriteFile(dir / "a", book);
    int renames = 0;
    bool appended = false;
    ScopedSysCallHook hook([&](SysOp op, int& e) {
        if (op == SysOp::Fsync && !appended) {  // the copy is complete, the source still there
            appended = true;
            std::ofstream(dir / "a", std::ios::binary | std::ios::app) << "more";
        }
        return exdev_first_rename(op, e, renames);
    });
    EXPECT_FALSE(MoveFile((dir / "a").c_str(), (dir / "b").c_str()));
    EXPECT_EQ(errno, kErrorFileChanged);
    EXPECT_TRUE(appended);
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"a"});
    EXPECT_EQ(ReadFile(dir / "a"), book + "more");
}

// A real second file system when the machine has one (/dev/shm is usually tmpfs).
TEST(MoveFile, BetweenRealFileSystems) {
    TempDir dir;
    struct stat shm {};
    if (::stat("/dev/shm", &shm) != 0 || shm.st_dev == stat_of(dir.path()).st_dev ||
        ::access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no second writable file system";
    }
    const std::string other = "/dev/shm/tomeo-move-" + std::to_string(getpid());
    WriteFile(other, "across");
    EXPECT_TRUE(MoveFile(other.c_str(), (dir / "m").c_str()));
    EXPECT_FALSE(FileExists(other));
    EXPECT_EQ(ReadFile(dir / "m"), "across");
    EXPECT_TRUE(MoveFile((dir / "m").c_str(), other.c_str()));
    EXPECT_EQ(ReadFile(other), "across");
    ::unlink(other.c_str());
}

// --- ReplaceFile, RemoveFile, FlushDirectory ----------------------------------------

TEST(ReplaceFile, TakesTheNameOfAnExistingFile) {
    TempDir dir;
    WriteFile(dir / "new_a", "new");
    WriteFile(dir / "a", "old");
    EXPECT_TRUE(ReplaceFile((dir / "new_a").c_str(), (dir / "a").c_str()));
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"a"});
    EXPECT_EQ(ReadFile(dir / "a"), "new");
}

TEST(WriteFileReplacing, ReplacesWholeOrNotAtAll) {
    TempDir dir;
    EXPECT_TRUE(WriteFileReplacing((dir / "a").c_str(), "first"));
    EXPECT_TRUE(WriteFileReplacing((dir / "a").c_str(), "second"));
    EXPECT_EQ(ReadFile(dir / "a"), "second");
    for (const SysOp op : {SysOp::Write, SysOp::Fsync, SysOp::Rename}) {
        FailNthCall fail(op, 1);
        EXPECT_FALSE(WriteFileReplacing((dir / "a").c_str(), "third"));
    }
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"a"});
    EXPECT_EQ(ReadFile(dir / "a"), "second");
}

// A file reached through symbolic links (dotfiles kept elsewhere) is replaced where it
// is; the links stay links, and nothing is left beside either.
TEST(WriteFileReplacing, WritesThroughSymbolicLinks) {
    TempDir dir;
    std::filesystem::create_directories(dir / "dotfiles/tomeo");
    std::filesystem::create_directories(dir / "config");
    WriteFile(dir / "dotfiles/tomeo/a", "old");
    ::chmod((dir / "dotfiles/tomeo/a").c_str(), 0640);
    struct Case {
        std::string link;    // created in config/, pointing at target
        std::string target;  // as the link holds it
        std::string file;    // the file written, below dir
    };
    const Case cases[] = {
        {"absolute", dir / "dotfiles/tomeo/a", "dotfiles/tomeo/a"},
        {"relative", "../dotfiles/tomeo/a", "dotfiles/tomeo/a"},
        {"chain", "relative", "dotfiles/tomeo/a"},
        {"dangling", "../dotfiles/tomeo/new", "dotfiles/tomeo/new"},  // the target is made
    };
    for (const Case& c : cases) {
        const std::string link = dir / ("config/" + c.link);
        std::filesystem::create_symlink(c.target, link);
        EXPECT_TRUE(WriteFileReplacing(link.c_str(), "through " + c.link)) << c.link;
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << c.link;
        EXPECT_EQ(ReadFile(dir / c.file), "through " + c.link);
    }
    EXPECT_EQ(stat_of(dir / "dotfiles/tomeo/a").st_mode & 0777, 0640u);  // kept
    EXPECT_EQ(names_in(dir / "dotfiles/tomeo"), (std::vector<std::string>{"a", "new"}));
    EXPECT_EQ(names_in(dir / "config"),
              (std::vector<std::string>{"absolute", "chain", "dangling", "relative"}));

    // A loop leads nowhere, and a link that cannot be read is not replaced either.
    std::filesystem::create_symlink("loop", dir / "config/loop");
    EXPECT_FALSE(WriteFileReplacing((dir / "config/loop").c_str(), "x"));
    {
        FailNthCall fail(SysOp::Stat, 2);  // the readlink after the first lstat
        EXPECT_FALSE(WriteFileReplacing((dir / "config/absolute").c_str(), "x"));
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "config/loop"));
    EXPECT_EQ(ReadFile(dir / "dotfiles/tomeo/a"), "through chain");
}

TEST(RemoveFile, DeletesFilesOnly) {
    TempDir dir;
    WriteFile(dir / "a", "A");
    EXPECT_TRUE(RemoveFile((dir / "a").c_str()));
    EXPECT_FALSE(RemoveFile((dir / "a").c_str()));
    std::filesystem::create_directory(dir / "d");
    EXPECT_FALSE(RemoveFile((dir / "d").c_str()));
}

TEST(FlushDirectory, FlushesExistingDirectories) {
    TempDir dir;
    EXPECT_TRUE(FlushDirectory(dir.path().c_str()));
    EXPECT_TRUE(FlushDirectory(""));
    EXPECT_FALSE(FlushDirectory((dir / "missing").c_str()));
    FailNthCall fail(SysOp::Fsync, 1);
    EXPECT_FALSE(FlushDirectory(dir.path().c_str()));
}

}  // namespace
}  // namespace tomeo::platform
