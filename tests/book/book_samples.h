// Sample books for the reader tests: the readable UTF-8 files of tests/data/, recoded
// with iconv into the code page a test needs, and a book buffer over bytes in memory.
#pragma once

#include <cstdint>
#include <string>

#include "book/book_buffer.h"
#include "core/codepage.h"

namespace tomeo::test {

// The bytes of tests/data/<relative>.
std::string ReadSample(const std::string& relative);

// The text recoded by glibc's iconv (for example "UTF-8" to "CP866"); fails the test
// when a character has no form in the target.
std::string Iconv(const std::string& text, const char* from, const char* to);

// An FB2 sample written in UTF-8 and declared UTF-8, recoded to `iconv_name` and
// declared as `declared` ("windows-1251", "windows-1252", "UTF-8"...).
std::string Fb2As(const std::string& utf8_fb2, const char* declared, const char* iconv_name);

// Windows-1251 bytes of a UTF-8 literal, for expected values.
std::string W(const std::string& utf8);

// A book buffer over bytes held by the object itself.
class BookInMemory {
public:
    explicit BookInMemory(std::string bytes)
        : bytes_(std::move(bytes)),
          source_(bytes_.data(), static_cast<std::int32_t>(bytes_.size())) {
        buffer.start(source_);
    }
    BookBuffer buffer;

private:
    std::string bytes_;
    MemoryBookSource source_;
};

// A source that delivers at most `step` bytes a read and fails once `fail_after` bytes
// have been delivered (never, when negative).
class ChoppySource : public BookSource {
public:
    ChoppySource(std::string bytes, std::int32_t step, std::int32_t fail_after = -1)
        : bytes_(std::move(bytes)), step_(step), fail_after_(fail_after) {}
    std::int32_t read(unsigned char* into, std::int32_t count) override;
    std::int32_t reads() const { return reads_; }

private:
    std::string bytes_;
    std::int32_t step_;
    std::int32_t fail_after_;
    std::int32_t position_ = 0;
    std::int32_t reads_ = 0;
};

}  // namespace tomeo::test
