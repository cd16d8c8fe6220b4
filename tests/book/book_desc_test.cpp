#include <gtest/gtest.h>

#include <string>

#include "book/book_desc.h"
#include "tests/book/book_samples.h"

namespace tomeo {
namespace {

using test::W;

std::string AuthorsText(const TBOOKDESC& desc) {
    WSTR out;
    authors_text(desc, out);
    return out.c_str();
}

std::string Capitalized(const std::string& utf8) {
    std::string text = W(utf8);
    capitalize_words(text.data());
    return text;
}

std::string FixedCaps(const std::string& utf8) {
    std::string text = W(utf8);
    fix_all_caps(text.data());
    return text;
}

TEST(BookDescription, ClearEmptiesEverythingButTheAnnotationOffset) {
    TBOOKDESC desc;
    add_author(desc, "a", "b", "c");
    add_genre(desc, "sf", "80");
    for (HSTR* text : {&desc.title, &desc.seq, &desc.seqnum, &desc.subseq, &desc.subseqnum,
                       &desc.publisher, &desc.publcity, &desc.publyear}) {
        text->assign("x");
    }
    desc.isannt = 1;
    desc.annt_pos = 77;
    clear_description(desc);
    EXPECT_EQ(desc.authors.count(), 0);
    EXPECT_EQ(desc.genres.count(), 0);
    for (const HSTR* text : {&desc.title, &desc.seq, &desc.seqnum, &desc.subseq, &desc.subseqnum,
                             &desc.publisher, &desc.publcity, &desc.publyear}) {
        EXPECT_TRUE(text->is_empty());
    }
    EXPECT_EQ(desc.isannt, 0);
    EXPECT_EQ(desc.annt_pos, 77);
}

TEST(BookDescription, AuthorsTextLeavesOutEmptyParts) {
    TBOOKDESC desc;
    EXPECT_EQ(AuthorsText(desc), "");
    add_author(desc, W("Лев").c_str(), W("Николаевич").c_str(), W("Толстой").c_str());
    add_author(desc, W("Иван").c_str(), "", W("Тургенев").c_str());
    add_author(desc, "", "", W("Гоголь").c_str());
    EXPECT_EQ(AuthorsText(desc), W("Лев Николаевич Толстой, Иван Тургенев, Гоголь"));
}

TEST(BookDescription, CapitalizeWords) {
    const std::pair<const char*, const char*> cases[] = {
        {"оноре ДЕ бальзак", "Оноре де Бальзак"},
        {"ЛЕВ НИКОЛАЕВИЧ толстой", "Лев Николаевич Толстой"},
        {"  пушкин", "  Пушкин"},
        {"де голль", "Де Голль"},  // at the start "де" is a word of its own
        {"жан-поль сартр", "Жан-поль Сартр"},
        {"ёжиков", "Ёжиков"},
    };
    for (auto [in, expected] : cases) EXPECT_EQ(Capitalized(in), W(expected)) << in;
}

TEST(BookDescription, FixAllCaps) {
    EXPECT_EQ(FixedCaps("ВОЙНА И МИР"), W("Война и мир"));
    EXPECT_EQ(FixedCaps("МАСТЕР И МАРГАРИТА"), W("Мастер и маргарита"));
    EXPECT_EQ(FixedCaps("Мастер И МАРГАРИТА"), W("Мастер И МАРГАРИТА"));
    EXPECT_EQ(FixedCaps("1984"), "1984");
    EXPECT_EQ(FixedCaps(""), "");
}

struct AuthorCase {
    const char* line;
    std::vector<std::array<const char*, 3>> authors;  // first, middle, last
};

TEST(BookDescription, AddAuthorsFromLine) {
    const AuthorCase cases[] = {
        {"Александр Сергеевич Пушкин", {{"Александр", "Сергеевич", "Пушкин"}}},
        {"Пушкин", {{"", "", "Пушкин"}}},
        {"  пушкин  ", {{"", "", "Пушкин"}}},
        {"Ильф, Петров", {{"", "", "Ильф"}, {"", "", "Петров"}}},
        {"Ильф, Петров,", {{"", "", "Ильф"}, {"", "", "Петров"}}},
        {"Толстой Лев", {{"Толстой", "", "Лев"}}},
        {"лев  николаевич   толстой", {{"Лев", "Николаевич", "Толстой"}}},
        {"Антон Чехов, Лев Толстой", {{"Антон", "", "Чехов"}, {"Лев", "", "Толстой"}}},
        {"Н. В. Гоголь", {{"Н.", "В.", "Гоголь"}}},
        {"", {}},
        {" , ,", {}},
    };
    for (const AuthorCase& c : cases) {
        TBOOKDESC desc;
        add_authors_from_line(desc, W(c.line).c_str());
        ASSERT_EQ(desc.authors.count(), static_cast<std::int32_t>(c.authors.size())) << c.line;
        for (std::size_t i = 0; i < c.authors.size(); ++i) {
            EXPECT_EQ(desc.authors[i].first_name.c_str(), W(c.authors[i][0])) << c.line;
            EXPECT_EQ(desc.authors[i].middle_name.c_str(), W(c.authors[i][1])) << c.line;
            EXPECT_EQ(desc.authors[i].last_name.c_str(), W(c.authors[i][2])) << c.line;
        }
    }
}

struct TitleCase {
    const char* line;
    bool ok;
    const char* title;
    const char* seq;
    const char* seqnum;
};

TEST(BookDescription, SetTitleFromLine) {
    const TitleCase cases[] = {
        {"Хроники Амбера (Хроники #3)", true, "Хроники Амбера", "Хроники", "3"},
        {"Дюна (ДЮНА - 2)", true, "Дюна", "Дюна", "2"},
        {"Мир (Полдень)", true, "Мир", "Полдень", "old"},
        {"Мастер и Маргарита", true, "Мастер и Маргарита", "old", "old"},
        {"Глава 1)", true, "Глава 1)", "old", "old"},
        {"Книга ()", false, "old", "old", "old"},
        {"(Серия 2)", false, "old", "old", "old"},
        {"Книга (Серия 12)", true, "Книга", "Серия", "12"},
        {"Книга (Серия12)", true, "Книга", "Серия12", "old"},
        {"Книга (Серия Амбера)", true, "Книга", "Серия Амбера", "old"},
        {"Книга (12)", true, "Книга", "12", "old"},
        {"Книга (# 12)", false, "old", "old", "old"},
        {"Книга (Серия--#7)", true, "Книга", "Серия", "7"},
        {"МАСТЕР И МАРГАРИТА", true, "Мастер и маргарита", "old", "old"},
        {"А (б) (В 4)", true, "А (б)", "В", "4"},
    };
    for (const TitleCase& c : cases) {
        TBOOKDESC desc;
        for (HSTR* text : {&desc.title, &desc.seq, &desc.seqnum}) text->assign("old");
        EXPECT_EQ(set_title_from_line(desc, W(c.line).c_str()), c.ok) << c.line;
        EXPECT_EQ(desc.title.c_str(), W(c.title)) << c.line;
        EXPECT_EQ(desc.seq.c_str(), W(c.seq)) << c.line;
        EXPECT_EQ(desc.seqnum.c_str(), W(c.seqnum)) << c.line;
    }
}

}  // namespace
}  // namespace tomeo
