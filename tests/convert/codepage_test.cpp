#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

#include "book/book_buffer.h"
#include "convert/text_codepage.h"
#include "core/codepage.h"
#include "core/operations.h"

namespace tomeo {
namespace {

ByteView View(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()),
            static_cast<std::int32_t>(bytes.size())};
}

struct CharCase {
    const char* bytes;
    std::int32_t status;
    std::uint8_t character;
    std::int32_t length;
};

TEST(ReadChar, Utf8) {
    const CharCase cases[] = {
        {"A", CONV_OK, 'A', 1},
        {"\xD0\x90", CONV_OK, 0xC0, 2},      // А
        {"\xD1\x8F", CONV_OK, 0xFF, 2},      // я
        {"\xD0\x81", CONV_OK, 0xA8, 2},      // Ё
        {"\xD1\x91", CONV_OK, 0xB8, 2},      // ё
        {"\xE2\x82\xAC", CONV_OK, 0x88, 3},  // €
        {"\xE2\x84\x96", CONV_OK, 0xB9, 3},  // №
        {"\xC2\xA0", CONV_OK, 0xA0, 2},      // no-break space
        {"\xC2\x98", CONV_NOT_1251, 0, 0},
        {"\xF0\x9F\x98\x80", CONV_NOT_1251, 0, 0},  // well-formed, not representable
        {"\xC0\x80", CONV_NOT_1251, 0, 0},          // overlong but well-formed here
        {"\xEF\xBB\xBF", CONV_NOT_1251, 0, 0},      // byte-order mark
        {"\x80", CONV_BAD_UTF8, 0, 0},
        {"\xF8\x80\x80\x80", CONV_BAD_UTF8, 0, 0},
        {"\xD0\x41", CONV_BAD_UTF8, 0, 0},
        {"\xE2\x41\x82", CONV_BAD_UTF8, 0, 0},
        {"\xD0", CONV_TRUNCATED, 0, 0},
        {"\xE2\x82", CONV_TRUNCATED, 0, 0},
        {"\xF0\x9F\x98", CONV_TRUNCATED, 0, 0},
    };
    for (CodePage codepage : {CP_UTF8, CP_UNSET, CP_866}) {
        for (const CharCase& c : cases) {
            CharReader reader;
            reader.codepage_state = codepage;
            reader.read_char(View(c.bytes), 0);
            EXPECT_EQ(reader.read_status, c.status) << c.bytes;
            if (c.status != CONV_OK) continue;
            EXPECT_EQ(static_cast<std::uint8_t>(reader.cur_char), c.character) << c.bytes;
            EXPECT_EQ(reader.cur_char_len, c.length) << c.bytes;
        }
    }
}

TEST(ReadChar, SingleBytesIn1251And1252) {
    const std::string all = [] {
        std::string s;
        for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
        return s;
    }();
    for (CodePage codepage : {CP_1251, CP_1252}) {
        CharReader reader;
        reader.codepage_state = codepage;
        for (int b = 0; b < 256; ++b) {
            reader.read_char(View(all), b);
            ASSERT_EQ(reader.read_status, CONV_OK);
            EXPECT_EQ(static_cast<std::uint8_t>(reader.cur_char), b);
            EXPECT_EQ(reader.cur_char_len, 1);
        }
    }
}

TEST(ReadChar, NeverOutsideTheBytes) {
    const std::string text = "\xD0\x90";
    for (CodePage codepage : {CP_1251, CP_UTF8}) {
        CharReader reader;
        reader.codepage_state = codepage;
        for (std::int32_t pos : {-1, 2, 3, 1000}) {
            reader.read_char(View(text), pos);
            EXPECT_EQ(reader.read_status, CONV_TRUNCATED) << pos;
        }
        // Only the first byte is inside the view: the sequence is cut.
        reader.read_char(ByteView{View(text).data, 1}, 0);
        EXPECT_EQ(reader.read_status, codepage == CP_UTF8 ? CONV_TRUNCATED : CONV_OK);
    }
}

TEST(PairMatrix, RowsAsListed) {
    // Ъ allows only ъе, ъю and ъя.
    for (int b = 0; b < 32; ++b)
        EXPECT_EQ(is_likely_pair(26, b), b == 5 || b == 30 || b == 31) << b;
    EXPECT_TRUE(is_likely_pair(0, 0));     // аа
    EXPECT_FALSE(is_likely_pair(0, 26));   // аъ
    EXPECT_FALSE(is_likely_pair(29, 31));  // эя
}

