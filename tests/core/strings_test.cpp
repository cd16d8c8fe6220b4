#include <gtest/gtest.h>

#include "core/charset.h"
#include "core/hstr.h"
#include "core/wstr.h"

namespace tomeo {
namespace {

TEST(Wstr, DefaultCapacityGrowsExactlyWhenFull) {
    WSTR s;
    EXPECT_EQ(s.capacity(), 128);
    for (int i = 0; i < 127; ++i) s.append('x');
    EXPECT_EQ(s.capacity(), 128);
    s.append('y');
    EXPECT_EQ(s.capacity(), 129);
    EXPECT_EQ(s.length(), 128);
    s.clear();
    EXPECT_EQ(s.capacity(), 129) << "the capacity never shrinks";
}

TEST(Wstr, AssignAndAppendGrowToTheExactSize) {
    WSTR s(4);
    s.assign("abcdef");
    EXPECT_EQ(s.capacity(), 7);
    s.append("gh");
    EXPECT_EQ(s.capacity(), 9);
    EXPECT_STREQ(s.c_str(), "abcdefgh");
    s.assign(s.c_str() + 2, 3);  // overlapping source
    EXPECT_STREQ(s.c_str(), "cde");
    s.append(s.c_str(), 3);  // appending the text to itself
    EXPECT_STREQ(s.c_str(), "cdecde");
}

TEST(Wstr, Find) {
    WSTR s;
    s.assign("abcabc");
    EXPECT_EQ(s.find(""), -1);
    EXPECT_EQ(s.find("c"), 2);
    EXPECT_EQ(s.find("ca"), 2);
    EXPECT_EQ(s.find("x"), -1);
}

TEST(Wstr, ReplaceAllNeverRescans) {
    WSTR s;
    s.assign("aaaa");
    s.replace_all("aa", "a");
    EXPECT_STREQ(s.c_str(), "aa");
    s.assign("no separators");
    s.replace_all("\\", "_");
    EXPECT_STREQ(s.c_str(), "no separators");
    s.assign("a:b:c");
    s.replace_all(":", "::");
    EXPECT_STREQ(s.c_str(), "a::b::c");
    s.replace_all("", "x");
    EXPECT_STREQ(s.c_str(), "a::b::c");
}

TEST(Wstr, ReplaceAllWithPatternsShortAndLongAndALimit) {
    const std::string long_pattern(20, 'p');  // past the short-pattern search
    struct Case {
        std::string text, pattern, replacement, result;
    };
    const Case cases[] = {
        {"abcabcab", "abc", "X", "XXab"},
        {"aaab" + long_pattern + "b" + long_pattern, long_pattern, "-", "aaab-b-"},
        {std::string(30, 'p'), long_pattern, "", std::string(10, 'p')},
        {"abab", "abc", "X", "abab"},
        {"tail a", "a", "", "til "},
    };
    for (const Case& c : cases) {
        WSTR s;
        s.assign(c.text.c_str());
        EXPECT_TRUE(s.replace_all(c.pattern.c_str(), c.replacement.c_str()));
        EXPECT_EQ(s.c_str(), c.result) << c.text;
    }
    // A result past the limit leaves the text as it was.
    WSTR s;
    s.assign("a:b:c");
    EXPECT_FALSE(s.replace_all(":", "::", 6));
    EXPECT_STREQ(s.c_str(), "a:b:c");
    EXPECT_TRUE(s.replace_all(":", "::", 7));
    EXPECT_STREQ(s.c_str(), "a::b::c");
}

// Building a long text a byte at a time reallocates only a few dozen times.
TEST(Wstr, AppendGrowingDoublesTheCapacity) {
    WSTR s;
    std::int32_t grown = 0;
    std::int32_t capacity = s.capacity();
    for (std::int32_t n = 0; n < 100000; ++n) {
        s.append_growing(n, "x", 1);
        if (s.capacity() != capacity) ++grown;
        capacity = s.capacity();
    }
    EXPECT_EQ(s.c_str(), std::string(100000, 'x'));
    EXPECT_LE(grown, 12);
}

TEST(Wstr, SubstringAndTruncate) {
    WSTR s;
    s.assign("abcdef");
    s.substring_in_place(2, 2);
    EXPECT_STREQ(s.c_str(), "cd");
    s.assign("abc");
    s.substring_in_place(3, 1);
    EXPECT_STREQ(s.c_str(), "") << "pos at the length gives an empty text";
    s.assign("abcdef");
    s.substring_in_place(4, 100);
    EXPECT_STREQ(s.c_str(), "ef");
    s.assign("abc");
    s.substring_in_place(-1, 2);
    EXPECT_STREQ(s.c_str(), "");
    s.assign("abcdef");
    s.truncate(10);
    EXPECT_STREQ(s.c_str(), "abcdef");
    s.truncate(3);
    EXPECT_STREQ(s.c_str(), "abc");
    s.truncate(-5);
    EXPECT_STREQ(s.c_str(), "");
}

TEST(Wstr, TrimRemovesSpacesButKeepsTabs) {
    WSTR s;
    s.assign("  \tword\t  ");
    s.trim();
    EXPECT_STREQ(s.c_str(), "\tword\t");
    s.assign("    ");
    s.trim();
    EXPECT_STREQ(s.c_str(), "");
}

TEST(Wstr, CaseMappingCoversCyrillic) {
    WSTR s;
    s.assign(cp1251("Война и Мир ЁЖ Ґ"));
    s.to_lower();
    EXPECT_STREQ(s.c_str(), cp1251("война и мир ёж ґ").c_str());
    s.to_upper();
    EXPECT_STREQ(s.c_str(), cp1251("ВОЙНА И МИР ЁЖ Ґ").c_str());
}

TEST(Wstr, TrailingSeparator) {
    WSTR s;
    s.assign("/books");
    s.ensure_trailing_backslash();
    EXPECT_STREQ(s.c_str(), "/books/");
    s.ensure_trailing_backslash();
    EXPECT_STREQ(s.c_str(), "/books/");
    s.drop_trailing_backslash();
    EXPECT_STREQ(s.c_str(), "/books");
    s.clear();
    s.drop_trailing_backslash();
    EXPECT_STREQ(s.c_str(), "");
}

TEST(Wstr, Numbers) {
    WSTR s;
    s.set_number(-2147483647 - 1);
    EXPECT_STREQ(s.c_str(), "-2147483648");
    s.append_number(7);
    EXPECT_STREQ(s.c_str(), "-21474836487");
}

TEST(Hstr, CapacityRules) {
    HSTR empty;
    EXPECT_EQ(empty.capacity(), 252);
    EXPECT_EQ(empty.max_length(), 251);
    HSTR copy("abc");
    EXPECT_EQ(copy.capacity(), 4);
    HSTR bytes("abcdef", 2);
    EXPECT_STREQ(bytes.c_str(), "ab");
    EXPECT_EQ(bytes.capacity(), 3);
    bytes.reserve(2);
    EXPECT_EQ(bytes.capacity(), 3) << "reserve never shrinks";
    bytes.reserve_length(10);
    EXPECT_EQ(bytes.capacity(), 11);
    EXPECT_STREQ(bytes.c_str(), "ab");
}

TEST(Hstr, PrefixSearchAndTrimmedAppend) {
    HSTR s("abcdef");
    s.delete_prefix(2);
    EXPECT_STREQ(s.c_str(), "cdef");
    s.delete_prefix(10);
    EXPECT_STREQ(s.c_str(), "");
    s.assign("a,b");
    EXPECT_EQ(s.find_char(','), 1);
    EXPECT_EQ(s.find_char('\0'), 3);
    EXPECT_EQ(s.find_char('x'), -1);
    s.assign("x");
    s.append_trimmed("  y z  ", 7);
    EXPECT_STREQ(s.c_str(), "xy z");
    s.append_trimmed("    ", 4);
    EXPECT_STREQ(s.c_str(), "xy z");
    s.assign_trimmed(" q ", 3);
    EXPECT_STREQ(s.c_str(), "q");
    EXPECT_EQ(HSTR::first_non_space("   a"), 3);
}

TEST(Hstr, GroupedNumbers) {
    const std::pair<int, const char*> cases[] = {{1234567, "1 234 567"},
                                                 {123456, "123 456"},
                                                 {-1234, "-1 234"},
                                                 {-123, "-123"},
                                                 {0, "0"},
                                                 {100, "100"},
                                                 {1000, "1 000"},
                                                 {-100000, "-100 000"},
                                                 {-2147483647 - 1, "-2 147 483 648"}};
    HSTR s;
    for (auto [value, text] : cases) {
        s.set_grouped_number(value);
        EXPECT_STREQ(s.c_str(), text) << value;
    }
}

TEST(Hstr, DateTimeIsShownAsGiven) {
    HSTR s;
    s.set_date_time(civil_to_filetime({2008, 3, 15, 14, 30, 58}));
    EXPECT_STREQ(s.c_str(), "15:03:2008 14:30");
    s.set_date_time(0);
    EXPECT_STREQ(s.c_str(), "01:01:1601 00:00");
}

TEST(Hstr, ParseInt) {
    struct Case {
        const char* text;
        bool valid;
        int value;
    };
    const Case cases[] = {{"", false, 0},     {"12a", false, 0}, {"-0", true, 0},
                          {"1-2", false, 0},  {"-", true, 0},    {"42", true, 42},
                          {"-17", true, -17}, {" 1", false, 0},  {"4294967297", true, 1}};
    for (const Case& c : cases) {
        const HSTR::ParsedInt parsed = HSTR::parse_int(c.text);
        EXPECT_EQ(parsed.valid, c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(parsed.value, c.value) << c.text;
        }
    }
}

TEST(FileTime, CivilRoundTrip) {
    for (const CivilTime c :
         {CivilTime{1980, 1, 1, 0, 0, 0}, CivilTime{2000, 2, 29, 23, 59, 59},
          CivilTime{2107, 12, 31, 23, 59, 58}, CivilTime{1601, 1, 1, 0, 0, 0}}) {
        const CivilTime back = filetime_to_civil(civil_to_filetime(c));
        EXPECT_EQ(back.year, c.year);
        EXPECT_EQ(back.month, c.month);
        EXPECT_EQ(back.day, c.day);
        EXPECT_EQ(back.hour, c.hour);
        EXPECT_EQ(back.minute, c.minute);
        EXPECT_EQ(back.second, c.second);
    }
    // 1970-01-01 is 11644473600 seconds after 1601-01-01.
    EXPECT_EQ(civil_to_filetime({1970, 1, 1, 0, 0, 0}), 116444736000000000ull);
}

}  // namespace
}  // namespace tomeo

