// Fuzz target: the u step over arbitrary bytes, in chunks of a size the input picks.
#include <cstdint>
#include <vector>

#include "convert/fb2_recode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // Chunks hold at least the 12 bytes of "windows-1251".
    const std::int32_t chunk_size = 12 + data[0] % 64;
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
