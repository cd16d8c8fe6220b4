// Regression cases from the real-world sample books kept outside the repository
// (TOMEO_CORPUS_DIR): every book is read without harm, with the outcome the readers'
// rules give. Skipped when the folder is absent.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "book/fb2_reader.h"
#include "book/rtf_reader.h"
#include "book/text_reader.h"
#include "convert/text_codepage.h"
#include "core/operations.h"
#include "tests/book/book_samples.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

namespace fs = std::filesystem;
using test::BookInMemory;
using test::W;

const fs::path kCorpus = TOMEO_CORPUS_DIR;

#define SKIP_WITHOUT_CORPUS() \
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "no sample books at " << kCorpus

std::string Corpus(const std::string& relative) {
    return test::ReadFile((kCorpus / relative).string());
}

// What a reader made of one book, in UTF-8 for readable expectations.
struct Outcome {
    std::uint32_t result = 0;
    CodePage codepage = CP_UNSET;
    std::string authors;
    std::string title;
    std::string seq;
    std::string seqnum;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "result " << o.result << ", code page " << int(o.codepage) << ", authors \""
               << o.authors << "\", title \"" << o.title << "\", series \"" << o.seq << "\" #"
               << o.seqnum;
}

Outcome Describe(std::uint32_t result, const CharReader& reader, const TBOOKDESC& desc) {
    WSTR authors;
    authors_text(desc, authors);
    return {result,
            reader.codepage_state,
            cp1251_to_utf8(authors.c_str()),
            cp1251_to_utf8(desc.title.c_str()),
            cp1251_to_utf8(desc.seq.c_str()),
            desc.seqnum.c_str()};
}

Outcome ReadFb2(const std::string& bytes) {
    BookInMemory book(bytes);
    CharReader reader;
    TXMLTAG tag;
    TBOOKDESC desc;
    std::uint32_t result = read_xml_declaration(book.buffer, reader, tag);
    if (result == 0) {
        result = read_fb2_description(book.buffer, reader, tag, desc);
        EXPECT_LE(book.buffer.fill(), static_cast<std::int32_t>(bytes.size()));
    }
    if (result != 0) {
        EXPECT_EQ(desc.authors.count(), 0) << "a failed read leaves nothing";
    }
    return Describe(result, reader, desc);
}

Outcome ReadText(const std::string& bytes) {
    BookInMemory book(bytes);
    CharReader reader;
    static NameLists names;
    TBOOKDESC desc;
    std::uint32_t result = detect_text_codepage(book.buffer, reader);
    if (result == 0) result = read_text_description(book.buffer, reader, names, desc);
    return Describe(result, reader, desc);
}

struct RtfOutcome {
    std::uint32_t result;
    std::string title;  // the raw fields, as bytes
    std::string author;
};

RtfOutcome ReadRtf(const std::string& bytes) {
    BookInMemory book(bytes);
    RtfInfo info;
    TBOOKDESC desc;
    const std::uint32_t result = read_rtf_description(book.buffer, info, desc);
    return {result, info.rtf_title.c_str(), info.rtf_author.c_str()};
}

constexpr std::uint32_t OK = 0;
constexpr std::uint32_t CP = RES_CODEPAGE;
constexpr std::uint32_t DESC = RES_DESCRIPTION;

