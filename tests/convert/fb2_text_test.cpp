#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/book_desc.h"
#include "convert/fb2_text.h"
#include "core/charset.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

std::string Data(const std::string& name) {
    return test::ReadFile(std::string(TOMEO_SOURCE_DIR) + "/tests/data/fb2txt/" + name);
}

std::string To1251(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(utf8_to_cp1251(utf8, out));
    return out;
}

// The header the default txthdr.sc prints: authors, title with series, annotation.
class DefaultLikeHeader : public TextHeaderScript {
public:
    explicit DefaultLikeHeader(const TBOOKDESC& desc) : desc_(desc) {}
    bool RunHeader(Fb2TextConverter& c) override {
        WSTR authors;
        for (std::int32_t i = 0; i < desc_.authors.count(); ++i) {
            if (i > 0) authors.append(", ");
            authors.append(desc_.authors[i].first_name.c_str());
            authors.append(" ");
            authors.append(desc_.authors[i].last_name.c_str());
        }
        c.printp(authors.c_str());
        c.printp(desc_.title.c_str());
        if (desc_.isannt == 0) return true;
        c.printp("");
        return c.printannt();
    }

private:
    const TBOOKDESC& desc_;
};

class FailingHeader : public TextHeaderScript {
public:
    bool RunHeader(Fb2TextConverter&) override { return false; }
};

struct Conversion {
    std::int32_t status = CONV_OK;
    std::string text;
};

// Converts the book as the pipeline does: steps until the input is used up, each chunk
// written out as soon as the step returns.
Conversion Convert(const std::string& book, CodePage codepage, TextLayout layout,
                   std::int32_t chunk_size = kConvChunkSize, TextHeaderScript* header = nullptr) {
    TBOOKDESC desc;
    add_author(desc, To1251("Антон").c_str(), "", To1251("Чехов").c_str());
    desc.title.assign(To1251("Рассказы").c_str());
    const std::size_t annotation = book.find("<annotation>");
    desc.isannt = annotation != std::string::npos ? 1 : 0;
    desc.annt_pos = desc.isannt ? static_cast<std::int32_t>(annotation) : -1;
    DefaultLikeHeader default_header(desc);

    std::vector<unsigned char> chunk(chunk_size);
    TCONVJOB job;
    job.src = reinterpret_cast<const unsigned char*>(book.data());
    job.src_len = static_cast<std::int32_t>(book.size());
    job.dst = chunk.data();
    job.dst_cap = chunk_size;

    Fb2TextConverter converter;
    Fb2TextConverter::Input input;
    input.book = {job.src, job.src_len};
    input.codepage_state = codepage;
    input.description = &desc;
    input.layout = layout;
    input.header = header != nullptr ? header : &default_header;
    converter.fb2txt_begin(job, input);

    Conversion result;
    run_conversion_pass(
        job, [&](TCONVJOB& j) { converter.fb2txt_chunk(j); },
        [&](const unsigned char* bytes, std::int32_t n) {
            result.text.append(reinterpret_cast<const char*>(bytes), n);
            return true;
        });
    converter.fb2txt_end();
    result.status = job.status;
    return result;
}

TEST(Fb2ToText, SampleBookInBothLayouts) {
    const std::string utf8 = Data("stories.fb2");
    const Conversion one_line = Convert(utf8, CP_UTF8, {TextLayout::kOneLine, 2});
    ASSERT_EQ(one_line.status, CONV_OK);
    EXPECT_EQ(one_line.text, Data("stories.form1-indent2.txt"));

    const Conversion wrapped = Convert(utf8, CP_UTF8, {TextLayout::kWrapped, 5});
    ASSERT_EQ(wrapped.status, CONV_OK);
    EXPECT_EQ(wrapped.text, Data("stories.form2-indent5.txt"));
}

TEST(Fb2ToText, Windows1251BookGivesTheSameText) {
    std::string book = To1251(Data("stories.fb2"));
    book.replace(book.find("UTF-8"), 5, "windows-1251");
    const Conversion c = Convert(book, CP_1251, {TextLayout::kOneLine, 2});
    ASSERT_EQ(c.status, CONV_OK);
    EXPECT_EQ(c.text, Data("stories.form1-indent2.txt"));
}

TEST(Fb2ToText, ChunkBoundariesDoNotChangeTheText) {
    // Paragraphs of every length straddle the chunk boundaries.
    std::string book =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook><body><section>";
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string text(static_cast<std::size_t>(i * 37 % 401 + 1),
                               static_cast<char>('a' + i % 26));
        book += "<p>" + text + "</p>\n";
        expected += text + "\r\n";
    }
    book += "</section></body></FictionBook>";
    ASSERT_GT(book.size(), 4u * kConvChunkSize);
    const Conversion whole = Convert(book, CP_1251, {TextLayout::kOneLine, 0});
    ASSERT_EQ(whole.status, CONV_OK);
    // Header, the section's blank lines, then every paragraph.
    EXPECT_EQ(whole.text, To1251("Антон Чехов\r\nРассказы\r\n\r\n\r\n") + expected);
    for (std::int32_t chunk : {1, 7, 4096}) {
        EXPECT_EQ(Convert(book, CP_1251, {TextLayout::kOneLine, 0}, chunk).text, whole.text)
            << chunk;
    }
}

