// The command line: tomeo -LETTERS FILE [FILE ...] runs a batch, tomeo [FILE] the window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/wstr.h"

namespace tomeo {

struct CommandLine {
    // The arguments in Windows-1251; [0] is the program itself.
    std::vector<std::string> arguments;
    // The same as given (UTF-8 as a rule), for names that have no Windows-1251 form.
    std::vector<std::string> given;
    std::uint32_t operations = 0;  // OP_ flags of the switch argument
    int first_file = -1;           // index of the first file argument, -1 when none
    bool valid = true;

    bool batch_mode() const { return operations != 0; }
    static bool is_switch(const std::string& argument) { return argument.starts_with('-'); }
};

// Converts the arguments (UTF-8, already split by the shell) to Windows-1251 and
// parses them. A character without a Windows-1251 form becomes a byte that names no file.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// Splits a batch argument into its directory (up to and including the last separator,
// made absolute against the working directory, without "." or empty components) and its
// file-name pattern.
void SplitBatchArgument(const char* argument, const char* working_dir, WSTR& directory,
                        WSTR& pattern);

}  // namespace tomeo