namespace tomeo {
namespace {

TEST(DosTime, TwoSecondResolutionWithoutTimeZoneShift) {
    const FILETIME t = civil_to_filetime({2008, 3, 15, 14, 30, 59});
    const DosDateTime dos = filetime_to_dos(t);
    EXPECT_EQ(dos.date, (2008 - 1980) * 512 + 3 * 32 + 15);
    EXPECT_EQ(dos.time, 14 * 2048 + 30 * 32 + 29) << "59 seconds round down to 58";
    EXPECT_EQ(dos_to_filetime(dos), civil_to_filetime({2008, 3, 15, 14, 30, 58}));
    EXPECT_EQ(truncate_to_dos_resolution(t + 1234567),
              civil_to_filetime({2008, 3, 15, 14, 30, 58}));
}

TEST(DosTime, OutOfRangeValuesAreClamped) {
    EXPECT_EQ(filetime_to_dos(civil_to_filetime({1970, 6, 1, 0, 0, 0})).date, 1 * 32 + 1);
    const CivilTime read = filetime_to_civil(dos_to_filetime({0, 0xFFFF}));
    EXPECT_EQ(read.month, 1);
    EXPECT_EQ(read.day, 1);
    EXPECT_EQ(read.hour, 23);
    EXPECT_EQ(read.minute, 59);
    EXPECT_EQ(read.second, 58);
}

}  // namespace
}  // namespace tomeo
