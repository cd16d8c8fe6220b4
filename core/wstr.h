// WSTR: the growable string used for every local and member text (script source and
// values, paths, file names being built, messages). Default capacity 128 bytes.
#pragma once

#include <cstdint>

#include "core/text_buffer.h"

namespace tomeo {

class WSTR : public TextBuffer {
public:
    static constexpr std::int32_t kDefaultCapacity = 128;

    WSTR() : TextBuffer(kDefaultCapacity) {}
    explicit WSTR(std::int32_t capacity) : TextBuffer(capacity) {}
    WSTR(const WSTR& other) = default;
    WSTR& operator=(const WSTR& other) = default;

    using TextBuffer::append;
    using TextBuffer::assign;
    void assign(const WSTR& other) { assign(other.c_str()); }
    void append(const WSTR& other) { append(other.c_str()); }

    void set_number(std::int32_t value);
    void append_number(std::int32_t value) { append_decimal(value); }

    // Case mapping of the whole text by Windows-1251 rules (Cyrillic included).
    void to_lower();
    void to_upper();

    // Cuts the text to n bytes when it is longer; a negative n empties it.
    void truncate(std::int32_t n);
    // Keeps min(n, length - pos) bytes from pos, moved to the front; the text becomes
    // empty when pos is at or beyond the end, or either argument is negative.
    void substring_in_place(std::int32_t pos, std::int32_t n);
    // Replaces every occurrence of pattern, left to right, without overlap or
    // rescanning; an empty pattern leaves the text unchanged. False, with the text
    // unchanged, when the result would be longer than max_length.
    bool replace_all(const char* pattern, const char* replacement,
                     std::int64_t max_length = 0x7FFFFFFE);
    // Offset of the first occurrence; -1 when absent or when text is empty.
    std::int32_t find(const char* text) const;

    // Named after the Windows separator; they use the platform's (kPathSeparator).
    void ensure_trailing_backslash();
    void drop_trailing_backslash();
};

}  // namespace tomeo
