#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/text_reader.h"
#include "convert/text_codepage.h"
#include "core/operations.h"
#include "core/resources.h"
#include "tests/book/book_samples.h"

namespace tomeo {
namespace {

using test::BookInMemory;
using test::Iconv;
using test::ReadSample;
using test::W;

struct TextBook {
    explicit TextBook(std::string bytes) : book(std::move(bytes)) {}

    // Detection first, as the pipeline runs it, then the description.
    std::uint32_t Read() {
        const std::uint32_t result = detect_text_codepage(book.buffer, reader);
        if (result != 0) return result;
        return read_text_description(book.buffer, reader, names, desc);
    }

    BookInMemory book;
    CharReader reader;
    NameLists names;
    TBOOKDESC desc;
};

std::vector<std::string> Entries(const char* resource) {
    WBUF list;
    EXPECT_TRUE(LoadResourceFile(list, resource));
    std::vector<std::string> entries;
    std::string entry;
    for (std::int32_t i = 0; i < list.length(); ++i) {
        if (list.data()[i] == 0) {
            entries.push_back(entry);
            entry.clear();
        } else {
            entry += static_cast<char>(list.data()[i]);
        }
    }
    EXPECT_TRUE(entry.empty()) << resource << " ends with a NUL";
    return entries;
}

TEST(NameLists, StoredForm) {
    const std::pair<const char*, std::size_t> lists[] = {{"DATA_1", 362}, {"DATA_2", 657}};
    for (auto [resource, at_least] : lists) {
        const std::vector<std::string> entries = Entries(resource);
        EXPECT_GE(entries.size(), at_least) << resource;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::string& e = entries[i];
            EXPECT_FALSE(e.empty()) << resource;
            for (char c : e) {
                EXPECT_EQ(c, char_lower(c)) << resource << ": " << e;
                EXPECT_NE(c, '\xB8') << resource << ": " << e << " keeps ё";
                EXPECT_NE(c, ' ') << resource << ": " << e;
            }
            if (i > 0) {
                EXPECT_LT(std::string_view(entries[i - 1]).compare(e), 0)
                    << resource << ": ascending byte order without duplicates at " << e;
            }
        }
    }
}

TEST(NameLists, KnowsCommonNames) {
    NameLists names;
    ASSERT_TRUE(names.ensure_loaded());
    for (const char* known : {"александр", "анна", "лев", "джон", "петр", "азимов", "булгаков",
                              "толстой", "салтыков-щедрин", "шекспир", "ящиков"}) {
        const bool expected = std::string(known) != "ящиков";
        EXPECT_EQ(names.contains(W(known).c_str()), expected) << known;
    }
    EXPECT_FALSE(names.contains(""));
}

TEST(CountNameHits, WordsAndSeparators) {
    NameLists names;
    ASSERT_TRUE(names.ensure_loaded());
    const std::pair<const char*, std::int32_t> cases[] = {
        {"Лев Толстой", 2},     {"Пётр Иванов", 2},
        {"Иванов.", 1},         {"Лев Толстой!", 2},
        {"ЛЕВ,ТОЛСТОЙ?", 2},    {"Война и мир", 0},
        {"Толстой Толстой", 2}, {"", 0},
        {" . , ! ? ", 0},       {"Александр Сергеевич Пушкин", 2},
    };
    for (auto [line, hits] : cases)
        EXPECT_EQ(count_name_hits(names, W(line).c_str()), hits) << line;
}

TEST(NextLine, SplitsAtLineFeeds) {
    const std::string text = "one\r\ntwo\n\nthree\r";
    const ByteView bytes{reinterpret_cast<const unsigned char*>(text.data()),
                         static_cast<std::int32_t>(text.size())};
    for (bool at_eof : {false, true}) {
        LineCursor cursor{bytes, at_eof, 0};
        WSTR line;
        std::vector<std::string> lines;
        int result;
        while ((result = next_line(cursor, line)) == LINE_OK) lines.push_back(line.c_str());
        EXPECT_EQ(result, LINE_NO_MORE);
        if (at_eof) {
            EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "three\r"}));
        } else {
            EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", ""}))
                << "a cut line is no line";
        }
    }
    const std::string nul("a\nb\0c\nd", 7);
    LineCursor cursor{{reinterpret_cast<const unsigned char*>(nul.data()), 7}, true, 0};
    WSTR line;
    EXPECT_EQ(next_line(cursor, line), LINE_OK);
    EXPECT_EQ(next_line(cursor, line), LINE_NUL);
}

