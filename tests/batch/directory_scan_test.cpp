#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "batch/directory_scan.h"
#include "core/charset.h"
#include "platform/clock.h"
#include "tests/batch/scan_test_support.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_builder.h"

namespace tomeo {
namespace {

using test::Describe;
using test::MakeTree;
using test::W;
using Lines = std::vector<std::string>;

class ScanTest : public ::testing::Test {
protected:
    test::TempDir temp;
    std::string root = temp.path();
    TFILELIST list;

    // An archive holding one member (name in UTF-8, stored in code page 866).
    void Archive(const std::string& path, const std::string& member, bool second = false) {
        test::ZipShape shape;
        shape.name = W(member);
        ansi_to_oem(shape.name.data(), shape.name.size());
        shape.content = "<FictionBook>" + member + "</FictionBook>";
        shape.second_member = second;
        std::filesystem::create_directories(std::filesystem::path(root + path).parent_path());
        test::WriteFile(root + path, test::BuildZip(shape));
    }

    std::int32_t Scan(const std::string& dir, std::uint8_t mode, bool add_parent = true,
                      const char* pattern = nullptr) {
        const std::int32_t count = ScanDirectory(list, W(dir).c_str(), mode, add_parent,
                                                 pattern != nullptr ? W(pattern).c_str() : nullptr);
        list.SortFileList();
        return count;
    }
};

TEST_F(ScanTest, ListsBooksOfEveryExtensionCaseAndSubdirectories) {
    MakeTree(root, {"a.TXT", "b.fb2", "c.Rtf", "d.doc", "E.ZIP", "notes", ".hidden.fb2",
                    "Книга.fb2", "Alpha/", "beta/", "beta/inner.fb2", "folder.fb2/"});
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY), 8);
    EXPECT_EQ(Describe(list, root),
              (Lines{"[..]", "[Alpha]", "[beta]", "[folder.fb2]", ". .hidden.fb2", ". a.TXT",
                     ". b.fb2", ". c.Rtf", ". Книга.fb2"}));
}

TEST_F(ScanTest, LooseBookFieldsComeFromTheFile) {
    MakeTree(root, {"sub/"});
    test::WriteFile(root + "sub/book.fb2", std::string(5000, 'x'));
    const timespec odd_second{1'300'000'001, 987'654'321};
    const timespec times[2] = {odd_second, odd_second};
    ASSERT_EQ(utimensat(AT_FDCWD, (root + "sub/book.fb2").c_str(), times, 0), 0);

    Scan(root + "sub/", SCAN_DIRECTORY, false);
    ASSERT_EQ(list.count(), 1);
    const TFILEINF& book = list.at(0);
    EXPECT_STREQ(book.dir.c_str(), (root + "sub/").c_str());
    EXPECT_STREQ(book.name.c_str(), "book.fb2");
    EXPECT_EQ(book.kind, KIND_FB2);
    EXPECT_EQ(book.size, 5000);
    EXPECT_EQ(book.time, truncate_to_dos_resolution(platform::LocalFileTimeFromUtc(odd_second)));
    EXPECT_EQ(book.time % (2 * kFileTimeTicksPerSecond), 0u);
    EXPECT_STREQ(book.zipname.c_str(), "");
    EXPECT_EQ(book.container, CONTAINER_FILE);
    EXPECT_EQ(book.zipsize, 0);
    EXPECT_EQ(book.processed, 0);
}

TEST_F(ScanTest, PatternsSelectFilesAndDirectoriesAlike) {
    MakeTree(root, {"one.fb2", "two.FB2", "three.txt", "dir.fb2/", "plain/"});
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY, true, "*.fb2"), 3);
    EXPECT_EQ(Describe(list, root), (Lines{"[..]", "[dir.fb2]", ". one.fb2", ". two.FB2"}));

    list.ClearFileList();
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY, true, "THREE.txt"), 1);
    list.ClearFileList();
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY, true, "missing.fb2"), 0);
    EXPECT_EQ(Describe(list, root), (Lines{"[..]"}));
    list.ClearFileList();
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY, true, "plain"), 1);  // a directory counts
}