TEST(CorpusFb2, EveryBookGivesItsOutcome) {
    SKIP_WITHOUT_CORPUS();
    const std::string karenina = "Лев Николаевич Толстой";
    const std::string litlife2 = "FirstName MiddleName LastName, FirstName2 MiddleName2 LastName2";
    const std::pair<const char*, Outcome> books[] = {
        {"fb2cng_Test.fb2",
         {OK, CP_UTF8, "Иван Иванович Иванов, Пётр Петрович Петров, Сидор Сидорович Сидоров",
          "Тестовая книга", "Тесты", "1"}},
        {"fb2document_Test_1.fb2",
         {OK, CP_UTF8, "Jane Nemo Dou, John Nemo Dou", "Test book", "Tests", "1"}},
        {"fb2document_Test_Invalid.fb2",
         {OK, CP_UTF8, "Jane Nemo Dou, John Nemo Dou", "Test book", "Tests", "1"}},
        {"fbreaderj_MiniHelp.be.fb2", {OK, CP_UTF8, "FBReader", "Пра FBReaderJ", "", ""}},
        {"fbreaderj_MiniHelp.ja.fb2", {DESC, CP_UTF8, "", "", "", ""}},  // Japanese title
        {"fbreaderj_anna_karenina_cover.fb2", {OK, CP_1251, karenina, "Анна Каренина", "", ""}},
        {"fbreaderj_footnote1.fb2", {DESC, CP_1251, "", "", "", ""}},
        {"fbreaderj_karenina.fb2", {DESC, CP_1251, "", "", "", ""}},
        {"fbreaderj_poem_esenin.fb2", {DESC, CP_1251, "", "", "", ""}},
        {"fbreaderj_whiteguard.fb2", {DESC, CP_1251, "", "", "", ""}},  // no title-info
        {"fictionbook-java_test.fb2", {OK, CP_UTF8, "Denis Nelubin", "Test FictionBook", "", ""}},
        {"fictionbook-java_test2.1.fb2",
         {OK, CP_1251, "Дмитрий Петрович Грибов",
          "Тестовый ознакомительный документ FictionBook 2.1", "", ""}},
        {"librarian_asnyk_miedzy_nami.fb2", {CP, CP_UNSET, "", "", "", ""}},  // no encoding
        {"litlife_cyrylic_binary_names.fb2", {OK, CP_UTF8, "", "", "", ""}},  // empty elements
        {"litlife_pkg_test.fb2", {OK, CP_1251, litlife2, "Title", "Title", "1"}},
        {"litlife_test_broken_tags.fb2",
         {OK, CP_1251, "FirstName MiddleName LastName", "Title", "Title", "1"}},
        {"litlife_test_cp1251_with_utf8_bytes.fb2", {OK, CP_1251, litlife2, "Title", "Title", "1"}},
        {"litlife_test_empty_tags.fb2", {OK, CP_UTF8, "", "", "", ""}},
        {"litlife_test_entities.fb2", {DESC, CP_UTF8, "", "", "", ""}},  // no author
        {"litlife_test_with_html_entities.fb2", {DESC, CP_UTF8, "", "", "", ""}},
        {"litlife_test_with_publisher_without_city_year.fb2",
         {OK, CP_1251, litlife2, "Title", "Title", "1"}},
        {"litlife_test_without_description.fb2", {DESC, CP_1251, "", "", "", ""}},
        {"litlife_windows1251_encoding.fb2", {OK, CP_1251, "", "", "", ""}},
        {"litlife_without_namespace.fb2",
         {DESC, CP_UTF8, "", "", "", ""}},  // <description xmlns="">
        {"litlife_without_title.fb2", {DESC, CP_UTF8, "", "", "", ""}},
        {"litlife_xlink_xmlns.fb2", {OK, CP_UTF8, "", "", "", ""}},
        {"pandoc_images.fb2", {DESC, CP_UTF8, "", "", "", ""}},
        {"pandoc_reader_meta.fb2",
         {OK, CP_UTF8, "First Middle Last, Another Author", "Book title", "", ""}},
        {"pandoc_reader_notes.fb2", {DESC, CP_UTF8, "", "", "", ""}},
        {"pandoc_reader_poem.fb2", {DESC, CP_UTF8, "", "", "", ""}},
        {"sopds_badfile.fb2", {CP, CP_UNSET, "", "", "", ""}},
        {"sopds_test_no_declaration.fb2", {CP, CP_UNSET, "", "", "", ""}},
        {"derived/karenina_koi8r.fb2", {CP, CP_UNSET, "", "", "", ""}},
        {"derived/karenina_mislabelled_utf8.fb2", {DESC, CP_UTF8, "", "", "", ""}},
        {"derived/karenina_nested_sequence.fb2",
         {OK, CP_1251, karenina, "Анна Каренина", "Романы", "2"}},
        {"derived/karenina_single_quoted_decl.fb2", {CP, CP_UNSET, "", "", "", ""}},
        {"derived/karenina_stylesheet_before_description.fb2", {DESC, CP_1251, "", "", "", ""}},
        {"derived/karenina_utf16le_bom.fb2", {CP, CP_UNSET, "", "", "", ""}},
        {"derived/karenina_utf8.fb2", {OK, CP_UTF8, karenina, "Анна Каренина", "", ""}},
        {"derived/karenina_utf8_bom.fb2", {OK, CP_UTF8, karenina, "Анна Каренина", "", ""}},
        {"generated/calibre_chekhov_hameleon.fb2",
         {OK, CP_UTF8, "Антон Павлович Чехов", "Хамелеон", "Рассказы", "3"}},
    };
    std::size_t listed = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kCorpus / "fb2")) {
        if (entry.is_regular_file()) ++listed;
    }
    EXPECT_EQ(listed, std::size(books)) << "every sample FB2 book has its expected outcome";
    for (const auto& [file, expected] : books) {
        EXPECT_EQ(ReadFb2(Corpus(std::string("fb2/") + file)), expected) << file;
    }
}

