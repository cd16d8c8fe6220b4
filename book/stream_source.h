// The book buffer's source in the program: an open file stream, either a plain file or
// the member of a zip archive.
#pragma once

#include <cstdint>

#include "book/book_buffer.h"
#include "zip/file_stream.h"

namespace tomeo {

class StreamBookSource : public BookSource {
public:
    // The stream must stay open while the book buffer reads from it.
    explicit StreamBookSource(TFILESTREAM& stream) : stream_(stream) {}
    std::int32_t read(unsigned char* into, std::int32_t count) override {
        return stream_read(stream_, into, count);
    }

private:
    TFILESTREAM& stream_;
};

}  // namespace tomeo
