#include <gtest/gtest.h>

#include <string>

#include "book/fb2_reader.h"
#include "core/operations.h"
#include "tests/book/book_samples.h"

namespace tomeo {
namespace {

using test::BookInMemory;
using test::Fb2As;
using test::ReadSample;
using test::W;

// One FB2 book as the pipeline reads it: the declaration, then the description.
struct Fb2Book {
    explicit Fb2Book(std::string bytes) : book(std::move(bytes)) {}

    std::uint32_t ReadDeclaration() { return read_xml_declaration(book.buffer, reader, tag); }
    std::uint32_t Read() {
        const std::uint32_t result = ReadDeclaration();
        if (result != 0) return result;
        clear_description(desc);
        return read_fb2_description(book.buffer, reader, tag, desc);
    }

    BookInMemory book;
    CharReader reader;
    TXMLTAG tag;
    TBOOKDESC desc;
};

std::string Declared(const std::string& encoding_attribute) {
    return "<?xml version=\"1.0\" " + encoding_attribute + "?>\n<FictionBook/>";
}

TEST(XmlDeclaration, Encodings) {
    const std::pair<const char*, CodePage> accepted[] = {
        {"encoding=\"windows-1251\"", CP_1251}, {"encoding=\"Windows-1251\"", CP_1251},
        {"encoding=\"windows-1252\"", CP_1252}, {"encoding=\"UTF-8\"", CP_UTF8},
        {"encoding=\"utf-8\"", CP_UTF8},        {"ENCODING = \"utf-8\"", CP_UTF8},
    };
    for (auto [attribute, codepage] : accepted) {
        Fb2Book fb2(Declared(attribute));
        EXPECT_EQ(fb2.ReadDeclaration(), 0u) << attribute;
        EXPECT_EQ(fb2.reader.codepage_state, codepage) << attribute;
    }
    const std::string refused[] = {
        Declared("encoding=\"koi8-r\""),
        Declared("encoding=\"UTF-16\""),
        Declared("encoding=\"utf8\""),
        Declared(""),                                   // a version but no encoding
        "<?xml version='1.0' encoding='UTF-8'?>",       // single quotes
        "<?xml version=\"1.0\"\nencoding=\"UTF-8\"?>",  // a line break is no blank
        "<?xml version=\"1.0\" encoding=\"UTF-8\"",     // no "?>"
        "<FictionBook/>",
        "",
        "<?xml encoding=\"UTF-8?>",
    };
    for (const std::string& text : refused) {
        Fb2Book fb2(text);
        EXPECT_EQ(fb2.ReadDeclaration(), RES_CODEPAGE) << text;
        EXPECT_EQ(fb2.reader.codepage_state, CP_UNSET) << text;
    }
}

TEST(XmlDeclaration, LeavesTheBytesAsRead) {
    const std::string text = Declared("encoding=\"UTF-8\"");
    Fb2Book fb2(text);
    ASSERT_EQ(fb2.ReadDeclaration(), 0u);
    EXPECT_EQ(
        std::string(reinterpret_cast<const char*>(fb2.book.buffer.bytes()), fb2.book.buffer.fill()),
        text);
}

TEST(XmlDeclaration, MustLieInTheFirst2048Bytes) {
    Fb2Book late(std::string(2040, ' ') + Declared("encoding=\"UTF-8\""));
    EXPECT_EQ(late.ReadDeclaration(), RES_CODEPAGE);
    Fb2Book early(std::string(1000, ' ') + Declared("encoding=\"UTF-8\""));
    EXPECT_EQ(early.ReadDeclaration(), 0u);
}

// The one sample in every encoding it can be written in: the same description.
void ExpectIlfPetrov(const TBOOKDESC& desc, const char* what) {
    ASSERT_EQ(desc.authors.count(), 2) << what;
    EXPECT_EQ(desc.authors[0].first_name.c_str(), W("Илья")) << what;
    EXPECT_STREQ(desc.authors[0].middle_name.c_str(), "") << what;
    EXPECT_EQ(desc.authors[0].last_name.c_str(), W("Ильф")) << what;
    EXPECT_EQ(desc.authors[1].first_name.c_str(), W("Евгений")) << what;
    EXPECT_EQ(desc.authors[1].middle_name.c_str(), W("Петрович")) << what;
    EXPECT_EQ(desc.authors[1].last_name.c_str(), W("Петров")) << what;
    EXPECT_EQ(desc.title.c_str(), W("Двенадцать стульев &amp; Золотой телёнок")) << what;
    ASSERT_EQ(desc.genres.count(), 2) << what;
    EXPECT_STREQ(desc.genres[0].name.c_str(), "prose_classic") << what;
    EXPECT_STREQ(desc.genres[0].match.c_str(), "80") << what;
    EXPECT_STREQ(desc.genres[1].name.c_str(), "humor_prose") << what;
    EXPECT_STREQ(desc.genres[1].match.c_str(), "") << what;
    EXPECT_EQ(desc.seq.c_str(), W("Остап Бендер")) << what;
    EXPECT_STREQ(desc.seqnum.c_str(), "1") << what;
    EXPECT_EQ(desc.subseq.c_str(), W("Стулья")) << what;
    EXPECT_STREQ(desc.subseqnum.c_str(), "2") << what;
    EXPECT_EQ(desc.publisher.c_str(), W("Художественная литература")) << what;
    EXPECT_EQ(desc.publcity.c_str(), W("Москва")) << what;
    EXPECT_STREQ(desc.publyear.c_str(), "1987") << what;
    EXPECT_EQ(desc.isannt, 1) << what;
}

TEST(Fb2Description, SameBookInEveryEncoding) {
    const std::string utf8 = ReadSample("fb2/ilf_petrov.fb2");
    const std::pair<const char*, std::string> books[] = {
        {"UTF-8", utf8},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + utf8},
        {"windows-1251", Fb2As(utf8, "windows-1251", "CP1251")},
        {"lower-case utf-8", Fb2As(utf8, "utf-8", "UTF-8")},
    };
    for (const auto& [what, bytes] : books) {
        Fb2Book fb2(bytes);
        ASSERT_EQ(fb2.Read(), 0u) << what;
        ExpectIlfPetrov(fb2.desc, what);
        const std::string loaded(reinterpret_cast<const char*>(fb2.book.buffer.bytes()),
                                 fb2.book.buffer.fill());
        EXPECT_EQ(loaded.substr(fb2.desc.annt_pos, 12), "<annotation>") << what;
        EXPECT_LT(loaded.find("</description>"), loaded.size()) << what;
    }
}

TEST(Fb2Description, Windows1252BytesStayAsWritten) {
    const std::string text = test::Iconv(ReadSample("fb2/jules_verne.fb2"), "UTF-8", "CP1252");
    Fb2Book book(text);
    ASSERT_EQ(book.Read(), 0u);
    EXPECT_EQ(book.reader.codepage_state, CP_1252);
    ASSERT_EQ(book.desc.authors.count(), 1);
    EXPECT_STREQ(book.desc.authors[0].first_name.c_str(), "Jules");
    EXPECT_STREQ(book.desc.authors[0].last_name.c_str(), "Verne");
    EXPECT_STREQ(book.desc.title.c_str(), "L'\xCEle myst\xE9rieuse");
    EXPECT_STREQ(book.desc.seq.c_str(), "Voyages extraordinaires");
    EXPECT_STREQ(book.desc.seqnum.c_str(), "12");
    EXPECT_STREQ(book.desc.genres[0].match.c_str(), "100");
    EXPECT_STREQ(book.desc.publcity.c_str(), "Paris");
    EXPECT_EQ(book.desc.isannt, 0);
    EXPECT_EQ(book.desc.annt_pos, -1);
}

TEST(Fb2Description, SiblingSequencesAndMissingNumber) {
    Fb2Book fb2(ReadSample("fb2/sibling_sequences.fb2"));
    ASSERT_EQ(fb2.Read(), 0u);
    EXPECT_EQ(fb2.desc.seq.c_str(), W("Приключения Алисы"));
    EXPECT_STREQ(fb2.desc.seqnum.c_str(), "3");
    EXPECT_EQ(fb2.desc.subseq.c_str(), W("Гостья из будущего"));
    EXPECT_STREQ(fb2.desc.subseqnum.c_str(), "");
    EXPECT_EQ(fb2.desc.authors[0].last_name.c_str(), W("Булычёв")) << "ё is a character of 1251";
}

// A minimal UTF-8 book around the inside of its title information.
std::string Book(const std::string& title_info, const std::string& rest = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook><description><title-info>" +
           title_info + "</title-info>" + rest + "</description><body/></FictionBook>";
}

const std::string kAuthor = "<author><last-name>Пушкин</last-name></author>";
const std::string kTitle = "<book-title>Повести Белкина</book-title>";

TEST(Fb2Description, Failures) {
    const std::pair<const char*, std::string> books[] = {
        {"no author", Book(kTitle)},
        {"only a nickname", Book("<author><nickname>Пу</nickname></author>" + kTitle)},
        {"author not closed", Book("<author><last-name>Пушкин</last-name>" + kTitle)},
        {"last name not closed", Book("<author><last-name>Пушкин</author>" + kTitle)},
        {"first name not closed",
         Book("<author><first-name>А<last-name>П</last-name></author>" + kTitle)},
        {"no title", Book(kAuthor)},
        {"three sequences",
         Book(kAuthor + kTitle +
              "<sequence name=\"a\"/><sequence name=\"b\"/><sequence name=\"c\"/>")},
        {"genre not closed", Book("<genre>sf" + kAuthor + kTitle)},
        {"annotation not closed", Book(kAuthor + kTitle + "<annotation><p>x</p>")},
        {"publish-info not closed", Book(kAuthor + kTitle, "<publish-info><year>1</year>")},
        {"year not closed", Book(kAuthor + kTitle, "<publish-info><year>1</publish-info>")},
        {"no title-info", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><description>" + kAuthor +
                              kTitle + "</description>"},
        {"title-info not closed",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><description><title-info>" + kAuthor + kTitle +
             "</description>"},
        {"no description end",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><description><title-info>" + kAuthor + kTitle +
             "</title-info>"},
        {"a title outside 1251", Book(kAuthor + "<book-title>日本</book-title>")},
        {"invalid UTF-8 in a name",
         Book("<author><last-name>\xD0\x41</last-name></author>" + kTitle)},
        {"description with an attribute",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><description xmlns=\"\"><title-info>" +
             kAuthor + kTitle + "</title-info></description>"},
    };
    for (const auto& [what, bytes] : books) {
        Fb2Book fb2(bytes);
        fb2.desc.title.assign("stale");
        EXPECT_EQ(fb2.Read(), RES_DESCRIPTION) << what;
        EXPECT_EQ(fb2.desc.authors.count(), 0) << what << ": cleared";
        EXPECT_TRUE(fb2.desc.title.is_empty()) << what;
    }
}

TEST(Fb2Description, SmallCases) {
    {
        Fb2Book fb2(Book(kAuthor + "<book-title>Без конца"));
        ASSERT_EQ(fb2.Read(), 0u) << "a title without its closing tag";
        EXPECT_TRUE(fb2.desc.title.is_empty());
        EXPECT_EQ(fb2.desc.authors[0].last_name.c_str(), W("Пушкин"));
    }
    {
        Fb2Book fb2(Book(kAuthor + kTitle +
                         "<sequence name=\"Цикл\" number=\"2\"><sequence number=\"1\" "
                         "name=\"Подцикл\"></sequence></sequence>"));
        ASSERT_EQ(fb2.Read(), 0u);
        EXPECT_EQ(fb2.desc.seq.c_str(), W("Цикл"));
        EXPECT_STREQ(fb2.desc.seqnum.c_str(), "2");
        EXPECT_EQ(fb2.desc.subseq.c_str(), W("Подцикл"));
        EXPECT_STREQ(fb2.desc.subseqnum.c_str(), "1");
    }
    {
        Fb2Book fb2(Book(kAuthor + kTitle +
                         "<sequence name=\"a\" name=\"b\" number=\"1\"/><genre match=\"1\" "
                         "match=\"2\"> sf </genre>"));
        ASSERT_EQ(fb2.Read(), 0u);
        EXPECT_STREQ(fb2.desc.seq.c_str(), "b") << "a later attribute wins";
        EXPECT_STREQ(fb2.desc.genres[0].match.c_str(), "2");
        EXPECT_STREQ(fb2.desc.genres[0].name.c_str(), "sf");
    }
    {
        // Genre names are not converted from UTF-8; names and titles are.
        Fb2Book fb2(Book("<genre>проза</genre>" + kAuthor + kTitle));
        ASSERT_EQ(fb2.Read(), 0u);
        EXPECT_EQ(std::string(fb2.desc.genres[0].name.c_str()), "проза");
        EXPECT_EQ(fb2.desc.title.c_str(), W("Повести Белкина"));
    }
    {
        // Authors of the document information do not count.
        Fb2Book fb2(Book(kTitle, "<document-info>" + kAuthor + "</document-info>"));
        EXPECT_EQ(fb2.Read(), RES_DESCRIPTION);
    }
}

// Faults the reader must survive: a genre or sequence tag that cannot be read to its
// end fails the description, whatever tag was read before.
TEST(Fb2Description, UnreadableGenreOrSequenceTagFails) {
    const std::pair<const char*, std::string> books[] = {
        {"broken sequence tag", Book(kAuthor + kTitle + "<sequence name='x'/>")},
        {"sequence name outside 1251", Book(kAuthor + kTitle + "<sequence name=\"日本\"/>")},
        {"sequence with 17 attributes",
         Book(kAuthor + kTitle +
              "<sequence a=\"1\" b=\"1\" c=\"1\" d=\"1\" e=\"1\" f=\"1\" g=\"1\" h=\"1\" i=\"1\" "
              "j=\"1\" k=\"1\" l=\"1\" m=\"1\" n=\"1\" o=\"1\" p=\"1\" q=\"1\"/>")},
        {"broken genre tag after a good one",
         Book("<genre>sf</genre><genre match=80>x</genre>" + kAuthor + kTitle)},
        {"sequence tag cut by the end of the book",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><description><title-info>" + kAuthor + kTitle +
             "<sequence name=\"x</title-info></description>"},
    };
    for (const auto& [what, bytes] : books) {
        Fb2Book fb2(bytes);
        EXPECT_EQ(fb2.Read(), RES_DESCRIPTION) << what;
    }
}

TEST(Fb2Description, DescriptionMustStartInTheFirst2048Bytes) {
    const std::string comment = "<!--" + std::string(2100, '-') + "-->";
    const std::string late = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + comment +
                             "<description><title-info>" + kAuthor + kTitle +
                             "</title-info></description>";
    Fb2Book fb2(late);
    EXPECT_EQ(fb2.Read(), RES_DESCRIPTION);
    EXPECT_EQ(fb2.book.buffer.fill(), 2048) << "nothing beyond the first 2048 bytes is loaded";
}

// The declaration and the description of a book coming from `source`.
std::uint32_t ReadFrom(BookSource& source, BookBuffer& book, TBOOKDESC& desc) {
    book.start(source);
    CharReader reader;
    TXMLTAG tag;
    const std::uint32_t result = read_xml_declaration(book, reader, tag);
    return result != 0 ? result : read_fb2_description(book, reader, tag, desc);
}

TEST(Fb2Description, LongDescriptionIsLoadedBlockByBlock) {
    // The closing tag falls on every position around the boundaries of the 1024-byte
    // blocks, so a tag split between two loads must still be found.
    for (int pad = 0; pad < 40; ++pad) {
        const std::string annotation =
            "<annotation><p>" + std::string(3000 + pad, 'a') + "</p></annotation>";
        const std::string text = Book(kAuthor + kTitle + annotation) + std::string(10000, ' ');
        test::ChoppySource source(text, 700);
        BookBuffer book;
        TBOOKDESC desc;
        ASSERT_EQ(ReadFrom(source, book, desc), 0u) << pad;
        EXPECT_EQ(desc.isannt, 1);
        const std::int32_t end = static_cast<std::int32_t>(text.find("</description>")) + 14;
        EXPECT_GE(book.fill(), end);
        EXPECT_LT(book.fill(), end + 1024) << "loaded only up to the description's end";
        EXPECT_EQ((book.fill() - 2048) % 1024, 0);
    }
}

TEST(Fb2Description, ReadErrorFails) {
    const std::string text =
        Book(kAuthor + kTitle + "<annotation>" + std::string(5000, 'a') + "</annotation>");
    test::ChoppySource source(text, 4096, 3000);
    BookBuffer book;
    TBOOKDESC desc;
    EXPECT_EQ(ReadFrom(source, book, desc), RES_DESCRIPTION);
}

}  // namespace
}  // namespace tomeo
