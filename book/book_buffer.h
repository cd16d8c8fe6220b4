// The book buffer: the bytes of the current book read so far, and the source they are
// read from. The readers load the beginning of a book into it as far as they need it;
// the pipeline then loads the rest, so nothing is read twice.
#pragma once

#include <cstdint>

#include "core/codepage.h"
#include "core/wbuf.h"

namespace tomeo {

// Where the bytes of a book come from: a plain file or the member of a zip archive.
class BookSource {
public:
    virtual ~BookSource() = default;
    // Reads up to count bytes into `into`: the number read, 0 at the end, -1 on an error.
    virtual std::int32_t read(unsigned char* into, std::int32_t count) = 0;
};

// A book held in memory (tests, fuzzing, benchmarks). The bytes are not copied.
class MemoryBookSource : public BookSource {
public:
    MemoryBookSource(const void* bytes, std::int32_t size)
        : bytes_(static_cast<const unsigned char*>(bytes)), size_(size < 0 ? 0 : size) {}
    std::int32_t read(unsigned char* into, std::int32_t count) override;

private:
    const unsigned char* bytes_;
    std::int32_t size_;
    std::int32_t position_ = 0;
};

class BookBuffer {
public:
    static constexpr std::int32_t kInitialCapacity = 1024;

    BookBuffer() { data_.init(kInitialCapacity); }
    BookBuffer(const BookBuffer&) = delete;
    BookBuffer& operator=(const BookBuffer&) = delete;

    // A new book: nothing loaded, not at its end, further bytes come from `source`,
    // which must outlive its use here. The capacity is kept.
    void start(BookSource& source);
    // Forgets the source (the stream is about to be closed); loading then fails.
    void detach() { source_ = nullptr; }

    const unsigned char* bytes() const { return data_.data(); }
    std::int32_t fill() const { return data_.length(); }
    std::int32_t capacity() const { return data_.capacity(); }
    ByteView view() const { return {data_.data(), data_.length()}; }
    // A read delivered fewer bytes than asked: the whole book is loaded.
    bool book_at_eof() const { return at_eof_; }

    // Loads more bytes until count more are there or the book ends: the number loaded
    // (fewer than count only at the end of the book), or -1 on a read error (the bytes
    // read before the error stay loaded).
    std::int32_t load_more(std::int32_t count);
    // Loads until `total` bytes are there or the book ends. False on a read error.
    bool load_up_to(std::int32_t total);

private:
    void make_room(std::int32_t total);

    WBUF data_;  // length() is the fill count
    BookSource* source_ = nullptr;
    bool at_eof_ = false;
};

}  // namespace tomeo
