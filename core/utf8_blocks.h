// Russian UTF-8 text decoded to Windows-1251 sixteen bytes at a time: the stretches of
// ASCII and Cyrillic letters (U+0410 to U+044F, two bytes each) that make up most of a
// book. Everything else is left to the caller's character-by-character decoding, so
// the result is exactly the same, only faster where the processor can do it.
#pragma once

#include <cstdint>

namespace tomeo {

// Decodes from src[in] while at least 16 input bytes remain before `size` and 16 output
// bytes of room remain before `room`, stopping at the first byte that is neither ASCII
// nor part of a Cyrillic letter, or that is the byte `stop`. Advances `in` and `n` (the
// bytes written to `out`) over whole characters only. Bytes of `out` from `n` up to
// `room` may be overwritten. Does nothing where the processor has no SSSE3.
void decode_utf8_blocks(const unsigned char* src, std::int32_t size, std::int32_t& in,
                        unsigned char* out, std::int32_t room, std::int32_t& n, std::uint8_t stop);

// Whether decode_utf8_blocks does anything on this processor (for the tests).
bool utf8_blocks_available();

}  // namespace tomeo
