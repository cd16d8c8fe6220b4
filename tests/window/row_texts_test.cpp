#include <gtest/gtest.h>

#include "core/charset.h"
#include "tests/support/cp1251_text.h"
#include "window/row_texts.h"

namespace tomeo {
namespace {

using test::W;
using Texts = std::array<std::string, kListColumns>;

Texts Utf8(const Texts& texts) {
    Texts out;
    for (std::size_t i = 0; i < texts.size(); ++i) out[i] = cp1251_to_utf8(texts[i].c_str());
    return out;
}

FILETIME At(int year, int month, int day, int hour, int minute) {
    return civil_to_filetime(CivilTime{year, month, day, hour, minute, 41});
}

TEST(RowTextsTest, ColumnsByKindAndContainer) {
    struct Case {
        FileEntryFields fields;
        Texts expected;
    };
    const std::string books = W("/книги/");
    const std::string tale = W("Повесть.fb2");
    const Case cases[] = {
        {{books.c_str(), tale.c_str(), KIND_FB2, 12345, At(2008, 3, 5, 14, 7)},
         {"Повесть.fb2", "12 345", "", "05:03:2008 14:07", "/книги"}},
        {{"/", "a.txt", KIND_TXT, 999, At(1999, 12, 31, 0, 0)},
         {"a.txt", "999", "", "31:12:1999 00:00", "/"}},
        {{"/b/", "m.rtf", KIND_RTF, 1234567, At(2020, 1, 2, 3, 4), "m.zip", CONTAINER_ZIP, 1000},
         {"m.rtf", "1 234 567", "1 000", "02:01:2020 03:04", "/b"}},
        {{"/b/", "0.txt", KIND_TXT, 0, At(2020, 1, 2, 3, 4), "0.zip", CONTAINER_ZIP, 22},
         {"0.txt", "0", "22", "02:01:2020 03:04", "/b"}},
        {{"", "..", KIND_DIRECTORY}, {"..", "", "", "", ""}},
        {{"/b/", "sub", KIND_DIRECTORY, 5, At(2020, 1, 2, 3, 4)}, {"sub", "", "", "", ""}},
        {{"", "/media/usb", KIND_DRIVE, 0, 0, "/media/usb"}, {"/media/usb", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        TFILELIST list;
        list.AddFileEntry(c.fields);
        EXPECT_EQ(Utf8(RowTexts(list.at(0))), c.expected) << c.expected[0];
    }
}

}  // namespace
}  // namespace tomeo
