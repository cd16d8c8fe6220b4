#include "convert/fb2_recode.h"

#include <algorithm>
#include <cstring>

#include "core/codepage.h"
#include "core/utf8_run.h"

namespace tomeo {
namespace {

// The input at pos begins with the pattern, compared ignoring case; never past the end.
bool starts_with_ci(const TCONVJOB& job, std::int32_t pos, const char* pattern) {
    const std::int32_t n = static_cast<std::int32_t>(std::strlen(pattern));
    if (job.src_len - pos < n) return false;
    for (std::int32_t i = 0; i < n; ++i) {
        if (char_lower(static_cast<char>(job.src[pos + i])) != char_lower(pattern[i])) return false;
    }
    return true;
}

constexpr char kWindows1251[] = "windows-1251";
constexpr std::int32_t kWindows1251Length = sizeof kWindows1251 - 1;

}  // namespace

void Utf8Recoder::recode_utf8_begin(TCONVJOB& job, bool plain_text) {
    in_binary_ = false;
    declaration_done_ = plain_text;
    plain_text_ = plain_text;
    at_start_ = true;
    job.status = CONV_OK;
}

void Utf8Recoder::recode_utf8_chunk(TCONVJOB& job) {
    CharReader reader;
    reader.codepage_state = CP_UTF8;
    job.status = CONV_OK;
    // Local positions: the output may alias nothing the compiler can see through.
    const ByteView input{job.src, job.src_len};
    const unsigned char* const src = job.src;
    unsigned char* const dst = job.dst;
    const std::int32_t src_len = job.src_len;
    const std::int32_t dst_cap = job.dst_cap;
    std::int32_t in = job.src_pos;
    std::int32_t out = job.dst_len;
    if (at_start_) {
        at_start_ = false;
        if (plain_text_ && in == 0 && starts_with_utf8_bom(src, src_len)) in = kUtf8BomLength;
    }
    const auto done = [&](std::int32_t status) {
        job.src_pos = in;
        job.dst_len = out;
        job.status = status;
    };

    while (in < src_len && out < dst_cap) {
        if (in_binary_) {
            // Binary content is copied as it is, up to its closing tag.
            const std::int32_t room = std::min(src_len - in, dst_cap - out);
            const void* lt = std::memchr(src + in, '<', static_cast<std::size_t>(room));
            const std::int32_t end =
                lt == nullptr
                    ? in + room
                    : static_cast<std::int32_t>(static_cast<const unsigned char*>(lt) - src);
            std::memcpy(dst + out, src + in, static_cast<std::size_t>(end - in));
            out += end - in;
            in = end;
            if (lt == nullptr) continue;
            if (starts_with_ci(job, in, "</binary>")) {
                in_binary_ = false;
            } else {
                dst[out++] = '<';
                ++in;
            }
            continue;
        }
        const unsigned char b = src[in];
        if (!declaration_done_) {
            // The first "UTF-8" is the declaration's encoding value; until it is met the
            // text goes character by character.
            if (char_lower(static_cast<char>(b)) == 'u' && starts_with_ci(job, in, "UTF-8")) {
                if (dst_cap - out < kWindows1251Length) return done(CONV_OK);  // next chunk
                std::memcpy(dst + out, kWindows1251, kWindows1251Length);
                out += kWindows1251Length;
                in += 5;
                declaration_done_ = true;
                continue;
            }
        }
        if (b == '<') {
            // "<binary " with a space: only the tag itself, not "<binaryx".
            if (!plain_text_ && starts_with_ci(job, in, "<binary ")) {
                in_binary_ = true;
                continue;
            }
            dst[out++] = b;
            ++in;
            continue;
        }
        if (!declaration_done_) {
            reader.read_char(input, in);
            if (reader.read_status != CONV_OK) return done(reader.read_status);
            dst[out++] = static_cast<unsigned char>(reader.cur_char);
            in += reader.cur_char_len;
            continue;
        }
        const Utf8RunEnd run = decode_utf8_run(input, in, dst + out, dst_cap - out, '<', reader);
        in = run.pos;
        out += run.written;
        if (run.status != CONV_OK) return done(run.status);
    }
    done(CONV_OK);
}

}  // namespace tomeo
