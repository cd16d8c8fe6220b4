// Decoding a run of UTF-8 text to Windows-1251 at once: what the u and t steps do for
// the text between two tags. The result is exactly that of read_char called character
// after character; only the work per character is smaller (local positions, ASCII
// copied eight bytes at a time, the two-byte characters looked up directly).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/charset.h"
#include "core/codepage.h"
#include "core/utf8_blocks.h"

namespace tomeo {

// Where a run stopped: the input position of the next character, the bytes written,
// and the status of the character that stopped it (CONV_OK when the run stopped at
// `stop`, at the end of the input or when the output was full).
struct Utf8RunEnd {
    std::int32_t pos = 0;
    std::int32_t written = 0;
    std::int32_t status = CONV_OK;
};

namespace utf8_run_detail {

// Whether one of the eight bytes of x has its high bit set or equals the stop byte.
constexpr bool word_stops(std::uint64_t x, std::uint8_t stop) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    const std::uint64_t diff = x ^ (kOnes * stop);
    return ((x | ((diff - kOnes) & ~diff)) & kHigh) != 0;
}

}  // namespace utf8_run_detail

// Decodes the UTF-8 text at `pos` of `bytes` into `out` (at most `room` bytes) up to the
// byte `stop` (an ASCII byte, not decoded), the end of the input, a full output or a
// character that read_char refuses; `reader` reads the characters that are not ASCII
// or two-byte, and gives the status of a refused one.
inline Utf8RunEnd decode_utf8_run(ByteView bytes, std::int32_t pos, unsigned char* out,
                                  std::int32_t room, std::uint8_t stop, CharReader& reader) {
    const unsigned char* const src = bytes.data;
    const std::int32_t size = bytes.size;
    std::int32_t in = pos;
    std::int32_t n = 0;
    const bool blocks = utf8_blocks_available();
    for (;;) {
        if (blocks) decode_utf8_blocks(src, size, in, out, room, n, stop);
        bool back_to_blocks = false;
        // Every character takes at least one input byte and gives one output byte: below
        // fast_end the output has room and a second byte can be read, unchecked.
        const std::int32_t fast_end = std::min(size - 1, in + (room - n));
        while (in < fast_end) {
            // One character without unpredictable branches: ASCII (not the stop byte) or
            // 110xxxxx 10xxxxxx with a Windows-1251 form; anything else leaves the loop.
            const std::uint32_t b0 = src[in];
            const std::uint32_t b1 = src[in + 1];
            const std::uint32_t ascii = (b0 >> 7) ^ 1;
            const int pair = UTF8_2BYTE_TO_1251[((b0 & 0x1Fu) << 6) | (b1 & 0x3Fu)];
            const bool pair_ok = ((b0 << 8 | b1) & 0xE0C0u) == 0xC080u && pair >= 0;
            if (!(ascii ? b0 != stop : pair_ok)) break;
            out[n++] = static_cast<unsigned char>(ascii ? b0 : static_cast<std::uint32_t>(pair));
            in += static_cast<std::int32_t>(2 - ascii);
            // A longer ASCII stretch goes eight bytes at a time while none of them is the
            // stop byte or beyond ASCII.
            if (ascii != 0 && src[in] < 0x80) {
                while (in + 8 <= fast_end) {
                    std::uint64_t word;
                    std::memcpy(&word, src + in, 8);
                    if (utf8_run_detail::word_stops(word, stop)) break;
                    std::memcpy(out + n, &word, 8);
                    in += 8;
                    n += 8;
                }
            }
            // The character that stopped the blocks is done: they go on where they can.
            if (blocks && size - in >= 16 && room - n >= 16) {
                back_to_blocks = true;
                break;
            }
        }
        if (back_to_blocks) continue;
        if (in >= size || n >= room || src[in] == stop) return {in, n, CONV_OK};
        // What the loop above leaves: the last byte, three- and four-byte characters,
        // and the characters that fail.
        reader.read_char(bytes, in);
        if (reader.read_status != CONV_OK) return {in, n, reader.read_status};
        out[n++] = static_cast<unsigned char>(reader.cur_char);
        in += reader.cur_char_len;
    }
}

}  // namespace tomeo
