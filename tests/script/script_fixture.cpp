#include "tests/script/script_fixture.h"

#include <gtest/gtest.h>

#include "core/charset.h"

namespace tomeo::test {

BoundScript::BoundScript(const TestBook& test_book) : book(test_book) {
    EXPECT_EQ(script.add_handler(printp), 1u);
    EXPECT_EQ(script.add_handler(printannt), 2u);
}

void BoundScript::bind() {
    script.clear_variables();
    script.define_string("$title", book.title.c_str());
    script.define_string("$seq", book.seq.c_str());
    script.define_string("$seqnum", book.seqnum.c_str());
    script.define_string("$subseq", "");
    script.define_string("$subseqnum", "");
    std::string genres, matches, authors;
    for (const std::string& g : book.genres) genres += g + '\x08';
    for (const std::string& m : book.genre_matches) matches += m + '\x08';
    for (const TestAuthor& a : book.authors) {
        authors += a.first + '\x08' + a.middle + '\x08' + a.last + '\x08';
    }
    script.define_string("$_genre_str_", genres.c_str());
    script.define_string("$_genrematch_str_", matches.c_str());
    script.define_integer("$genreno", static_cast<std::int32_t>(book.genres.size()));
    script.define_string("$_author_str_", authors.c_str());
    script.define_integer("$authorno", static_cast<std::int32_t>(book.authors.size()));
    script.define_string("$srcdir", "/books");
    script.define_string("$bookfile", "book.fb2");
    script.define_string("$bookfileext", ".fb2");
    script.define_string("$srcfile", "book.zip");
    script.define_string("$srcfileext", ".zip");
    script.define_integer("$isannt", book.isannt);
    script.define_string("$publisher", "");
    script.define_string("$publcity", "");
    script.define_string("$publyear", "");
    script.define_string("$filename", "");
    script.define_string("$dir", "");
    script.define_handler("$_printp_str_", 1);
    script.define_handler("$_printannt_str_", 2);
}

std::string BoundScript::run(const std::string& text) {
    bind();
    printed.clear();
    script.set_text(text.c_str());
    try {
        script.Run();
    } catch (const SCRIPTError& error) {
        EXPECT_EQ(error.code(), script.error_code());
        return script.error_message();
    }
    EXPECT_EQ(script.error_code(), kScriptNoError);
    return {};
}

std::string Cp(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(utf8_to_cp1251(utf8, out)) << utf8;
    return out;
}

}  // namespace tomeo::test
