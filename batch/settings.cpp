#include "batch/settings.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "batch/paths.h"
#include "core/path_separator.h"
#include "platform/env.h"

namespace tomeo {
namespace {

constexpr std::string_view kSection = "Tomeo";
constexpr const char* kFileName = "settings.ini";

// A stored text must fit a 252-byte buffer with its NUL; a longer one reads as empty.
constexpr std::size_t kMaxStringLength = 251;

// A 32-bit value: decimal digits only. Absent or malformed values read as 0.
std::uint32_t ReadDword(const platform::IniSection& values, std::string_view key) {
    const std::string* text = platform::FindIniValue(values, key);
    if (text == nullptr || text->empty() || text->size() > 10) return 0;
    std::uint64_t value = 0;
    for (char c : *text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value > 0xFFFFFFFFu ? 0 : static_cast<std::uint32_t>(value);
}

void ReadString(const platform::IniSection& values, std::string_view key, HSTR& out) {
    const std::string* text = platform::FindIniValue(values, key);
    if (text == nullptr || text->size() > kMaxStringLength) {
        out.clear();
    } else {
        out.assign(text->c_str(), static_cast<std::int32_t>(text->size()));
    }
}

NextFileAction InRangeOrFirst(std::uint32_t value, std::uint32_t last) {
    return static_cast<NextFileAction>(value >= 1 && value <= last ? value : 1);
}

std::int32_t Signed16(std::uint32_t bits) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bits & 0xFFFF));
}

std::int32_t Signed15(std::uint32_t bits) {
    const std::int32_t value = static_cast<std::int32_t>(bits & 0x7FFF);
    return value >= 0x4000 ? value - 0x8000 : value;
}

// A number clamped into a field of the packed layout.
std::uint32_t Field(std::int32_t value, std::int32_t low, std::int32_t high, std::uint32_t mask) {
    return static_cast<std::uint32_t>(std::clamp(value, low, high)) & mask;
}

std::uint32_t PackPair(std::int32_t high_half, std::int32_t low_half) {
    return Field(high_half, -32768, 32767, 0xFFFF) << 16 | Field(low_half, -32768, 32767, 0xFFFF);
}

void Add(platform::IniSection& values, const char* key, std::uint32_t value) {
    values.push_back({key, std::to_string(value)});
}

void Add(platform::IniSection& values, const char* key, const HSTR& text) {
    values.push_back({key, text.c_str()});
}

}  // namespace

WSTR SettingsFilePath() {
    WSTR path = platform::ConfigDirectory();
    if (!path.is_empty()) path.append(kFileName);
    return path;
}

void SettingsFromValues(const platform::IniSection& values, Settings& s) {
    s = Settings{};

    const std::uint32_t a = ReadDword(values, "param_a");
    s.text_next = InRangeOrFirst(a & 0xF, 3);
    s.fb2_next = InRangeOrFirst(a >> 4 & 0xF, 4);
    s.rtf_next = InRangeOrFirst(a >> 12 & 0xF, 2);
    if ((a >> 8 & 0xF) == 3) s.menu_txt = s.menu_fb2 = s.menu_rtf = true;
    if (a & 1u << 16) s.menu_txt = true;
    if (a & 1u << 17) s.menu_fb2 = true;
    if (a & 1u << 18) s.menu_rtf = true;

    ReadString(values, "param_d", s.viewer_txt);
    ReadString(values, "param_e", s.viewer_fb2);
    ReadString(values, "param_f", s.viewer_rtf);

    // The position counts only together with the right and bottom edges.
    if (const std::uint32_t i = ReadDword(values, "param_i"); i != 0) {
        s.window_right = Signed16(i >> 16);
        s.window_bottom = static_cast<std::int32_t>(i & 0xFFFF);
        const std::uint32_t h = ReadDword(values, "param_h");
        s.window_maximized = (h >> 31) != 0;
        s.window_left = Signed15(h >> 16);
        s.window_top = static_cast<std::int32_t>(h & 0xFFFF);
    }
    if (const std::uint32_t k = ReadDword(values, "param_k"); k != 0) {
        s.column_widths[0] = Signed16(k >> 16);
        s.column_widths[1] = Signed16(k);
        const std::uint32_t l = ReadDword(values, "param_l");
        s.column_widths[2] = Signed16(l >> 16);
        s.column_widths[3] = Signed16(l);
    }
    if (const std::uint32_t p = ReadDword(values, "param_p"); p != 0) {
        s.column_widths[4] = Signed16(p >> 16);
    }
    if (const std::uint32_t m = ReadDword(values, "param_m"); m != 0) {
        s.paragraph_form = static_cast<ParagraphForm>(m & 0x3);
        s.paragraph_indent = static_cast<std::uint8_t>(m >> 2 & 0xFF);
    }
    if (const std::uint32_t n = ReadDword(values, "param_n"); n != 0) {
        s.text_packing = static_cast<TextPacking>(n & 0xFF);
    }
    ReadString(values, "param_o", s.text_dir);
}

platform::IniSection SettingsToValues(const Settings& s) {
    platform::IniSection values;
    Add(values, "param_a",
        (s.text_next & 0xFu) | (s.fb2_next & 0xFu) << 4 | (s.rtf_next & 0xFu) << 12 |
            std::uint32_t{s.menu_txt} << 16 | std::uint32_t{s.menu_fb2} << 17 |
            std::uint32_t{s.menu_rtf} << 18);
    Add(values, "param_d", s.viewer_txt);
    Add(values, "param_e", s.viewer_fb2);
    Add(values, "param_f", s.viewer_rtf);
    // The left edge has 15 bits beside the maximized flag; edges beyond a field's range
    // are clamped into it, so that one never spills into its neighbour.
    Add(values, "param_h",
        std::uint32_t{s.window_maximized} << 31 |
            Field(s.window_left, -16384, 16383, 0x7FFF) << 16 |
            Field(s.window_top, 0, 65535, 0xFFFF));
    Add(values, "param_i",
        Field(s.window_right, -32768, 32767, 0xFFFF) << 16 |
            Field(s.window_bottom, 0, 65535, 0xFFFF));
    Add(values, "param_k", PackPair(s.column_widths[0], s.column_widths[1]));
    Add(values, "param_l", PackPair(s.column_widths[2], s.column_widths[3]));
    Add(values, "param_p", PackPair(s.column_widths[4], 0));
    Add(values, "param_m", (s.paragraph_form & 0x3u) | std::uint32_t{s.paragraph_indent} << 2);
    Add(values, "param_n", s.text_packing);
    Add(values, "param_o", s.text_dir);
    return values;
}

void LoadSettings(Settings& settings, const char* path) {
    if (*path == '\0') {
        settings = Settings{};
        return;
    }
    SettingsFromValues(platform::ReadIniFile(path, kSection), settings);
}

bool SaveSettings(const Settings& settings, const char* path) {
    if (*path == '\0') return false;
    if (const char* last = std::strrchr(path, kPathSeparator); last != nullptr) {
        WSTR directory;
        directory.assign(path, static_cast<std::int32_t>(last - path + 1));
        if (!CreateDirectoryPath(directory.c_str())) return false;
    }
    return platform::WriteIniFile(path, kSection, SettingsToValues(settings));
}

}  // namespace tomeo
