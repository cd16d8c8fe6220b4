// Fuzz target: a viewer's command from the settings split into words. Quoting the words
// again and joining them gives a command that splits into the same words.
#include <cstdint>
#include <string>
#include <vector>

#include "window/command_words.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> words = tomeo::SplitCommandWords(input);
    std::string joined;
    for (const std::string& word : words) {
        if (word.size() > input.size()) __builtin_trap();  // words only ever lose quotes
        if (!joined.empty()) joined += ' ';
        joined += tomeo::QuoteCommandWord(word);
    }
    if (tomeo::SplitCommandWords(joined) != words) __builtin_trap();
    return 0;
}
