// The settings file: one [section] of an INI file in UTF-8, lines "key=value". Reading
// never fails (what cannot be read is absent); writing replaces the whole file at once,
// so that a crash leaves either the old file or the new one. Keys are ASCII; values
// are Windows-1251 here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tomeo::platform {

struct IniValue {
    std::string key;
    std::string value;  // Windows-1251
};
using IniSection = std::vector<IniValue>;

// The values of [section] in a UTF-8 text (a byte-order mark is skipped). Spaces and
// tabs around keys and values are dropped; a value in double quotes keeps what is
// inside them. Lines starting with ';' or '#' are comments. Section names and keys
// match ignoring ASCII case; a key given twice keeps its last value. A value without
// a Windows-1251 form, and every line that is not understood, are left out.
IniSection ParseIniSection(std::string_view text, std::string_view section);

// The text of a file holding just this section. A value that begins or ends with a
// space, a tab or a double quote is written in double quotes; a value holding a line
// break cannot be written and is left out.
std::string FormatIniSection(std::string_view section, const IniSection& values);

// The value of key, or null.
const std::string* FindIniValue(const IniSection& values, std::string_view key);

// Reads [section] of the file (a Windows-1251 path). A missing, unreadable or
// oversized file gives no values.
IniSection ReadIniFile(const char* path, std::string_view section);

// Replaces the file by one holding just this section: the text goes to a temporary file
// beside it, is flushed to disk, and is renamed over the old file, whose directory is
// then flushed too. False when that did not succeed (the old file is then untouched).
bool WriteIniFile(const char* path, std::string_view section, const IniSection& values);

}  // namespace tomeo::platform
