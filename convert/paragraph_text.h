// The text of one paragraph as the FB2 to text converter collects it. A paragraph may be
// as long as the book, so it is kept in fixed blocks: growing never copies what is
// already there, and the memory it holds stays within one block of its length.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tomeo {

class ParagraphText {
public:
    static constexpr std::size_t kBlockBits = 16;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;

    ParagraphText() = default;
    ParagraphText(const ParagraphText&) = delete;
    ParagraphText& operator=(const ParagraphText&) = delete;

    // Empty again; the first block is kept for the next paragraph, the others are freed.
    void clear();
    // Empty, every block freed.
    void release();

    void append(char c) {
        if (size_ == capacity()) add_block();
        blocks_[size_ >> kBlockBits][size_ & (kBlockSize - 1)] = c;
        if (c == '\0' && first_nul_ == kNone) first_nul_ = size_;
        ++size_;
    }
    void append(const char* text, std::size_t length);
    void append(const std::string& text) { append(text.data(), text.size()); }
    ParagraphText& operator+=(char c) {
        append(c);
        return *this;
    }

    std::size_t size() const { return size_; }
    // The text as a C string would read it: up to its first NUL.
    std::size_t text_length() const { return first_nul_ == kNone ? size_ : first_nul_; }
    std::size_t capacity() const { return blocks_.size() * kBlockSize; }
    char operator[](std::size_t at) const {
        return blocks_[at >> kBlockBits][at & (kBlockSize - 1)];
    }
    // Copies length characters from `from` on (within size()) to `out`.
    void copy(std::size_t from, std::size_t length, char* out) const;
    std::string str() const;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    void add_block();

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t size_ = 0;
    std::size_t first_nul_ = kNone;
};

}  // namespace tomeo
