// Fuzz target: the XML declaration, then the FB2 description, as the pipeline reads a
// book, through a book buffer over the input.
#include <cstdint>

#include "book/fb2_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 24)) return 0;
    tomeo::MemoryBookSource source(data, static_cast<std::int32_t>(size));
    tomeo::BookBuffer book;
    book.start(source);
    tomeo::CharReader reader;
    tomeo::TXMLTAG tag;
    tomeo::TBOOKDESC desc;
    if (tomeo::read_xml_declaration(book, reader, tag) != 0) {
        if (reader.codepage_state != tomeo::CP_UNSET) __builtin_trap();
        return 0;
    }
    if (tomeo::read_fb2_description(book, reader, tag, desc) == 0) {
        if (desc.authors.count() == 0) __builtin_trap();
        if (desc.isannt == 1 && (desc.annt_pos < 0 || desc.annt_pos >= book.fill())) {
            __builtin_trap();
        }
    } else if (desc.authors.count() != 0 || !desc.title.is_empty()) {
        __builtin_trap();  // a failed read leaves the description empty
    }
    if (book.fill() > static_cast<std::int32_t>(size)) __builtin_trap();
    return 0;
}
