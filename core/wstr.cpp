#include "core/wstr.h"

#include <cstring>
#include <string>

#include "core/charset.h"
#include "core/path_separator.h"

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

namespace {

// Patterns up to this long are found by their first byte and a comparison, which is
// quickest when they occur often; longer ones, which cannot occur as often, by strstr,
// whose time does not depend on the pattern's length.
constexpr std::size_t kShortPattern = 16;

const char* find_pattern(const char* p, const char* end, const char* pattern,
                         std::size_t pattern_length) {
    if (pattern_length > kShortPattern) return std::strstr(p, pattern);
    while (static_cast<std::size_t>(end - p) >= pattern_length) {
        p = static_cast<const char*>(std::memchr(p, pattern[0], end - p));
        if (p == nullptr || static_cast<std::size_t>(end - p) < pattern_length) return nullptr;
        if (std::memcmp(p, pattern, pattern_length) == 0) return p;
        ++p;
    }
    return nullptr;
}

}  // namespace

bool WSTR::replace_all(const char* pattern, const char* replacement, std::int64_t max_length) {
    const std::size_t pattern_length = std::strlen(pattern);
    if (pattern_length == 0) return true;
    const std::size_t replacement_length = std::strlen(replacement);
    const char* p = c_str();
    const char* end = p + length();
    std::string result;
    for (const char* hit; (hit = find_pattern(p, end, pattern, pattern_length)) != nullptr;
         p = hit + pattern_length) {
        result.append(p, static_cast<std::size_t>(hit - p));
        result.append(replacement, replacement_length);
        if (static_cast<std::int64_t>(result.size()) > max_length) return false;
    }
    if (p == c_str()) return true;  // nothing to replace
    result.append(p, static_cast<std::size_t>(end - p));
    if (static_cast<std::int64_t>(result.size()) > max_length) return false;
    assign(result.c_str(), static_cast<std::int32_t>(result.size()));
    return true;
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
