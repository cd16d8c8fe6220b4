// Windows-1251 character services: the UTF-8 table, code page 866, case mapping,
// and the conversions the program's edges need (file names, terminal, UTF-8 files).
//
// Inside the program every text is single-byte Windows-1251. The one mapping between
// UTF-8 and Windows-1251 is UTF8_1251_TABLE; every conversion in either direction
// is derived from it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace tomeo {

// One run of UTF-8 keys (the bytes of a character packed big-endian) that map to
// consecutive Windows-1251 bytes: key K in [low, high] gives first + (K - low).
struct Utf8Range {
    std::uint32_t low;
    std::uint32_t high;
    std::uint8_t first;
};

// Searched in order: Cyrillic letters first, then ASCII, so that most characters of
// Russian books are found within three comparisons. 0x98 has no character.
inline constexpr std::array<Utf8Range, 54> UTF8_1251_TABLE{{
    {0xD090, 0xD0BF, 0xC0},  // А..п
    {0xD180, 0xD18F, 0xF0},  // р..я
    {0x00, 0x7F, 0x00},      // ASCII
    // Runs of two to four characters.
    {0xC2AB, 0xC2AE, 0xAB},      // « ¬ soft hyphen ®
    {0xC2B5, 0xC2B7, 0xB5},      // µ ¶ ·
    {0xD082, 0xD083, 0x80},      // Ђ Ѓ
    {0xE280A0, 0xE280A1, 0x86},  // † ‡
    {0xE28098, 0xE28099, 0x91},  // ‘ ’
    {0xE2809C, 0xE2809D, 0x93},  // “ ”
    {0xE28093, 0xE28094, 0x96},  // – —
    {0xC2A6, 0xC2A7, 0xA6},      // ¦ §
    {0xC2B0, 0xC2B1, 0xB0},      // ° ±
    // The remaining characters of 0x80..0xBF, one each, in byte order.
    {0xE2809A, 0xE2809A, 0x82},  // ‚
    {0xD193, 0xD193, 0x83},      // ѓ
    {0xE2809E, 0xE2809E, 0x84},  // „
    {0xE280A6, 0xE280A6, 0x85},  // …
    {0xE282AC, 0xE282AC, 0x88},  // €
    {0xE280B0, 0xE280B0, 0x89},  // ‰
    {0xD089, 0xD089, 0x8A},      // Љ
    {0xE280B9, 0xE280B9, 0x8B},  // ‹
    {0xD08A, 0xD08A, 0x8C},      // Њ
    {0xD08C, 0xD08C, 0x8D},      // Ќ
    {0xD08B, 0xD08B, 0x8E},      // Ћ
    {0xD08F, 0xD08F, 0x8F},      // Џ
    {0xD192, 0xD192, 0x90},      // ђ
    {0xE280A2, 0xE280A2, 0x95},  // •
    {0xE284A2, 0xE284A2, 0x99},  // ™
    {0xD199, 0xD199, 0x9A},      // љ
    {0xE280BA, 0xE280BA, 0x9B},  // ›
    {0xD19A, 0xD19A, 0x9C},      // њ
    {0xD19C, 0xD19C, 0x9D},      // ќ
    {0xD19B, 0xD19B, 0x9E},      // ћ
    {0xD19F, 0xD19F, 0x9F},      // џ
    {0xC2A0, 0xC2A0, 0xA0},      // no-break space
    {0xD08E, 0xD08E, 0xA1},      // Ў
    {0xD19E, 0xD19E, 0xA2},      // ў
    {0xD088, 0xD088, 0xA3},      // Ј
    {0xC2A4, 0xC2A4, 0xA4},      // ¤
    {0xD290, 0xD290, 0xA5},      // Ґ
    {0xD081, 0xD081, 0xA8},      // Ё
    {0xC2A9, 0xC2A9, 0xA9},      // ©
    {0xD084, 0xD084, 0xAA},      // Є
    {0xD087, 0xD087, 0xAF},      // Ї
    {0xD086, 0xD086, 0xB2},      // І
    {0xD196, 0xD196, 0xB3},      // і
    {0xD291, 0xD291, 0xB4},      // ґ
    {0xD191, 0xD191, 0xB8},      // ё
    {0xE28496, 0xE28496, 0xB9},  // №
    {0xD194, 0xD194, 0xBA},      // є
    {0xC2BB, 0xC2BB, 0xBB},      // »
    {0xD198, 0xD198, 0xBC},      // ј
    {0xD085, 0xD085, 0xBD},      // Ѕ
    {0xD195, 0xD195, 0xBE},      // ѕ
    {0xD197, 0xD197, 0xBF},      // ї
}};

