#include <fcntl.h>

#include "platform/syscalls.h"
#include "platform/unique_fd.h"

namespace tomeo::platform {

int UniqueFd::close() {
    if (fd_ < 0) return 0;
    return sys_close(std::exchange(fd_, -1));
}

bool ReadWholeFile(const char* os_path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    UniqueFd fd(sys_open(os_path, O_RDONLY));
    if (!fd.is_open()) return false;
    // Files under /proc report no size, so the reading goes on to the end in blocks.
    char block[16384];
    for (;;) {
        const ssize_t n = sys_read(fd.get(), block, sizeof block);
        if (n < 0) return false;
        if (n == 0) return true;
        if (bytes.size() + static_cast<std::size_t>(n) > limit) return false;
        bytes.append(block, static_cast<std::size_t>(n));
    }
}

}  // namespace tomeo::platform