struct Expected {
    const char* file;
    std::vector<std::array<const char*, 3>> authors;
    const char* title;
    const char* seq;
    const char* seqnum;
};

// Every sample in Windows-1251, in code page 866 and in UTF-8: each detected right, all
// giving the same description.
TEST(TextDescription, SamplesInBothCodePages) {
    const Expected samples[] = {
        {"pushkin.txt", {{"Александр", "Сергеевич", "Пушкин"}}, "Капитанская дочка", "", ""},
        {"tolstoy.txt", {{"Лев", "Николаевич", "Толстой"}}, "Анна Каренина", "", ""},
        {"gogol.txt", {{"Н.", "В.", "Гоголь"}}, "Шинель", "", ""},
        {"chekhov.txt", {{"Антон", "", "Чехов"}}, "Толстый и тонкий", "Рассказы", "3"},
        {"lermontov.txt", {{"Михаил", "", "Лермонтов"}}, "Герой нашего времени", "Бэла", ""},
        {"turgenev.txt", {{"Иван", "", "Тургенев"}}, "Муму", "", ""},
    };
    for (const Expected& e : samples) {
        const std::string utf8 = ReadSample(std::string("txt/") + e.file);
        const std::pair<const char*, CodePage> code_pages[] = {
            {"CP1251", CP_1251}, {"CP866", CP_866}, {"UTF-8", CP_UTF8}};
        for (auto [iconv_name, codepage] : code_pages) {
            TextBook text(Iconv(utf8, "UTF-8", iconv_name));
            const std::string what = std::string(e.file) + " in " + iconv_name;
            ASSERT_EQ(text.Read(), 0u) << what;
            EXPECT_EQ(text.reader.codepage_state, codepage) << what;
            ASSERT_EQ(text.desc.authors.count(), static_cast<std::int32_t>(e.authors.size()))
                << what;
            for (std::size_t i = 0; i < e.authors.size(); ++i) {
                EXPECT_EQ(text.desc.authors[i].first_name.c_str(), W(e.authors[i][0])) << what;
                EXPECT_EQ(text.desc.authors[i].middle_name.c_str(), W(e.authors[i][1])) << what;
                EXPECT_EQ(text.desc.authors[i].last_name.c_str(), W(e.authors[i][2])) << what;
            }
            EXPECT_EQ(text.desc.title.c_str(), W(e.title)) << what;
            EXPECT_EQ(text.desc.seq.c_str(), W(e.seq)) << what;
            EXPECT_STREQ(text.desc.seqnum.c_str(), e.seqnum) << what;
        }
    }
}

std::string AuthorOf(const TBOOKDESC& desc) {
    return desc.authors.count() == 0 ? "" : desc.authors[0].last_name.c_str();
}

