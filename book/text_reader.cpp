#include "book/text_reader.h"

#include <algorithm>
#include <cstring>

#include "core/charset.h"
#include "core/operations.h"
#include "core/resources.h"

namespace tomeo {
namespace {

constexpr char kYoLower = '\xB8';  // "ё": the lists hold "е" in its place
constexpr char kYeLower = '\xE5';  // "е"

bool is_word_separator(char c) {
    return c == ' ' || c == '.' || c == ',' || c == '!' || c == '?';
}

// The next non-empty line in Windows-1251, without its leading and trailing spaces.
// False when there is none, a NUL byte comes first, the line is too long to be an author
// or a title (counted in characters, so after a UTF-8 line is converted), or a UTF-8
// line is not well-formed or holds a character without a Windows-1251 form.
bool next_header_line(LineCursor& cursor, CodePage codepage_state, WSTR& line) {
    for (;;) {
        if (next_line(cursor, line) != LINE_OK) return false;
        line.trim();
        if (line.is_empty()) continue;
        if (codepage_state == CP_866) oem_to_ansi(line.data());
        if (codepage_state == CP_UTF8 && !utf8_to_1251(line.data())) return false;
        return line.length() <= kMaxHeaderLine;
    }
}

void drop_final_full_stop(WSTR& line) {
    const std::int32_t n = line.length();
    if (n > 0 && line.c_str()[n - 1] == '.') line.truncate(n - 1);
}

}  // namespace

bool NameLists::ensure_loaded() {
    if (!loaded_) {
        loaded_ = LoadResourceFile(first_names_, "DATA_1") && LoadResourceFile(surnames_, "DATA_2");
    }
    return loaded_;
}

bool NameLists::contains(const char* word) const {
    return list_contains(first_names_, word) || list_contains(surnames_, word);
}

// A linear walk from the start; the lists are sorted, so it ends at the first entry
// whose first byte is above the word's.
bool NameLists::list_contains(const WBUF& list, const char* word) {
    const char* entry = reinterpret_cast<const char*>(list.data());
    const char* const end = entry + list.length();
    const std::size_t word_length = std::strlen(word);
    const auto first = static_cast<unsigned char>(word[0]);
    while (entry < end) {
        if (static_cast<unsigned char>(entry[0]) > first) return false;
        const std::size_t length = strnlen(entry, static_cast<std::size_t>(end - entry));
        if (length == word_length && std::memcmp(entry, word, length) == 0) return true;
        entry += length + 1;
    }
    return false;
}

LineCursor head_lines(const BookBuffer& book, CodePage codepage_state) {
    const std::int32_t size = std::min(book.fill(), kTextHeadBytes);
    const bool bom = codepage_state == CP_UTF8 && starts_with_utf8_bom(book.bytes(), size);
    return {{book.bytes(), size},
            book.book_at_eof() && book.fill() <= kTextHeadBytes,
            bom ? kUtf8BomLength : 0};
}

int next_line(LineCursor& cursor, WSTR& line) {
    const ByteView data = cursor.data;
    const std::int32_t start = cursor.pos;
    for (std::int32_t i = start; i < data.size; ++i) {
        if (data.data[i] == '\0') return LINE_NUL;
        if (data.data[i] == '\n') {
            const std::int32_t end = i > start && data.data[i - 1] == '\r' ? i - 1 : i;
            line.assign(reinterpret_cast<const char*>(data.data) + start, end - start);
            cursor.pos = i + 1;
            return LINE_OK;
        }
    }
    // Without a line end, the rest is a line only when it is the end of the book.
    if (start >= data.size || !cursor.at_eof) return LINE_NO_MORE;
    line.assign(reinterpret_cast<const char*>(data.data) + start, data.size - start);
    cursor.pos = data.size;
    return LINE_OK;
}

std::int32_t count_name_hits(const NameLists& names, const char* line) {
    WSTR word;
    std::int32_t hits = 0;
    const char* p = line;
    while (*p != '\0') {
        while (*p != '\0' && is_word_separator(*p)) ++p;
        const char* start = p;
        while (*p != '\0' && !is_word_separator(*p)) ++p;
        if (p == start) break;
        word.assign(start, static_cast<std::int32_t>(p - start));
        for (char* c = word.data(); *c != '\0'; ++c) {
            *c = char_lower(*c);
            if (*c == kYoLower) *c = kYeLower;
        }
        if (names.contains(word.c_str())) ++hits;
    }
    return hits;
}

std::uint32_t read_text_description(BookBuffer& book, const CharReader& reader, NameLists& names,
                                    TBOOKDESC& desc) {
    if (!book.load_up_to(kTextHeadBytes)) return RES_DESCRIPTION;
    const CodePage codepage = reader.codepage_state;
    LineCursor cursor = head_lines(book, codepage);
    WSTR first, second;
    if (!next_header_line(cursor, codepage, first) || !next_header_line(cursor, codepage, second)) {
        return RES_DESCRIPTION;
    }
    if (!names.ensure_loaded()) return RES_DESCRIPTION;

    const bool second_is_author =
        count_name_hits(names, second.c_str()) > count_name_hits(names, first.c_str());
    WSTR& author = second_is_author ? second : first;
    WSTR& title = second_is_author ? first : second;
    drop_final_full_stop(author);
    add_authors_from_line(desc, author.c_str());
    drop_final_full_stop(title);
    if (!set_title_from_line(desc, title.c_str())) return RES_DESCRIPTION;
    return 0;
}

}  // namespace tomeo