TEST(Fb2ToText, AFinalParagraphLongerThanAChunkIsWrittenWhole) {
    const std::string last(3 * kConvChunkSize, 'z');
    const std::string book = "<FictionBook><body><p>" + last + "</p></body></FictionBook>";
    const Conversion c = Convert(book, CP_1251, {TextLayout::kOneLine, 0});
    ASSERT_EQ(c.status, CONV_OK);
    EXPECT_TRUE(c.text.ends_with(last + "\r\n")) << c.text.size();
}

TEST(Fb2ToText, Failures) {
    const std::string head = "<FictionBook><body>";
    const std::string tail = "</body></FictionBook>";
    const std::string five_deep =
        "<section><section><section><section><section><p>x</p>"
        "</section></section></section></section></section>";
    const std::string four_deep =
        "<section><section><section><section><p>x</p>"
        "</section></section></section></section>";
    struct Case {
        const char* name;
        std::string book;
        std::int32_t status;
    };
    const Case cases[] = {
        {"four levels convert", head + four_deep + tail, CONV_OK},
        {"a fifth level is broken", head + five_deep + tail, CONV_BROKEN},
        {"an unknown tag", head + "<poem><date>1900</date></poem>" + tail, CONV_UNKNOWN_TAG},
        {"sup is not in the vocabulary", head + "<p>x<sup>2</sup></p>" + tail, CONV_UNKNOWN_TAG},
        {"a link to no note", head + "<p><a l:href=\"#n9\" type=\"note\">9</a></p>" + tail,
         CONV_BROKEN},
        {"a note link without a target", head + "<p><a type=\"note\">9</a></p>" + tail,
         CONV_BROKEN},
        {"a target without #", head + "<p><a l:href=\"n1\" type=\"note\">1</a></p>" + tail,
         CONV_BROKEN},
        {"an ordinary link keeps its text", head + "<p><a l:href=\"http://x\">x</a></p>" + tail,
         CONV_OK},
        {"no main body", "<FictionBook><body lang=\"ru\"><p>x</p></body></FictionBook>",
         CONV_BROKEN},
        {"a body opening inside the body", head + "<body name=\"x\">" + tail, CONV_BROKEN},
        {"the main body is not closed", head + "<p>x</p>", CONV_BROKEN},
        {"a broken tag", head + "<p x y>x</p>" + tail, CONV_BROKEN},
        {"a tag cut off by the end of the book", head + "<p x>x</p>" + tail, CONV_TRUNCATED},
        {"a note section without its id",
         head + tail + "<body name=\"notes\"><section><p>x</p></section></body>", CONV_BROKEN},
        {"a disallowed tag in the notes",
         head + tail + "<body name=\"notes\"><section id=\"a\"><poem/></section></body>",
         CONV_BROKEN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Convert(c.book, CP_1251, {TextLayout::kOneLine, 0}).status, c.status) << c.name;
    }
}

TEST(Fb2ToText, Utf8Failures) {
    const std::string head = "<FictionBook><body><p>";
    const std::string tail = "</p></body></FictionBook>";
    EXPECT_EQ(Convert(head + "\xF0\x9F\x98\x80" + tail, CP_UTF8, {}).status, CONV_NOT_1251);
    EXPECT_EQ(Convert(head + "\xD0\x41" + tail, CP_UTF8, {}).status, CONV_BAD_UTF8);
    FailingHeader failing;
    EXPECT_EQ(Convert(head + tail, CP_UTF8, {}, kConvChunkSize, &failing).status, CONV_TRUNCATED);
}

TEST(Fb2ToText, NotesAndTheirLinks) {
    const std::string book =
        "<FictionBook><body><section><p>слово<a xlink:href=\"#N1\" type=\"NOTE\">1</a> дальше</p>"
        "</section></body>"
        "<body name=\"notes\"><p>dropped</p><section id=\"n1\"><title><p>1</p></title>"
        "<p>Пояснение.</p></section></body></FictionBook>";
    const Conversion c = Convert(To1251(book), CP_1251, {TextLayout::kOneLine, 0});
    ASSERT_EQ(c.status, CONV_OK);
    EXPECT_TRUE(c.text.ends_with(To1251("слово [Пояснение.] дальше\r\n"))) << c.text;
}

TEST(Fb2ToText, AnnotationWithANoteLink) {
    // The header prints the annotation, whose link resolves as in the body.
    const std::string book =
        "<FictionBook><description><title-info><annotation><p>См.<a l:href=\"#n1\" "
        "type=\"note\">1</a></p></annotation></title-info></description><body><p>b</p></body>"
        "<body name=\"notes\"><section id=\"n1\"><p>note</p></section></body></FictionBook>";
    const Conversion c = Convert(To1251(book), CP_1251, {TextLayout::kOneLine, 0});
    ASSERT_EQ(c.status, CONV_OK);
    EXPECT_NE(c.text.find(To1251("См. [note]\r\n")), std::string::npos) << c.text;
}

TEST(Fb2ToText, AnnotationForTheInformationText) {
    const std::string book = To1251(
        "<annotation><p>Первый.</p><p>Второй <a l:href=\"#n\" type=\"note\">1</a>абзац.</p>"
        "</annotation>");
    Fb2TextConverter converter;
    std::string out;
    const ByteView view{reinterpret_cast<const unsigned char*>(book.data()),
                        static_cast<std::int32_t>(book.size())};
    ASSERT_EQ(converter.render_annotation(view, CP_1251, 0, out), CONV_OK);
    EXPECT_EQ(out, To1251("    Первый.\r\n    Второй абзац.\r\n\r\n"));
}

}  // namespace
}  // namespace tomeo
