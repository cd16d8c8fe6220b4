#include "window/command_words.h"

namespace tomeo {

std::vector<std::string> SplitCommandWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == ' ' || c == '\t') {
            if (in_word) words.push_back(std::move(word));
            word.clear();
            in_word = false;
            continue;
        }
        in_word = true;
        if (c == '\'') {
            const std::size_t end = command.find('\'', i + 1);
            word.append(command.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
            if (end == std::string_view::npos) break;
            i = end;
        } else if (c == '"') {
            for (++i; i < command.size() && command[i] != '"'; ++i) {
                const char next = i + 1 < command.size() ? command[i + 1] : '\0';
                if (command[i] == '\\' &&
                    (next == '"' || next == '\\' || next == '$' || next == '`')) {
                    ++i;
                }
                word += command[i];
            }
        } else if (c == '\\' && i + 1 < command.size()) {
            word += command[++i];
        } else {
            word += c;
        }
    }
    if (in_word) words.push_back(std::move(word));
    return words;
}

std::string QuoteCommandWord(std::string_view word) {
    bool plain = !word.empty();
    for (const char c : word) {
        if (c == ' ' || c == '\t' || c == '\'' || c == '"' || c == '\\') plain = false;
    }
    if (plain) return std::string(word);
    std::string quoted = "'";
    for (const char c : word) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

}  // namespace tomeo
