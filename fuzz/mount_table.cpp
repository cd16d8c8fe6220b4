// Fuzz target: the mount table reader and the name pattern matcher over arbitrary bytes
// (the first line is the pattern, the second the name, the rest a mount table).
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/directories.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const std::string& point : tomeo::platform::RemovableMountPoints(input)) {
        if (point.empty() || point[0] != '/') __builtin_trap();
    }
    const std::size_t first = input.find('\n');
    if (first == std::string_view::npos) return 0;
    const std::size_t second = input.find('\n', first + 1);
    const std::string pattern(input.substr(0, first));
    const std::string name(input.substr(first + 1, second - first - 1));
    const bool matches = tomeo::platform::MatchesPattern(name.c_str(), pattern.c_str());
    // "*" matches every name; a name always matches itself unless it holds wildcards.
    if (!tomeo::platform::MatchesPattern(name.c_str(), "*")) __builtin_trap();
    if (!name.empty() && name.find_first_of("*?") == std::string::npos &&
        name.find('\0') == std::string::npos &&
        !tomeo::platform::MatchesPattern(name.c_str(), name.c_str())) {
        __builtin_trap();
    }
    (void)matches;
    return 0;
}
