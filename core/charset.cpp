#include "core/charset.h"

#include <cstdio>
#include <cstring>

namespace tomeo {
namespace {

using Table = std::array<std::uint8_t, 256>;

// Code page 866 bytes 0x80..0xFF as Windows-1251. Box drawing and shading have no
// Windows-1251 counterpart and become ASCII look-alikes.
constexpr std::array<std::uint8_t, 128> OEM_UPPER_HALF = [] {
    std::array<std::uint8_t, 128> t{};
    for (int b = 0x80; b <= 0xAF; ++b) t[b - 0x80] = static_cast<std::uint8_t>(b + 0x40);  // А..п
    for (int b = 0xE0; b <= 0xEF; ++b) t[b - 0x80] = static_cast<std::uint8_t>(b + 0x10);  // р..я
    for (int b = 0xB0; b <= 0xDF; ++b) t[b - 0x80] = '+';  // corners, tees and crosses
    for (int b : {0xB0, 0xB1, 0xB2, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF}) t[b - 0x80] = '#';  // shades
    t[0xB3 - 0x80] = '|';
    t[0xBA - 0x80] = '|';
    t[0xC4 - 0x80] = '-';
    t[0xCD - 0x80] = '=';
    constexpr std::uint8_t tail[16] = {0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2,
                                       0xB0, 0xB7, 0xB7, 'v',  0xB9, 0xA4, '#',  0xA0};
    for (int i = 0; i < 16; ++i) t[0x70 + i] = tail[i];  // Ё ё Є є Ї ї Ў ў ° ∙ · √ № ¤ ■ nbsp
    return t;
}();

constexpr Table OEM_TO_ANSI = [] {
    Table t{};
    for (int b = 0; b < 0x80; ++b) t[b] = static_cast<std::uint8_t>(b);
    for (int b = 0x80; b < 0x100; ++b) t[b] = OEM_UPPER_HALF[b - 0x80];
    return t;
}();

// The inverse of OEM_TO_ANSI where it is one to one; the other Windows-1251
// characters get the nearest ASCII form, or "_".
constexpr Table ANSI_TO_OEM = [] {
    Table t{};
    for (int b = 0; b < 0x80; ++b) t[b] = static_cast<std::uint8_t>(b);
    for (int b = 0x80; b < 0x100; ++b) t[b] = '_';
    constexpr std::pair<std::uint8_t, char> nearest[] = {
        {0x82, ','}, {0x84, '"'}, {0x85, '.'}, {0x8B, '<'}, {0x9B, '>'}, {0x91, '\''}, {0x92, '\''},
        {0x93, '"'}, {0x94, '"'}, {0xAB, '"'}, {0xBB, '"'}, {0x96, '-'}, {0x97, '-'},  {0xAD, '-'},
        {0xA9, 'c'}, {0xAE, 'r'}, {0x99, 'T'}, {0x89, '%'}, {0xB1, '+'}, {0xA6, '|'},  {0x95, '*'}};
    for (auto [ansi, oem] : nearest) t[ansi] = static_cast<std::uint8_t>(oem);
    // Later OEM bytes win, so the middle dot 0xFA (not the bullet 0xF9) stands for 0xB7.
    for (int oem = 0x80; oem < 0x100; ++oem) {
        const std::uint8_t ansi = OEM_UPPER_HALF[oem - 0x80];
        if (ansi >= 0x80) t[ansi] = static_cast<std::uint8_t>(oem);
    }
    return t;
}();

// For every Windows-1251 byte its UTF-8 key, derived from UTF8_1251_TABLE; 0 for 0x98.
constexpr std::array<std::uint32_t, 256> KEY_OF_1251 = [] {
    std::array<std::uint32_t, 256> keys{};
    for (const Utf8Range& r : UTF8_1251_TABLE) {
        for (std::uint32_t k = r.low; k <= r.high; ++k) {
            keys[static_cast<std::uint8_t>(r.first + (k - r.low))] = k;
        }
    }
    return keys;
}();

static_assert(KEY_OF_1251[0xC0] == 0xD090 && KEY_OF_1251[0x88] == 0xE282AC);

void append_key(std::string& out, std::uint32_t key) {
    if (key > 0xFFFFFF) out += static_cast<char>(key >> 24);
    if (key > 0xFFFF) out += static_cast<char>((key >> 16) & 0xFF);
    if (key > 0xFF) out += static_cast<char>((key >> 8) & 0xFF);
    out += static_cast<char>(key & 0xFF);
}

// Reads one UTF-8 sequence at text[i]: its key and length, or length 0 when the bytes
// there are not valid UTF-8 (a bad lead byte, a missing continuation byte, the end).
struct Utf8Char {
    std::uint32_t key;
    int length;
};

Utf8Char read_utf8(std::string_view text, std::size_t i) {
    const auto b0 = static_cast<std::uint8_t>(text[i]);
    const int n = utf8_sequence_length(b0);
    if (n == 0 || i + n > text.size()) return {0, 0};
    std::uint32_t key = b0;
    for (int k = 1; k < n; ++k) {
        const auto b = static_cast<std::uint8_t>(text[i + k]);
        if (!is_utf8_continuation(b)) return {0, 0};
        key = key * 256 + b;
    }
    return {key, n};
}

}  // namespace

bool utf8_to_1251(char* text) {
    std::string converted;
    if (!utf8_to_cp1251(text, converted)) return false;
    std::memcpy(text, converted.c_str(), converted.size() + 1);
    return true;
}

void oem_to_ansi(const char* source, char* target, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        target[i] = static_cast<char>(OEM_TO_ANSI[static_cast<std::uint8_t>(source[i])]);
    }
}

