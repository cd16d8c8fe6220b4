#include "script/lexer.h"

#include <array>
#include <cstring>

namespace tomeo {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// ASCII letters, digits and "_": a Cyrillic letter ends a variable name. A table, since
// names are read on nearly every line.
constexpr std::array<bool, 256> kNameChars = [] {
    std::array<bool, 256> table{};
    for (int c = 'A'; c <= 'Z'; ++c) table[c] = table[c + ('a' - 'A')] = true;
    for (int c = '0'; c <= '9'; ++c) table[c] = true;
    table['_'] = true;
    return table;
}();

bool is_name_char(char c) {
    return kNameChars[static_cast<std::uint8_t>(c)];
}

bool is_quote(char c) {
    return c == '\'' || c == '"';
}

// The end of the string literal that opens at p (a quote), past its closing quote; nullptr
// when the line ends first or a backslash escapes anything but a quote or a backslash.
const char* string_literal_end(const char* p, const char* end) {
    for (++p; p != end; ++p) {
        if (*p == '\\') {
            if (p + 1 == end || !(is_quote(p[1]) || p[1] == '\\')) return nullptr;
            ++p;
        } else if (is_quote(*p)) {
            return p + 1;  // either kind of quote closes, whichever opened
        }
    }
    return nullptr;
}

}  // namespace

bool LineReader::next() {
    const char* start = text_ + position_;
    if (*start == '\0') return false;
    const char* p = start + std::strcspn(start, "\r\n");
    const char* line_end = p;
    if (*p == '\r') {
        ++p;
        if (*p == '\n') ++p;
    } else if (*p == '\n') {
        ++p;
    }
    line_offset_ = position_;
    position_ = static_cast<std::int32_t>(p - text_);
    ++number_;
    while (start != line_end && *start == ' ') ++start;
    while (line_end != start && line_end[-1] == ' ') --line_end;
    line_ = {start, line_end};
    return true;
}

void LineReader::rewind(std::int32_t offset, std::int32_t number) {
    position_ = offset;
    number_ = number - 1;
}

// operand = variable | string | number
// variable = "$" {letter | digit | "_"}
// string = quote {character | "\" (quote | "\")} quote
// number = ["-"] digit {digit}
const char* lex_operand(const char* p, const char* end, TOPERAND& operand) {
    const char* operand_end = nullptr;
    std::uint8_t kind = kNoValue;
    if (p != end && *p == '$') {
        operand_end = p + 1;
        while (operand_end != end && is_name_char(*operand_end)) ++operand_end;
        kind = kVariableOperand;
    } else if (p != end && is_quote(*p)) {
        operand_end = string_literal_end(p, end);
        kind = kStringValue;
    } else if (p != end && (is_digit(*p) || (*p == '-' && p + 1 != end && is_digit(p[1])))) {
        operand_end = p + 1;
        while (operand_end != end && is_digit(*operand_end)) ++operand_end;
        kind = kIntegerValue;
    }
    if (operand_end == nullptr) {
        operand.text = {p, p};
        operand.kind = kNoValue;
        return nullptr;
    }
    operand.text = {p, operand_end};
    operand.kind = kind;
    return operand_end;
}

}  // namespace tomeo