// The byte that UTF-8 text which cannot be represented becomes at the edges (0x98 is
// the one byte of Windows-1251 without a character, so it never names a real file).
inline constexpr char kUnrepresentable = '\x98';

// Looks a UTF-8 key up in UTF8_1251_TABLE. False on a miss (out is then unchanged).
constexpr bool utf8_key_to_1251(std::uint32_t key, std::uint8_t& out) {
    for (const Utf8Range& r : UTF8_1251_TABLE) {
        if (key >= r.low && key <= r.high) {
            out = static_cast<std::uint8_t>(r.first + (key - r.low));
            return true;
        }
    }
    return false;
}

// Every two-byte UTF-8 character (lead byte 110xxxxx, continuation byte 10xxxxxx) as
// its Windows-1251 byte, indexed by the 5 + 6 payload bits; -1 where UTF8_1251_TABLE
// has none. Built from that table at compile time (it stays the one mapping), so the
// Cyrillic letters of a UTF-8 book cost one look-up instead of a search.
inline constexpr std::array<std::int16_t, 2048> UTF8_2BYTE_TO_1251 = [] {
    std::array<std::int16_t, 2048> t{};
    for (std::uint32_t i = 0; i < t.size(); ++i) {
        const std::uint32_t key = (0xC0 | (i >> 6)) * 256 + (0x80 | (i & 0x3F));
        std::uint8_t byte = 0;
        t[i] = utf8_key_to_1251(key, byte) ? byte : -1;
    }
    return t;
}();

// The two bytes b0 b1 (b0 of the form 110xxxxx, b1 of the form 10xxxxxx) as their
// Windows-1251 byte, or -1.
constexpr int utf8_pair_to_1251(std::uint8_t b0, std::uint8_t b1) {
    return UTF8_2BYTE_TO_1251[((b0 & 0x1Fu) << 6) | (b1 & 0x3Fu)];
}

// Length of the UTF-8 sequence that the lead byte b0 starts: 1 to 4, or 0 when b0
// begins no sequence (a stray continuation byte, or 11111xxx).
constexpr int utf8_sequence_length(std::uint8_t b0) {
    if (b0 < 0x80) return 1;
    if ((b0 & 0xE0) == 0xC0) return 2;
    if ((b0 & 0xF0) == 0xE0) return 3;
    if ((b0 & 0xF8) == 0xF0) return 4;
    return 0;
}

constexpr bool is_utf8_continuation(std::uint8_t b) {
    return (b & 0xC0) == 0x80;
}

// The byte-order mark that some editors put at the start of a UTF-8 text.
inline constexpr std::int32_t kUtf8BomLength = 3;
constexpr bool starts_with_utf8_bom(const unsigned char* data, std::int64_t size) {
    return size >= kUtf8BomLength && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
}

// Converts a NUL-terminated UTF-8 string to Windows-1251 in place. On invalid UTF-8
// or a character without a Windows-1251 form it gives false and leaves the string
// exactly as it was. The result is never longer than the input.
bool utf8_to_1251(char* text);

// Code page 866 to Windows-1251 and back, in place or from one buffer to another.
// Letters, digits and ASCII map one to one; box drawing becomes ASCII look-alikes.
void oem_to_ansi(char* text);
void oem_to_ansi(char* buffer, std::size_t length);
void oem_to_ansi(const char* source, char* target, std::size_t length);
void ansi_to_oem(char* text);
void ansi_to_oem(char* buffer, std::size_t length);

