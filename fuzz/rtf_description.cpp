// Fuzz target: the RTF information reader through a book buffer over the input.
#include <cstdint>

#include "book/rtf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 24)) return 0;
    tomeo::MemoryBookSource source(data, static_cast<std::int32_t>(size));
    tomeo::BookBuffer book;
    book.start(source);
    tomeo::RtfInfo info;
    tomeo::TBOOKDESC desc;
    const std::uint32_t result = tomeo::read_rtf_description(book, info, desc);
    if (result == 0 && (info.rtf_author.is_empty() || info.rtf_title.is_empty())) {
        __builtin_trap();
    }
    return 0;
}