TEST(CorpusRtf, EveryBookGivesItsOutcome) {
    SKIP_WITHOUT_CORPUS();
    const std::pair<const char*, RtfOutcome> books[] = {
        {"litlife_test.rtf", {DESC, "", ""}},         // no information group
        {"pandoc_list_complex.rtf", {DESC, "", ""}},  // beyond 16 KiB
        {"rtfpipe_Issue37.rtf", {OK, "unknown", "unknown"}},
        {"rtfpipe_RtfParserTest_1.rtf", {OK, "Hello world in RTF", "Leon Poyyayil"}},
        {"rtfpipe_rtf2xml_char_upper_ranges.rtf", {OK, "\\'80", "Cynthia Johnson"}},
        {"rtfpipe_rtf2xml_escaped_text.rtf", {DESC, "", ""}},  // "{\info" and a CR
        {"rtfpipe_rtf2xml_japanese.rtf", {OK, "header", "Cynthia Johnson"}},
        {"rtfpipe_rtf2xml_tables_from_web1.rtf",
         {OK, "ourneying from place to place is as much a part of the", "AKSmith"}},
        {"rtfpipe_sample2.rtf", {DESC, "", "Chuck Shotton"}},  // no title
        {"striprtf_ansicpg1250.rtf", {DESC, "", ""}},
        {"striprtf_bytes.rtf", {DESC, "", ""}},
        {"striprtf_hello.rtf", {DESC, "", ""}},  // "{\info\uc1"
        {"striprtf_issue_11.rtf", {DESC, "", "\\'ce\\'e2\\'d1\\'d7\\'d5\\'e9|ciker wu"}},
        {"striprtf_issue_29_good.rtf", {DESC, "", "Soroka"}},
        {"generated/calibre_dostoevsky_notes_underground_en.rtf",
         {OK, "Notes from the Underground", "Fyodor Dostoyevsky"}},
        {"generated/calibre_tolstoy_anna_karenina.rtf",
         {OK, "???? ????????", "??? ?????????? ???????"}},
        {"derived/chekhov_hameleon_info_raw1251.rtf", {OK, W("Хамелеон"), W("Антон Чехов")}},
        {"derived/chekhov_loshadinaya_no_author.rtf", {DESC, W("Лошадиная фамилия"), ""}},
        {"derived/chekhov_smert_chinovnika_info_hex.rtf",
         {OK, "\\'d1\\'ec\\'e5\\'f0\\'f2\\'fc \\'f7\\'e8\\'ed\\'ee\\'e2\\'ed\\'e8\\'ea\\'e0",
          "\\'c0\\'ed\\'f2\\'ee\\'ed \\'d7\\'e5\\'f5\\'ee\\'e2"}},
        {"derived/chekhov_tolstyj_series_in_title.rtf",
         {OK, W("Толстый и тонкий (Рассказы Чехова - 2)"), W("Антон Павлович Чехов")}},
        {"derived/chekhov_toska_group_in_title.rtf", {DESC, "", ""}},
        {"derived/tolstoy_posle_bala_allcaps_title.rtf",
         {OK, W("ПОСЛЕ БАЛА"), W("толстой лев николаевич")}},  // the later of two
    };
    for (const auto& [file, expected] : books) {
        const RtfOutcome outcome = ReadRtf(Corpus(std::string("rtf/") + file));
        EXPECT_EQ(outcome.result, expected.result) << file;
        EXPECT_EQ(outcome.title, expected.title) << file;
        EXPECT_EQ(outcome.author, expected.author) << file;
    }
    // The one with Unicode escapes: read, escapes kept as text.
    const RtfOutcome vanka = ReadRtf(Corpus("rtf/derived/chekhov_vanka_info_unicode.rtf"));
    EXPECT_EQ(vanka.result, OK);
    EXPECT_TRUE(vanka.title.starts_with("\\u")) << vanka.title;
}

