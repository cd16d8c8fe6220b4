// The menu item "?": the built-in help page (HELP_2) written to
// $XDG_CACHE_HOME/tomeo/tomeo.html (the program's own folder is not writable once
// installed) and handed to the desktop's browser through xdg-open. The page is written
// as it is built in, Windows-1251, which it declares.
#pragma once

#include "core/wstr.h"

namespace tomeo {

// Writes the page, replacing an older one (the folders are created when missing).
// Gives its path (Windows-1251); false when it could not be written.
bool WriteHelpPage(WSTR& path);

// Writes the page and starts xdg-open on it, without waiting. False when the page could
// not be written or the opener not started; nothing is shown either way.
bool ShowHelpPage();

}  // namespace tomeo
