#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <string>

#include "core/charset.h"

namespace tomeo {
namespace {

// glibc's iconv as an independent reference for a single-byte code page.
std::string IconvToUtf8(const char* code_page, unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", code_page);
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* pin = in;
    char* pout = out;
    size_t in_left = 1, out_left = sizeof out;
    const size_t rc = iconv(cd, &pin, &in_left, &pout, &out_left);
    iconv_close(cd);
    return rc == static_cast<size_t>(-1) ? std::string() : std::string(out, pout);
}

std::uint32_t KeyOf(const std::string& utf8) {
    std::uint32_t key = 0;
    for (unsigned char b : utf8) key = key * 256 + b;
    return key;
}

TEST(Utf8Table, HoldsExactlyWindows1251) {
    int mapped = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string utf8 = IconvToUtf8("CP1251", static_cast<unsigned char>(b));
        if (b == 0x98) {
            EXPECT_TRUE(utf8.empty()) << "0x98 has no character";
            continue;
        }
        ASSERT_FALSE(utf8.empty()) << b;
        std::uint8_t byte = 0;
        ASSERT_TRUE(utf8_key_to_1251(KeyOf(utf8), byte)) << std::hex << b;
        EXPECT_EQ(byte, b);
        EXPECT_EQ(cp1251_to_utf8(std::string(1, static_cast<char>(b))), utf8);
        ++mapped;
    }
    EXPECT_EQ(mapped, 255);
    // No two runs overlap, so no key maps twice.
    for (std::size_t i = 0; i < UTF8_1251_TABLE.size(); ++i) {
        for (std::size_t j = i + 1; j < UTF8_1251_TABLE.size(); ++j) {
            EXPECT_TRUE(UTF8_1251_TABLE[i].high < UTF8_1251_TABLE[j].low ||
                        UTF8_1251_TABLE[j].high < UTF8_1251_TABLE[i].low);
        }
    }
}

TEST(Utf8Table, KnownCharacters) {
    const std::pair<std::uint32_t, std::uint8_t> hits[] = {
        {0xD090, 0xC0},   {0xD18F, 0xFF},   {0xD081, 0xA8}, {0xD191, 0xB8},
        {0xE282AC, 0x88}, {0xE28496, 0xB9}, {0xC2A0, 0xA0}, {0x41, 0x41}};
    for (auto [key, expected] : hits) {
        std::uint8_t byte = 0;
        EXPECT_TRUE(utf8_key_to_1251(key, byte)) << std::hex << key;
        EXPECT_EQ(byte, expected);
    }
    std::uint8_t byte = 0x55;
    for (std::uint32_t miss : {0xC298u, 0xC080u, 0xEFBBBFu, 0xF09F9880u}) {
        EXPECT_FALSE(utf8_key_to_1251(miss, byte)) << std::hex << miss;
    }
    EXPECT_EQ(byte, 0x55) << "a miss leaves the output alone";
}

TEST(Utf8ToCp1251InPlace, ConvertsOrLeavesTheStringUnchanged) {
    char good[] = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x80\x94 ok";
    EXPECT_TRUE(utf8_to_1251(good));
    EXPECT_STREQ(good, cp1251("Привет — ok").c_str());

    const char* bad_inputs[] = {
        "a\xD0",             // the NUL after D0 is not a continuation byte
        "\xD0\x41",          // D0 followed by a non-continuation byte
        "\x80",              // stray continuation byte
        "\xF8\x80\x80\x80",  // 11111xxx
        "\xF0\x9F\x98\x80",  // four bytes: well formed, not representable
        "\xEF\xBB\xBF"
        "abc",       // the byte-order mark has no Windows-1251 form
        "\xC2\x98",  // U+0098
    };
    for (const char* input : bad_inputs) {
        char copy[16];
        std::strcpy(copy, input);
        EXPECT_FALSE(utf8_to_1251(copy)) << input;
        EXPECT_STREQ(copy, input);
    }
    char empty[] = "";
    EXPECT_TRUE(utf8_to_1251(empty));
}

TEST(EdgeConversions, RoundTripAndLossyForm) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98) all += static_cast<char>(b);
    std::string back;
    ASSERT_TRUE(utf8_to_cp1251(cp1251_to_utf8(all), back));
    EXPECT_EQ(back, all);

    EXPECT_EQ(cp1251_to_utf8("\x98"), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8_to_cp1251_lossy("a\xE4\xB8\x80"
                                   "b\xFF"
                                   "c"),
              "a\x98"
              "b\x98"
              "c");
    EXPECT_FALSE(utf8_to_cp1251("\xE4\xB8\x80", back));
    EXPECT_TRUE(is_valid_utf8("\xE4\xB8\x80"));
    EXPECT_FALSE(is_valid_utf8("\xE4\xB8"));
}

