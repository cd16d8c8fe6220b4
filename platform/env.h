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

// Writes a Windows-1251 text to standard error as UTF-8, CR LF becoming a line feed.
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