void oem_to_ansi(char* buffer, std::size_t length) {
    oem_to_ansi(buffer, buffer, length);
}
void oem_to_ansi(char* text) {
    oem_to_ansi(text, std::strlen(text));
}

void ansi_to_oem(char* buffer, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        buffer[i] = static_cast<char>(ANSI_TO_OEM[static_cast<std::uint8_t>(buffer[i])]);
    }
}

void ansi_to_oem(char* text) {
    ansi_to_oem(text, std::strlen(text));
}

std::string cp1251_to_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b == 0x98) {
            out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
        } else {
            append_key(out, KEY_OF_1251[b]);
        }
    }
    return out;
}

bool utf8_to_cp1251(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = read_utf8(text, i);
        std::uint8_t byte = 0;
        if (c.length == 0 || !utf8_key_to_1251(c.key, byte)) return false;
        out += static_cast<char>(byte);
        i += c.length;
    }
    return true;
}

std::string utf8_to_cp1251_lossy(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = read_utf8(text, i);
        std::uint8_t byte = 0;
        if (c.length == 0) {
            out += kUnrepresentable;
            ++i;
            continue;
        }
        out += utf8_key_to_1251(c.key, byte) ? static_cast<char>(byte) : kUnrepresentable;
        i += c.length;
    }
    return out;
}

bool is_valid_utf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = read_utf8(text, i);
        if (c.length == 0) return false;
        i += c.length;
    }
    return true;
}

// --- Names shown as they are on disk -------------------------------------------

namespace {

// The code point of a well-formed UTF-8 sequence; -1 for an overlong form, a surrogate
// or a value beyond U+10FFFF, which no terminal should be given.
std::int32_t code_point(std::string_view bytes) {
    static constexpr std::uint32_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const std::size_t n = bytes.size();
    std::uint32_t cp = static_cast<std::uint8_t>(bytes[0]) & kLeadMask[n];
    for (std::size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<std::uint8_t>(bytes[k]) & 0x3F);
    if (cp < kSmallest[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    return static_cast<std::int32_t>(cp);
}

// The well-formed UTF-8 character at text[i], or an empty view.
std::string_view utf8_char_at(std::string_view text, std::size_t i) {
    if (i >= text.size()) return {};
    const Utf8Char c = read_utf8(text, i);
    if (c.length == 0 || code_point(text.substr(i, c.length)) < 0) return {};
    return text.substr(i, c.length);
}

void append_escaped(std::string& out, const char* format, std::uint32_t value) {
    char escaped[12];
    std::snprintf(escaped, sizeof escaped, format, value);
    out += escaped;
}

}  // namespace

std::string utf8_to_cp1251_shown(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view c = utf8_char_at(text, i);
        if (c.empty()) {
            append_escaped(out, "\\x%02X", static_cast<std::uint8_t>(text[i]));
            ++i;
            continue;
        }
        std::uint8_t byte = 0;
        if (utf8_key_to_1251(read_utf8(text, i).key, byte)) {
            out += static_cast<char>(byte);
        } else {
            out += kUnrepresentable;
            out += c;
        }
        i += c.size();
    }
    return out;
}

std::string cp1251_to_terminal(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += '\n';
            ++i;
        } else if (b < 0x20 || b == 0x7F) {
            append_escaped(out, "\\x%02X", b);
        } else if (b != static_cast<std::uint8_t>(kUnrepresentable)) {
            append_key(out, KEY_OF_1251[b]);
        } else if (const std::string_view c = utf8_char_at(text, i + 1); c.size() > 1) {
            // Only characters beyond ASCII lack a Windows-1251 form.
            const std::int32_t cp = code_point(c);
            if (cp < 0xA0) {
                append_escaped(out, "\\u%04X", static_cast<std::uint32_t>(cp));
            } else {
                out += c;
            }
            i += c.size();
        } else {
            out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
        }
    }
    return out;
}

}  // namespace tomeo
