#include "convert/text_codepage.h"

#include <algorithm>
#include <bitset>

#include "book/book_buffer.h"
#include "core/operations.h"

namespace tomeo {
namespace {

// Letter pairs of one candidate code page: each distinct pair counts once, as likely or
// unlikely.
struct PairCount {
    std::bitset<32 * 32> seen;
    std::int32_t likely = 0;
    std::int32_t unlikely = 0;

    void count(int a, int b) {
        const int bit = a * 32 + b;
        if (seen[bit]) return;
        seen[bit] = true;
        ++(is_likely_pair(a, b) ? likely : unlikely);
    }

    // A few unlikely pairs are forgiven when there are 32 times as many likely ones.
    std::int32_t unlikely_after_forgiving() const { return likely / 32 >= unlikely ? 0 : unlikely; }
};

// Cyrillic letters of Windows-1251 (А..я) are 0xC0..0xFF; the letter is c mod 32.
bool is_1251_letter(std::uint8_t c) {
    return c >= 0xC0;
}

// Cyrillic letters of code page 866: А..п at 0x80..0xAF, р..я at 0xE0..0xEF.
bool is_866_letter(std::uint8_t c) {
    return (c >= 0x80 && c <= 0xAF) || (c >= 0xE0 && c <= 0xEF);
}
int letter_866(std::uint8_t c) {
    return c < 0xE0 ? c % 32 : (c - 0x30) % 32;
}

// Text is recoded in blocks: letters (Ё, ё and № included) and ASCII by arithmetic the
// compiler can vectorise, and a block holding anything else (box drawing and the like)
// again through the character table.
constexpr std::int32_t kRecodeBlock = 4096;

void recode_866_block(const unsigned char* from, unsigned char* to, std::int32_t n) {
    unsigned char other = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const unsigned char c = from[i];
        const unsigned char low = static_cast<unsigned char>(c - 0x80) < 0x30;   // А..п
        const unsigned char high = static_cast<unsigned char>(c - 0xE0) < 0x10;  // р..я
        const unsigned char yo_upper = c == 0xF0;                                // Ё
        const unsigned char yo_lower = c == 0xF1;                                // ё
        const unsigned char number = c == 0xFC;                                  // №
        // The byte is moved by the distance to its Windows-1251 form (modulo 256).
        to[i] = static_cast<unsigned char>(c + low * 0x40 + high * 0x10 + yo_upper * (0xA8 - 0xF0) +
                                           yo_lower * (0xB8 - 0xF1) + number * (0xB9 - 0xFC));
        other |=
            static_cast<unsigned char>((c >> 7) & ~(low | high | yo_upper | yo_lower | number));
    }
    if (other != 0) {
        oem_to_ansi(reinterpret_cast<const char*>(from), reinterpret_cast<char*>(to),
                    static_cast<std::size_t>(n));
    }
}

// The bytes that may follow a UTF-8 lead byte as its first continuation byte: only
// the shortest form of each character, no UTF-16 surrogates, nothing above U+10FFFF.
// Any other continuation byte is 0x80..0xBF.
bool is_first_continuation(std::uint8_t lead, std::uint8_t b) {
    switch (lead) {
        case 0xE0: return b >= 0xA0 && b <= 0xBF;
        case 0xED: return b >= 0x80 && b <= 0x9F;
        case 0xF0: return b >= 0x90 && b <= 0xBF;
        case 0xF4: return b >= 0x80 && b <= 0x8F;
        default: return is_utf8_continuation(b);
    }
}

}  // namespace

bool looks_like_utf8(ByteView bytes) {
    if (starts_with_utf8_bom(bytes.data, bytes.size)) return true;
    bool multi_byte = false;
    for (std::int32_t i = 0; i < bytes.size;) {
        const std::uint8_t lead = bytes.data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // C0, C1 and F5..FF begin no character in their shortest form.
        const int n = (lead >= 0xC2 && lead <= 0xF4) ? utf8_sequence_length(lead) : 0;
        if (n == 0) return false;
        for (int k = 1; k < n && i + k < bytes.size; ++k) {
            const std::uint8_t b = bytes.data[i + k];
            if (!(k == 1 ? is_first_continuation(lead, b) : is_utf8_continuation(b))) return false;
        }
        multi_byte = true;
        i += n;
    }
    return multi_byte;
}

CodePage decide_text_codepage(ByteView bytes) {
    PairCount as_1251, as_866;
    for (std::int32_t i = 0; i + 1 < bytes.size; ++i) {
        const std::uint8_t x = bytes.data[i], y = bytes.data[i + 1];
        if (is_1251_letter(x) && is_1251_letter(y)) as_1251.count(x % 32, y % 32);
        if (is_866_letter(x) && is_866_letter(y)) as_866.count(letter_866(x), letter_866(y));
    }
    const std::int32_t u1251 = as_1251.unlikely_after_forgiving();
    const std::int32_t u866 = as_866.unlikely_after_forgiving();
    // Fewer unlikely pairs wins; then more likely pairs; a tie (no Cyrillic) is 1251.
    if (u1251 != u866) return u1251 < u866 ? CP_1251 : CP_866;
    if (as_866.likely > as_1251.likely) return CP_866;
    return CP_1251;
}

std::uint32_t detect_text_codepage(BookBuffer& book, CharReader& reader) {
    if (!book.load_up_to(kDetectionBytes)) return RES_CODEPAGE;
    const ByteView head{book.bytes(), std::min(book.fill(), kDetectionBytes)};
    reader.codepage_state = looks_like_utf8(head) ? CP_UTF8 : decide_text_codepage(head);
    return 0;
}

void recode_866_chunk(TCONVJOB& job) {
    const std::int32_t n = std::min(job.src_len - job.src_pos, job.dst_cap - job.dst_len);
    for (std::int32_t done = 0; done < n; done += kRecodeBlock) {
        recode_866_block(job.src + job.src_pos + done, job.dst + job.dst_len + done,
                         std::min(kRecodeBlock, n - done));
    }
    if (n > 0) {
        job.src_pos += n;
        job.dst_len += n;
    }
    job.status = CONV_OK;
}

}  // namespace tomeo