TEST(EdgeConversions, NamesWithoutAWindows1251FormAreShownAsOnDisk) {
    struct Case {
        const char* disk;      // UTF-8, or not
        const char* terminal;  // what the report shows of it
    };
    const Case cases[] = {
        {"B\xC3\xBC"
         "cher.fb2",
         "B\xC3\xBC"
         "cher.fb2"},  // Bücher
        {"\xE4\xB8\x80 \xD0\x9A.txt",
         "\xE4\xB8\x80 \xD0\x9A.txt"},            // a Chinese and a Russian letter
        {"latin1 \xE9.fb2", "latin1 \\xE9.fb2"},  // not UTF-8
        {"c1 \xC2\x9B"
         "31m",
         "c1 \\u009B31m"},  // a control character
        {"esc \x1B[31m", "esc \\x1B[31m"},
    };
    for (const Case& c : cases) {
        const std::string shown = utf8_to_cp1251_shown(c.disk);
        EXPECT_EQ(cp1251_to_terminal(shown), c.terminal) << c.disk;
    }
}

TEST(EdgeConversions, TheTerminalGetsNoControlCharacterButLineBreaks) {
    EXPECT_EQ(cp1251_to_terminal("a\r\n\r\nb"), "a\n\nb");
    EXPECT_EQ(cp1251_to_terminal("t\tn\nr\rd\x7F"), "t\\x09n\\x0Ar\\x0Dd\\x7F");
    EXPECT_EQ(cp1251_to_terminal("\xCA\xED\xE8\xE3\xE0"),
              "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0");
    // A bare kUnrepresentable (a lossy argument) and one before no whole character.
    EXPECT_EQ(cp1251_to_terminal("a\x98"), "a\xEF\xBF\xBD");
    EXPECT_EQ(cp1251_to_terminal("a\x98z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(cp1251_to_terminal("a\x98\xC0\x80"), "a\xEF\xBF\xBD\xD0\x90\xD0\x82")
        << "an overlong form is no character";
}

TEST(CodePage866, LettersAndAsciiMapOneToOne) {
    for (int b = 0; b < 256; ++b) {
        const std::string reference = IconvToUtf8("CP866", static_cast<unsigned char>(b));
        char c = static_cast<char>(b);
        oem_to_ansi(&c, 1);
        const bool letter_or_ascii =
            b < 0x80 || (b >= 0x80 && b <= 0xAF) || (b >= 0xE0 && b <= 0xF1);
        if (letter_or_ascii) {
            EXPECT_EQ(cp1251_to_utf8(std::string(1, c)), reference) << std::hex << b;
            char back = c;
            ansi_to_oem(&back, 1);
            EXPECT_EQ(static_cast<unsigned char>(back), b) << "round trip of " << std::hex << b;
        }
    }
    // The word привет in code page 866 and in Windows-1251.
    char word[] = "\xAF\xE0\xA8\xA2\xA5\xE2";
    oem_to_ansi(word);
    EXPECT_STREQ(word, "\xEF\xF0\xE8\xE2\xE5\xF2");
    ansi_to_oem(word);
    EXPECT_STREQ(word, "\xAF\xE0\xA8\xA2\xA5\xE2");
    char box[] = "\xC9\xCD\xBB\xBA\xB0";  // ╔═╗║░
    oem_to_ansi(box);
    EXPECT_STREQ(box, "+=+|#");
}

TEST(CaseMapping, PairsOfTheCodePage) {
    const std::pair<const char*, const char*> pairs[] = {
        {"A", "a"}, {"Я", "я"}, {"Ё", "ё"}, {"Ђ", "ђ"}, {"Ѓ", "ѓ"}, {"Љ", "љ"},
        {"Њ", "њ"}, {"Ќ", "ќ"}, {"Ћ", "ћ"}, {"Џ", "џ"}, {"Ў", "ў"}, {"Ј", "ј"},
        {"Ґ", "ґ"}, {"Є", "є"}, {"І", "і"}, {"Ї", "ї"}, {"Ѕ", "ѕ"}};
    for (auto [upper_utf8, lower_utf8] : pairs) {
        std::string upper, lower;
        ASSERT_TRUE(utf8_to_cp1251(upper_utf8, upper));
        ASSERT_TRUE(utf8_to_cp1251(lower_utf8, lower));
        EXPECT_EQ(char_lower(upper[0]), lower[0]) << upper_utf8;
        EXPECT_EQ(char_upper(lower[0]), upper[0]) << lower_utf8;
        EXPECT_TRUE(is_lower_letter(lower[0]));
        EXPECT_FALSE(is_lower_letter(upper[0]));
    }
    for (char c : {'1', ' ', '\xB9' /* № */, '\xAB' /* « */, '\x98'}) {
        EXPECT_EQ(char_lower(c), c);
        EXPECT_EQ(char_upper(c), c);
        EXPECT_FALSE(is_lower_letter(c));
    }
}

TEST(Cp1251Literal, ConvertsAtCompileTime) {
    constexpr auto text = cp1251("Ёж №1");
    static_assert(text.text[0] == '\xA8' && text.text[3] == '\xB9');
    EXPECT_STREQ(text.c_str(),
                 "\xA8\xE6 \xB9"
                 "1");
}

}  // namespace
}  // namespace tomeo
