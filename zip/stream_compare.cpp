#include "zip/stream_compare.h"

#include <cstring>
#include <vector>

#include "zip/file_stream.h"

namespace tomeo {

bool stream_contents_equal(const char* a, const char* b) {
    FileStreamPtr first = stream_open(a, "r");
    FileStreamPtr second = stream_open(b, "r");
    if (!first || !second || first->kind != second->kind) return false;
    if (first->kind == kStreamZip && (std::strcmp(first->name.c_str(), second->name.c_str()) != 0 ||
                                      first->member_size != second->member_size)) {
        return false;
    }
    constexpr std::int32_t kBlock = 1 << 16;
    std::vector<char> x(kBlock), y(kBlock);
    bool equal = true;
    for (;;) {
        const std::int32_t n = stream_read(*first, x.data(), kBlock);
        const std::int32_t m = stream_read(*second, y.data(), kBlock);
        if (n < 0 || n != m || std::memcmp(x.data(), y.data(), static_cast<std::size_t>(n)) != 0) {
            equal = false;
            break;
        }
        if (n == 0) break;
    }
    TCLOSEINFO unused;
    stream_close(std::move(first), unused);
    stream_close(std::move(second), unused);
    return equal;
}

}  // namespace tomeo
