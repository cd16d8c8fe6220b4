#include <gtest/gtest.h>

#include <string>

#include "book/rtf_reader.h"
#include "core/operations.h"
#include "tests/book/book_samples.h"

namespace tomeo {
namespace {

using test::BookInMemory;
using test::ReadSample;
using test::W;

struct RtfBook {
    explicit RtfBook(std::string bytes) : book(std::move(bytes)) {}
    std::uint32_t Read() { return read_rtf_description(book.buffer, info, desc); }

    BookInMemory book;
    RtfInfo info;
    TBOOKDESC desc;
};

TEST(RtfDescription, InformationGroup) {
    RtfBook rtf(W(ReadSample("rtf/bulgakov.rtf")));
    ASSERT_EQ(rtf.Read(), 0u);
    EXPECT_EQ(rtf.info.rtf_title.c_str(), W("Мастер и Маргарита"));
    EXPECT_EQ(rtf.info.rtf_author.c_str(), W("Михаил Булгаков"));
    ASSERT_EQ(rtf.desc.authors.count(), 1);
    EXPECT_EQ(rtf.desc.authors[0].first_name.c_str(), W("Михаил"));
    EXPECT_EQ(rtf.desc.authors[0].last_name.c_str(), W("Булгаков"));
    EXPECT_EQ(rtf.desc.title.c_str(), W("Мастер и Маргарита"));
}

TEST(RtfDescription, SeriesAndSeveralAuthorsKeepTheRawFields) {
    RtfBook rtf(W(ReadSample("rtf/series_in_title.rtf")));
    ASSERT_EQ(rtf.Read(), 0u);
    EXPECT_EQ(rtf.desc.title.c_str(), W("Хроники Амбера"));
    EXPECT_EQ(rtf.desc.seq.c_str(), W("Хроники"));
    EXPECT_STREQ(rtf.desc.seqnum.c_str(), "3");
    ASSERT_EQ(rtf.desc.authors.count(), 2);
    EXPECT_EQ(rtf.desc.authors[0].first_name.c_str(), W("Роджер"));
    EXPECT_EQ(rtf.desc.authors[0].middle_name.c_str(), W("де"));
    EXPECT_EQ(rtf.desc.authors[0].last_name.c_str(), W("Желязны"));
    EXPECT_EQ(rtf.info.rtf_author.c_str(), W("роджер ДЕ желязны, Неизвестный Переводчик"))
        << "the field as written, for the information text";
}

TEST(RtfDescription, EscapesStayAsText) {
    RtfBook rtf(ReadSample("rtf/hex_title.rtf"));
    ASSERT_EQ(rtf.Read(), 0u);
    EXPECT_STREQ(rtf.desc.title.c_str(), "\\'cc\\'e0\\'f1\\'f2\\'e5\\'f0");
}

TEST(RtfDescription, Failures) {
    const std::string head = "{\\rtf1\\ansi";
    const std::pair<const char*, std::string> books[] = {
        {"no information group", W(ReadSample("rtf/no_info.rtf"))},
        {"no author", head + "{\\info{\\title Book}}}"},
        {"no title", head + "{\\info{\\author A B}}}"},
        {"empty author", head + "{\\info{\\title Book}{\\author    }}}"},
        {"group inside the title", head + "{\\info{\\title {\\b Book}}{\\author A B}}}"},
        {"\\info followed by CR", head + "{\\info\r{\\title Book}{\\author A B}}}"},
        {"\\info followed by a backslash", head + "{\\info\\uc1{\\title Book}{\\author A B}}}"},
        {"info at depth 1", "{\\info{\\title Book}{\\author A B}}"},
        {"empty series", head + "{\\info{\\title Book ()}{\\author A B}}}"},
        {"keyword in capitals", head + "{\\INFO{\\title Book}{\\author A B}}}"},
        {"empty file", ""},
        {"title never closed", head + "{\\info{\\author A B}{\\title Book"},
    };
    for (const auto& [what, bytes] : books) {
        RtfBook rtf(bytes);
        EXPECT_EQ(rtf.Read(), RES_DESCRIPTION) << what;
    }
}

TEST(RtfDescription, SmallCases) {
    const std::string head = "{\\rtf1\\ansi";
    {
        RtfBook rtf(head +
                    "{\\info\n{\\operator X}{\\title  Book \r\n}{\\author A B}{\\author C D}}}");
        ASSERT_EQ(rtf.Read(), 0u);
        EXPECT_STREQ(rtf.info.rtf_title.c_str(), "Book \r\n") << "a line break stays";
        EXPECT_STREQ(rtf.info.rtf_author.c_str(), "C D") << "the later field replaces";
    }
    {
        // Fields after the group closes are not looked at.
        RtfBook rtf(head + "{\\info {\\title T}{\\author A}}{\\author Z}}");
        ASSERT_EQ(rtf.Read(), 0u);
        EXPECT_STREQ(rtf.info.rtf_author.c_str(), "A");
    }
}

std::string InfoAfter(std::int32_t offset) {
    std::string text = "{\\rtf1\\ansi{\\fonttbl}";
    text += std::string(offset - text.size(), 'x');
    return text + "{\\info {\\title T}{\\author A}}}" + std::string(20000, 'z');
}

TEST(RtfDescription, InformationGroupMustStartWithinTheFirst16KiB) {
    for (std::int32_t offset : {100, 4000, 4090, 6000, 16000, 16300}) {
        RtfBook rtf(InfoAfter(offset));
        EXPECT_EQ(rtf.Read(), 0u) << offset;
    }
    RtfBook late(InfoAfter(16384 + 200));
    EXPECT_EQ(late.Read(), RES_DESCRIPTION);
    EXPECT_LT(late.book.buffer.fill(), 16384 + 2048) << "no further than about 16 KiB";
}

TEST(RtfDescription, LongInformationGroupIsFollowedToItsEnd) {
    std::string text =
        "{\\rtf1{\\info {\\comment " + std::string(30000, 'c') + "}{\\title T}{\\author A}}}";
    text += std::string(10000, 'z');
    RtfBook rtf(text);
    ASSERT_EQ(rtf.Read(), 0u);
    EXPECT_STREQ(rtf.info.rtf_title.c_str(), "T");
}

TEST(RtfDescription, ReadErrorFails) {
    const std::string text = InfoAfter(10000);
    test::ChoppySource source(text, 4096, 6000);
    BookBuffer book;
    book.start(source);
    RtfInfo info;
    TBOOKDESC desc;
    EXPECT_EQ(read_rtf_description(book, info, desc), RES_DESCRIPTION);
}

}  // namespace
}  // namespace tomeo
