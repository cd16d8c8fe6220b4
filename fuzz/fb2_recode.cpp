// Fuzz target: the u step over arbitrary bytes, in chunks of a size the input picks; and
// the run decoder both steps use, which must give exactly what read_char gives character
// after character.
#include <cstdint>
#include <vector>

#include "convert/fb2_recode.h"
#include "core/utf8_run.h"

namespace {

void check_run_decoder(const std::uint8_t* data, std::int32_t size, std::int32_t room) {
    const tomeo::ByteView bytes{data, size};
    std::vector<unsigned char> fast(static_cast<std::size_t>(room) + 1);
    tomeo::CharReader reader;
    reader.codepage_state = tomeo::CP_UTF8;
    const tomeo::Utf8RunEnd run = tomeo::decode_utf8_run(bytes, 0, fast.data(), room, '<', reader);

    tomeo::CharReader slow;
    slow.codepage_state = tomeo::CP_UTF8;
    std::int32_t pos = 0, n = 0, status = tomeo::CONV_OK;
    while (pos < size && n < room && data[pos] != '<') {
        slow.read_char(bytes, pos);
        if (slow.read_status != tomeo::CONV_OK) {
            status = slow.read_status;
            break;
        }
        if (fast[n] != static_cast<unsigned char>(slow.cur_char)) __builtin_trap();
        ++n;
        pos += slow.cur_char_len;
    }
    if (run.pos != pos || run.written != n || run.status != status) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // Chunks hold at least the 12 bytes of "windows-1251".
    const std::int32_t chunk_size = 12 + data[0] % 64;
    check_run_decoder(data + 1, static_cast<std::int32_t>(size - 1), 1 + data[0] % 64);
    check_run_decoder(data + 1, static_cast<std::int32_t>(size - 1),
                      static_cast<std::int32_t>(size));
    std::vector<unsigned char> chunk(chunk_size);
    tomeo::TCONVJOB job;
    job.src = data + 1;
    job.src_len = static_cast<std::int32_t>(size - 1);
    job.dst = chunk.data();
    job.dst_cap = chunk_size;
    tomeo::Utf8Recoder recoder;
    recoder.recode_utf8_begin(job);
    while (job.src_pos < job.src_len) {
        const std::int32_t before = job.src_pos;
        recoder.recode_utf8_chunk(job);
        if (job.status != tomeo::CONV_OK) break;
        if (job.src_pos == before && job.dst_len == 0) __builtin_trap();  // no progress
        job.dst_len = 0;
    }
    return 0;
}