TEST_F(ScanTest, DirectoriesOnlyModeNeverAddsParentOrBooks) {
    MakeTree(root, {"a.fb2", "sub/", "Подкаталог/"});
    EXPECT_EQ(Scan(root, SCAN_DIRECTORIES), 2);
    EXPECT_EQ(Describe(list, root), (Lines{"[sub]", "[Подкаталог]"}));
}

TEST_F(ScanTest, AMissingDirectoryStillGivesTheParentEntry) {
    EXPECT_EQ(Scan(root + "missing/", SCAN_DIRECTORY), 0);
    EXPECT_EQ(Describe(list, root), (Lines{"[..]"}));
    list.ClearFileList();
    EXPECT_EQ(Scan(root + "missing/", SCAN_DIRECTORY, false), 0);
    EXPECT_EQ(list.count(), 0);
}

TEST_F(ScanTest, TreeModeListsTheBooksOfEveryLevel) {
    MakeTree(root, {"top.fb2", "Авторы/", "Авторы/Толстой/Война и мир.fb2",
                    "Авторы/Толстой/Детство/Детство.txt", "Авторы/Чехов.rtf", "empty/",
                    "deep/1/2/3/4/5/6/7/8/9/bottom.txt"});
    EXPECT_EQ(Scan(root, SCAN_TREE), 1);  // nested entries are not counted
    EXPECT_EQ(Describe(list, root),
              (Lines{"[..]", "deep/1/2/3/4/5/6/7/8/9/ bottom.txt", ". top.fb2",
                     "Авторы/Толстой/ Война и мир.fb2", "Авторы/Толстой/Детство/ Детство.txt",
                     "Авторы/ Чехов.rtf"}));
}

TEST_F(ScanTest, TreeModeEntersNoDirectoryTwice) {
    MakeTree(root, {"top.fb2", "a/", "a/in-a.fb2", "b/", "b/in-b.fb2"});
    std::filesystem::create_directory_symlink(root, root + "a/loop-to-root");
    std::filesystem::create_directory_symlink(root + "a", root + "a/loop-to-self");
    std::filesystem::create_directory_symlink(root + "b", root + "a/second-way-to-b");
    Scan(root, SCAN_TREE, false);
    const Lines lines = Describe(list, root);
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), ". top.fb2"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "a/ in-a.fb2"), 1);
}

TEST_F(ScanTest, SkipsWhatIsNoRegularFileAndNamesWithoutWindows1251Form) {
    MakeTree(root, {"good.fb2", "日本.fb2"});
    ASSERT_EQ(mkfifo((root + "pipe.fb2").c_str(), 0600), 0);
    std::filesystem::create_symlink(root + "gone", root + "dangling.fb2");
    std::filesystem::create_symlink(root + "good.fb2", root + "link.fb2");
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY, false), 2);
    EXPECT_EQ(Describe(list, root), (Lines{". good.fb2", ". link.fb2"}));
}

TEST_F(ScanTest, AnEmptyDirectoryStandsForTheDrives) {
    EXPECT_EQ(ScanDirectory(list, "", SCAN_DIRECTORY, true, nullptr), 0);
    ASSERT_GE(list.count(), 1);
    EXPECT_STREQ(list.at(0).name.c_str(), "/");
    EXPECT_STREQ(list.at(0).zipname.c_str(), "/");
    EXPECT_EQ(list.at(0).kind, KIND_DRIVE);
    EXPECT_EQ(list.at(0).container, CONTAINER_FILE);
    EXPECT_EQ(list.FindFileEntry(kParentName, KIND_NONE, nullptr), -1);
    for (std::int32_t i = 0; i < list.count(); ++i) EXPECT_EQ(list.at(i).kind, KIND_DRIVE);

    list.ClearFileList();
    EXPECT_EQ(ScanDirectory(list, "", SCAN_DIRECTORIES, false, nullptr), 0);
    EXPECT_EQ(list.count(), 0);
}

