// HSTR: the heap string of the long-lived process-wide text buffers (book fields,
// current file names, the report). Default capacity 252 bytes; a string created from a
// text gets exactly the room that text needs.
#pragma once

#include "core/filetime.h"
#include "core/text_buffer.h"

namespace tomeo {

class HSTR : public TextBuffer {
public:
    static constexpr std::int32_t kDefaultCapacity = 252;

    HSTR() : TextBuffer(kDefaultCapacity) {}
    explicit HSTR(const char* text);
    HSTR(const char* bytes, std::int32_t n);
    HSTR(const HSTR& other) = default;
    HSTR& operator=(const HSTR& other) = default;

    std::int32_t max_length() const { return capacity() - 1; }

    // In place: the text loses its first n bytes (all of them when n >= length).
    void delete_prefix(std::int32_t n);
    // Offset of the first c; searching for NUL gives the length; -1 when absent.
    std::int32_t find_char(char c) const;
    // Appends the span without its leading and trailing spaces (nothing when all spaces).
    void append_trimmed(const char* bytes, std::int32_t n);
    void assign_trimmed(const char* bytes, std::int32_t n);
    static std::int32_t first_non_space(const char* text);

    void set_number(std::int32_t value);
    // Digits grouped by three from the right with single spaces: 1234567 -> "1 234 567".
    void set_grouped_number(std::int32_t value);
    // "dd:mm:yyyy hh:mm" of the given time, shown as it is (no time-zone conversion).
    void set_date_time(FILETIME time);

    struct ParsedInt {
        std::int32_t value;
        bool valid;
    };
    // Strict decimal parse read from the last byte back: digits with an optional minus
    // at offset 0; empty text or any other byte is invalid. 32-bit wrapping arithmetic.
    static ParsedInt parse_int(const char* text);
};

}  // namespace tomeo
