// A move-only owner of one file descriptor, closed (through sys_close) when the owner
// goes away; and reading a whole small file through it.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace tomeo::platform {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    bool is_open() const { return fd_ >= 0; }
    // Closes now and gives the result of the close (0 when nothing was open).
    int close();

private:
    void reset() noexcept { (void)close(); }

    int fd_ = -1;
};

// Reads the file at path (as the system names it, UTF-8) to its end. False when it
// cannot be opened or read, or holds more than limit bytes.
bool ReadWholeFile(const char* os_path, std::size_t limit, std::string& bytes);

}  // namespace tomeo::platform
