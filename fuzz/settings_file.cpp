// Fuzz target: the settings file reader over arbitrary bytes. Whatever it reads must
// survive being written and read again unchanged.
#include <cstdint>
#include <string_view>

#include "platform/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tomeo::platform::IniSection values = tomeo::platform::ParseIniSection(text, "Tomeo");
    const std::string written = tomeo::platform::FormatIniSection("Tomeo", values);
    const tomeo::platform::IniSection again = tomeo::platform::ParseIniSection(written, "Tomeo");
    // Values holding line breaks are the one thing the writer leaves out.
    std::size_t kept = 0;
    for (const auto& v : values) {
        if (v.value.find_first_of("\r\n") != std::string::npos) continue;
        if (kept >= again.size() || again[kept].key != v.key || again[kept].value != v.value) {
            __builtin_trap();
        }
        ++kept;
    }
    if (kept != again.size()) __builtin_trap();
    return 0;
}
