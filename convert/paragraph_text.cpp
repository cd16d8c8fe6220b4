#include "convert/paragraph_text.h"

#include <algorithm>
#include <cstring>

namespace tomeo {

void ParagraphText::clear() {
    if (blocks_.size() > 1) blocks_.resize(1);
    if (insert_blocks_.size() > 1) insert_blocks_.resize(1);
    own_size_ = size_ = 0;
    first_nul_ = kNone;
    inserts_ = 0;
    inserted_ = 0;
}

void ParagraphText::release() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    insert_blocks_.clear();
    insert_blocks_.shrink_to_fit();
    own_size_ = size_ = 0;
    first_nul_ = kNone;
    inserts_ = 0;
    inserted_ = 0;
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
    size_ += length;
    while (length > 0) {
        if (own_size_ == own_capacity()) add_block();
        const std::size_t offset = own_size_ & (kBlockSize - 1);
        const std::size_t n = std::min(length, kBlockSize - offset);
        std::memcpy(blocks_[own_size_ >> kBlockBits].get() + offset, text, n);
        own_size_ += n;
        text += n;
        length -= n;
    }
}

void ParagraphText::append_from(const ParagraphText& store, std::size_t start, std::size_t length,
                                std::size_t nul) {
    if (length == 0) return;
    store_ = &store;
    if (first_nul_ == kNone && nul != kNone) first_nul_ = size_ + nul;
    if (inserts_ == insert_blocks_.size() * kInsertsPerBlock) {
        insert_blocks_.push_back(std::make_unique_for_overwrite<Insert[]>(kInsertsPerBlock));
    }
    insert_blocks_[inserts_ / kInsertsPerBlock][inserts_ % kInsertsPerBlock] = {
        size_, inserted_, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length)};
    ++inserts_;
    inserted_ += length;
    size_ += length;
}

std::size_t ParagraphText::insert_before(std::size_t at) const {
    // The first insert after `at`, by halving.
    std::size_t low = 0, high = inserts_;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (insert(middle).at <= at) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low == 0 ? kNone : low - 1;
}

char ParagraphText::char_at(std::size_t at) const {
    const std::size_t i = insert_before(at);
    if (i == kNone) return own(at);
    const Insert& in = insert(i);
    if (at < in.at + in.length) return (*store_)[in.start + (at - in.at)];
    return own(at - in.before - in.length);
}

void ParagraphText::copy_own(std::size_t from, std::size_t length, char* out) const {
    while (length > 0) {
        const std::size_t offset = from & (kBlockSize - 1);
        const std::size_t n = std::min(length, kBlockSize - offset);
        std::memcpy(out, blocks_[from >> kBlockBits].get() + offset, n);
        from += n;
        out += n;
        length -= n;
    }
}

void ParagraphText::copy(std::size_t from, std::size_t length, char* out) const {
    if (inserts_ == 0) {
        copy_own(from, length, out);
        return;
    }
    std::size_t i = insert_before(from);
    while (length > 0) {
        std::size_t n = 0;
        if (i != kNone && from < insert(i).at + insert(i).length) {
            const Insert& in = insert(i);
            n = std::min<std::size_t>(length, in.at + in.length - from);
            store_->copy(in.start + (from - in.at), n, out);
        } else {
            // Own text up to the next insert.
            const std::size_t next = i == kNone ? 0 : i + 1;
            const std::size_t own_from =
                i == kNone ? from : from - insert(i).before - insert(i).length;
            const std::size_t room = next < inserts_ ? insert(next).at - from : length;
            n = std::min(length, room);
            copy_own(own_from, n, out);
            if (n == room) i = next;
        }
        from += n;
        out += n;
        length -= n;
        if (i != kNone && i + 1 < inserts_ && from >= insert(i + 1).at) ++i;
    }
}

std::string ParagraphText::str() const {
    std::string text(size_, '\0');
    copy(0, size_, text.data());
    return text;
}

}  // namespace tomeo
