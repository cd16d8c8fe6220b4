// Zipped books in the directory scan: every .zip opened once to list its member.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch/directory_scan.h"
#include "convert/charset.h"
#include "core/filetime.h"
#include "tests/batch/scan_test_support.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_builder.h"

namespace tomeo {
namespace {

using test::Describe;
using test::MakeTree;
using test::W;
using Lines = std::vector<std::string>;

class ZipScanTest : public ::testing::Test {
protected:
    test::TempDir temp;
    std::string root = temp.path();
    TFILELIST list;

    // An archive holding one member (name in UTF-8, stored in code page 866).
    void Archive(const std::string& path, const std::string& member, bool second = false) {
        test::ZipSpec spec;
        spec.name = W(member);
        ansi_to_oem(spec.name.data(), spec.name.size());
        spec.content = "<FictionBook>" + member + "</FictionBook>";
        spec.second_member = second;
        std::filesystem::create_directories(std::filesystem::path(root + path).parent_path());
        test::WriteFile(root + path, test::BuildZip(spec));
    }

    std::int32_t Scan(const std::string& dir, std::uint8_t mode, bool add_parent = true,
                      const char* pattern = nullptr) {
        const std::int32_t count = ScanDirectory(list, W(dir).c_str(), mode, add_parent, pattern);
        list.SortFileList();
        return count;
    }
};

TEST_F(ZipScanTest, ListsTheMemberOfLowerCaseZipArchivesOnly) {
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

TEST_F(ZipScanTest, ZippedBookFieldsComeFromTheMemberAndTheArchive) {
    test::ZipSpec spec;
    spec.name = "inside.rtf";
    spec.content = std::string(3000, 'r');
    spec.dos_time = 14 * 2048 + 7 * 32 + 9;  // 14:07:18
    spec.dos_date = 28 * 512 + 3 * 32 + 5;   // 2008-03-05
    const std::string bytes = test::BuildZip(spec);
    MakeTree(root, {"sub/"});
    test::WriteFile(root + "sub/x.zip", bytes);

    Scan(root + "sub/", SCAN_DIRECTORY, false);
    ASSERT_EQ(list.count(), 1);
    const TFILEINF& book = list.at(0);
    EXPECT_STREQ(book.dir.c_str(), (root + "sub/").c_str());
    EXPECT_STREQ(book.name.c_str(), "inside.rtf");
    EXPECT_EQ(book.kind, KIND_RTF);
    EXPECT_EQ(book.size, 3000);
    EXPECT_EQ(book.time, dos_to_filetime({spec.dos_date, spec.dos_time}));
    EXPECT_STREQ(book.zipname.c_str(), "x.zip");
    EXPECT_EQ(book.container, CONTAINER_ZIP);
    EXPECT_EQ(book.zipsize, static_cast<std::int32_t>(bytes.size()));
}

TEST_F(ZipScanTest, ThePatternIsMatchedAgainstTheArchiveName) {
    Archive("x.zip", "book.fb2");
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY, true, "*.fb2"), 0);
    list.ClearFileList();
    EXPECT_EQ(Scan(root, SCAN_DIRECTORY, true, "X.ZIP"), 1);
    EXPECT_EQ(Describe(list, root), (Lines{"[..]", ". book.fb2 in x.zip"}));
}

TEST_F(ZipScanTest, TreeModeListsZippedBooksOfEveryLevel) {
    Archive("top.zip", "top.fb2");
    Archive("a/b/deep.zip", "deep.txt");
    Archive("a/two.zip", "two.fb2", true);
    EXPECT_EQ(Scan(root, SCAN_TREE, false), 1);
    EXPECT_EQ(Describe(list, root), (Lines{"a/b/ deep.txt in deep.zip", ". top.fb2 in top.zip"}));
}

}  // namespace
}  // namespace tomeo
