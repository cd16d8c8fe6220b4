#include "convert/fb2_recode.h"

#include <cstring>

#include "core/codepage.h"

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
    const ByteView input{job.src, job.src_len};
    job.status = CONV_OK;
    if (at_start_) {
        at_start_ = false;
        if (plain_text_ && job.src_pos == 0 && starts_with_utf8_bom(job.src, job.src_len)) {
            job.src_pos = kUtf8BomLength;
        }
    }

    while (job.src_pos < job.src_len && job.dst_len < job.dst_cap) {
        const unsigned char b = job.src[job.src_pos];
        if (in_binary_) {
            // Binary content is copied as it is, up to its closing tag.
            if (b == '<' && starts_with_ci(job, job.src_pos, "</binary>")) {
                in_binary_ = false;
                continue;
            }
            job.dst[job.dst_len++] = b;
            ++job.src_pos;
            continue;
        }
        // The first "UTF-8" is the declaration's encoding value.
        if (!declaration_done_ && char_lower(static_cast<char>(b)) == 'u' &&
            starts_with_ci(job, job.src_pos, "UTF-8")) {
            if (job.dst_cap - job.dst_len < kWindows1251Length) return;  // next chunk
            std::memcpy(job.dst + job.dst_len, kWindows1251, kWindows1251Length);
            job.dst_len += kWindows1251Length;
            job.src_pos += 5;
            declaration_done_ = true;
            continue;
        }
        // "<binary " with a space: only the tag itself, not "<binaryx".
        if (!plain_text_ && b == '<' && starts_with_ci(job, job.src_pos, "<binary ")) {
            in_binary_ = true;
            continue;
        }
        reader.read_char(input, job.src_pos);
        if (reader.read_status != CONV_OK) {
            job.status = reader.read_status;
            return;
        }
        job.dst[job.dst_len++] = static_cast<unsigned char>(reader.cur_char);
        job.src_pos += reader.cur_char_len;
    }
}

}  // namespace tomeo
