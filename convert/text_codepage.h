// Plain text books in UTF-8, code page 866 or Windows-1251: UTF-8 is told by its byte-order
// mark or by its form, the other two apart from the letter pairs of the beginning of the
// book; and the `d` step that recodes 866 text.
#pragma once

#include <array>
#include <cstdint>

#include "core/codepage.h"
#include "core/conv_job.h"

namespace tomeo {

class BookBuffer;

// Likely pairs of Russian letters А..Я (without Ё, numbered 0..31): row a, bit
// (0x80 >> (b % 8)) of byte b / 8 is set when a followed by b is a likely pair.
inline constexpr std::array<std::array<std::uint8_t, 4>, 32> PAIR_MATRIX{{
    {0xff, 0xff, 0xff, 0xc7},  // А
    {0xfe, 0xbe, 0xf7, 0xfb},  // Б
    {0xfd, 0xbf, 0xf7, 0xf9},  // В
    {0xfc, 0xbe, 0xf1, 0x80},  // Г
    {0xff, 0xff, 0xf7, 0xbb},  // Д
    {0xff, 0xff, 0xff, 0xcf},  // Е
    {0xde, 0xbf, 0xd1, 0x08},  // Ж
    {0xff, 0xbf, 0xf1, 0xbf},  // З
    {0xff, 0xff, 0xff, 0xc7},  // И
    {0x1d, 0x3f, 0x7f, 0x81},  // Й
    {0xa7, 0xb6, 0xf2, 0x82},  // К
    {0xff, 0xff, 0x75, 0xdb},  // Л
    {0xfc, 0xbf, 0xd7, 0x9d},  // М
    {0xff, 0xae, 0xfb, 0xdf},  // Н
    {0xff, 0xff, 0xff, 0xc7},  // О
    {0x84, 0xb7, 0xf3, 0x9f},  // П
    {0xff, 0xff, 0xff, 0xdb},  // Р
    {0xff, 0xbf, 0xff, 0xff},  // С
    {0xfd, 0xbf, 0xff, 0xff},  // Т
    {0xff, 0xff, 0xe7, 0xc7},  // У
    {0x84, 0x9e, 0xf0, 0x12},  // Ф
    {0xbc, 0xbf, 0xf0, 0x84},  // Х
    {0xa4, 0xba, 0x10, 0x10},  // Ц
    {0xa4, 0xbe, 0xb8, 0x88},  // Ч
    {0xac, 0xbf, 0xf7, 0x0a},  // Ш
    {0x84, 0x86, 0x90, 0x08},  // Щ
    {0x04, 0x00, 0x00, 0x03},  // Ъ: only ъе, ъю, ъя
    {0x7f, 0xfd, 0xf7, 0xc1},  // Ы
    {0x7d, 0xae, 0x6f, 0xcb},  // Ь
    {0x15, 0x3d, 0xfc, 0x00},  // Э
    {0x7f, 0x7d, 0xe7, 0xc2},  // Ю
    {0x7f, 0xfd, 0xf7, 0xc3},  // Я
}};

constexpr bool is_likely_pair(int a, int b) {
    return (PAIR_MATRIX[a][b / 8] & (0x80 >> (b % 8))) != 0;
}

// How many bytes of a text book the detection looks at.
inline constexpr std::int32_t kDetectionBytes = 1024;

// Whether the bytes are a UTF-8 text: they start with the byte-order mark, or they are
// well-formed UTF-8 holding at least one multi-byte sequence. A sequence cut off by the
// end of the bytes is well-formed as far as it goes (the bytes examined are usually
// the first 1024 of a longer book).
bool looks_like_utf8(ByteView bytes);

// Decides from the letter pairs of the bytes whether they are code page 866 or
// Windows-1251: CP_866 or CP_1251 (also for text without Cyrillic letters).
CodePage decide_text_codepage(ByteView bytes);

// Loads the first 1024 bytes of the book (fewer when it is shorter), decides, and sets
// codepage_state: CP_UTF8 when they look like UTF-8, else CP_866 or CP_1251. Gives 0, or
// RES_CODEPAGE on a read error (codepage_state unchanged).
std::uint32_t detect_text_codepage(BookBuffer& book, CharReader& reader);

// One `d` step: converts as many bytes from code page 866 to Windows-1251 as both the
// input left and the room in the chunk allow. It never fails.
void recode_866_chunk(TCONVJOB& job);

}  // namespace tomeo
