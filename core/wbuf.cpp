#include "core/wbuf.h"

#include <cstring>

namespace tomeo {

void WBUF::release() {
    data_.reset();
    capacity_ = 0;
    length_ = 0;
}

void WBUF::init(std::int32_t n) {
    release();
    if (n <= 0) return;
    data_ = std::make_unique_for_overwrite<unsigned char[]>(static_cast<std::size_t>(n));
    capacity_ = n;
}

void WBUF::reserve(std::int32_t n) {
    if (capacity_ < n) resize(n);
}

void WBUF::resize(std::int32_t n) {
    if (n < 0) n = 0;
    std::unique_ptr<unsigned char[]> block;
    if (n > 0) {
        block = std::make_unique_for_overwrite<unsigned char[]>(static_cast<std::size_t>(n));
        const std::int32_t keep = n < capacity_ ? n : capacity_;
        if (keep > 0) std::memcpy(block.get(), data_.get(), static_cast<std::size_t>(keep));
    }
    data_ = std::move(block);
    capacity_ = n;
    if (length_ > n) length_ = n;
}

}  // namespace tomeo
