#include "core/text_buffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tomeo {

TextBuffer::TextBuffer(std::int32_t capacity)
    : data_(std::make_unique<char[]>(capacity < 1 ? 1 : capacity)),
      capacity_(capacity < 1 ? 1 : capacity) {}

TextBuffer::TextBuffer(const TextBuffer& other) : TextBuffer(other.capacity_) {
    std::memcpy(data_.get(), other.data_.get(), static_cast<std::size_t>(capacity_));
}

TextBuffer& TextBuffer::operator=(const TextBuffer& other) {
    if (this != &other) assign(other.c_str());
    return *this;
}

std::int32_t TextBuffer::length() const {
    return static_cast<std::int32_t>(std::strlen(data_.get()));
}

void TextBuffer::reserve(std::int32_t n) {
    if (capacity_ >= n) return;
    auto grown = std::make_unique<char[]>(static_cast<std::size_t>(n));
    std::memcpy(grown.get(), data_.get(), static_cast<std::size_t>(length()) + 1);
    data_ = std::move(grown);
    capacity_ = n;
}

void TextBuffer::assign(const char* text) {
    assign(text, static_cast<std::int32_t>(std::strlen(text)));
}

void TextBuffer::assign(const char* bytes, std::int32_t n) {
    if (n < 0) n = 0;
    if (capacity_ < n + 1) {
        // Growing replaces the buffer, which may be where the bytes come from.
        auto grown = std::make_unique<char[]>(static_cast<std::size_t>(n) + 1);
        std::memcpy(grown.get(), bytes, static_cast<std::size_t>(n));
        data_ = std::move(grown);
        capacity_ = n + 1;
    } else {
        std::memmove(data_.get(), bytes, static_cast<std::size_t>(n));
    }
    data_[n] = '\0';
}

void TextBuffer::assign(char c) {
    reserve(2);
    data_[0] = c;
    data_[1] = '\0';
}

void TextBuffer::append(const char* text) {
    append(text, static_cast<std::int32_t>(std::strlen(text)));
}

void TextBuffer::append(const char* bytes, std::int32_t n) {
    if (n <= 0) return;
    const std::int32_t old = length();
    if (capacity_ < old + n + 1) {
        auto grown = std::make_unique<char[]>(static_cast<std::size_t>(old) + n + 1);
        std::memcpy(grown.get(), data_.get(), static_cast<std::size_t>(old));
        std::memcpy(grown.get() + old, bytes, static_cast<std::size_t>(n));
        data_ = std::move(grown);
        capacity_ = old + n + 1;
    } else {
        std::memmove(data_.get() + old, bytes, static_cast<std::size_t>(n));
    }
    data_[old + n] = '\0';
}

void TextBuffer::append_growing(std::int32_t length, const char* bytes, std::int32_t n) {
    if (n <= 0) return;
    const std::int64_t needed = std::int64_t{length} + n + 1;
    if (capacity_ < needed) {
        const std::int64_t doubled = std::int64_t{capacity_} * 2;
        const std::int64_t capacity = std::max(needed, std::min<std::int64_t>(doubled, INT32_MAX));
        auto grown = std::make_unique<char[]>(static_cast<std::size_t>(capacity));
        std::memcpy(grown.get(), data_.get(), static_cast<std::size_t>(length));
        std::memcpy(grown.get() + length, bytes, static_cast<std::size_t>(n));
        data_ = std::move(grown);
        capacity_ = static_cast<std::int32_t>(capacity);
    } else {
        std::memmove(data_.get() + length, bytes, static_cast<std::size_t>(n));
    }
    data_[length + n] = '\0';
}

void TextBuffer::append(char c) {
    const std::int32_t old = length();
    reserve_length(old + 1);
    data_[old] = c;
    data_[old + 1] = '\0';
}

void TextBuffer::trim_left() {
    const char* text = data_.get();
    std::int32_t skip = 0;
    while (text[skip] == ' ') ++skip;
    if (skip > 0) std::memmove(data_.get(), text + skip, std::strlen(text + skip) + 1);
}

void TextBuffer::trim_right() {
    std::int32_t n = length();
    while (n > 0 && data_[n - 1] == ' ') --n;
    data_[n] = '\0';
}

void TextBuffer::trim() {
    trim_right();
    trim_left();
}

void TextBuffer::append_decimal(std::int32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
    append(digits);
}

}  // namespace tomeo
