#include "convert/paragraph_text.h"

#include <algorithm>
#include <cstring>

namespace tomeo {

void ParagraphText::clear() {
    if (blocks_.size() > 1) blocks_.resize(1);
    size_ = 0;
    first_nul_ = kNone;
}

void ParagraphText::release() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    size_ = 0;
    first_nul_ = kNone;
}

void ParagraphText::add_block() {
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
}

void ParagraphText::append(const char* text, std::size_t length) {
    if (first_nul_ == kNone) {
        if (const void* nul = std::memchr(text, '\0', length)) {
            first_nul_ = size_ + static_cast<std::size_t>(static_cast<const char*>(nul) - text);
        }
    }
    while (length > 0) {
        if (size_ == capacity()) add_block();
        const std::size_t offset = size_ & (kBlockSize - 1);
        const std::size_t n = std::min(length, kBlockSize - offset);
        std::memcpy(blocks_[size_ >> kBlockBits].get() + offset, text, n);
        size_ += n;
        text += n;
        length -= n;
    }
}

void ParagraphText::copy(std::size_t from, std::size_t length, char* out) const {
    while (length > 0) {
        const std::size_t offset = from & (kBlockSize - 1);
        const std::size_t n = std::min(length, kBlockSize - offset);
        std::memcpy(out, blocks_[from >> kBlockBits].get() + offset, n);
        from += n;
        out += n;
        length -= n;
    }
}

std::string ParagraphText::str() const {
    std::string text(size_, '\0');
    copy(0, size_, text.data());
    return text;
}

}  // namespace tomeo
