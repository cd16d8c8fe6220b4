// WBUF: a growable byte buffer (no NUL terminator), filled by inflating a built-in
// compressed file.
#pragma once

#include <cstdint>
#include <memory>

namespace tomeo {

class WBUF {
public:
    WBUF() = default;
    WBUF(const WBUF&) = delete;
    WBUF& operator=(const WBUF&) = delete;

    unsigned char* data() { return data_.get(); }
    const unsigned char* data() const { return data_.get(); }
    std::int32_t capacity() const { return capacity_; }
    std::int32_t length() const { return length_; }
    void set_length(std::int32_t n) { length_ = n < 0 ? 0 : (n > capacity_ ? capacity_ : n); }

    // Frees the block; the buffer is empty again.
    void release();
    // Release, then allocate n bytes: capacity n, length 0.
    void init(std::int32_t n);
    // If the capacity is below n: grow to n.
    void reserve(std::int32_t n);
    // Resize the block to exactly n bytes, keeping the contents; length is cut to n.
    void resize(std::int32_t n);

private:
    std::unique_ptr<unsigned char[]> data_;
    std::int32_t capacity_ = 0;
    std::int32_t length_ = 0;
};

}  // namespace tomeo
