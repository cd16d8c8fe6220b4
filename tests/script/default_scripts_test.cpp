// The three built-in default scripts (rename.sc, move.sc, txthdr.sc) on sample books.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/resources.h"
#include "tests/script/script_fixture.h"

namespace tomeo::test {
namespace {

// Runs the built-in script on the book; gives the error message, "" on success.
std::string RunDefault(BoundScript& bound, const char* resource) {
    WBUF text;
    EXPECT_TRUE(LoadResourceFile(text, resource));
    bound.bind();
    bound.printed.clear();
    bound.script.set_text(reinterpret_cast<const char*>(text.data()), text.length());
    try {
        bound.script.Run();
    } catch (const SCRIPTError&) {
        return bound.script.error_message();
    }
    return {};
}

TestBook Book(std::vector<TestAuthor> authors, std::string seq = "", std::string seqnum = "",
              std::string title = "Title") {
    TestBook book;
    book.authors = std::move(authors);
    book.seq = std::move(seq);
    book.seqnum = std::move(seqnum);
    book.title = std::move(title);
    return book;
}

const TestAuthor kA1{"First", "Middle", "Last"};
const TestAuthor kA2{"First2", "", "Last2"};
const TestAuthor kA3{"First3", "M3", "Last3"};

struct NameCase {
    TestBook book;
    std::string filename;             // rename.sc
    std::string dir;                  // move.sc
    std::vector<std::string> header;  // txthdr.sc (the book has no annotation)
};

TEST(DefaultScripts, OnSampleBooks) {
    const NameCase cases[] = {
        {Book({kA1, kA2}, "Series", "3"),
         "Last First, Last2 First2 - (Series #3) Title",
         "~/books/Last First, Last2 First2",
         {"First Last, First2 Last2", "Title (Series #3)"}},
        {Book({kA1, kA2, kA3}, "Series", "12"),
         "Last First, Last2 First2, Last3 First3 - (Series #12) Title",
         "~/books/Last First, Last2 First2, Last3 First3",
         {"First Last, First2 Last2, First3 Last3", "Title (Series #12)"}},
        {Book({}), "Title", "~/books/", {"", "Title"}},
        {Book({kA1}, "Series"),
         "Last First - (Series) Title",
         "~/books/Last First",
         {"First Last", "Title (Series)"}},
        {Book({{"", "", "Last"}, {"First", "", ""}}),
         "Last, First - Title",
         "~/books/Last, First",
         {"Last, First", "Title"}},
        // An author with no name at all still gets its comma in the directory.
        {Book({{"", "", ""}, kA2}),
         "Last2 First2 - Title",
         "~/books/, Last2 First2",
         {"First2 Last2", "Title"}},
        {Book({kA1}, "", "", "a\\b/c:d*e?f\"g<h>i|j"),
         "Last First - a_b_c_d_e_f_g_h_i_j",
         "~/books/Last First",
         {"First Last", "a\\b/c:d*e?f\"g<h>i|j"}},
        {Book({{Cp("Иван"), "", Cp("Иванов")}}, Cp("Серия"), "1", Cp("Книга")),
         Cp("Иванов Иван - (Серия #1) Книга"),
         Cp("~/books/Иванов Иван"),
         {Cp("Иван Иванов"), Cp("Книга (Серия #1)")}},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.filename);
        BoundScript bound(c.book);
        bound.book.isannt = 0;
        ASSERT_EQ(RunDefault(bound, "DATA_3"), "");
        EXPECT_EQ(bound.script.get_string("$filename"), c.filename);
        ASSERT_EQ(RunDefault(bound, "DATA_4"), "");
        EXPECT_EQ(bound.script.get_string("$dir"), c.dir);
        ASSERT_EQ(RunDefault(bound, "DATA_5"), "");
        EXPECT_EQ(bound.printed, c.header);
    }
}

TEST(DefaultScripts, HeaderEndsWithTheAnnotationWhenThereIsOne) {
    BoundScript bound(Book({kA1}, "Series", "3"));
    ASSERT_EQ(RunDefault(bound, "DATA_5"), "");
    EXPECT_EQ(bound.printed,
              (std::vector<std::string>{"First Last", "Title (Series #3)", "", "<annotation>"}));
}

}  // namespace
}  // namespace tomeo::test
