// Fuzz target: code page detection, then the plain-text description, through a book
// buffer over the input; and the `d` step over the whole input, which must agree with
// the character table.
#include <cstdint>
#include <string>

#include "book/text_reader.h"
#include "convert/text_codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 24)) return 0;
    static tomeo::NameLists names;  // loaded once, as in the program
    tomeo::MemoryBookSource source(data, static_cast<std::int32_t>(size));
    tomeo::BookBuffer book;
    book.start(source);
    tomeo::CharReader reader;
    tomeo::TBOOKDESC desc;
    if (tomeo::detect_text_codepage(book, reader) != 0) __builtin_trap();  // memory never fails
    if (reader.codepage_state != tomeo::CP_866 && reader.codepage_state != tomeo::CP_1251) {
        __builtin_trap();
    }
    if (book.fill() > tomeo::kTextHeadBytes) __builtin_trap();
    tomeo::read_text_description(book, reader, names, desc);

    std::string expected(reinterpret_cast<const char*>(data), size);
    tomeo::oem_to_ansi(expected.data(), expected.size());
    std::string recoded;
    unsigned char chunk[5000];
    tomeo::TCONVJOB job;
    job.src = data;
    job.src_len = static_cast<std::int32_t>(size);
    job.dst = chunk;
    job.dst_cap = sizeof chunk;
    while (job.src_pos < job.src_len) {
        tomeo::recode_866_chunk(job);
        if (job.status != tomeo::CONV_OK || job.dst_len == 0) __builtin_trap();
        recoded.append(reinterpret_cast<const char*>(chunk), job.dst_len);
        job.dst_len = 0;
    }
    if (recoded != expected) __builtin_trap();
    return 0;
}
