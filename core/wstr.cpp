#include "core/wstr.h"

#include <cstring>
#include <string>

#include "convert/charset.h"
#include "platform/path_separator.h"

namespace tomeo {

void WSTR::set_number(std::int32_t value) {
    reserve_length(32);
    clear();
    append_decimal(value);
}

void WSTR::to_lower() {
    for (char* p = data(); *p != '\0'; ++p) *p = char_lower(*p);
}

void WSTR::to_upper() {
    for (char* p = data(); *p != '\0'; ++p) *p = char_upper(*p);
}

void WSTR::truncate(std::int32_t n) {
    if (n < 0) n = 0;
    if (n < length()) data()[n] = '\0';
}

void WSTR::substring_in_place(std::int32_t pos, std::int32_t n) {
    const std::int32_t len = length();
    if (pos < 0 || n < 0 || pos >= len) {
        clear();
        return;
    }
    const std::int32_t keep = n < len - pos ? n : len - pos;
    std::memmove(data(), data() + pos, static_cast<std::size_t>(keep));
    data()[keep] = '\0';
}

void WSTR::replace_all(const char* pattern, const char* replacement) {
    const std::size_t pattern_length = std::strlen(pattern);
    if (pattern_length == 0) return;
    std::string result;
    for (const char* p = c_str(); *p != '\0';) {
        if (std::strncmp(p, pattern, pattern_length) == 0) {
            result += replacement;
            p += pattern_length;
        } else {
            result += *p++;
        }
    }
    assign(result.c_str(), static_cast<std::int32_t>(result.size()));
}

std::int32_t WSTR::find(const char* text) const {
    if (*text == '\0') return -1;
    const char* hit = std::strstr(c_str(), text);
    return hit == nullptr ? -1 : static_cast<std::int32_t>(hit - c_str());
}

void WSTR::ensure_trailing_backslash() {
    const std::int32_t len = length();
    if (len == 0 || c_str()[len - 1] != kPathSeparator) append(kPathSeparator);
}

void WSTR::drop_trailing_backslash() {
    const std::int32_t len = length();
    if (len > 0 && c_str()[len - 1] == kPathSeparator) data()[len - 1] = '\0';
}

}  // namespace tomeo
