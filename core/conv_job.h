// The conversion status shared by the character reader, the tag reader and the chunked
// converters, and TCONVJOB, the record through which the pipeline drives one chunked
// conversion pass over the book buffer.
#pragma once

#include <cstdint>

namespace tomeo {

// Conversion status: 0 is success; the pipeline turns the others into result flags.
inline constexpr std::int32_t CONV_OK = 0;
inline constexpr std::int32_t CONV_TRUNCATED = 1;    // the data ends inside a UTF-8 sequence
inline constexpr std::int32_t CONV_BAD_UTF8 = 2;     // a byte that begins no sequence, or a
                                                     // missing continuation byte
inline constexpr std::int32_t CONV_NOT_1251 = 3;     // no Windows-1251 form
inline constexpr std::int32_t CONV_BROKEN = 4;       // tags of the wrong form or nesting
inline constexpr std::int32_t CONV_UNKNOWN_TAG = 5;  // a tag name outside TAG_TABLE

// The output chunk of every conversion pass.
inline constexpr std::int32_t kConvChunkSize = 65536;

// One chunked conversion: the pipeline sets src_pos and dst_len to 0, then while
// src_pos < src_len calls a step, stops when status is not 0, writes the first dst_len
// bytes of dst and sets dst_len back to 0.
struct TCONVJOB {
    const unsigned char* src = nullptr;  // the book buffer
    std::int32_t src_len = 0;            // input bytes
    std::int32_t src_pos = 0;            // offset of the next input byte
    unsigned char* dst = nullptr;        // the output chunk
    std::int32_t dst_cap = 0;            // its capacity (kConvChunkSize)
    std::int32_t dst_len = 0;            // bytes placed in it so far
    std::int32_t status = CONV_OK;       // status of the last step
};

// Drives one chunked pass over job.src into job.dst (both set by the caller): steps until
// the input is used up or a step sets a status, handing every chunk to `write`, which
// gives false to end the pass. A step that neither reads nor writes would never end the
// pass, so it fails it (CONV_TRUNCATED). True when the whole input has passed.
template <class Step, class Write>
bool run_conversion_pass(TCONVJOB& job, Step step, Write write) {
    job.src_pos = 0;
    job.dst_len = 0;
    while (job.src_pos < job.src_len) {
        const std::int32_t before = job.src_pos;
        step(job);
        if (job.status == CONV_OK && job.src_pos == before && job.dst_len == 0) {
            job.status = CONV_TRUNCATED;
        }
        if (job.status != CONV_OK) return false;
        if (!write(job.dst, job.dst_len)) return false;
        job.dst_len = 0;
    }
    return true;
}

}  // namespace tomeo
