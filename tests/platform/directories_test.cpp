#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "core/charset.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/temp_dir.h"

namespace tomeo::platform {
namespace {

using test::W;

TEST(MatchesPattern, WildcardsIgnoringCase) {
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"book.fb2", "*.*", true},      {"README", "*.*", true},     {".hidden", "*.*", true},
        {"book.fb2", "*.FB2", true},    {"book.fb2", "*.fb", false}, {"book.fb2", "b??k.*", true},
        {"bk.fb2", "b??k.*", false},    {"book", "book.*", true},    {"book.fb2", "*.fb2.*", true},
        {"book.fb2", "*", true},        {"book.fb2", "", false},     {"book.fb2", "book.fb2", true},
        {"book.fb2", "book.fb", false}, {"abcabcabd", "*abd", true}, {"abcabcabd", "a*c*d", true},
        {"abcabcabd", "a*c*e", false},  {"a", "a**", true},          {"", "*", true},
        {"Книга.FB2", "к*.fb2", true},  {"Ёж.txt", "ёЖ.TXT", true},  {"еж.txt", "ёж.txt", false},
        {"x.zip", "?.zip", true},       {"xy.zip", "?.zip", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesPattern(W(c.name).c_str(), W(c.pattern).c_str()), c.matches)
            << c.name << " ~ " << c.pattern;
    }
}

TEST(MatchesPattern, LongStarRunsStayFast) {
    const std::string name(5000, 'a');
    std::string pattern;
    for (int i = 0; i < 200; ++i) pattern += "*a";
    pattern += "b";
    EXPECT_FALSE(MatchesPattern(name.c_str(), pattern.c_str()));
}

TEST(RemovableMountPoints, KeepsMediaMntAndRunMediaOnce) {
    const std::string table =
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "/dev/sdb1 /media/anna/KINDLE vfat rw 0 0\n"
        "/dev/sdc1 /run/media/anna/My\\040Books vfat rw 0 0\n"
        "/dev/sdd1 /mnt ext4 rw 0 0\n"
        "/dev/sdd2 /mnt/usb ext4 rw 0 0\n"
        "/dev/sdd2 /mnt/usb ext4 rw 0 0\n"
        "tmpfs /mediaX tmpfs rw 0 0\n"
        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
        "broken-line-without-fields\n"
        "/dev/sde1 /media/\\320\\232\\320\\275\\320\\270\\320\\263\\320\\270 vfat rw 0 0";
    const std::vector<std::string> expected = {"/media/anna/KINDLE", "/run/media/anna/My Books",
                                               "/mnt", "/mnt/usb", "/media/Книги"};
    EXPECT_EQ(RemovableMountPoints(table), expected);
}

TEST(ListDrives, StartsWithTheRoot) {
    const std::vector<WSTR> drives = ListDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_STREQ(drives[0].c_str(), "/");
}

class DirectorySearchTest : public ::testing::Test {
protected:
    test::TempDir dir;

    // Every entry the search gives for the pattern: name -> is a directory.
    std::map<std::string, bool> Search(const char* pattern) {
        std::map<std::string, bool> found;
        DirectorySearch search;
        EXPECT_TRUE(search.Open(W(dir.path().c_str()).c_str()));
        DirectoryEntry entry;
        while (search.Next(pattern, entry))
            found[cp1251_to_utf8(entry.name.c_str())] = entry.is_directory;
        return found;
    }
};

