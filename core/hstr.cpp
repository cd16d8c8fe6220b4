#include "core/hstr.h"

#include <cstdio>
#include <cstring>

namespace tomeo {

HSTR::HSTR(const char* text) : HSTR(text, static_cast<std::int32_t>(std::strlen(text))) {}

HSTR::HSTR(const char* bytes, std::int32_t n) : TextBuffer(n < 0 ? 1 : n + 1) {
    assign(bytes, n);
}

void HSTR::delete_prefix(std::int32_t n) {
    const std::int32_t len = length();
    if (n >= len) {
        clear();
    } else if (n > 0) {
        std::memmove(data(), data() + n, static_cast<std::size_t>(len - n) + 1);
    }
}

std::int32_t HSTR::find_char(char c) const {
    const char* hit = std::strchr(c_str(), c);
    return hit == nullptr ? -1 : static_cast<std::int32_t>(hit - c_str());
}

void HSTR::append_trimmed(const char* bytes, std::int32_t n) {
    std::int32_t start = 0;
    while (start < n && bytes[start] == ' ') ++start;
    while (n > start && bytes[n - 1] == ' ') --n;
    append(bytes + start, n - start);
}

void HSTR::assign_trimmed(const char* bytes, std::int32_t n) {
    clear();
    append_trimmed(bytes, n);
}

std::int32_t HSTR::first_non_space(const char* text) {
    std::int32_t i = 0;
    while (text[i] == ' ') ++i;
    return i;
}

void HSTR::set_number(std::int32_t value) {
    reserve(32);
    clear();
    append_decimal(value);
}

void HSTR::set_grouped_number(std::int32_t value) {
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
    // The group counter starts so that the first space falls after the leading group.
    constexpr int kStartPositive[3] = {0, 2, 1};
    constexpr int kStartOther[3] = {0, -1, 1};
    int counter = value > 0 ? kStartPositive[n % 3] : kStartOther[n % 3];
    reserve(32);
    clear();
    for (int i = 0; i < n; ++i) {
        if (counter == 3) {
            append(' ');
            counter = 0;
        }
        append(digits[i]);
        ++counter;
    }
}

void HSTR::set_date_time(FILETIME time) {
    const CivilTime c = filetime_to_civil(time);
    char text[48];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%d %.2d:%.2d", c.day, c.month, c.year, c.hour,
                  c.minute);
    reserve(32);
    assign(text);
}

HSTR::ParsedInt HSTR::parse_int(const char* text) {
    const std::int32_t n = static_cast<std::int32_t>(std::strlen(text));
    if (n == 0) return {0, false};
    std::uint32_t result = 0;
    std::uint32_t weight = 1;
    for (std::int32_t i = n - 1; i >= 0; --i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            result += static_cast<std::uint32_t>(c - '0') * weight;
            weight *= 10;
        } else if (c == '-' && i == 0) {
            return {static_cast<std::int32_t>(0u - result), true};
        } else {
            return {0, false};
        }
    }
    return {static_cast<std::int32_t>(result), true};
}

}  // namespace tomeo
