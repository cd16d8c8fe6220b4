// Other programs: finding one on the PATH, starting one that lives on by itself (a
// viewer, the browser), running one and reading what it prints (a desktop query), and
// this program's own path. Arguments are passed as they are, never through a shell.
// Texts here are UTF-8, as the system sees them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tomeo::platform {

// The full path of a program: a name holding "/" is taken as it is, any other is
// looked for in the folders of $PATH (/usr/local/bin, /usr/bin and /bin when it is
// unset). Empty when there is no such executable file.
std::string FindProgram(std::string_view name);

// Starts the program (arguments[0], found as FindProgram finds it) with the arguments
// in a session of its own, detached: its end is never waited for and leaves no zombie.
// Its standard input is /dev/null. False when it could not be started (not found, not
// executable, no process); whatever it does once started is not followed.
bool StartDetached(const std::vector<std::string>& arguments);

// Runs the program with the arguments and waits for it (at most timeout_ms, then it is
// killed), keeping at most limit bytes of its standard output; its standard input and
// error are /dev/null. False when it could not be started, was killed, or ended with a
// status other than 0.
bool RunAndRead(const std::vector<std::string>& arguments, std::string& output,
                int timeout_ms = 10000, std::size_t limit = 65536);

// Whether a regular file (a link to one counts) has that UTF-8 path.
bool DiskFileExists(const std::string& path);

// The running program's own full path (/proc/self/exe); empty when unknown.
std::string ExecutablePath();

// The full path of a program that comes with this one: beside it (a build folder) or,
// for an installed copy, in ../libexec/tomeo/ from its folder. Empty when neither is an
// executable file.
std::string CompanionProgram(std::string_view name);

// Replaces this process by the program at `path` with the arguments (argv[0] included,
// ending with a null pointer); standard input, output and error stay. Returns only
// when that failed.
void ReplaceProcess(const std::string& path, const char* const* argv);

}  // namespace tomeo::platform
