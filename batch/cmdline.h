// The command line: tomeo -LETTERS FILE [FILE ...] runs a batch, tomeo [FILE] the window,
// tomeo --help (-h) and tomeo --version print the usage text or the version. "--" ends
// the switches: every argument after it names a file, even one beginning with '-'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/wstr.h"

namespace tomeo {

struct CommandLine {
    // The arguments in Windows-1251; [0] is the program itself.
    std::vector<std::string> arguments;
    std::uint32_t operations = 0;  // OP_ flags of the switch argument
    int first_file = -1;           // index of the first file argument, -1 when none
    int end_of_switches = -1;      // index of "--", -1 when none
    bool valid = true;
    // --help or -h / --version before "--": the first of them is all that is done.
    bool help = false;
    bool version = false;

    bool batch_mode() const { return operations != 0; }
    // Whether argument i names a file: every argument after "--"; before it, those that
    // do not begin with '-'.
    bool is_file(int i) const {
        if (end_of_switches >= 0 && i >= end_of_switches) return i > end_of_switches;
        return !is_switch(arguments[i]);
    }
    static bool is_switch(const std::string& argument) { return argument.starts_with('-'); }
};

// Converts the arguments (UTF-8, already split by the shell) to Windows-1251 and
// parses them. A character without a Windows-1251 form becomes a byte that names no file.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// Splits a batch argument into its directory (up to and including the last separator,
// made absolute against the working directory) and its file-name pattern.
void SplitBatchArgument(const char* argument, const char* working_dir, WSTR& directory,
                        WSTR& pattern);

}  // namespace tomeo
