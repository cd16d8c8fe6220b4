#include "book/book_desc.h"

#include <cstring>

#include "core/charset.h"

namespace tomeo {
namespace {

// After a word and a single space this particle keeps its lower case in a name.
constexpr auto kParticleDe = cp1251(" де ");

bool starts_with_ignoring_case(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (*text == '\0' || char_lower(*text) != char_lower(*prefix)) return false;
    }
    return true;
}

// One author entry of an author line: trailing spaces removed, words capitalised; the
// last word is the last name, the first of the rest the first name, the others the
// middle name.
void add_author_entry(TBOOKDESC& desc, const char* bytes, std::int32_t n) {
    while (n > 0 && bytes[n - 1] == ' ') --n;
    HSTR entry(bytes, n);
    capitalize_words(entry.data());
    const char* text = entry.c_str();
    const char* last_space = std::strrchr(text, ' ');
    if (last_space == nullptr) {
        if (*text != '\0') add_author(desc, "", "", text);
        return;
    }
    const char* rest = text + HSTR::first_non_space(text);
    const std::int32_t rest_len = static_cast<std::int32_t>(last_space - rest);
    HSTR first, middle;
    if (rest_len > 0) {
        const void* space = std::memchr(rest, ' ', static_cast<std::size_t>(rest_len));
        if (space == nullptr) {
            first.assign(rest, rest_len);
        } else {
            const char* split = static_cast<const char*>(space);
            first.assign(rest, static_cast<std::int32_t>(split - rest));
            middle.assign_trimmed(split + 1, static_cast<std::int32_t>(last_space - split - 1));
        }
    }
    add_author(desc, first.c_str(), middle.c_str(), last_space + 1);
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_number_separator(char c) {
    return c == ' ' || c == '#' || c == '-';
}

}  // namespace

void clear_description(TBOOKDESC& desc) {
    desc.authors.clear();
    desc.genres.clear();
    for (HSTR* text : {&desc.title, &desc.seq, &desc.seqnum, &desc.subseq, &desc.subseqnum,
                       &desc.publisher, &desc.publcity, &desc.publyear}) {
        text->clear();
    }
    desc.isannt = 0;
}

void add_author(TBOOKDESC& desc, const char* first, const char* middle, const char* last) {
    TAUTHOR& author = desc.authors.add();
    author.first_name.assign(first);
    author.middle_name.assign(middle);
    author.last_name.assign(last);
}

void add_genre(TBOOKDESC& desc, const char* name, const char* match) {
    TGENRE& genre = desc.genres.add();
    genre.name.assign(name);
    genre.match.assign(match);
}

void authors_text(const TBOOKDESC& desc, WSTR& out) {
    out.clear();
    for (std::int32_t i = 0; i < desc.authors.count(); ++i) {
        const TAUTHOR& author = desc.authors[i];
        if (i > 0) out.append(", ");
        bool first_part = true;
        for (const HSTR* part : {&author.first_name, &author.middle_name, &author.last_name}) {
            if (part->is_empty()) continue;
            if (!first_part) out.append(' ');
            out.append(part->c_str());
            first_part = false;
        }
    }
}

void capitalize_words(char* text) {
    bool word_start = true;
    for (char* p = text; *p != '\0'; ++p) {
        if (*p == ' ') {
            if (!starts_with_ignoring_case(p, kParticleDe)) word_start = true;
        } else {
            *p = word_start ? char_upper(*p) : char_lower(*p);
            word_start = false;
        }
    }
}

void fix_all_caps(char* text) {
    if (*text == '\0') return;
    for (const char* p = text; *p != '\0'; ++p) {
        if (is_lower_letter(*p)) return;
    }
    text[0] = char_upper(text[0]);
    for (char* p = text + 1; *p != '\0'; ++p) *p = char_lower(*p);
}

void add_authors_from_line(TBOOKDESC& desc, const char* line) {
    const char* piece = line;
    for (;;) {
        const char* comma = std::strchr(piece, ',');
        const std::int32_t n =
            static_cast<std::int32_t>(comma ? comma - piece : std::strlen(piece));
        add_author_entry(desc, piece, n);
        if (comma == nullptr) break;
        piece = comma + 1;
    }
}

bool set_title_from_line(TBOOKDESC& desc, const char* line) {
    const std::int32_t length = static_cast<std::int32_t>(std::strlen(line));
    const char* open = length > 0 && line[length - 1] == ')' ? std::strrchr(line, '(') : nullptr;
    HSTR title;
    if (open == nullptr) {
        title.assign(line);
    } else {
        title.assign_trimmed(line, static_cast<std::int32_t>(open - line));
        if (title.is_empty()) return false;
        HSTR series;
        series.assign_trimmed(open + 1, static_cast<std::int32_t>(line + length - 1 - (open + 1)));
        if (series.is_empty()) return false;
        fix_all_caps(series.data());

        // A number at the end counts only after a separator: "Серия #3", "Серия - 3".
        const char* text = series.c_str();
        std::int32_t digits_start = series.length();
        while (digits_start > 0 && is_digit(text[digits_start - 1])) --digits_start;
        std::int32_t name_end = digits_start;
        while (name_end > 0 && is_number_separator(text[name_end - 1])) --name_end;
        if (digits_start < series.length() && name_end < digits_start) {
            if (name_end == 0) return false;
            desc.seqnum.assign(text + digits_start);
            series.data()[name_end] = '\0';
        }
        desc.seq.assign(series.c_str());
    }
    fix_all_caps(title.data());
    desc.title.assign(title.c_str());
    return true;
}

}  // namespace tomeo
