#include "batch/cmdline.h"

#include <cstring>
#include <string_view>

#include "core/charset.h"
#include "core/operations.h"
#include "core/path_separator.h"

namespace tomeo {
namespace {

std::uint32_t operation_of_letter(char letter) {
    switch (letter) {
        case 'r': return OP_RENAME;
        case 'm': return OP_MOVE;
        case 'z': return OP_ZIP;
        case 'u': return OP_UTF8;
        case 't': return OP_TOTEXT;
        case 'd': return OP_DOS;
        default: return 0;
    }
}

constexpr std::string_view kEndOfSwitches = "--";

// Finds --help, -h or --version before "--"; the first one met counts.
void FindHelpOrVersion(CommandLine& cl) {
    for (std::size_t i = 1; i < cl.arguments.size(); ++i) {
        const std::string& argument = cl.arguments[i];
        if (argument == kEndOfSwitches) return;
        if (argument == "--help" || argument == "-h") {
            cl.help = true;
            return;
        }
        if (argument == "--version") {
            cl.version = true;
            return;
        }
    }
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine cl;
    for (int i = 0; i < argc; ++i) {
        cl.given.emplace_back(argv[i]);
        cl.arguments.push_back(utf8_to_cp1251_lossy(argv[i]));
    }

    FindHelpOrVersion(cl);
    if (cl.help || cl.version) return cl;

    for (int i = 1; i < argc && cl.valid; ++i) {
        const std::string& argument = cl.arguments[i];
        if (cl.end_of_switches < 0 && argument == kEndOfSwitches) {
            cl.end_of_switches = i;
            continue;
        }
        if (cl.end_of_switches >= 0 || !CommandLine::is_switch(argument)) {
            if (cl.first_file < 0) cl.first_file = i;
            continue;
        }
        // Only one switch argument, holding at least one letter, all of them known.
        if (cl.operations != 0 || argument.size() == 1) {
            cl.valid = false;
            break;
        }
        for (std::size_t k = 1; k < argument.size(); ++k) {
            const std::uint32_t op = operation_of_letter(argument[k]);
            if (op == 0) {
                cl.valid = false;
                break;
            }
            cl.operations |= op;
        }
    }
    if (cl.valid && cl.operations != 0 && cl.first_file < 0) cl.valid = false;
    return cl;
}

void SplitBatchArgument(const char* argument, const char* working_dir, WSTR& directory,
                        WSTR& pattern) {
    const char* last = std::strrchr(argument, kPathSeparator);
    WSTR joined;
    if (argument[0] != kPathSeparator) {
        joined.assign(working_dir);
        joined.ensure_trailing_backslash();
    }
    if (last != nullptr) joined.append(argument, static_cast<std::int32_t>(last - argument + 1));
    pattern.assign(last != nullptr ? last + 1 : argument);

    // "./books/", "books//" and "books/./" (as typed or completed) are "books/".
    directory.assign(kPathSeparator);
    for (const char* p = joined.c_str(); *p != '\0';) {
        const char* end = std::strchr(p, kPathSeparator);
        if (end == nullptr) end = p + std::strlen(p);
        const std::int32_t n = static_cast<std::int32_t>(end - p);
        if (n > 0 && !(n == 1 && *p == '.')) {
            directory.append(p, n);
            directory.append(kPathSeparator);
        }
        p = *end == '\0' ? end : end + 1;
    }
}

}  // namespace tomeo
