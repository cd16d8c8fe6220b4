// What the batch makes of its arguments and of book data that would lead astray:
// folders from an author, control characters, directory arguments, names without a
// Windows-1251 form, a working directory without one, thousands of arguments.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kNamed = "Петров Иван - Книга";
const std::string kBroken = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook/>";

TEST(ArgumentsEndToEnd, AnAuthorCannotLeadABookOutOfTheBooksFolder) {
    TempDir work;
    fs::create_directories(work / "home/in");
    Fb2Spec spec;
    spec.authors = {{"", "../../../escaped"}};
    const std::string book = MakeFb2(spec);
    WriteFile(work / "home/in/book.fb2", book);
    // The default move.sc: ~/books/ and the author.
    const TomeoRun run = RunTomeo({"-m", "book.fb2"}, work / "home/in", work.path(), work / "home");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "book.fb2 не перемещен в каталог ~/books/../../../escaped.\n");
    EXPECT_EQ(FilesBelow(work.path()), Names{"home/in/book.fb2"});
    EXPECT_EQ(ReadFile(work / "home/in/book.fb2"), book);
    EXPECT_FALSE(fs::exists(work / "escaped"));
    EXPECT_FALSE(fs::exists(work / "home/books"));
}

TEST(ArgumentsEndToEnd, ControlCharactersNeverReachANameOrTheTerminal) {
    TempDir work;
    Fb2Spec spec;
    spec.title = "Кни\x1B[31mга\tвторая";
    WriteFile(work / "a.fb2", MakeFb2(spec));
    WriteFile(work / "bad\x1B[2J.fb2", kBroken);
    const TomeoRun run = RunTomeo({"-r", "*.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "bad\\x1B[2J.fb2 не переименован.\n");
    EXPECT_EQ(FilesBelow(work.path()),
              (Names{"bad\x1B[2J.fb2", "Петров Иван - Кни_[31mга_вторая.fb2"}));
}

}  // namespace
}  // namespace tomeo::test
