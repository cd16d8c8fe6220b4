#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/fb2_recode.h"
#include "core/charset.h"

namespace tomeo {
namespace {

struct Recoding {
    std::int32_t status = CONV_OK;
    std::string text;
};

Recoding Recode(const std::string& book, std::int32_t chunk_size = kConvChunkSize,
                bool plain_text = false) {
    std::vector<unsigned char> chunk(chunk_size);
    TCONVJOB job;
    job.src = reinterpret_cast<const unsigned char*>(book.data());
    job.src_len = static_cast<std::int32_t>(book.size());
    job.dst = chunk.data();
    job.dst_cap = chunk_size;
    Utf8Recoder recoder;
    recoder.recode_utf8_begin(job, plain_text);
    Recoding r;
    run_conversion_pass(
        job, [&](TCONVJOB& j) { recoder.recode_utf8_chunk(j); },
        [&](const unsigned char* bytes, std::int32_t n) {
            r.text.append(reinterpret_cast<const char*>(bytes), n);
            return true;
        });
    r.status = job.status;
    return r;
}

TEST(Utf8Recoding, OnlyTheDeclarationValueChanges) {
    const std::string book =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><p>Текст про UTF-8 — да</p>";
    const Recoding r = Recode(book);
    ASSERT_EQ(r.status, CONV_OK);
    std::string expected;
    ASSERT_TRUE(utf8_to_cp1251(
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?><p>Текст про UTF-8 — да</p>", expected));
    EXPECT_EQ(r.text, expected);
}

TEST(Utf8Recoding, BinariesAreCopiedAsTheyAre) {
    const std::string binary =
        "<BINARY id=\"обложка.jpg\" content-type=\"image/jpeg\">/9j/4AAQ</binary>";
    const std::string book = "<?xml encoding=\"UTF-8\"?><p>я</p>" + binary + "<binaryx/><p>ё</p>";
    const Recoding r = Recode(book, 16);
    ASSERT_EQ(r.status, CONV_OK);
    EXPECT_EQ(r.text,
              "<?xml encoding=\"windows-1251\"?><p>\xFF</p>" + binary + "<binaryx/><p>\xB8</p>");
}

TEST(Utf8Recoding, Failures) {
    EXPECT_EQ(Recode("\xEF\xBB\xBF<?xml encoding=\"UTF-8\"?>").status, CONV_NOT_1251)
        << "a byte-order mark has no Windows-1251 form";
    EXPECT_EQ(Recode("<?xml encoding=\"UTF-8\"?>\xD0\x41").status, CONV_BAD_UTF8);
    EXPECT_EQ(Recode("<?xml encoding=\"UTF-8\"?>ok\xD0").status, CONV_TRUNCATED);
    // A character outside Windows-1251 in the last of several chunks.
    const std::string late =
        "<?xml encoding=\"UTF-8\"?>" + std::string(200000, 'a') + "\xE4\xB8\x80";
    EXPECT_EQ(Recode(late).status, CONV_NOT_1251);
}

TEST(Utf8Recoding, ShrinksMultiByteCharacters) {
    const Recoding r = Recode("<?xml encoding=\"UTF-8\"?>Ж—");
    ASSERT_EQ(r.status, CONV_OK);
    EXPECT_TRUE(r.text.ends_with("\xC6\x97"));
}

// A text book has no declaration and no binary elements: every character is recoded,
// and its byte-order mark is dropped.
TEST(Utf8Recoding, PlainTextIsRecodedCharacterByCharacter) {
    const std::string text = "UTF-8 <binary id=\"я\">Ж</binary> «ёлка» — №1\r\n";
    std::string expected;
    ASSERT_TRUE(utf8_to_cp1251(text, expected));
    for (const std::int32_t chunk : {kConvChunkSize, 3}) {
        for (const std::string& bom : {std::string(), std::string("\xEF\xBB\xBF")}) {
            const Recoding r = Recode(bom + text, chunk, true);
            EXPECT_EQ(r.status, CONV_OK);
            EXPECT_EQ(r.text, expected) << chunk << " " << bom.size();
        }
    }
    // Only the mark at the very start is dropped; elsewhere it has no Windows-1251 form.
    EXPECT_EQ(Recode("a\xEF\xBB\xBF", kConvChunkSize, true).status, CONV_NOT_1251);
    EXPECT_EQ(Recode("\xEF\xBB\xBF", kConvChunkSize, true).text, "");
    EXPECT_EQ(Recode("\xEF\xBB\xBF\xE2\x94\x80", kConvChunkSize, true).status, CONV_NOT_1251);
    EXPECT_EQ(Recode("текст\xD0\x41", kConvChunkSize, true).status, CONV_BAD_UTF8);
    EXPECT_EQ(Recode("текст\xD0", kConvChunkSize, true).status, CONV_TRUNCATED);
}

}  // namespace
}  // namespace tomeo