TEST_F(DirectorySearchTest, GivesFilesDirectoriesAndLinksButNothingElse) {
    test::WriteFile(dir / "a.txt", "a");
    test::WriteFile(dir / ".hidden.fb2", "h");
    test::WriteFile(dir / "Книга.FB2", "k");
    test::WriteFile(dir / "日本.txt", "no Windows-1251 form");
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_directory_symlink(dir / "sub", dir / "link-to-sub");
    std::filesystem::create_symlink(dir / "a.txt", dir / "link-to-a.txt");
    std::filesystem::create_symlink(dir / "missing", dir / "dangling.txt");
    ASSERT_EQ(mkfifo((dir / "pipe.txt").c_str(), 0600), 0);

    const std::map<std::string, bool> expected = {{"a.txt", false},      {".hidden.fb2", false},
                                                  {"Книга.FB2", false},  {"sub", true},
                                                  {"link-to-sub", true}, {"link-to-a.txt", false}};
    EXPECT_EQ(Search("*.*"), expected);

    const std::map<std::string, bool> fb2 = {{".hidden.fb2", false}, {"Книга.FB2", false}};
    EXPECT_EQ(Search("*.fb2"), fb2);
}

TEST_F(DirectorySearchTest, ReadsSizeAndLocalTime) {
    test::WriteFile(dir / "book.txt", std::string(1234, 'x'));
    const timespec mtime{1'200'000'001, 500'000'000};
    const timespec times[2] = {mtime, mtime};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "book.txt").c_str(), times, 0), 0);

    DirectorySearch search;
    ASSERT_TRUE(search.Open(dir.path().c_str()));
    DirectoryEntry entry;
    ASSERT_TRUE(search.Next("*.*", entry));
    ASSERT_TRUE(search.ReadDetails(entry));
    EXPECT_EQ(entry.size, 1234);
    EXPECT_EQ(entry.time, LocalFileTimeFromUtc(mtime));
    EXPECT_FALSE(search.Next("*.*", entry));
}

TEST_F(DirectorySearchTest, OpenFailsOnWhatCannotBeSearched) {
    test::WriteFile(dir / "file", "");
    DirectorySearch search;
    EXPECT_FALSE(search.Open((dir.path() + "missing/").c_str()));
    EXPECT_FALSE(search.Open((dir.path() + "file/").c_str()));
    EXPECT_TRUE(search.Open(dir.path().c_str()));
}

TEST_F(DirectorySearchTest, IdentityTellsDirectoriesApart) {
    std::filesystem::create_directory(dir / "a");
    std::filesystem::create_directory_symlink(dir / "a", dir / "b");
    std::filesystem::create_directory(dir / "c");
    DirectorySearch a, b, c;
    ASSERT_TRUE(a.Open((dir / "a/").c_str()));
    ASSERT_TRUE(b.Open((dir / "b/").c_str()));
    ASSERT_TRUE(c.Open((dir / "c/").c_str()));
    EXPECT_EQ(a.identity(), b.identity());
    EXPECT_NE(a.identity(), c.identity());
}

TEST(Directories, TestAndCreate) {
    test::TempDir dir;
    test::WriteFile(dir / "file", "");
    EXPECT_TRUE(IsDirectory(dir.path().c_str()));
    EXPECT_TRUE(IsDirectory("/"));
    EXPECT_FALSE(IsDirectory((dir / "file").c_str()));
    EXPECT_FALSE(IsDirectory((dir / "none").c_str()));
    EXPECT_TRUE(MakeDirectory((dir / "new").c_str()));
    EXPECT_TRUE(IsDirectory((dir / "new").c_str()));
    EXPECT_FALSE(MakeDirectory((dir / "new").c_str()));
    EXPECT_FALSE(MakeDirectory((dir / "a/b").c_str()));
}

TEST(Directories, ExamineNameNeverFollowsLinks) {
    test::TempDir dir;
    test::WriteFile(dir / "file", "x");
    std::filesystem::create_symlink(dir / "file", dir / "link");
    FileStamp file, other;
    EXPECT_EQ(ExamineName((dir / "file").c_str(), file), NameState::RegularFile);
    EXPECT_EQ(ExamineName((dir / "link").c_str(), other), NameState::Other);
    EXPECT_EQ(ExamineName(dir.path().c_str(), other), NameState::Other);
    EXPECT_EQ(ExamineName((dir / "none").c_str(), other), NameState::Missing);
}

}  // namespace
}  // namespace tomeo::platform
