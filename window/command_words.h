// A viewer's command as the user types it on the settings page: words split as a shell
// would split them, so that a path with spaces can be quoted, but nothing is expanded
// and no shell ever runs it. Texts are Windows-1251.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tomeo {

// Splits at runs of spaces and tabs. Inside single quotes every character stands for
// itself; inside double quotes a backslash escapes only '"', '\\', '$' and '`'; outside
// quotes a backslash escapes any character. A quote left open runs to the end. Quotes
// next to other characters join them into one word ("a"'b'c is abc); "" is an empty word.
std::vector<std::string> SplitCommandWords(std::string_view command);

// The word as SplitCommandWords gives it back: as it is when it needs no quoting, else in
// single quotes (a single quote inside written as '\'').
std::string QuoteCommandWord(std::string_view word);

}  // namespace tomeo
