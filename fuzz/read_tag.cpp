// Fuzz target: the tag reader at every "<" of arbitrary bytes, in the code page the
// first byte chooses.
#include <cstdint>

#include "book/book_buffer.h"
#include "book/xml_tag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > (1u << 24)) return 0;
    tomeo::MemoryBookSource source(data + 1, static_cast<std::int32_t>(size - 1));
    tomeo::BookBuffer book;
    book.start(source);
    if (book.load_more(static_cast<std::int32_t>(size)) < 0) __builtin_trap();
    tomeo::CharReader reader;
    reader.codepage_state = static_cast<tomeo::CodePage>(data[0] % 5);
    tomeo::TXMLTAG tag;
    const tomeo::ByteView bytes = book.view();
    for (std::int32_t pos = 0; pos < bytes.size; ++pos) {
        if (bytes.data[pos] != '<') continue;
        const std::int32_t status = tomeo::read_tag(reader, bytes, pos, tag);
        if (tag.attr_count > tomeo::TXMLTAG::kMaxAttributes) __builtin_trap();
        if (status == tomeo::CONV_OK || status == tomeo::CONV_UNKNOWN_TAG) {
            // A complete tag lies inside the bytes and ends with ">".
            if (tag.tag_len < 2 || pos + tag.tag_len > bytes.size) __builtin_trap();
            if (bytes.data[pos + tag.tag_len - 1] != '>') __builtin_trap();
            if ((status == tomeo::CONV_OK) != (tag.tag_type != 0)) __builtin_trap();
            tomeo::find_attr(tag, "name");
        }
    }
    return 0;
}
