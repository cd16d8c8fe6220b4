// What the main window shows besides the list: which of its controls are enabled and
// the texts of the extension label, the two fields and the book panel. The window logic
// works it out after every selection and action; the window only draws it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tomeo {

// The main window's controls, the list first.
enum class Control : std::uint8_t {
    List,
    Open,       // "Открыть"
    Extension,  // ".txt" right of the name field
    Pack,       // "Архивировать"
    DosToWin,   // "DOS->WIN"
    Utf8ToWin,  // "UTF8->WIN"
    Fb2ToTxt,   // "FB2->TXT"
    NameField,
    Rename,  // "Переименовать"
    DirField,
    Move,       // "Переместить"
    Panel,      // the book panel (read-only)
    NameLabel,  // "Имя файла"
    DirLabel,   // "Каталог"
};
inline constexpr std::size_t kControlCount = 14;

struct WindowControls {
    std::array<bool, kControlCount> enabled{};
    // Windows-1251 texts.
    std::string extension;   // ".txt", ".fb2", ".rtf"; empty for directories and drives
    std::string name_field;  // the proposed file name (without extension), or empty
    std::string dir_field;   // the proposed directory, or empty
    std::string panel;       // the book panel's text

    bool is_enabled(Control control) const { return enabled[static_cast<std::size_t>(control)]; }
    void set_enabled(Control control, bool on) { enabled[static_cast<std::size_t>(control)] = on; }
};

}  // namespace tomeo
