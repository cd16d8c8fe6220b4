// The file manager's context menu: the boxes of the settings page "Общие" decide for
// which book types "Утилита Tomeo" shows in the "Open with" menu. That is one desktop
// entry, $XDG_DATA_HOME/applications/tomeo-open.desktop, claiming the ticked types and
// starting this program on the file; it is hidden from the application menu and never
// made anyone's default application. It exists while at least one box is ticked.
#pragma once

#include <string>

#include "core/wstr.h"

namespace tomeo {

struct Settings;

struct ContextMenuFlags {
    bool txt = false;
    bool fb2 = false;
    bool rtf = false;
    bool any() const { return txt || fb2 || rtf; }
    bool operator==(const ContextMenuFlags&) const = default;
};

ContextMenuFlags ContextMenuFlagsOf(const Settings& settings);

// $XDG_DATA_HOME/applications/tomeo-open.desktop (Windows-1251); empty when unknown.
WSTR ContextMenuEntryPath();

// The entry's text (UTF-8) for the ticked types, starting the program at that full path
// (UTF-8). Empty when the path cannot stand in a desktop entry (a line break in it).
std::string ContextMenuEntryText(const ContextMenuFlags& flags, const std::string& program);

// The follow-up of OK on the settings sheet: acts only when a box changed. Then the entry
// is written anew for the ticked types (replacing the old one at once) or, with none
// ticked, removed, and update-desktop-database is run on its folder when installed.
// program: this program's full path (UTF-8; the running executable when empty). False
// when the entry could not be written or removed; nothing is shown.
bool ApplyContextMenuFlags(const ContextMenuFlags& before, const ContextMenuFlags& after,
                           const std::string& program = {});

}  // namespace tomeo
