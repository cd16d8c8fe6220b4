// Plain text books: the author and the title are guessed from the first two non-empty
// lines, the one with more known first names and surnames being the author line.
#pragma once

#include <cstdint>

#include "book/book_buffer.h"
#include "book/book_desc.h"
#include "core/codepage.h"
#include "core/wbuf.h"
#include "core/wstr.h"

namespace tomeo {

// Only the beginning of a text book is looked at.
inline constexpr std::int32_t kTextHeadBytes = 1024;
// A line longer than this (after trimming) cannot be an author or a title line.
inline constexpr std::int32_t kMaxHeaderLine = 100;

// The built-in name lists DATA_1 (first names) and DATA_2 (surnames): Windows-1251, lower
// case, "е" for "ё", each entry ended by NUL, ascending byte order. Loaded on first use
// and kept.
class NameLists {
public:
    // Loads both lists unless loaded already; false when a list is missing.
    bool ensure_loaded();
    // Whether a lower-cased word (with "е" for "ё") is in the first-name or surname list.
    bool contains(const char* word) const;

private:
    static bool list_contains(const WBUF& list, const char* word);

    WBUF first_names_;
    WBUF surnames_;
    bool loaded_ = false;
};

// Walks the lines of the beginning of a text book. Lines end at LF (a CR before it is
// dropped); the rest after the last LF is a line only when the whole book is loaded.
struct LineCursor {
    ByteView data;
    bool at_eof = false;
    std::int32_t pos = 0;
};

// The first 1024 bytes of the book (fewer when the book is shorter), from line 0; in a
// UTF-8 book (CP_UTF8) after its byte-order mark, when it has one.
LineCursor head_lines(const BookBuffer& book, CodePage codepage_state);

inline constexpr int LINE_OK = 0;       // a line was copied out
inline constexpr int LINE_NUL = 1;      // a NUL byte stands before the next line end
inline constexpr int LINE_NO_MORE = 2;  // there is no further line

// Copies the next line into `line` (raw bytes, not trimmed) and moves past it.
int next_line(LineCursor& cursor, WSTR& line);

// How many words of the line (separated by " .,!?") are known first names or surnames.
std::int32_t count_name_hits(const NameLists& names, const char* line);

// Loads the beginning of the book, takes its first two non-empty lines (converted from
// code page 866 or UTF-8 when codepage_state says so; a UTF-8 line with a character that
// has no Windows-1251 form is no line the reader can use), and sets the authors from the line with
// more name hits (the first one on a tie) and the title from the other. The caller has
// cleared `desc`. Gives 0 or RES_DESCRIPTION.
std::uint32_t read_text_description(BookBuffer& book, const CharReader& reader, NameLists& names,
                                    TBOOKDESC& desc);

}  // namespace tomeo
