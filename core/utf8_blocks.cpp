#include "core/utf8_blocks.h"

#include <array>

#include "core/charset.h"

// The blocks need SSSE3's byte shuffle; GCC and Clang build that one function for it and
// the program asks the processor at run time, so the rest stays plain x86-64.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TOMEO_UTF8_BLOCKS 1
#include <immintrin.h>
#else
#define TOMEO_UTF8_BLOCKS 0
#endif

namespace tomeo {
namespace {

// In the one mapping, the letters а to п (D0 90..BF) are their second byte plus 0x30 and
// р to я (D1 80..8F) their second byte plus 0x70: the blocks add instead of looking up.
consteval bool cyrillic_is_two_runs() {
    for (int c = 0x90; c <= 0xBF; ++c) {
        if (utf8_pair_to_1251(0xD0, static_cast<std::uint8_t>(c)) != c + 0x30) return false;
    }
    for (int c = 0x80; c <= 0x8F; ++c) {
        if (utf8_pair_to_1251(0xD1, static_cast<std::uint8_t>(c)) != c + 0x70) return false;
    }
    return true;
}
static_assert(cyrillic_is_two_runs());

#if TOMEO_UTF8_BLOCKS

// For every set of bytes to keep out of eight (a bit each): their positions in order, a
// byte each, then 0x80 (a shuffle gives zero there); and how many they are.
struct Compaction {
    std::array<std::uint64_t, 256> shuffle{};
    std::array<std::uint8_t, 256> count{};
};

constexpr Compaction kCompaction = [] {
    Compaction c;
    for (unsigned keep = 0; keep < 256; ++keep) {
        std::uint64_t shuffle = 0;
        unsigned k = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (keep & (1u << bit)) shuffle |= static_cast<std::uint64_t>(bit) << (8 * k++);
        }
        for (unsigned rest = k; rest < 8; ++rest) shuffle |= std::uint64_t{0x80} << (8 * rest);
        c.shuffle[keep] = shuffle;
        c.count[keep] = static_cast<std::uint8_t>(k);
    }
    return c;
}();

__attribute__((target("ssse3"))) void decode_blocks_ssse3(const unsigned char* src,
                                                          std::int32_t size, std::int32_t& in,
                                                          unsigned char* out, std::int32_t room,
                                                          std::int32_t& n, std::uint8_t stop) {
    const __m128i lead_d0 = _mm_set1_epi8(static_cast<char>(0xD0));
    const __m128i lead_d1 = _mm_set1_epi8(static_cast<char>(0xD1));
    const __m128i high_bit = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i stop_byte = _mm_set1_epi8(static_cast<char>(stop));
    const __m128i add_d0 = _mm_set1_epi8(0x30);
    const __m128i add_d1 = _mm_set1_epi8(0x70);
    std::int32_t i = in;
    std::int32_t o = n;
    while (size - i >= 16 && room - o >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        // Each byte beside the one before it; the first has none (the block starts a
        // character, so a continuation byte there is a stray).
        const __m128i prev = _mm_slli_si128(v, 1);
        // Continuation bytes 80..BF become 00..3F as signed bytes; all others fall outside.
        const __m128i x = _mm_xor_si128(v, high_bit);
        const __m128i from_10 = _mm_cmpgt_epi8(x, _mm_set1_epi8(0x0F));
        const __m128i below_10 = _mm_andnot_si128(_mm_cmpgt_epi8(_mm_setzero_si128(), x),
                                                  _mm_cmplt_epi8(x, _mm_set1_epi8(0x10)));
        const __m128i below_40 = _mm_cmplt_epi8(x, _mm_set1_epi8(0x40));
        // The second byte of а..п (D0 90..BF) and of р..я (D1 80..8F).
        const __m128i d0_letter =
            _mm_and_si128(_mm_cmpeq_epi8(prev, lead_d0), _mm_and_si128(from_10, below_40));
        const __m128i d1_letter = _mm_and_si128(_mm_cmpeq_epi8(prev, lead_d1), below_10);
        const __m128i letter = _mm_or_si128(d0_letter, d1_letter);
        const __m128i lead = _mm_or_si128(_mm_cmpeq_epi8(v, lead_d0), _mm_cmpeq_epi8(v, lead_d1));
        const __m128i value = _mm_add_epi8(
            v, _mm_or_si128(_mm_and_si128(d0_letter, add_d0), _mm_and_si128(d1_letter, add_d1)));

        const unsigned ascii = ~static_cast<unsigned>(_mm_movemask_epi8(v)) & 0xFFFFu;
        const unsigned leads = static_cast<unsigned>(_mm_movemask_epi8(lead));
        const unsigned letters = static_cast<unsigned>(_mm_movemask_epi8(letter));
        const unsigned stops =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, stop_byte)));
        // Where the block stops: a byte that is none of the three, the stop byte, or a
        // lead byte not followed by a letter's second byte (at the block's end, too).
        const unsigned bad =
            (~(ascii | leads | letters) & 0xFFFFu) | stops | (leads & ~(letters >> 1));
        const int whole = __builtin_ctz(bad | 0x10000u);
        if (whole == 0) break;

        // Everything but the lead bytes, moved together: each half of the block by its own
        // shuffle, the second half written right after what the first half kept.
        const unsigned keep = ~leads & 0xFFFFu;
        const __m128i shuffle = _mm_set_epi64x(
            static_cast<long long>(kCompaction.shuffle[keep >> 8] + 0x0808080808080808ull),
            static_cast<long long>(kCompaction.shuffle[keep & 0xFF]));
        const __m128i packed = _mm_shuffle_epi8(value, shuffle);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + o), packed);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + o + kCompaction.count[keep & 0xFF]),
                         _mm_srli_si128(packed, 8));

        const unsigned kept = keep & ((1u << whole) - 1);
        o += kCompaction.count[kept & 0xFF] + kCompaction.count[kept >> 8];
        i += whole;
        // Only a letter cut by the block's end lets the next block go on at once.
        if (whole < 15 || (whole == 15 && (leads & 0x8000u) == 0)) break;
    }
    in = i;
    n = o;
}

#endif

}  // namespace

bool utf8_blocks_available() {
#if TOMEO_UTF8_BLOCKS
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return available;
#else
    return false;
#endif
}

void decode_utf8_blocks(const unsigned char* src, std::int32_t size, std::int32_t& in,
                        unsigned char* out, std::int32_t room, std::int32_t& n, std::uint8_t stop) {
#if TOMEO_UTF8_BLOCKS
    if (utf8_blocks_available()) decode_blocks_ssse3(src, size, in, out, room, n, stop);
#else
    (void)src, (void)size, (void)in, (void)out, (void)room, (void)n, (void)stop;
#endif
}

}  // namespace tomeo