CodePage Decide(const std::string& bytes) {
    return decide_text_codepage(View(bytes));
}

TEST(DetectCodePage, Decisions) {
    EXPECT_EQ(Decide("\xAF\xE0\xA8\xA2\xA5\xE2"), CP_866);   // привет in 866
    EXPECT_EQ(Decide("\xEF\xF0\xE8\xE2\xE5\xF2"), CP_1251);  // привет in 1251
    EXPECT_EQ(Decide(""), CP_1251);
    EXPECT_EQ(Decide("\xEF"), CP_1251);
    EXPECT_EQ(Decide("plain ASCII text, no letters of interest"), CP_1251);
    // Ё and ё take no part in either reading: only unknown pairs, equal counts.
    EXPECT_EQ(Decide("\xA8\xB8\xF0\xF1\xA8\xF1"), CP_1251);
}

// UTF-8 is told by its byte-order mark or by its form; the letter pairs of UTF-8
// punctuation (E2 80 xx) once made such texts code page 866.
TEST(DetectCodePage, Utf8TextsAreToldByTheirMarkOrTheirForm) {
    const std::pair<std::string, bool> cases[] = {
        {"\xEF\xBB\xBF", true},                    // the mark alone
        {"\xEF\xBB\xBFplain \xEF\xF0\xE8", true},  // the mark wins over what follows
        {"Лев Толстой", true},
        {"Lev Tolstoy \xE2\x80\x94 \xE2\x80\xA6", true},  // — … only
        {"ASCII \xE4\xB8\x80 \xF0\x9F\x98\x80", true},    // outside Windows-1251 still UTF-8
        {"cut at the end \xD0", true},                    // the examined bytes end inside
        {"cut at the end \xE2\x80", true},
        {"cut at the end \xF0\x9F\x98", true},
        {"pure ASCII", false},  // no multi-byte sequence
        {"", false},
        {"\xEF\xF0\xE8\xE2\xE5\xF2", false},  // привет in 1251
        {"\xAF\xE0\xA8\xA2\xA5\xE2", false},  // привет in 866
        {"Лев \xD0 ", false},                 // a lead byte followed by a space
        {"\xC0\x80 \xC1\xBF", false},         // overlong forms
        {"\xE0\x80\x80", false},
        {"\xF0\x80\x80\x80", false},
        {"\xED\xA0\x80", false},               // a UTF-16 surrogate
        {"\xF4\x90\x80\x80 \xF5\x80", false},  // above U+10FFFF
        {"Лев\x80", false},                    // a stray continuation byte
        {"\xEF\xBB", true},                    // half a mark: a cut sequence
    };
    for (const auto& [bytes, utf8] : cases) {
        EXPECT_EQ(looks_like_utf8(View(bytes)), utf8) << bytes;
        MemoryBookSource source(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        BookBuffer book;
        book.start(source);
        CharReader reader;
        ASSERT_EQ(detect_text_codepage(book, reader), 0u);
        EXPECT_EQ(reader.codepage_state, utf8 ? CP_UTF8 : Decide(bytes)) << bytes;
    }
}

TEST(DetectCodePage, UnlikelyPairsAreForgivenWhenRare) {
    // 32 distinct likely 1251 pairs (а followed by any of б..я except ъ, plus more), and
    // one unlikely pair (аъ): forgiven, so 1251 stays ahead of anything 866 sees.
    std::string text;
    for (int b = 0; b < 32; ++b) {
        if (!is_likely_pair(0, b) || b == 26) continue;
        text += '\xE0';
        text += static_cast<char>(0xE0 + b);
        text += ' ';
    }
    for (int b = 0; b < 32; ++b) {
        if (!is_likely_pair(5, b)) continue;
        text += '\xE5';
        text += static_cast<char>(0xE0 + b);
        text += ' ';
    }
    text += "\xE0\xFA";  // аъ
    EXPECT_EQ(Decide(text), CP_1251);
}

std::string Iconv1251To866(const std::string& text) {
    iconv_t cd = iconv_open("CP866", "CP1251");
    std::string out(text.size(), '\0');
    char* in = const_cast<char*>(text.data());
    char* pout = out.data();
    size_t in_left = text.size(), out_left = out.size();
    iconv(cd, &in, &in_left, &pout, &out_left);
    iconv_close(cd);
    out.resize(out.size() - out_left);
    return out;
}

TEST(DetectCodePage, LoadsTheFirst1024BytesOnly) {
    // Windows-1251 Russian text first, then 866 text after 1024 bytes: only the first
    // counts.
    std::string text;
    while (text.size() < 1024)
        text += "\xEC\xEE\xEB\xEE\xEA\xEE \xE8 \xF5\xEB\xE5\xE1 ";  // молоко и хлеб
    text.resize(1024);
    const std::string tail = Iconv1251To866(std::string(3000, '\xEE') + "\xEC\xEE\xEB\xEE\xEA\xEE");
    const std::string book_bytes = text + tail;
    MemoryBookSource source(book_bytes.data(), static_cast<std::int32_t>(book_bytes.size()));
    BookBuffer book;
    book.start(source);
    CharReader reader;
    EXPECT_EQ(detect_text_codepage(book, reader), 0u);
    EXPECT_EQ(reader.codepage_state, CP_1251);
    EXPECT_EQ(book.fill(), 1024);
    EXPECT_FALSE(book.book_at_eof());

    const std::string in866 = Iconv1251To866(text);
    MemoryBookSource source866(in866.data(), static_cast<std::int32_t>(in866.size()));
    book.start(source866);
    EXPECT_EQ(detect_text_codepage(book, reader), 0u);
    EXPECT_EQ(reader.codepage_state, CP_866);
}

TEST(Recode866, MatchesIconvForTextAndKeepsChunkBoundaries) {
    std::string source;
    for (int b = 0; b < 0x80; ++b) source += static_cast<char>(b);
    for (int b = 0x80; b <= 0xAF; ++b) source += static_cast<char>(b);
    for (int b = 0xE0; b <= 0xF1; ++b) source += static_cast<char>(b);
    source += "\xFC";  // №
    while (source.size() < 200000) source += source;
    // iconv as the reference for every character that Windows-1251 has.
    iconv_t cd = iconv_open("CP1251", "CP866");
    std::string expected(source.size(), '\0');
    char* in = source.data();
    char* out = expected.data();
    size_t in_left = source.size(), out_left = expected.size();
    ASSERT_NE(iconv(cd, &in, &in_left, &out, &out_left), static_cast<size_t>(-1));
    iconv_close(cd);

    std::string output;
    unsigned char chunk[kConvChunkSize];
    TCONVJOB job;
    job.src = reinterpret_cast<const unsigned char*>(source.data());
    job.src_len = static_cast<std::int32_t>(source.size());
    job.dst = chunk;
    job.dst_cap = kConvChunkSize;
    int steps = 0;
    while (job.src_pos < job.src_len) {
        recode_866_chunk(job);
        ASSERT_EQ(job.status, CONV_OK);
        output.append(reinterpret_cast<const char*>(chunk), job.dst_len);
        job.dst_len = 0;
        ++steps;
    }
    EXPECT_EQ(steps, static_cast<int>((source.size() + kConvChunkSize - 1) / kConvChunkSize));
    EXPECT_EQ(output, expected);

    // A chunk with room left only for part of the input takes what fits.
    TCONVJOB partial = job;
    partial.src_pos = 0;
    partial.dst_len = kConvChunkSize - 10;
    recode_866_chunk(partial);
    EXPECT_EQ(partial.src_pos, 10);
    EXPECT_EQ(partial.dst_len, kConvChunkSize);
}

TEST(Recode866, EveryByteAsTheCharacterTablesSayInAnyBlock) {
    // Letters alone, and letters with one byte of box drawing somewhere among them.
    std::string letters;
    while (letters.size() < 3 * 4096) {
        for (int b = 0x80; b <= 0xAF; ++b) letters += static_cast<char>(b);
        for (int b = 0xE0; b <= 0xEF; ++b) letters += static_cast<char>(b);
        letters += "text 123\r\n";
    }
    for (int b = 0; b < 256; ++b) {
        std::string source = letters;
        source[5000] = static_cast<char>(b);
        std::string expected = source;
        oem_to_ansi(expected.data(), expected.size());
        std::string output(source.size(), '\0');
        TCONVJOB job;
        job.src = reinterpret_cast<const unsigned char*>(source.data());
        job.src_len = static_cast<std::int32_t>(source.size());
        job.dst = reinterpret_cast<unsigned char*>(output.data());
        job.dst_cap = job.src_len;
        recode_866_chunk(job);
        ASSERT_EQ(output, expected) << b;
    }
}

}  // namespace
}  // namespace tomeo
