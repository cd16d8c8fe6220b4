// Fuzz target: code page detection, then the plain-text description and the
// information text, through a book buffer over the input; the `d` step over the whole
// input, which must agree with the character table; and, for a text taken as UTF-8, the
// `u` step, which must agree with the string conversion.
#include <cstdint>
#include <string>

#include "book/text_reader.h"
#include "convert/fb2_recode.h"
#include "convert/info_text.h"
#include "convert/text_codepage.h"

namespace {

// The `u` step over a UTF-8 text, in small chunks; it must succeed exactly when the
// string conversion does (the byte-order mark left out) and give the same bytes.
void check_utf8_recoding(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (tomeo::starts_with_utf8_bom(data, static_cast<std::int64_t>(size))) text.remove_prefix(3);
    std::string expected;
    const bool convertible = tomeo::utf8_to_cp1251(text, expected);

    tomeo::Utf8Recoder recoder;
    tomeo::TCONVJOB job;
    unsigned char chunk[700];
    job.src = data;
    job.src_len = static_cast<std::int32_t>(size);
    job.dst = chunk;
    job.dst_cap = sizeof chunk;
    recoder.recode_utf8_begin(job, true);
    std::string recoded;
    const bool ok = tomeo::run_conversion_pass(
        job, [&](tomeo::TCONVJOB& j) { recoder.recode_utf8_chunk(j); },
        [&](const unsigned char* bytes, std::int32_t n) {
            recoded.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n));
            return true;
        });
    if (ok != convertible) __builtin_trap();
    if (ok && recoded != expected) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 24)) return 0;
    static tomeo::NameLists names;  // loaded once, as in the program
    tomeo::MemoryBookSource source(data, static_cast<std::int32_t>(size));
    tomeo::BookBuffer book;
    book.start(source);
    tomeo::CharReader reader;
    tomeo::TBOOKDESC desc;
    if (tomeo::detect_text_codepage(book, reader) != 0) __builtin_trap();  // memory never fails
    if (book.fill() > tomeo::kTextHeadBytes) __builtin_trap();
    const tomeo::ByteView head{book.bytes(), book.fill()};
    const bool utf8 = tomeo::looks_like_utf8(head);
    if (utf8 != (reader.codepage_state == tomeo::CP_UTF8)) __builtin_trap();
    if (!utf8 && reader.codepage_state != tomeo::decide_text_codepage(head)) __builtin_trap();
    tomeo::read_text_description(book, reader, names, desc);
    tomeo::InfoText info;
    info.build_info_text(book, reader.codepage_state);
    if (utf8) check_utf8_recoding(data, size);

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
