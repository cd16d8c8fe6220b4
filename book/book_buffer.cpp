#include "book/book_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tomeo {

std::int32_t MemoryBookSource::read(unsigned char* into, std::int32_t count) {
    const std::int32_t n = std::min(count, size_ - position_);
    if (n <= 0) return 0;
    std::memcpy(into, bytes_ + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

void BookBuffer::start(BookSource& source) {
    source_ = &source;
    data_.set_length(0);
    at_eof_ = false;
}

void BookBuffer::make_room(std::int32_t total) {
    const std::int32_t capacity = data_.capacity();
    if (total <= capacity) return;
    // The readers extend the buffer by small blocks: doubling keeps that linear. A large
    // request (the rest of the book) gets exactly its size.
    const std::int32_t fill = data_.length();
    std::int32_t grown = total;
    if (total - fill <= capacity && capacity <= std::numeric_limits<std::int32_t>::max() / 2) {
        grown = std::max(total, capacity * 2);
    }
    data_.resize(grown);
    data_.set_length(fill);
}

std::int32_t BookBuffer::load_more(std::int32_t count) {
    if (source_ == nullptr) return -1;
    const std::int32_t fill = data_.length();
    count = std::min(count, std::numeric_limits<std::int32_t>::max() - fill);
    if (count <= 0) return 0;
    make_room(fill + count);
    std::int32_t loaded = 0;
    while (loaded < count) {
        const std::int32_t n = source_->read(data_.data() + fill + loaded, count - loaded);
        if (n < 0 || n > count - loaded) {
            data_.set_length(fill + loaded);
            return -1;
        }
        if (n == 0) {
            at_eof_ = true;
            break;
        }
        loaded += n;
    }
    data_.set_length(fill + loaded);
    return loaded;
}

bool BookBuffer::load_up_to(std::int32_t total) {
    if (fill() >= total || at_eof_) return true;
    return load_more(total - fill()) >= 0;
}

}  // namespace tomeo
