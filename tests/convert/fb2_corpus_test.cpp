// The u and t steps over the real-world sample books kept outside the repository
// (TOMEO_CORPUS_DIR): nothing crashes, and each book gets the outcome the rules give.
// Skipped when the folder is absent.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "book/book_buffer.h"
#include "book/fb2_reader.h"
#include "convert/fb2_recode.h"
#include "convert/fb2_text.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

namespace fs = std::filesystem;

class AnnotationHeader : public TextHeaderScript {
public:
    bool RunHeader(Fb2TextConverter& converter) override {
        converter.printp("header");
        return converter.printannt();
    }
};

template <class Step>
std::int32_t Pass(const BookBuffer& book, Step step) {
    std::vector<unsigned char> chunk(kConvChunkSize);
    TCONVJOB job;
    job.src = book.bytes();
    job.src_len = book.fill();
    job.dst = chunk.data();
    job.dst_cap = kConvChunkSize;
    run_conversion_pass(job, step, [](const unsigned char*, std::int32_t) { return true; });
    return job.status;
}

// What the pipeline would make of the book: "cp" when the declaration fails, "desc"
// when the description does; else the statuses of the u step (when the book is UTF-8)
// and of the t step.
std::string Outcome(const std::string& bytes) {
    MemoryBookSource source(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    BookBuffer book;
    book.start(source);
    CharReader reader;
    TXMLTAG tag;
    TBOOKDESC desc;
    if (read_xml_declaration(book, reader, tag) != 0) return "cp";
    if (read_fb2_description(book, reader, tag, desc) != 0) return "desc";
    if (!book.load_up_to(static_cast<std::int32_t>(bytes.size()))) return "read";

    std::string outcome;
    if (reader.codepage_state == CP_UTF8) {
        Utf8Recoder recoder;
        TCONVJOB start;
        recoder.recode_utf8_begin(start);
        outcome += 'u';
        outcome +=
            std::to_string(Pass(book, [&](TCONVJOB& j) { recoder.recode_utf8_chunk(j); })) + " ";
    }
    AnnotationHeader header;
    Fb2TextConverter converter;
    Fb2TextConverter::Input input;
    input.book = book.view();
    input.codepage_state = reader.codepage_state;
    input.description = &desc;
    input.header = &header;
    TCONVJOB start;
    converter.fb2txt_begin(start, input);
    outcome += 't';
    outcome += std::to_string(Pass(book, [&](TCONVJOB& j) { converter.fb2txt_chunk(j); }));
    converter.fb2txt_end();
    return outcome;
}

TEST(CorpusFb2Conversion, EveryBookGivesItsOutcome) {
    const fs::path corpus = fs::path(TOMEO_CORPUS_DIR) / "fb2";
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no sample books at " << corpus;
    // u3: a character without a Windows-1251 form (a byte-order mark, say); t4: broken
    // structure (a tag the notes body may not hold, a link to no note); t5: a tag
    // outside the vocabulary (sup, sub, table...).
    const std::map<std::string, std::string> expected = {
        {"derived/karenina_koi8r.fb2", "cp"},
        {"derived/karenina_mislabelled_utf8.fb2", "desc"},
        {"derived/karenina_nested_sequence.fb2", "t0"},
        {"derived/karenina_single_quoted_decl.fb2", "cp"},
        {"derived/karenina_stylesheet_before_description.fb2", "desc"},
        {"derived/karenina_utf16le_bom.fb2", "cp"},
        {"derived/karenina_utf8.fb2", "u0 t0"},
        {"derived/karenina_utf8_bom.fb2", "u3 t0"},
        {"fb2cng_Test.fb2", "u3 t4"},
        {"fb2document_Test_1.fb2", "u3 t4"},
        {"fb2document_Test_Invalid.fb2", "u3 t4"},
        {"fbreaderj_MiniHelp.be.fb2", "u0 t5"},
        {"fbreaderj_MiniHelp.ja.fb2", "desc"},
        {"fbreaderj_anna_karenina_cover.fb2", "t0"},
        {"fbreaderj_footnote1.fb2", "desc"},
        {"fbreaderj_karenina.fb2", "desc"},
        {"fbreaderj_poem_esenin.fb2", "desc"},
        {"fbreaderj_whiteguard.fb2", "desc"},
        {"fictionbook-java_test.fb2", "u0 t5"},
        {"fictionbook-java_test2.1.fb2", "t4"},
        {"generated/calibre_chekhov_hameleon.fb2", "u0 t0"},
        {"librarian_asnyk_miedzy_nami.fb2", "cp"},
        {"litlife_cyrylic_binary_names.fb2", "u0 t0"},
        {"litlife_pkg_test.fb2", "t0"},
        {"litlife_test_broken_tags.fb2", "t0"},
        {"litlife_test_cp1251_with_utf8_bytes.fb2", "t0"},
        {"litlife_test_empty_tags.fb2", "u0 t0"},
        {"litlife_test_entities.fb2", "desc"},
        {"litlife_test_with_html_entities.fb2", "desc"},
        {"litlife_test_with_publisher_without_city_year.fb2", "t0"},
        {"litlife_test_without_description.fb2", "desc"},
        {"litlife_windows1251_encoding.fb2", "t0"},
        {"litlife_without_namespace.fb2", "desc"},
        {"litlife_without_title.fb2", "desc"},
        {"litlife_xlink_xmlns.fb2", "u0 t0"},
        {"pandoc_images.fb2", "desc"},
        {"pandoc_reader_meta.fb2", "u0 t0"},
        {"pandoc_reader_notes.fb2", "desc"},
        {"pandoc_reader_poem.fb2", "desc"},
        {"sopds_badfile.fb2", "cp"},
        {"sopds_test_no_declaration.fb2", "cp"},
    };
    int seen = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = fs::relative(entry.path(), corpus).string();
        const auto known = expected.find(name);
        if (known == expected.end()) continue;  // a book added later
        EXPECT_EQ(Outcome(test::ReadFile(entry.path().string())), known->second) << name;
        ++seen;
    }
    EXPECT_EQ(seen, static_cast<int>(expected.size()));
}

}  // namespace
}  // namespace tomeo
