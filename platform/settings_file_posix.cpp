#include "core/charset.h"
#include "platform/files.h"
#include "platform/settings_file.h"

namespace tomeo::platform {
namespace {

// Settings files are a few hundred bytes; anything far larger is not ours.
constexpr std::int64_t kMaxSettingsSize = 1 << 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool EqualAsciiIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool NeedsQuotes(std::string_view value) {
    if (value.empty()) return false;
    const auto special = [](char c) { return IsBlank(c) || c == '"'; };
    return special(value.front()) || special(value.back());
}

}  // namespace

IniSection ParseIniSection(std::string_view text, std::string_view section) {
    IniSection values;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    bool inside = false;
    std::string value_1251;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            inside = line.back() == ']' &&
                     EqualAsciiIgnoringCase(Trim(line.substr(1, line.size() - 2)), section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inside || equals == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, equals));
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (key.empty() || !utf8_to_cp1251(value, value_1251)) continue;
        IniValue* existing = nullptr;
        for (IniValue& v : values) {
            if (EqualAsciiIgnoringCase(v.key, key)) existing = &v;
        }
        if (existing == nullptr) existing = &values.emplace_back(IniValue{std::string(key), {}});
        existing->value = value_1251;
    }
    return values;
}

std::string FormatIniSection(std::string_view section, const IniSection& values) {
    std::string text;
    text.append("[").append(section).append("]\n");
    for (const IniValue& v : values) {
        if (v.value.find_first_of("\r\n") != std::string::npos) continue;
        const std::string utf8 = cp1251_to_utf8(v.value);
        text.append(v.key).append("=");
        if (NeedsQuotes(v.value)) {
            text.append("\"").append(utf8).append("\"");
        } else {
            text.append(utf8);
        }
        text.append("\n");
    }
    return text;
}

const std::string* FindIniValue(const IniSection& values, std::string_view key) {
    for (const IniValue& v : values) {
        if (EqualAsciiIgnoringCase(v.key, key)) return &v.value;
    }
    return nullptr;
}

IniSection ReadIniFile(const char* path, std::string_view section) {
    std::string bytes;
    if (!ReadWholeFile(path, kMaxSettingsSize, bytes)) return {};
    return ParseIniSection(bytes, section);
}

bool WriteIniFile(const char* path, std::string_view section, const IniSection& values) {
    return WriteFileReplacing(path, FormatIniSection(section, values));
}

}  // namespace tomeo::platform
