#include "window/row_texts.h"

#include <cstring>

#include "core/hstr.h"
#include "core/path_separator.h"

namespace tomeo {

namespace {

std::string Grouped(std::int32_t value) {
    HSTR text;
    text.set_grouped_number(value);
    return text.c_str();
}

// The directory without its trailing separator; the root keeps its one separator, so
// that the column never reads empty for a book lying there.
std::string ShownDirectory(const char* dir) {
    std::size_t n = std::strlen(dir);
    if (n > 1 && dir[n - 1] == kPathSeparator) --n;
    return std::string(dir, n);
}

}  // namespace

std::array<std::string, kListColumns> RowTexts(const TFILEINF& entry) {
    std::array<std::string, kListColumns> texts;
    texts[0] = entry.name.c_str();
    if (entry.kind == KIND_DIRECTORY || entry.kind == KIND_DRIVE) return texts;
    texts[1] = Grouped(entry.size);
    if (entry.container == CONTAINER_ZIP) texts[2] = Grouped(entry.zipsize);
    HSTR time;
    time.set_date_time(entry.time);
    texts[3] = time.c_str();
    texts[4] = ShownDirectory(entry.dir.c_str());
    return texts;
}

}  // namespace tomeo
