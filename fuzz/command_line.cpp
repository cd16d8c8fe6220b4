// Fuzz target: the command line (arguments separated by NUL bytes) and the status line
// that shows a name from it. Checks what the parser promises: help and version alone,
// one switch argument of known letters, files exactly where is_file says, and a status
// line that fits its width and holds no control character.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "batch/cmdline.h"
#include "batch/progress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args{"tomeo"};
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(current);
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    const tomeo::CommandLine cl =
        tomeo::ParseCommandLine(static_cast<int>(argv.size()), argv.data());

    if (cl.help && cl.version) __builtin_trap();
    if (cl.valid && !cl.help && !cl.version) {
        int switches = 0, first_file = -1;
        for (int i = 1; i < static_cast<int>(cl.arguments.size()); ++i) {
            if (cl.is_file(i)) {
                if (first_file < 0) first_file = i;
                continue;
            }
            if (i == cl.end_of_switches) continue;
            const std::string& a = cl.arguments[i];
            ++switches;
            if (a.size() < 2 || a[0] != '-' ||
                a.find_first_not_of("rmzutd", 1) != std::string::npos) {
                __builtin_trap();
            }
        }
        if (first_file != cl.first_file || switches > 1) __builtin_trap();
        if ((switches == 1) != cl.batch_mode()) __builtin_trap();
        if (cl.batch_mode() && cl.first_file < 0) __builtin_trap();
    }

    for (const auto& a : cl.arguments) {
        const int columns = static_cast<int>(a.size() % 100);
        const std::string line = tomeo::FormatProgressLine(7, 9, a.c_str(), columns);
        if (line.size() > static_cast<std::size_t>(columns > 1 ? columns - 1 : 0)) __builtin_trap();
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
        }
    }
    return 0;
}
