// The process's surroundings: working, home and configuration directories, and the
// terminal. Texts cross this boundary in Windows-1251; the system sees UTF-8.
#pragma once

#include <string>
#include <vector>

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

// The user's cache and data directories, ending with the separator: $XDG_CACHE_HOME and
// $XDG_DATA_HOME when they hold an absolute path, else ~/.cache/ and ~/.local/share/;
// empty when unknown. Not created here.
WSTR CacheDirectory();
WSTR DataDirectory();

// The system's data directories (UTF-8, each ending with the separator): $XDG_DATA_DIRS,
// its absolute entries, else /usr/local/share/ and /usr/share/.
std::vector<std::string> SystemDataDirectories();

// Creates the directory and the missing directories above it, new ones with the given
// mode. True when it exists as a directory afterwards.
bool MakeDirectoryPath(const char* path, unsigned mode);

// A folder of the program's own for temporary files (copies of zipped books), ending
// with the separator: "tomeo/" in $XDG_RUNTIME_DIR when that is set, else "tomeo-UID/"
// in the system's temporary folder ($TMPDIR or /tmp). It is created with mode 0700 and
// used only when it is a directory (not a link) of this user that no one else may enter;
// empty otherwise.
WSTR PrivateTempDirectory();

// Writes a Windows-1251 text to standard error as UTF-8 (cp1251_to_terminal: CR LF
// becomes a line feed, other control characters are shown escaped).
void WriteStandardError(const char* text);

// Writes a Windows-1251 text to standard output as UTF-8, CR LF becoming a line feed.
// False when it could not be written completely.
bool WriteStandardOutput(const char* text);

// Whether standard error is a terminal (a person watching, not a file or a pipe).
bool StandardErrorIsTerminal();

// The width of the terminal of standard error in columns; 80 when it cannot be told.
int TerminalColumns();

// Shows a Windows-1251 text as the terminal's status line: it replaces the line drawn
// before and stays on the same line (no line feed); an empty text erases it. The text
// must fit the terminal's width and hold no control characters.
void ShowStatusLine(const char* text);

}  // namespace tomeo::platform
