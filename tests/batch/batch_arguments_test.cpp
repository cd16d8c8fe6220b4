// The file list of a batch argument: names looked up directly list what a scan with
// the name as pattern lists, directories stand for their books, names without a
// Windows-1251 form are reported as they are on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch/batch_arguments.h"
#include "batch/directory_scan.h"
#include "core/charset.h"
#include "core/operations.h"
#include "tests/batch/scan_test_support.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

using test::W;
using Lines = std::vector<std::string>;

// Every field of every entry, one line each.
Lines Entries(const TFILELIST& list) {
    Lines lines;
    for (std::int32_t i = 0; i < list.count(); ++i) {
        const TFILEINF& e = list.at(i);
        lines.push_back(cp1251_to_utf8(e.dir.c_str()) + "|" + cp1251_to_utf8(e.name.c_str()) + "|" +
                        std::to_string(e.kind) + "|" + std::to_string(e.size) + "|" +
                        std::to_string(e.time) + "|" + cp1251_to_utf8(e.zipname.c_str()) + "|" +
                        std::to_string(e.container) + "|" + std::to_string(e.zipsize));
    }
    return lines;
}

class BatchArgumentsTest : public ::testing::Test {
protected:
    test::TempDir temp;
    std::string root = temp.path();
    BatchArguments arguments;
    TFILELIST list;
    WSTR directory;
    Report report;

    // Lists a UTF-8 argument from the folder; gives the report as the terminal shows it.
    std::string List(const std::string& argument, std::uint32_t operations = OP_RENAME) {
        report.ClearReport();
        arguments.ListArgument(utf8_to_cp1251_lossy(argument).c_str(), argument.c_str(),
                               W(root).c_str(), operations, list, directory, report);
        return cp1251_to_terminal(report.text());
    }
    Lines Names() const { return test::Describe(list, root); }
};

TEST_F(BatchArgumentsTest, ANameListsWhatTheScanWithItAsPatternLists) {
    test::MakeTree(root, {"a.fb2", "A.FB2", "b.txt", "x.doc", "sub/", "sub/c.fb2", "E.ZIP"});
    test::WriteFile(root + "z.zip", test::MakeZip({"book.fb2", "<FictionBook/>"}));
    test::WriteFile(root + "n.zip", test::MakeZip({"notes.doc", "..."}));
    for (const std::string name :
         {"a.fb2", "A.fb2", "b.TXT", "x.doc", "sub", "z.zip", "n.zip", "E.ZIP", "none.fb2"}) {
        TFILELIST scanned;
        const std::int32_t count =
            ScanDirectory(scanned, W(root).c_str(), SCAN_DIRECTORY, true, W(name).c_str());
        scanned.SortFileList();
        const std::string shown = List(name);
        if (name == "sub") continue;  // a directory argument: below
        EXPECT_EQ(Entries(list), Entries(scanned)) << name;
        EXPECT_EQ(shown, count == 0 ? name + " не переименован. Файл не найден." : "") << name;
        EXPECT_STREQ(directory.c_str(), W(root).c_str());
    }

    // The names a run leaves are found by later arguments; the others go.
    std::filesystem::rename(root + "b.txt", root + "B2.txt");
    EXPECT_EQ(List("b.txt"), "b.txt не переименован. Файл не найден.");
    EXPECT_EQ(List("b2.TXT"), "b2.TXT не переименован. Файл не найден.")
        << "no such spelling is known yet";
    EXPECT_EQ(List("B2.txt"), "");
    EXPECT_EQ(Names(), (Lines{"[..]", ". B2.txt"}));
    arguments.NoteListedNames(list);
    EXPECT_EQ(List("b2.TXT"), "") << "a spelling noted after a run is known";
    EXPECT_EQ(Names(), (Lines{"[..]", ". B2.txt"}));
}

TEST_F(BatchArgumentsTest, ADirectoryStandsForItsBooksWithoutDescent) {
    test::MakeTree(root, {"books/a.fb2", "books/b.txt", "books/sub/c.fb2", "top.fb2"});
    for (const std::string& argument :
         Lines{"books", "books/", "./books/", "books//", root + "books"}) {
        EXPECT_EQ(List(argument), "") << argument;
        EXPECT_EQ(Names(), (Lines{"[..]", "[sub]", "books/ a.fb2", "books/ b.txt"})) << argument;
        EXPECT_STREQ(directory.c_str(), W(root + "books/").c_str()) << argument;
    }
    EXPECT_EQ(List("nothing/"), "nothing не переименован. Файл не найден.");
    EXPECT_EQ(List("nothing/", OP_ZIP | OP_MOVE),
              "nothing не перемещен. Файл не найден.\n\nnothing не заархивирован. Файл не найден.");
    EXPECT_EQ(Names(), Lines{});
}

TEST_F(BatchArgumentsTest, NamesWithoutAWindows1251FormAreReportedAsOnDisk) {
    test::MakeTree(root, {"a.fb2", "Bü.fb2", "中 文.txt", "ü.jpg", "sub ü/", "dir/ö.rtf"});
    test::WriteFile(root + "latin1 \xE9.fb2", "x");
    EXPECT_EQ(List("*"),
              "Bü.fb2 не обработан. Имя файла нельзя записать в кодировке WIN1251.\n\n"
              "\"latin1 \\xE9.fb2\" не обработан. Имя файла нельзя записать в кодировке "
              "WIN1251.\n\n"
              "\"中 文.txt\" не обработан. Имя файла нельзя записать в кодировке WIN1251.");
    EXPECT_EQ(Names(), (Lines{"[..]", "[dir]", ". a.fb2"}));

    // Named, they get the same message; a name that is not there is missing.
    EXPECT_EQ(List("Bü.fb2"),
              "Bü.fb2 не обработан. Имя файла нельзя записать в кодировке WIN1251.");
    EXPECT_EQ(List("ü.jpg"), "ü.jpg не обработан. Имя файла нельзя записать в кодировке WIN1251.");
    EXPECT_EQ(List("Bö.fb2"), "Bö.fb2 не переименован. Файл не найден.");
    EXPECT_EQ(List("sub ü/a.fb2"),
              "\"sub ü/a.fb2\" не обработан. Имя файла нельзя записать в кодировке WIN1251.");
    EXPECT_EQ(List("dir/ö.rtf"),
              "ö.rtf не обработан. Имя файла нельзя записать в кодировке WIN1251.");
    EXPECT_EQ(Names(), Lines{});
}

TEST_F(BatchArgumentsTest, WithoutAWorkingDirectoryOnlyFullPathsAreListed) {
    test::MakeTree(root, {"a.fb2"});
    report.ClearReport();
    arguments.ListArgument("a.fb2", "a.fb2", "", OP_RENAME, list, directory, report);
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(report.is_empty());
    arguments.ListArgument(W(root + "a.fb2").c_str(), (root + "a.fb2").c_str(), "", OP_RENAME, list,
                           directory, report);
    EXPECT_EQ(Names(), (Lines{"[..]", ". a.fb2"}));
}

}  // namespace
}  // namespace tomeo
