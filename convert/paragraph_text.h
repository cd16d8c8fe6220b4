// The text of one paragraph as the FB2 to text converter collects it. A paragraph may be
// as long as the book, so it is kept in fixed blocks: growing never copies what is
// already there, and the memory it holds stays within one block of its length. A
// footnote written into the paragraph is held as a reference to the note's text in the
// notes' store, so a note referenced many times is not copied each time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tomeo {

class ParagraphText {
public:
    static constexpr std::size_t kBlockBits = 16;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    ParagraphText() = default;
    ParagraphText(const ParagraphText&) = delete;
    ParagraphText& operator=(const ParagraphText&) = delete;

    // Empty again; the first block is kept for the next paragraph, the others are freed.
    void clear();
    // Empty, every block freed.
    void release();

    void append(char c) {
        if (own_size_ == own_capacity()) add_block();
        blocks_[own_size_ >> kBlockBits][own_size_ & (kBlockSize - 1)] = c;
        if (c == '\0' && first_nul_ == kNone) first_nul_ = size_;
        ++own_size_;
        ++size_;
    }
    void append(const char* text, std::size_t length);
    void append(const std::string& text) { append(text.data(), text.size()); }
    ParagraphText& operator+=(char c) {
        append(c);
        return *this;
    }
    // Appends the length characters at `start` of `store` (which holds no references
    // itself and must stay unchanged while this text is read) by reference; `nul` is the
    // offset of the first NUL among them, or kNone.
    void append_from(const ParagraphText& store, std::size_t start, std::size_t length,
                     std::size_t nul);

    std::size_t size() const { return size_; }
    // Bytes of memory the text holds (its blocks), the store's text aside.
    std::size_t held() const {
        return blocks_.size() * kBlockSize +
               insert_blocks_.size() * kInsertsPerBlock * sizeof(Insert);
    }
    // The text as a C string would read it: up to its first NUL.
    std::size_t text_length() const { return first_nul_ == kNone ? size_ : first_nul_; }
    char operator[](std::size_t at) const {
        if (inserts_ == 0) return own(at);
        return char_at(at);
    }
    // Copies length characters from `from` on (within size()) to `out`.
    void copy(std::size_t from, std::size_t length, char* out) const;
    std::string str() const;

private:
    // A stretch of the store's text standing at a position of this text.
    struct Insert {
        std::uint64_t at;      // position of its first character in this text
        std::uint64_t before;  // characters of the inserts before it
        std::uint32_t start;   // in the store
        std::uint32_t length;
    };
    static constexpr std::size_t kInsertsPerBlock = kBlockSize / sizeof(Insert);

    std::size_t own_capacity() const { return blocks_.size() * kBlockSize; }
    char own(std::size_t at) const { return blocks_[at >> kBlockBits][at & (kBlockSize - 1)]; }
    void copy_own(std::size_t from, std::size_t length, char* out) const;
    void add_block();
    const Insert& insert(std::size_t i) const {
        return insert_blocks_[i / kInsertsPerBlock][i % kInsertsPerBlock];
    }
    // The last insert at or before `at`, or kNone.
    std::size_t insert_before(std::size_t at) const;
    char char_at(std::size_t at) const;

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t own_size_ = 0;  // characters in blocks_
    std::size_t size_ = 0;      // with the inserts
    std::size_t first_nul_ = kNone;
    // Inserts in blocks too: a paragraph of note links must not copy them as it grows.
    std::vector<std::unique_ptr<Insert[]>> insert_blocks_;
    std::size_t inserts_ = 0;
    std::uint64_t inserted_ = 0;  // characters of all inserts
    const ParagraphText* store_ = nullptr;
};

}  // namespace tomeo
