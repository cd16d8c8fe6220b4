// The description of the current book (authors, title, series, genres, publishing data,
// annotation), filled by one of the three readers and read by the scripts, the
// information text and the FB2 to text converter.
#pragma once

#include <cstdint>

#include "core/hstr.h"
#include "core/wlist.h"
#include "core/wstr.h"

namespace tomeo {

struct TAUTHOR {
    HSTR first_name;
    HSTR middle_name;  // patronymic
    HSTR last_name;
};

struct TGENRE {
    HSTR name;   // the genre code as written in the book
    HSTR match;  // the book's match with the genre in percent, as text; empty when not given
};

using TAUTHORLIST = OwningList<TAUTHOR>;
using TGENRELIST = OwningList<TGENRE>;

// One per process; the pipeline clears it before a reader runs for a new file. Series
// numbers and the year stay text as written.
struct TBOOKDESC {
    TAUTHORLIST authors;  // in the order the reader met them
    HSTR title;
    HSTR seq;  // series and the number in it
    HSTR seqnum;
    HSTR subseq;  // sub-series and the number in it
    HSTR subseqnum;
    TGENRELIST genres;
    HSTR publisher;
    HSTR publcity;
    HSTR publyear;
    std::int32_t isannt = 0;     // the book has an annotation
    std::int32_t annt_pos = -1;  // FB2: offset of its <annotation> in the book buffer
};

// Empties the lists and every text, clears isannt; annt_pos is left alone.
void clear_description(TBOOKDESC& desc);
void add_author(TBOOKDESC& desc, const char* first, const char* middle, const char* last);
void add_genre(TBOOKDESC& desc, const char* name, const char* match);

// The authors on one line for display: "first middle last" of each, empty parts left
// out, joined by ", ".
void authors_text(const TBOOKDESC& desc, WSTR& out);

// Splits a free-text author line ("Илья Ильф, Евгений Петров") at its commas and
// appends an author for each piece that has a last name (the last word).
void add_authors_from_line(TBOOKDESC& desc, const char* line);

// Sets the title from a free-text title line, and the series with its number from a
// final "(Series #3)". False when the title or the series part comes out empty.
bool set_title_from_line(TBOOKDESC& desc, const char* line);

// Upper-cases the first letter of every word, lower-cases the others; the particle
// "де" after a word stays lower case ("оноре ДЕ бальзак" -> "Оноре де Бальзак").
void capitalize_words(char* text);
// A text without any lower-case letter gets sentence case ("ВОЙНА И МИР" -> "Война и мир").
void fix_all_caps(char* text);

}  // namespace tomeo
