#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/text_layout.h"

namespace tomeo {
namespace {

// The emitter writing into a chunk of the given size; what it wrote is collected.
class EmitterFixture {
public:
    explicit EmitterFixture(TextLayout layout, std::int32_t chunk = 65536) : chunk_(chunk) {
        job_.dst = chunk_.data();
        job_.dst_cap = chunk;
        emitter_.reset(layout);
        emitter_.attach(job_);
    }
    ParagraphEmitter& emitter() { return emitter_; }
    // Everything written so far, draining the pending output chunk by chunk.
    std::string output() {
        flush();
        while (emitter_.has_pending()) {
            emitter_.put_output();
            flush();
        }
        return written_;
    }

private:
    void flush() {
        written_.append(reinterpret_cast<char*>(job_.dst), job_.dst_len);
        job_.dst_len = 0;
    }
    std::vector<unsigned char> chunk_;
    TCONVJOB job_;
    ParagraphEmitter emitter_;
    std::string written_;
};

std::string Lines(const TextLayout& layout, const std::string& text) {
    ParagraphEmitter emitter;
    emitter.reset(layout);
    std::string lines;
    emitter.format_paragraph(text.c_str(), lines);
    return lines;
}

TEST(FormatParagraph, WrappedLinesBreakAtTheLastSpaceWithinTheRoom) {
    std::string ten_words;
    for (int i = 0; i < 10; ++i) {
        if (i) ten_words += ' ';
        ten_words.append(9, static_cast<char>('a' + i));
    }
    const std::string lines = Lines({TextLayout::kWrapped, 2}, ten_words);
    const std::size_t first_end = lines.find("\r\n");
    EXPECT_EQ(first_end, 61u) << "indent and six words";
    EXPECT_EQ(lines.substr(0, 2), "  ");
    EXPECT_EQ(lines.size() - first_end - 4, 39u) << "four words on the second line";
    EXPECT_TRUE(lines.ends_with("jjjjjjjjj\r\n"));
}

TEST(FormatParagraph, WordsLongerThanALineAreCut) {
    const std::string word(150, 'x');
    EXPECT_EQ(Lines({TextLayout::kWrapped, 0}, word), std::string(70, 'x') + "\r\n" +
                                                          std::string(70, 'x') + "\r\n" +
                                                          std::string(10, 'x') + "\r\n");
    EXPECT_EQ(Lines({TextLayout::kWrapped, 5}, word), "     " + std::string(65, 'x') + "\r\n" +
                                                          std::string(70, 'x') + "\r\n" +
                                                          std::string(15, 'x') + "\r\n");
    // An indent wider than the line leaves the first line empty and still ends.
    EXPECT_EQ(Lines({TextLayout::kWrapped, 80}, "ab"), std::string(80, ' ') + "\r\nab\r\n");
}

TEST(FormatParagraph, OneLineFormAndEmptyText) {
    const std::string long_text(500, 'y');
    EXPECT_EQ(Lines({TextLayout::kOneLine, 3}, long_text), "   " + long_text + "\r\n");
    EXPECT_EQ(Lines({TextLayout::kOneLine, 3}, ""), "\r\n");
    EXPECT_EQ(Lines({TextLayout::kWrapped, 3}, "short"), "   short\r\n");
}

TEST(FormatParagraph, ASpaceExactlyAtTheRoomEndsTheLine) {
    const std::string text = std::string(70, 'a') + " b";
    EXPECT_EQ(Lines({TextLayout::kWrapped, 0}, text), std::string(70, 'a') + "\r\nb\r\n");
}

TEST(EmitParagraph, BlankLineRules) {
    struct Step {
        const char* text;
        BlankLine kind;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        const char* expected;
    };
    const auto P = BlankLine::kPlain, S = BlankLine::kSection, T = BlankLine::kTitle,
               E = BlankLine::kEpigraph;
    const Case cases[] = {
        {"nothing before the first text", {{"", P}, {"", S}, {"", T}, {"a", P}}, "a\r\n"},
        {"printp of an empty text after a text", {{"a", P}, {"", P}, {"b", P}}, "a\r\n\r\nb\r\n"},
        {"a section start makes two blank lines",
         {{"a", P}, {"", S}, {"", S}, {"b", P}},
         "a\r\n\r\n\r\nb\r\n"},
        {"never more than two in a row",
         {{"a", P}, {"", P}, {"", S}, {"", S}, {"b", P}},
         "a\r\n\r\n\r\nb\r\n"},
        {"a section after an epigraph gets two, not three",
         {{"a", P}, {"", E}, {"", S}, {"", S}, {"b", P}},
         "a\r\n\r\n\r\nb\r\n"},
        {"an empty-line after a title is absorbed",
         {{"t", P}, {"", T}, {"", P}, {"b", P}},
         "t\r\n\r\nb\r\n"},
        {"plain blank lines after a section start are absorbed",
         {{"a", P}, {"", S}, {"", S}, {"", P}, {"", P}, {"", P}, {"b", P}},
         "a\r\n\r\n\r\n\r\nb\r\n"},
    };
    for (const Case& c : cases) {
        EmitterFixture f({TextLayout::kOneLine, 0});
        for (const Step& s : c.steps) f.emitter().emit_paragraph(s.text, s.kind);
        EXPECT_EQ(f.output(), c.expected) << c.name;
    }
}

TEST(PutOutput, PendingOutputKeepsItsOrderAcrossChunks) {
    EmitterFixture f({TextLayout::kOneLine, 0}, 5);
    f.emitter().emit_paragraph("abcdefgh", BlankLine::kPlain);  // more than a chunk
    f.emitter().emit_paragraph("ij", BlankLine::kPlain);
    EXPECT_EQ(f.output(), "abcdefgh\r\nij\r\n");

    EmitterFixture nowhere({TextLayout::kOneLine, 0}, 0);
    nowhere.emitter().emit_paragraph("x", BlankLine::kPlain);
    EXPECT_TRUE(nowhere.emitter().has_pending());
    EXPECT_EQ(nowhere.emitter().take_pending(), "x\r\n");
}

TEST(PutOutput, ALongCollectedParagraphIsLaidOutWithoutCopies) {
    // A paragraph of 3 MB, as long as a book: laid out chunk by chunk straight from its
    // text, exactly as the whole paragraph would be formatted at once.
    std::string words;
    for (int i = 0; words.size() < (3u << 20); ++i)
        words += std::string(1 + i % 13, 'a' + i % 26) + ' ';
    words += "end";
    ParagraphText text;
    text.append(words);
    for (const TextLayout layout :
         {TextLayout{TextLayout::kWrapped, 3}, TextLayout{TextLayout::kOneLine, 2}}) {
        EmitterFixture f(layout);
        f.emitter().emit_paragraph("head", BlankLine::kPlain);
        f.emitter().emit_paragraph(text, BlankLine::kPlain);
        f.emitter().emit_paragraph("", BlankLine::kTitle);  // waits behind the paragraph
        EXPECT_LT(f.emitter().buffered_capacity(), 65536u);
        ParagraphEmitter whole;
        whole.reset(layout);
        std::string expected;
        whole.format_paragraph(words.c_str(), expected);
        EXPECT_EQ(f.output(), (layout.indent ? std::string(layout.indent, ' ') : "") + "head\r\n" +
                                  expected + "\r\n");
    }
}

}  // namespace
}  // namespace tomeo
