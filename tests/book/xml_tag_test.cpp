#include <gtest/gtest.h>

#include <string>

#include "book/xml_tag.h"
#include "tests/book/book_samples.h"

namespace tomeo {
namespace {

using test::W;

ByteView View(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()),
            static_cast<std::int32_t>(bytes.size())};
}

std::int32_t ReadTag(const std::string& bytes, TXMLTAG& tag, CodePage codepage = CP_1251,
                     std::int32_t pos = 0) {
    CharReader reader;
    reader.codepage_state = codepage;
    const std::int32_t status = read_tag(reader, View(bytes), pos, tag);
    EXPECT_EQ(status, reader.read_status);
    return status;
}

struct TagCase {
    const char* text;
    std::int32_t status;
    const char* name;
    bool open;
    bool close;
    std::int32_t length;
};

TEST(ReadTag, FormsOfTags) {
    const TagCase cases[] = {
        {"<p>", CONV_OK, "p", true, false, 3},
        {"< p >", CONV_OK, "p", true, false, 5},
        {"</p >", CONV_OK, "p", false, true, 5},
        {"< / p>", CONV_OK, "p", false, true, 6},
        {"<empty-line/>", CONV_OK, "empty-line", true, true, 13},
        {"<empty-line />rest", CONV_OK, "empty-line", true, true, 14},
        {"<BODY>", CONV_OK, "BODY", true, false, 6},
        {"<sequence name=\"a\"/>", CONV_UNKNOWN_TAG, "sequence", true, true, 20},
        {"<p>tail", CONV_OK, "p", true, false, 3},
        {"p>", CONV_BROKEN, "", false, false, 0},
        {"<p/x>", CONV_BROKEN, "p", true, true, 0},
        {"<a href='x'>", CONV_BROKEN, "a", true, false, 0},
        {"<a href x=\"1\">", CONV_BROKEN, "a", true, false, 0},
        {"<p", CONV_TRUNCATED, "p", true, false, 0},
        {"<a href=\"x>", CONV_TRUNCATED, "a", true, false, 0},
        {"", CONV_TRUNCATED, "", false, false, 0},
        {"<p\n>", CONV_UNKNOWN_TAG, "p\n", true, false, 4},  // only the space is blank
    };
    for (const TagCase& c : cases) {
        TXMLTAG tag;
        EXPECT_EQ(ReadTag(c.text, tag), c.status) << c.text;
        EXPECT_STREQ(tag.tag_name.c_str(), c.name) << c.text;
        EXPECT_EQ(tag.is_open, c.open) << c.text;
        EXPECT_EQ(tag.is_close, c.close) << c.text;
        EXPECT_EQ(tag.tag_len, c.length) << c.text;
    }
}

TEST(ReadTag, TypesFromTheTableIgnoringCase) {
    for (const TagName& entry : TAG_TABLE) {
        std::string name(entry.name);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        TXMLTAG tag;
        EXPECT_EQ(ReadTag("<" + name + ">", tag), CONV_OK) << name;
        EXPECT_EQ(tag.tag_type, entry.type) << name;
    }
    EXPECT_EQ(tag_type_of("genres"), 0);
    EXPECT_EQ(tag_type_of("h"), 0);
}

TEST(ReadTag, AttributesInOrderWithAnyCharacterInValues) {
    TXMLTAG tag;
    ASSERT_EQ(ReadTag("<a l:href=\"#note1\" type = \"note\">", tag), CONV_OK);
    ASSERT_EQ(tag.attr_count, 2);
    EXPECT_STREQ(tag.attr_name[0].c_str(), "l:href");
    EXPECT_STREQ(tag.attr_value[0].c_str(), "#note1");
    EXPECT_STREQ(tag.attr_name[1].c_str(), "type");
    EXPECT_STREQ(tag.attr_value[1].c_str(), "note");
    EXPECT_EQ(find_attr(tag, "TYPE"), 1);
    EXPECT_EQ(find_attr(tag, "href"), -1);

    ASSERT_EQ(ReadTag("<image l:href=\"a>b/c\" alt=\"\"/>", tag), CONV_OK);
    EXPECT_STREQ(tag.attr_value[0].c_str(), "a>b/c");
    EXPECT_STREQ(tag.attr_value[1].c_str(), "");
    EXPECT_TRUE(tag.is_open && tag.is_close);

    ASSERT_EQ(ReadTag("<genre match=\"1\" MATCH=\"2\">", tag), CONV_OK);
    EXPECT_EQ(find_attr(tag, "match"), 0);
    EXPECT_EQ(find_last_attr(tag, "match"), 1);

    // A later tag reuses the slots: nothing of the earlier one shows through.
    ASSERT_EQ(ReadTag("<p x=\"1\">", tag), CONV_OK);
    EXPECT_EQ(tag.attr_count, 1);
    EXPECT_STREQ(tag.attr_value[0].c_str(), "1");
}