TEST(TextDescription, HeaderCases) {
    const std::string long_line(101, 'x');
    const std::string line_100(100, 'x');
    const struct {
        const char* what;
        std::string text;
        bool ok;
        const char* last_name;
        const char* title;
    } cases[] = {
        {"title first", W("Война и мир\nЛев Толстой\n"), true, "Толстой", "Война и мир"},
        {"surname first", W("Толстой Лев\nВойна и мир\n"), true, "Лев", "Война и мир"},
        {"no names: first line is the author", W("Кто-то\nЧто-то\n"), true, "Кто-то", "Что-то"},
        {"tie: first line", W("Лев\nТолстой\n"), true, "Лев", "Толстой"},
        {"spaces and empty lines skipped", W("\n   \n  Лев Толстой  \n \n\n  Война и мир \n"), true,
         "Толстой", "Война и мир"},
        {"final full stops dropped", W("Иванов.\nКнига..\n"), true, "Иванов", "Книга."},
        {"last line without line end", W("Лев Толстой\nВойна и мир"), true, "Толстой",
         "Война и мир"},
        {"101 characters", long_line + "\n" + W("Лев Толстой\nВойна и мир\n"), false, "", ""},
        {"100 characters", line_100 + W("\nЛев Толстой\n"), true, "Толстой", ""},
        {"one line", W("Лев Толстой\n"), false, "", ""},
        {"NUL before the second line", W("Лев Толстой\n") + std::string(1, '\0') + W("Война\n"),
         false, "", ""},
        {"empty series", W("Лев Толстой\nКнига ()\n"), false, "", ""},
        {"empty file", "", false, "", ""},
        {"second line beyond 1024 bytes",
         W("Лев Толстой\n") + std::string(1100, '\n') + W("Война\n"), false, "", ""},
        {"second line cut at 1024 bytes",
         W("Лев Толстой\n") + std::string(1000, '\n') + W("Война и мир, том первый\n"), false, "",
         ""},
    };
    for (const auto& c : cases) {
        TextBook text(c.text);
        EXPECT_EQ(text.Read(), c.ok ? 0u : RES_DESCRIPTION) << c.what;
        if (!c.ok) continue;
        EXPECT_EQ(AuthorOf(text.desc), W(c.last_name)) << c.what;
        if (std::string(c.title).empty()) continue;
        EXPECT_EQ(text.desc.title.c_str(), W(c.title)) << c.what;
    }
}

// A UTF-8 text is read as the same text in Windows-1251 would be: lines are counted in
// characters, the byte-order mark is skipped, and a line that cannot be recoded fails.
TEST(TextDescription, Utf8Cases) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string cyrillic_100 = Iconv(std::string(100, '\xE6'), "CP1251", "UTF-8");  // ж
    const struct {
        const char* what;
        std::string text;
        bool ok;
        const char* last_name;
        const char* title;
    } cases[] = {
        {"byte-order mark", bom + "Лев Толстой\r\nВойна и мир\r\n", true, "Толстой", "Война и мир"},
        {"mark before an empty line", bom + "\n  Война и мир\nЛев Толстой\n", true, "Толстой",
         "Война и мир"},
        {"punctuation", "Фёдор Достоевский.\n«Бесы» — роман…\n", true, "Достоевский",
         "«Бесы» — роман…"},
        {"100 letters of two bytes each", cyrillic_100 + "\nЛев Толстой\n", true, "Толстой", ""},
        {"101 letters", cyrillic_100 + "ж\nЛев Толстой\nВойна и мир\n", false, "", ""},
        {"no Windows-1251 form", "Лев Толстой\nВойна ─ мир\n", false, "", ""},
        {"bad UTF-8 in a line", bom + "Лев Толстой\nВойна \xD0 мир\n", false, "", ""},
    };
    for (const auto& c : cases) {
        TextBook text(c.text);
        EXPECT_EQ(text.Read(), c.ok ? 0u : RES_DESCRIPTION) << c.what;
        EXPECT_EQ(text.reader.codepage_state, CP_UTF8) << c.what;
        if (!c.ok) continue;
        EXPECT_EQ(AuthorOf(text.desc), W(c.last_name)) << c.what;
        if (std::string(c.title).empty()) continue;
        EXPECT_EQ(text.desc.title.c_str(), W(c.title)) << c.what;
    }
}

TEST(TextDescription, ReadErrorsFail) {
    const std::string text = Iconv(ReadSample("txt/pushkin.txt"), "UTF-8", "CP1251");
    test::ChoppySource source(text, 100, 200);
    BookBuffer book;
    book.start(source);
    CharReader reader;
    EXPECT_EQ(detect_text_codepage(book, reader), RES_CODEPAGE);
    EXPECT_EQ(reader.codepage_state, CP_UNSET);
    NameLists names;
    TBOOKDESC desc;
    EXPECT_EQ(read_text_description(book, reader, names, desc), RES_DESCRIPTION);
}

}  // namespace
}  // namespace tomeo
