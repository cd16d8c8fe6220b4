// How the bytes of the current book are read: the code page of the book, and the
// character reader that turns the bytes at one offset into one Windows-1251 character.
#pragma once

#include <cstdint>

#include "core/charset.h"
#include "core/conv_job.h"

namespace tomeo {

// The code page of a book (codepage_state).
enum CodePage : std::uint8_t {
    CP_UNSET = 0,  // not determined yet
    CP_866 = 1,    // DOS code page 866 text
    CP_1251 = 2,   // Windows-1251
    CP_UTF8 = 3,   // UTF-8 (FB2 and text)
    CP_1252 = 4,   // Windows-1252 (FB2 only)
};

// The loaded bytes of a book (or any byte range) that the readers walk.
struct ByteView {
    const unsigned char* data = nullptr;
    std::int32_t size = 0;
};

// The code page of the current book and the outputs of the last read_char. One per
// process, reset by the pipeline for every book; tests build their own.
struct CharReader {
    CodePage codepage_state = CP_UNSET;
    char cur_char = 0;              // the Windows-1251 character read
    std::int32_t cur_char_len = 0;  // input bytes it took, 1 to 4
    std::int32_t read_status = CONV_OK;

    // Reads the character that starts at pos: single bytes in CP_1251 and CP_1252, UTF-8
    // in every other state. Sets cur_char, cur_char_len and read_status (CONV_OK,
    // CONV_TRUNCATED, CONV_BAD_UTF8 or CONV_NOT_1251). It never reads outside the
    // bytes given: a position at or past their end is CONV_TRUNCATED.
    void read_char(ByteView bytes, std::int32_t pos) {
        if (pos < 0 || pos >= bytes.size) return fail(CONV_TRUNCATED);
        const std::uint8_t b0 = bytes.data[pos];
        if (codepage_state == CP_1251 || codepage_state == CP_1252 || b0 < 0x80) {
            return succeed(static_cast<char>(b0), 1);
        }
        const int n = utf8_sequence_length(b0);
        if (n == 0) return fail(CONV_BAD_UTF8);
        if (pos + n - 1 >= bytes.size) return fail(CONV_TRUNCATED);
        std::uint32_t key = b0;
        for (int k = 1; k < n; ++k) {
            const std::uint8_t b = bytes.data[pos + k];
            if (!is_utf8_continuation(b)) return fail(CONV_BAD_UTF8);
            key = key * 256 + b;
        }
        std::uint8_t byte = 0;
        if (!utf8_key_to_1251(key, byte)) return fail(CONV_NOT_1251);
        succeed(static_cast<char>(byte), n);
    }

private:
    void succeed(char c, std::int32_t length) {
        cur_char = c;
        cur_char_len = length;
        read_status = CONV_OK;
    }
    void fail(std::int32_t status) {
        cur_char_len = 0;
        read_status = status;
    }
};

}  // namespace tomeo
