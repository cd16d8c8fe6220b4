#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/utf8_blocks.h"
#include "core/utf8_run.h"

namespace tomeo {
namespace {

struct Decoded {
    std::string text;
    Utf8RunEnd end;
};

// The run decoder's result, written into an output of exactly `room` bytes.
Decoded Fast(const std::string& input, std::int32_t pos, std::int32_t room) {
    std::vector<unsigned char> out(static_cast<std::size_t>(room));
    CharReader reader;
    reader.codepage_state = CP_UTF8;
    const ByteView bytes{reinterpret_cast<const unsigned char*>(input.data()),
                         static_cast<std::int32_t>(input.size())};
    Decoded d;
    d.end = decode_utf8_run(bytes, pos, out.data(), room, '<', reader);
    d.text.assign(out.begin(), out.begin() + d.end.written);
    return d;
}

// What read_char gives character after character.
Decoded Slow(const std::string& input, std::int32_t pos, std::int32_t room) {
    CharReader reader;
    reader.codepage_state = CP_UTF8;
    const ByteView bytes{reinterpret_cast<const unsigned char*>(input.data()),
                         static_cast<std::int32_t>(input.size())};
    Decoded d;
    d.end.pos = pos;
    while (d.end.pos < bytes.size && d.end.written < room && input[d.end.pos] != '<') {
        reader.read_char(bytes, d.end.pos);
        if (reader.read_status != CONV_OK) {
            d.end.status = reader.read_status;
            break;
        }
        d.text += static_cast<char>(reader.cur_char);
        ++d.end.written;
        d.end.pos += reader.cur_char_len;
    }
    return d;
}

void ExpectSame(const std::string& input, std::int32_t pos, std::int32_t room) {
    const Decoded fast = Fast(input, pos, room);
    const Decoded slow = Slow(input, pos, room);
    ASSERT_EQ(fast.text, slow.text) << input << " from " << pos << ", room " << room;
    ASSERT_EQ(fast.end.pos, slow.end.pos) << input << " from " << pos << ", room " << room;
    ASSERT_EQ(fast.end.written, slow.end.written) << input;
    ASSERT_EQ(fast.end.status, slow.end.status) << input << " from " << pos;
}

std::string Repeat(const std::string& s, int times) {
    std::string r;
    for (int i = 0; i < times; ++i) r += s;
    return r;
}

TEST(Utf8Run, GivesWhatReadCharGives) {
    const std::string letters = "Съешь же ещё этих мягких французских булок, да выпей чаю. ";
    const std::string cases[] = {
        Repeat("абвгдежзийклмнопрстуфхцчшщъыьэюя", 3),
        Repeat("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ", 3),
        Repeat(letters, 4),
        Repeat("x" + letters, 4),  // letters cut by every block end in turn
        Repeat("«Ёлка» — ёж, №5 ", 6),
        Repeat("ascii only, no letters at all. ", 4),
        Repeat(letters, 2) + "<p>" + Repeat(letters, 2),
        Repeat(letters, 2) + "\xD0",                // a lead byte at the very end
        Repeat(letters, 2) + "\xD0\x41" + letters,  // a lead byte without continuation
        Repeat(letters, 2) + "\x80" + letters,      // a stray continuation byte
        Repeat(letters, 2) + "\xD0\x80" + letters,  // Ѐ has no Windows-1251 form
        Repeat(letters, 2) + "\xD1\x90" + letters,  // nor has ѐ
        Repeat(letters, 2) + "\xD2\x90" + letters,  // Ґ, another lead byte
        Repeat(letters, 2) + "\xF0\x9F\x98\x80" + letters,
        Repeat(letters, 2) + std::string(1, '\0') + letters,
    };
    for (const std::string& input : cases) {
        for (std::int32_t pos = 0; pos < 18; ++pos) {
            for (std::int32_t room : {1, 15, 16, 17, 40, 1000}) ExpectSame(input, pos, room);
        }
    }
}

// Long mixes of the pieces a Russian book is made of, and of broken ones, cut anywhere.
TEST(Utf8Run, GivesWhatReadCharGivesOnMixes) {
    const std::string pieces[] = {
        "а", "я", "п",    "р",    "Ж",        "ё",        "Ё",        " ",   ",",     "<",
        "«", "—", "\xD0", "\x90", "\xD1\xBF", "\xC2\xA0", "\xE2\x80", "abc", "слово "};
    std::uint32_t x = 2024;
    auto next = [&x] { return x = x * 1664525u + 1013904223u; };
    for (int round = 0; round < 400; ++round) {
        std::string input;
        const int count = 1 + static_cast<int>(next() >> 26);
        for (int i = 0; i < count; ++i) {
            // Mostly letters and spaces, as in a book; now and then anything.
            const std::uint32_t r = next() >> 8;
            input += r % 8 != 0 ? pieces[r % 7] : pieces[r % std::size(pieces)];
        }
        const std::int32_t pos = static_cast<std::int32_t>(next() >> 29);
        if (pos >= static_cast<std::int32_t>(input.size())) continue;
        const std::int32_t room = 1 + static_cast<std::int32_t>(next() >> 25);
        ExpectSame(input, pos, room);
    }
}

TEST(Utf8Run, BlocksTakeAWholeStretchOfLetters) {
    if (!utf8_blocks_available()) GTEST_SKIP() << "no SSSE3 on this processor";
    const std::string text = Repeat("Привет, мир! ", 20) + "<";
    std::vector<unsigned char> out(text.size());
    std::int32_t in = 0, n = 0;
    decode_utf8_blocks(reinterpret_cast<const unsigned char*>(text.data()),
                       static_cast<std::int32_t>(text.size()), in, out.data(),
                       static_cast<std::int32_t>(out.size()), n, '<');
    // Blocks stop 16 bytes before the end of the input at the latest.
    EXPECT_GE(in, static_cast<std::int32_t>(text.size()) - 16 - 1);
    EXPECT_EQ(std::string(out.begin(), out.begin() + n), Slow(text, 0, n).text);
}

}  // namespace
}  // namespace tomeo
