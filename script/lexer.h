// The lexical layer of the script language: cutting the source into numbered lines and
// reading one operand (a variable, a string literal or a number). Nothing here looks at
// variables or values; the parser builds statements on top of it.
//
// A space means the byte 0x20 only: tabs are ordinary characters everywhere.
#pragma once

#include <cstdint>

#include "core/wstr.h"

namespace tomeo {

// A stretch of the script text: begin up to, not including, end. Parsing functions take it
// by reference and move begin past what they read.
struct TextSpan {
    const char* begin = nullptr;
    const char* end = nullptr;

    bool empty() const { return begin == end; }
    std::int32_t size() const { return static_cast<std::int32_t>(end - begin); }
    bool starts_with(char c) const { return begin != end && *begin == c; }
};

// Operand kinds: while parsed, a literal is kStringValue or kIntegerValue and a variable
// kVariableOperand; once evaluated, every operand is one of the two value types.
enum ValueKind : std::uint8_t {
    kNoValue = 0,
    kStringValue = 1,
    kIntegerValue = 2,
    kVariableOperand = 3,
};

// One operand of an assignment, a condition or a call.
struct TOPERAND {
    // As written, in the script text: "$" and name, a literal with its quotes, a signed
    // number. Valid while its line is handled; empty when no operand could be read.
    TextSpan text;
    std::uint8_t kind = kNoValue;
    WSTR str_value;  // set by evaluation
    std::int32_t int_value = 0;
};

// Cuts a NUL-terminated text into lines numbered from 1. A line ends at CR LF, at a lone
// CR, at a lone LF, or at the end of the text; each line is trimmed of spaces.
class LineReader {
public:
    explicit LineReader(const char* text) : text_(text) {}

    // Reads the next line; false at the end of the text.
    bool next();

    TextSpan line() const { return line_; }
    std::int32_t number() const { return number_; }
    std::int32_t offset() const { return line_offset_; }  // of the line's first byte
    // The bytes the last line took in the text, its spaces and line end included.
    std::int32_t bytes_read() const { return position_ - line_offset_; }

    // The next line read starts at offset and gets the number given.
    void rewind(std::int32_t offset, std::int32_t number);

private:
    const char* text_;
    std::int32_t position_ = 0;
    std::int32_t number_ = 0;
    std::int32_t line_offset_ = 0;
    TextSpan line_;
};

inline void skip_spaces(TextSpan& text) {
    while (text.begin != text.end && *text.begin == ' ') ++text.begin;
}

// Reads the operand that starts exactly at p into operand.text and operand.kind; gives
// the position after it, or nullptr when none starts there (also for a broken string
// literal; operand.text is then empty).
const char* lex_operand(const char* p, const char* end, TOPERAND& operand);

// The same on a span, moving past the operand. (The span stays in the caller's registers.)
inline bool read_operand(TextSpan& text, TOPERAND& operand) {
    const char* after = lex_operand(text.begin, text.end, operand);
    if (after == nullptr) return false;
    text.begin = after;
    return true;
}

}  // namespace tomeo