TEST_F(ScanTest, AppendsWithoutEmptyingTheList) {
    MakeTree(root, {"a/x.fb2", "b/y.fb2"});
    Scan(root + "a/", SCAN_DIRECTORY, false);
    Scan(root + "b/", SCAN_DIRECTORY, false);
    EXPECT_EQ(Describe(list, root), (Lines{"a/ x.fb2", "b/ y.fb2"}));
}

// --- Zipped books: every .zip opened once to list its member ---

TEST_F(ScanTest, ListsTheMemberOfLowerCaseZipArchivesOnly) {
    MakeTree(root, {"a.TXT", "b.fb2", "c.Rtf", "d.doc"});
    Archive("e.zip", "book.fb2");
    Archive("E.ZIP", "upper.fb2");
    Archive("f.Zip", "mixed.fb2");
    Archive("notes.zip", "notes.doc");
    Archive("two.zip", "first.fb2", true);
    Archive("Архив.zip", "Книга.txt");
    test::WriteFile(root + "fake.zip", "no archive at all");
    std::filesystem::create_directory(root + "folder.zip");
    // a.TXT, b.fb2, c.Rtf, e.zip, notes.zip, Архив.zip, folder.zip
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY), 7);
    EXPECT_EQ(Describe(list, root),
              (Lines{"[..]", "[folder.zip]", ". a.TXT", ". b.fb2", ". book.fb2 in e.zip", ". c.Rtf",
                     ". Книга.txt in Архив.zip"}));
}

TEST_F(ScanTest, ZippedBookFieldsComeFromTheMemberAndTheArchive) {
    test::ZipShape shape;
    shape.name = "inside.rtf";
    shape.content = std::string(3000, 'r');
    shape.dos_time = 14 * 2048 + 7 * 32 + 9;  // 14:07:18
    shape.dos_date = 28 * 512 + 3 * 32 + 5;   // 2008-03-05
    const std::string bytes = test::BuildZip(shape);
    MakeTree(root, {"sub/"});
    test::WriteFile(root + "sub/x.zip", bytes);

    Scan(root + "sub/", SCAN_DIRECTORY, false);
    ASSERT_EQ(list.count(), 1);
    const TFILEINF& book = list.at(0);
    EXPECT_STREQ(book.dir.c_str(), (root + "sub/").c_str());
    EXPECT_STREQ(book.name.c_str(), "inside.rtf");
    EXPECT_EQ(book.kind, KIND_RTF);
    EXPECT_EQ(book.size, 3000);
    EXPECT_EQ(book.time, dos_to_filetime({shape.dos_date, shape.dos_time}));
    EXPECT_STREQ(book.zipname.c_str(), "x.zip");
    EXPECT_EQ(book.container, CONTAINER_ZIP);
    EXPECT_EQ(book.zipsize, static_cast<std::int32_t>(bytes.size()));
}

TEST_F(ScanTest, ThePatternIsMatchedAgainstTheArchiveName) {
    Archive("x.zip", "book.fb2");
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY, true, "*.fb2"), 0);
    list.ClearFileList();
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY, true, "X.ZIP"), 1);
    EXPECT_EQ(Describe(list, root), (Lines{"[..]", ". book.fb2 in x.zip"}));
}

TEST_F(ScanTest, TreeModeListsZippedBooksOfEveryLevel) {
    Archive("top.zip", "top.fb2");
    Archive("a/b/deep.zip", "deep.txt");
    Archive("a/two.zip", "two.fb2", true);
    EXPECT_EQ(Scan(root, SCAN_TREE, false), 1);
    EXPECT_EQ(Describe(list, root), (Lines{"a/b/ deep.txt in deep.zip", ". top.fb2 in top.zip"}));
}

}  // namespace
}  // namespace tomeo
