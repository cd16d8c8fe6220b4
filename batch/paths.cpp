#include "batch/paths.h"

#include <cstdint>
#include <cstring>

#include "core/charset.h"
#include "core/path_separator.h"
#include "core/wstr.h"
#include "platform/directories.h"

namespace tomeo {

int ComparePaths(const char* a, const char* b) {
    for (; *a != '\0'; ++a, ++b) {
        if (char_lower(*a) != char_lower(*b)) return PATHS_DIFFERENT;
    }
    return *b == '\0' ? PATHS_EQUAL : PATHS_A_PREFIX_OF_B;
}

bool DirectoryExists(const char* path) {
    WSTR directory;
    directory.assign(path);
    // The root keeps its one separator: it is the whole name.
    if (directory.length() > 1) directory.drop_trailing_backslash();
    if (directory.is_empty()) return false;
    return platform::IsDirectory(directory.c_str());
}

bool HasParentComponent(const char* path) {
    for (const char* p = path; *p != '\0';) {
        const char* end = std::strchr(p, kPathSeparator);
        if (end == nullptr) end = p + std::strlen(p);
        if (end - p == 2 && p[0] == '.' && p[1] == '.') return true;
        p = *end == '\0' ? end : end + 1;
    }
    return false;
}

bool CreateDirectoryPath(const char* path) {
    const std::int32_t length = static_cast<std::int32_t>(std::strlen(path));
    WSTR prefix;
    for (std::int32_t end = 0; end <= length; ++end) {
        if (end < length && path[end] != kPathSeparator) continue;
        // Before the leading separator of an absolute path stands the root.
        if (end == 0 && length > 0) continue;
        prefix.assign(path, end);
        if (DirectoryExists(prefix.c_str())) continue;
        // Another program may have made it meanwhile; what counts is that it is there.
        if (!platform::MakeDirectory(prefix.c_str()) && !DirectoryExists(prefix.c_str())) {
            return false;
        }
    }
    return true;
}

}  // namespace tomeo
