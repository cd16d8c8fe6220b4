// The process's surroundings: working, home and configuration directories, and the
// terminal. Texts cross this boundary in Windows-1251; the system sees UTF-8.
#pragma once

#include "core/wstr.h"

namespace tomeo::platform {

// The working directory, ending with the separator. False when it cannot be read or
// its name has no Windows-1251 form.
bool GetWorkingDirectory(WSTR& directory);

// The user's home directory ($HOME, else the password database), ending with the
// separator; empty when unknown.
WSTR HomeDirectory();

// Where Tomeo keeps its settings and scripts: $XDG_CONFIG_HOME/tomeo/ when that
// variable holds an absolute path, else ~/.config/tomeo/. Not created here.
WSTR ConfigDirectory();

// Writes a Windows-1251 text to standard error as UTF-8 (cp1251_to_terminal: CR LF
// becomes a line feed, other control characters are shown escaped).
void WriteStandardError(const char* text);

}  // namespace tomeo::platform
