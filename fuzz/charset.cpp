// Fuzz target: the UTF-8 and code page conversions over arbitrary bytes.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::string in_place = input.substr(0, input.find('\0'));
    const std::string before = in_place;
    if (!tomeo::utf8_to_1251(in_place.data())) {
        if (std::strcmp(in_place.c_str(), before.c_str()) != 0) __builtin_trap();
    }

    std::string strict;
    if (tomeo::utf8_to_cp1251(input, strict)) {
        if (tomeo::cp1251_to_utf8(strict) != input) __builtin_trap();
    }
    const std::string lossy = tomeo::utf8_to_cp1251_lossy(input);
    // The UTF-8 form of any Windows-1251 text is valid UTF-8.
    if (!tomeo::is_valid_utf8(tomeo::cp1251_to_utf8(lossy))) __builtin_trap();

    // What reaches the terminal is UTF-8 without a control character but the line feed,
    // whether the text is a report or a name from the disk kept for showing.
    for (const std::string& text : {input, tomeo::utf8_to_cp1251_shown(input)}) {
        const std::string shown = tomeo::cp1251_to_terminal(text);
        if (!tomeo::is_valid_utf8(shown)) __builtin_trap();
        for (const char c : shown) {
            const auto b = static_cast<unsigned char>(c);
            if ((b < 0x20 && b != '\n') || b == 0x7F) __builtin_trap();
        }
    }

    std::string oem = input;
    tomeo::oem_to_ansi(oem.data(), oem.size());
    tomeo::ansi_to_oem(oem.data(), oem.size());
    return 0;
}
