#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/charset.h"
#include "core/collation.h"
#include "tests/support/cp1251_text.h"

namespace tomeo {
namespace {

using test::W;

int Sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(Collation, OrdersAsARussianReaderExpects) {
    struct Case {
        const char* a;
        const char* b;
        int expected;  // sign of collate(a, b)
    };
    const Case cases[] = {
        {"abc", "ABC", 1},  // equal but for case: ordered by bytes, never 0
        {"abc", "abd", -1},     {"ABD", "abc", 1},       {"a", "ab", -1},
        {"", "a", -1},          {"9", "a", -1},          {"z", "а", -1},  // Latin first
        {"-x", "0", -1},  // punctuation before digits
        {"Ёж", "ель", 1},       {"ёж", "жук", -1},       {"еж", "ёж", -1},
        {"Яблоко", "арбуз", 1}, {"Борис", "анна", 1},    {"ъ", "ы", -1},
        {"ґанок", "гусь", 1},   {"ґ", "д", -1},          {"і", "й", -1},
        {"Чехов", "чехов", -1}, {"ЧЕХОВ", "Чехова", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sign(collate_ignoring_case(W(c.a).c_str(), W(c.b).c_str())), c.expected)
            << c.a << " vs " << c.b;
        EXPECT_EQ(Sign(collate_ignoring_case(W(c.b).c_str(), W(c.a).c_str())), -c.expected)
            << c.b << " vs " << c.a;
    }
    EXPECT_EQ(collate_ignoring_case("same", "same"), 0);
}

TEST(Collation, SortsTheAlphabet) {
    const char* alphabet[] = {"а", "б", "в", "г", "д", "е", "ё", "ж", "з", "и", "й",
                              "к", "л", "м", "н", "о", "п", "р", "с", "т", "у", "ф",
                              "х", "ц", "ч", "ш", "щ", "ъ", "ы", "ь", "э", "ю", "я"};
    std::vector<std::string> letters;
    for (const char* l : alphabet) letters.push_back(W(l));
    std::vector<std::string> shuffled(letters.rbegin(), letters.rend());
    for (std::size_t i = 0; i < shuffled.size(); i += 2) {
        for (char& c : shuffled[i]) c = char_upper(c);
    }
    std::sort(shuffled.begin(), shuffled.end(), [](const std::string& a, const std::string& b) {
        return collate_ignoring_case(a.c_str(), b.c_str()) < 0;
    });
    for (std::size_t i = 0; i < letters.size(); ++i) {
        EXPECT_EQ(char_lower(shuffled[i][0]), letters[i][0]) << alphabet[i];
    }
}

TEST(Collation, EqualIgnoringCase) {
    EXPECT_TRUE(equal_ignoring_case(W("Книга.FB2").c_str(), W("кНИГА.fb2").c_str()));
    EXPECT_TRUE(equal_ignoring_case(W("Ёлка").c_str(), W("ёЛКА").c_str()));
    EXPECT_FALSE(equal_ignoring_case(W("ёлка").c_str(), W("елка").c_str()));
    EXPECT_FALSE(equal_ignoring_case("abc", "abcd"));
    EXPECT_FALSE(equal_ignoring_case("abcd", "abc"));
    EXPECT_TRUE(equal_ignoring_case("", ""));
}

}  // namespace
}  // namespace tomeo
