// The user's settings: read once at start-up, kept in one Settings object that the
// settings dialogs change and the rest of the program reads, and written once when the
// window closes (a batch run never writes them). They live in settings.ini in the
// configuration directory, section [Tomeo], under the value names param_a ... param_p,
// numbers packed into 32-bit values written in decimal, texts as they are.
#pragma once

#include <cstdint>

#include "core/hstr.h"
#include "core/wstr.h"
#include "platform/settings_file.h"

namespace tomeo {

// The single-file action after which the window moves on to the next file, per kind.
enum NextFileAction : std::uint8_t {
    NEXT_AFTER_RENAME = 1,
    NEXT_AFTER_PACK = 2,
    NEXT_AFTER_RECODE = 3,   // DOS for text, UTF-8 for FB2
    NEXT_AFTER_CONVERT = 4,  // FB2 only
};

// How a paragraph of a text file is laid out.
enum ParagraphForm : std::uint8_t {
    PARAGRAPH_ONE_LINE = 1,
    PARAGRAPH_SEVERAL_LINES = 2,
};

// Where a text file made from an FB2 book goes.
enum TextPacking : std::uint8_t {
    TEXT_NOT_PACKED = 1,
    TEXT_IN_ZIP = 2,
    TEXT_AS_SOURCE = 3,  // packed when the source FB2 is
};

inline constexpr int kColumnCount = 5;  // "Файл", "Размер", "Сж. размер", "Изменен", "Каталог"

struct Settings {
    NextFileAction text_next = NEXT_AFTER_RENAME;  // 1 to 3
    NextFileAction fb2_next = NEXT_AFTER_RENAME;   // 1 to 4
    NextFileAction rtf_next = NEXT_AFTER_RENAME;   // 1 to 2
    // Context-menu entries for .txt, .fb2 and .rtf files.
    bool menu_txt = false;
    bool menu_fb2 = false;
    bool menu_rtf = false;
    // Viewer programs; empty for the system's choice.
    HSTR viewer_txt;
    HSTR viewer_fb2;
    HSTR viewer_rtf;
    // The window's last normal rectangle (screen coordinates) and whether it was maximized.
    std::int32_t window_left = 40;
    std::int32_t window_top = 20;
    std::int32_t window_right = 760;
    std::int32_t window_bottom = 580;
    bool window_maximized = false;
    std::int32_t column_widths[kColumnCount] = {248, 84, 84, 110, 150};
    ParagraphForm paragraph_form = PARAGRAPH_ONE_LINE;
    std::uint8_t paragraph_indent = 1;  // spaces at the start of a paragraph
    TextPacking text_packing = TEXT_AS_SOURCE;
    HSTR text_dir;  // empty: beside the source
};

// The configuration directory's settings.ini; empty when there is no such directory.
WSTR SettingsFilePath();

// Reads the settings from the file, every missing, malformed or unreadable value giving
// its default. Creates nothing and never fails.
void LoadSettings(Settings& settings, const char* path);
// Writes every value, replacing the file at once (its directory is created when
// missing). False when it could not be written; the settings are then not kept.
bool SaveSettings(const Settings& settings, const char* path);

// The packed values as stored, and back (what LoadSettings and SaveSettings apply).
void SettingsFromValues(const platform::IniSection& values, Settings& settings);
platform::IniSection SettingsToValues(const Settings& settings);

}  // namespace tomeo
