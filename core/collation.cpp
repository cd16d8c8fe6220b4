#include "core/collation.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "core/charset.h"

namespace tomeo {
namespace {

// Cyrillic letters in alphabet order as (upper, lower) Windows-1251 bytes; the letters
// of other Cyrillic alphabets stand beside the Russian letter they follow.
constexpr std::uint8_t CYRILLIC_ORDER[][2] = {
    {0xC0, 0xE0},  // а
    {0xC1, 0xE1},  // б
    {0xC2, 0xE2},  // в
    {0xC3, 0xE3},  // г
    {0xA5, 0xB4},  // ґ
    {0x81, 0x83},  // ѓ
    {0xC4, 0xE4},  // д
    {0x80, 0x90},  // ђ
    {0xC5, 0xE5},  // е
    {0xA8, 0xB8},  // ё
    {0xAA, 0xBA},  // є
    {0xC6, 0xE6},  // ж
    {0xC7, 0xE7},  // з
    {0xBD, 0xBE},  // ѕ
    {0xC8, 0xE8},  // и
    {0xB2, 0xB3},  // і
    {0xAF, 0xBF},  // ї
    {0xC9, 0xE9},  // й
    {0xA3, 0xBC},  // ј
    {0xCA, 0xEA},  // к
    {0x8D, 0x9D},  // ќ
    {0xCB, 0xEB},  // л
    {0x8A, 0x9A},  // љ
    {0xCC, 0xEC},  // м
    {0xCD, 0xED},  // н
    {0x8C, 0x9C},  // њ
    {0xCE, 0xEE},  // о
    {0xCF, 0xEF},  // п
    {0xD0, 0xF0},  // р
    {0xD1, 0xF1},  // с
    {0xD2, 0xF2},  // т
    {0x8E, 0x9E},  // ћ
    {0xD3, 0xF3},  // у
    {0xA1, 0xA2},  // ў
    {0xD4, 0xF4},  // ф
    {0xD5, 0xF5},  // х
    {0xD6, 0xF6},  // ц
    {0xD7, 0xF7},  // ч
    {0x8F, 0x9F},  // џ
    {0xD8, 0xF8},  // ш
    {0xD9, 0xF9},  // щ
    {0xDA, 0xFA},  // ъ
    {0xDB, 0xFB},  // ы
    {0xDC, 0xFC},  // ь
    {0xDD, 0xFD},  // э
    {0xDE, 0xFE},  // ю
    {0xDF, 0xFF},  // я
};

// The sort weight of every byte. Bytes that are no letter or digit (controls,
// punctuation, symbols) keep their byte order among themselves and come first.
constexpr std::array<std::uint16_t, 256> WEIGHT = [] {
    std::array<std::uint16_t, 256> w{};
    std::array<bool, 256> placed{};
    for (int b = '0'; b <= '9'; ++b) placed[b] = true;
    for (int b = 'A'; b <= 'Z'; ++b) placed[b] = placed[b + 32] = true;
    for (const auto& pair : CYRILLIC_ORDER) placed[pair[0]] = placed[pair[1]] = true;

    std::uint16_t next = 0;
    for (int b = 0; b < 256; ++b) {
        if (!placed[b]) w[b] = next++;
    }
    for (int b = '0'; b <= '9'; ++b) w[b] = next++;
    for (int b = 'A'; b <= 'Z'; ++b) {
        w[b] = w[b + 32] = next++;
    }
    for (const auto& pair : CYRILLIC_ORDER) {
        w[pair[0]] = w[pair[1]] = next++;
    }
    return w;
}();

static_assert(WEIGHT[0] == 0, "the terminating NUL must weigh least");
static_assert(WEIGHT['9'] < WEIGHT['a'] && WEIGHT['z'] < WEIGHT[0xE0]);
static_assert(WEIGHT[0xE5] + 1 == WEIGHT[0xB8] && WEIGHT[0xB8] < WEIGHT[0xE6]);  // е ё ж

}  // namespace

int collate_ignoring_case(const char* a, const char* b) {
    const auto* pa = reinterpret_cast<const std::uint8_t*>(a);
    const auto* pb = reinterpret_cast<const std::uint8_t*>(b);
    for (;; ++pa, ++pb) {
        const int diff = WEIGHT[*pa] - WEIGHT[*pb];
        if (diff != 0) return diff;
        if (*pa == 0) break;
    }
    return std::strcmp(a, b);
}

bool equal_ignoring_case(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (char_lower(*a) != char_lower(*b)) return false;
        if (*a == '\0') return true;
    }
}

}  // namespace tomeo
