#include <gtest/gtest.h>

#include <string>

#include "convert/info_text.h"
#include "core/charset.h"
#include "core/operations.h"

namespace tomeo {
namespace {

std::string To1251(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(utf8_to_cp1251(utf8, out));
    return out;
}

std::string Utf8(const InfoText& info) {
    return cp1251_to_utf8(info.text());
}

TEST(InfoText, Fb2WithoutSeriesEndsWithTheSeriesLabel) {
    TBOOKDESC desc;
    add_author(desc, To1251("Лев").c_str(), To1251("Николаевич").c_str(),
               To1251("Толстой").c_str());
    add_author(desc, To1251("Иван").c_str(), "", To1251("Тургенев").c_str());
    add_genre(desc, "prose_classic", "");
    add_genre(desc, "prose_rus_classic", "80");
    desc.title.assign(To1251("Повести").c_str());
    BookBuffer book;
    Fb2TextConverter converter;
    InfoText info;
    EXPECT_EQ(info.build_info_fb2(desc, book, CP_1251, converter), 0u);
    EXPECT_EQ(Utf8(info),
              "Автор: Лев Николаевич Толстой, Иван Тургенев\r\nНазвание: Повести\r\n"
              "Жанр: prose_classic, prose_rus_classic\r\nСерия: ");
}

TEST(InfoText, Fb2SeriesForms) {
    struct Case {
        const char *seq, *seqnum, *subseq, *subseqnum, *shown;
    };
    const Case cases[] = {{"Цикл", "2", "Подцикл", "1", "Цикл #2, Подцикл #1"},
                          {"Цикл", "", "", "", "Цикл"},
                          {"", "", "Подцикл", "", ", Подцикл"},
                          {"", "7", "", "", ""}};
    for (const Case& c : cases) {
        TBOOKDESC desc;
        desc.seq.assign(To1251(c.seq).c_str());
        desc.seqnum.assign(c.seqnum);
        desc.subseq.assign(To1251(c.subseq).c_str());
        desc.subseqnum.assign(c.subseqnum);
        BookBuffer book;
        Fb2TextConverter converter;
        InfoText info;
        info.build_info_fb2(desc, book, CP_1251, converter);
        EXPECT_TRUE(Utf8(info).ends_with(std::string("Серия: ") + c.shown)) << Utf8(info);
    }
}

TEST(InfoText, Fb2AnnotationIsRenderedAndItsTailCut) {
    const std::string bytes = To1251("<annotation><p>Одна.</p><p>Две.</p></annotation>");
    MemoryBookSource source(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    BookBuffer book;
    book.start(source);
    ASSERT_TRUE(book.load_up_to(static_cast<std::int32_t>(bytes.size())));
    TBOOKDESC desc;
    desc.isannt = 1;
    desc.annt_pos = 0;
    Fb2TextConverter converter;
    InfoText info;
    ASSERT_EQ(info.build_info_fb2(desc, book, CP_1251, converter), 0u);
    EXPECT_TRUE(Utf8(info).ends_with("Серия: \r\n\r\n    Одна.\r\n    Две.")) << Utf8(info);

    // An empty annotation renders to nothing; nothing before it is cut.
    const std::string empty = "<annotation></annotation>";
    MemoryBookSource empty_source(empty.data(), static_cast<std::int32_t>(empty.size()));
    book.start(empty_source);
    ASSERT_TRUE(book.load_up_to(100));
    ASSERT_EQ(info.build_info_fb2(desc, book, CP_1251, converter), 0u);
    EXPECT_TRUE(Utf8(info).ends_with("Серия: \r\n\r\n")) << Utf8(info);

    // A broken annotation leaves no text at all.
    const std::string broken = "<annotation><p>x<sup>2</sup></p></annotation>";
    MemoryBookSource broken_source(broken.data(), static_cast<std::int32_t>(broken.size()));
    book.start(broken_source);
    ASSERT_TRUE(book.load_up_to(100));
    EXPECT_EQ(info.build_info_fb2(desc, book, CP_1251, converter), RES_INFO);
    EXPECT_STREQ(info.text(), "");
}

TEST(InfoText, Rtf) {
    RtfInfo rtf;
    rtf.rtf_author.assign(To1251("Михаил Булгаков").c_str());
    rtf.rtf_title.assign("\\'cc\\'e0");
    InfoText info;
    EXPECT_EQ(info.build_info_rtf(rtf), 0u);
    EXPECT_EQ(Utf8(info), "Автор: Михаил Булгаков\r\nНазвание: \\'cc\\'e0\r\n");
}

InfoText TextInfo(const std::string& bytes, CodePage codepage, std::uint32_t& result) {
    MemoryBookSource source(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    BookBuffer book;
    book.start(source);
    InfoText info;
    result = info.build_info_text(book, codepage);
    return info;
}

TEST(InfoText, PlainTextLines) {
    std::uint32_t result = 0;
    const std::string long_line(200, 'x');
    InfoText info = TextInfo(long_line + "\r\n      indented   \r\n\r\nlast", CP_1251, result);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(std::string(info.text()), std::string(87, 'x') + "\r\n" + std::string(87, 'x') +
                                            "\r\n" + std::string(26, 'x') +
                                            "\r\n    indented\r\n\r\nlast");

    // A long line is cut at its last space within 88 characters.
    const std::string words = std::string(80, 'a') + " " + std::string(20, 'b');
    info = TextInfo(words, CP_1251, result);
    EXPECT_EQ(std::string(info.text()), std::string(80, 'a') + "\r\n" + std::string(20, 'b'));

    // Code page 866 lines are shown in Windows-1251.
    info = TextInfo("\xAF\xE0\xA8\xA2\xA5\xE2\n", CP_866, result);
    EXPECT_EQ(Utf8(info), "привет");

    // UTF-8 lines too, without the byte-order mark, widths counted in characters; a
    // character without a Windows-1251 form shows as the byte that has none (0x98).
    const std::string letters(100, '\xE6');  // ж
    const std::string letters_utf8 = cp1251_to_utf8(letters);
    info = TextInfo("\xEF\xBB\xBF«Привет» — ─\n" + letters_utf8 + "\n", CP_UTF8, result);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(std::string(info.text()), "\xAB\xCF\xF0\xE8\xE2\xE5\xF2\xBB \x97 \x98\r\n" +
                                            letters.substr(0, 87) + "\r\n" + letters.substr(87));
}

TEST(InfoText, PlainTextLimitsAndNulBytes) {
    std::uint32_t result = 0;
    std::string twelve;
    for (int i = 1; i <= 12; ++i) twelve += std::to_string(i) + "\n";
    InfoText info = TextInfo(twelve + std::string("\0 after", 7), CP_1251, result);
    EXPECT_EQ(result, 0u) << "a NUL after the eleventh line does not matter";
    EXPECT_EQ(std::string(info.text()), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11");

    info = TextInfo(std::string("first\0line\n", 11), CP_1251, result);
    EXPECT_EQ(result, RES_INFO);
    EXPECT_STREQ(info.text(), "");
}

}  // namespace
}  // namespace tomeo