// The forty text samples exist in UTF-8, Windows-1251 and code page 866: each is
// detected as what it is, and all three give the same description.
TEST(CorpusText, TwinsInEveryCodePageGiveTheSameDescription) {
    SKIP_WITHOUT_CORPUS();
    int samples = 0;
    for (const auto& entry : fs::directory_iterator(kCorpus / "txt/cp1251")) {
        const std::string name = entry.path().filename().string();
        Outcome in1251 = ReadText(Corpus("txt/cp1251/" + name));
        Outcome in866 = ReadText(Corpus("txt/cp866/" + name));
        EXPECT_EQ(in1251.codepage, CP_1251) << name;
        // Two samples hold no Cyrillic letter at all: nothing to tell 866 by.
        const bool latin_only = name.starts_with("36_") || name.starts_with("38_");
        EXPECT_EQ(in866.codepage, latin_only ? CP_1251 : CP_866) << name;
        in866.codepage = in1251.codepage;
        EXPECT_EQ(in866, in1251) << name;
        // Sample 38 is plain ASCII, the same bytes in every code page.
        Outcome in_utf8 = ReadText(Corpus("txt/utf8/" + name));
        EXPECT_EQ(in_utf8.codepage, name.starts_with("38_") ? CP_1251 : CP_UTF8) << name;
        in_utf8.codepage = in1251.codepage;
        EXPECT_EQ(in_utf8, in1251) << name;
        ++samples;
    }
    EXPECT_EQ(samples, 40);
}

TEST(CorpusText, SelectedOutcomes) {
    SKIP_WITHOUT_CORPUS();
    const std::pair<const char*, Outcome> books[] = {
        {"cp866/02_lermontov_parus.txt", {OK, CP_866, "Михаил Лермонтов", "Парус", "", ""}},
        {"cp1251/08_one_line_only.txt", {DESC, CP_1251, "", "", "", ""}},
        {"cp866/09_chekhov_tolstyj_i_tonkij_title_first.txt",
         {OK, CP_866, "Антон Чехов", "Толстый и тонкий", "", ""}},
        {"cp1251/12_tolstoy_carthago_delenda_est.txt",
         {DESC, CP_1251, "", "", "", ""}},  // long line
        {"cp866/15_header_yo_and_final_dot.txt",
         {OK, CP_866, "Фёдор Достоевский", "Домовой", "Петербургские повести", "3"}},
        {"cp866/40_anthology_two_authors.txt",
         {OK, CP_866, "Антон Чехов, Лев Толстой", "Рассказы", "Русская классика", "1"}},
        {"real/chardet_IBM866_ude_1.txt", {DESC, CP_866, "", "", "", ""}},
        {"real/chardet_windows-1251-russian_ude_1.txt", {DESC, CP_1251, "", "", "", ""}},
        {"other/16_chekhov_hameleon_utf16le.txt", {DESC, CP_1251, "", "", "", ""}},  // NUL bytes
        {"other/16_chekhov_hameleon_utf8_bom.txt",
         {OK, CP_UTF8, "Антон Чехов", "Хамелеон", "", ""}},
        {"real/pg600_notes_from_underground_bom_crlf_excerpt.txt",
         {OK, CP_UTF8, "Part I", "Underground", "", ""}},
    };
    for (const auto& [file, expected] : books) {
        EXPECT_EQ(ReadText(Corpus(std::string("txt/") + file)), expected) << file;
    }
}

}  // namespace
}  // namespace tomeo