// Case mapping of single Windows-1251 characters (the Cyrillic pairs included): tables
// in the header, so that the case-insensitive compares of the readers inline them.
namespace charset_tables {

// Upper-case / lower-case pairs of Windows-1251 beyond A..Z and А..Я.
inline constexpr std::pair<std::uint8_t, std::uint8_t> CYRILLIC_CASE_PAIRS[] = {
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
    {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
    {0xA8, 0xB8}, {0xAA, 0xBA}, {0xB2, 0xB3}, {0xAF, 0xBF}, {0xBD, 0xBE}};

inline constexpr std::array<std::uint8_t, 256> LOWER = [] {
    std::array<std::uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<std::uint8_t>(b);
    for (int b = 'A'; b <= 'Z'; ++b) t[b] = static_cast<std::uint8_t>(b + 32);
    for (int b = 0xC0; b <= 0xDF; ++b) t[b] = static_cast<std::uint8_t>(b + 32);
    for (auto [upper, lower] : CYRILLIC_CASE_PAIRS) t[upper] = lower;
    return t;
}();

inline constexpr std::array<std::uint8_t, 256> UPPER = [] {
    std::array<std::uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<std::uint8_t>(b);
    for (int b = 0; b < 256; ++b) {
        if (LOWER[b] != b) t[LOWER[b]] = static_cast<std::uint8_t>(b);
    }
    return t;
}();

}  // namespace charset_tables

constexpr char char_lower(char c) {
    return static_cast<char>(charset_tables::LOWER[static_cast<std::uint8_t>(c)]);
}
constexpr char char_upper(char c) {
    return static_cast<char>(charset_tables::UPPER[static_cast<std::uint8_t>(c)]);
}
constexpr bool is_lower_letter(char c) {
    return char_upper(c) != c;
}

// --- Edge conversions -----------------------------------------------------------

// Windows-1251 to UTF-8. The byte 0x98 (no character) becomes U+FFFD.
std::string cp1251_to_utf8(std::string_view text);

// Strict UTF-8 to Windows-1251: false when the input is not valid UTF-8 or holds a
// character without a Windows-1251 form (out is then unspecified).
bool utf8_to_cp1251(std::string_view text, std::string& out);

// UTF-8 to Windows-1251 where every character that cannot be represented (and every
// invalid byte) becomes kUnrepresentable.
std::string utf8_to_cp1251_lossy(std::string_view text);

bool is_valid_utf8(std::string_view text);

// A name from the disk in Windows-1251 that keeps what has no Windows-1251 form, for
// the report: such a character becomes kUnrepresentable followed by its UTF-8 bytes
// (which cp1251_to_terminal shows as they are), a byte that is not UTF-8 the text
// "\xNN". Only for showing: such a text names no file.
std::string utf8_to_cp1251_shown(std::string_view text);

// Windows-1251 text (a report) as UTF-8 for a terminal: CR LF becomes a line feed,
// every other control character is shown escaped ("\x1B"), never raw; the characters
// kept by utf8_to_cp1251_shown come out as they were (a control character among them
// as "\u0085"), a bare kUnrepresentable as U+FFFD.
std::string cp1251_to_terminal(std::string_view text);

// --- Texts written in the sources as UTF-8, used as Windows-1251 ----------------

// A Windows-1251 text converted from a UTF-8 string literal at compile time, so that
// the Russian texts of the program stay readable in the sources.
template <std::size_t N>
struct Cp1251Text {
    char text[N]{};
    constexpr const char* c_str() const { return text; }
    constexpr operator const char*() const { return text; }
};

template <std::size_t N>
consteval Cp1251Text<N> cp1251(const char (&utf8)[N]) {
    Cp1251Text<N> result{};
    std::size_t out = 0;
    for (std::size_t i = 0; i + 1 < N;) {
        const auto b0 = static_cast<std::uint8_t>(utf8[i]);
        const int n = utf8_sequence_length(b0);
        if (n == 0 || i + n >= N) throw "invalid UTF-8 in a text literal";
        std::uint32_t key = b0;
        for (int k = 1; k < n; ++k) {
            const auto b = static_cast<std::uint8_t>(utf8[i + k]);
            if (!is_utf8_continuation(b)) throw "invalid UTF-8 in a text literal";
            key = key * 256 + b;
        }
        std::uint8_t byte = 0;
        if (!utf8_key_to_1251(key, byte)) throw "character without a Windows-1251 form";
        result.text[out++] = static_cast<char>(byte);
        i += n;
    }
    return result;
}

}  // namespace tomeo