TEST(ReadTag, SixteenAttributesFitASeventeenthIsBroken) {
    std::string tag16 = "<p";
    for (int i = 0; i < 16; ++i)
        tag16 += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    TXMLTAG tag;
    ASSERT_EQ(ReadTag(tag16 + ">", tag), CONV_OK);
    EXPECT_EQ(tag.attr_count, 16);
    EXPECT_STREQ(tag.attr_value[15].c_str(), "15");
    EXPECT_EQ(ReadTag(tag16 + " a16=\"16\">", tag), CONV_BROKEN);
    EXPECT_EQ(tag.attr_count, 16);
}

TEST(ReadTag, LongValuesAreReadWhole) {
    const std::string value(100000, 'v');
    TXMLTAG tag;
    ASSERT_EQ(ReadTag("<binary id=\"" + value + "\">", tag), CONV_UNKNOWN_TAG);
    EXPECT_EQ(tag.attr_value[0].length(), 100000);
    EXPECT_EQ(tag.tag_len, 100000 + 14);
}

TEST(ReadTag, Utf8CharactersAreDecoded) {
    TXMLTAG tag;
    const std::string utf8 = "<sequence name=\"Цикл «Полдень»\" number=\"2\"/>";
    ASSERT_EQ(ReadTag(utf8, tag, CP_UTF8), CONV_UNKNOWN_TAG);
    EXPECT_EQ(tag.attr_value[0].c_str(), W("Цикл «Полдень»"));
    EXPECT_EQ(tag.tag_len, static_cast<std::int32_t>(utf8.size()));

    EXPECT_EQ(ReadTag("<p a=\"\xE2\x84\xA2\xF0\x9F\x98\x80\">", tag, CP_UTF8), CONV_NOT_1251);
    EXPECT_EQ(ReadTag("<p a=\"\xD0\x41\">", tag, CP_UTF8), CONV_BAD_UTF8);
    EXPECT_EQ(ReadTag("<p a=\"\xD0", tag, CP_UTF8), CONV_TRUNCATED);
    // The same bytes are single characters in Windows-1251.
    EXPECT_EQ(ReadTag("<p a=\"\xD0\x41\">", tag, CP_1251), CONV_OK);
}

TEST(ReadTag, StartsAtTheOffsetGiven) {
    TXMLTAG tag;
    EXPECT_EQ(ReadTag("text <v>", tag, CP_1251, 5), CONV_OK);
    EXPECT_STREQ(tag.tag_name.c_str(), "v");
    EXPECT_EQ(ReadTag("<v>", tag, CP_1251, 3), CONV_TRUNCATED);
    EXPECT_EQ(ReadTag("<v>", tag, CP_1251, -1), CONV_TRUNCATED);
}

TEST(InbufFind, CaseInsensitiveWithinTheLimit) {
    const std::string text = W("ab <Description> x </DESCRIPTION> <Жанр>");
    const ByteView bytes = View(text);
    EXPECT_EQ(inbuf_find(bytes, "<description>", 0, bytes.size), 3);
    EXPECT_EQ(inbuf_find(bytes, "<description>", 4, bytes.size), -1);
    EXPECT_EQ(inbuf_find(bytes, "</description>", 0, bytes.size), 19);
    EXPECT_EQ(inbuf_find(bytes, "</description>", 0, 33), 19) << "ends exactly at the limit";
    EXPECT_EQ(inbuf_find(bytes, "</description>", 0, 32), -1);
    EXPECT_EQ(inbuf_find(bytes, W("<жанр>").c_str(), 0, bytes.size), 34);
    EXPECT_EQ(inbuf_find(bytes, "x", 0, bytes.size), 17);
    EXPECT_EQ(inbuf_find(bytes, "X", 0, bytes.size), 17);
    EXPECT_EQ(inbuf_find(bytes, "<description>", 0, 1000000), 3) << "limit clamped";
    EXPECT_EQ(inbuf_find(bytes, "<description>", -5, bytes.size), 3);
    EXPECT_EQ(inbuf_find(bytes, "<description>", 30, 10), -1);
    EXPECT_EQ(inbuf_find(bytes, "", 0, bytes.size), -1);
    EXPECT_EQ(inbuf_find(ByteView{}, "<p>", 0, 10), -1);
}

TEST(InbufFind, PatternEndingWithBracketNeedsABareTag) {
    const std::string text = "<author id=\"1\"><author >";
    EXPECT_EQ(inbuf_find(View(text), "<author>", 0, static_cast<std::int32_t>(text.size())), -1);
    EXPECT_EQ(inbuf_find(View(text), "<author", 0, static_cast<std::int32_t>(text.size())), 0);
}

}  // namespace
}  // namespace tomeo
