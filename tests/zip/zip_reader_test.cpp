#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/sys_hook.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_builder.h"
#include "zip/zip_reader.h"

namespace tomeo {
namespace {

using test::BookText;
using test::BuildZip;
using test::TempDir;
using test::WriteFile;
using test::ZipShape;

// "Чехов" in code page 866, Windows-1251 and UTF-8.
constexpr char kChekhov866[] = "\x97\xA5\xE5\xAE\xA2";
constexpr char kChekhov1251[] = "\xD7\xE5\xF5\xEE\xE2";
constexpr char kChekhovUtf8[] = "\xD0\xA7\xD0\xB5\xD1\x85\xD0\xBE\xD0\xB2";

FileStreamPtr OpenBuilt(const TempDir& dir, const ZipShape& shape) {
    WriteFile(dir / "a.zip", BuildZip(shape));
    return zip_open((dir / "a.zip").c_str(), "r");
}

std::string ReadAll(TFILESTREAM& stream, std::int32_t piece) {
    std::string out;
    std::string buffer(static_cast<std::size_t>(piece), '\0');
    for (;;) {
        const std::int32_t n = zip_read(stream, buffer.data(), piece);
        if (n <= 0) {
            EXPECT_EQ(n, 0);
            return out;
        }
        out.append(buffer.data(), static_cast<std::size_t>(n));
    }
}

TEST(ZipOpen, ReadsTheMemberAndItsFields) {
    TempDir dir;
    ZipShape shape;
    shape.content = BookText(50000);
    shape.attributes = 0x21;
    const std::string bytes = BuildZip(shape);
    WriteFile(dir / "a.zip", bytes);
    FileStreamPtr s = zip_open((dir / "a.zip").c_str(), "r");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->kind, kStreamZip);
    EXPECT_EQ(s->mode, kStreamRead);
    EXPECT_STREQ(s->name.c_str(), "book.fb2");
    EXPECT_EQ(s->member_size, 50000);
    EXPECT_EQ(s->packed_size, static_cast<std::int32_t>(test::RawDeflate(shape.content).size()));
    EXPECT_EQ(s->crc, test::Crc32(shape.content));
    EXPECT_EQ(s->attributes, 0x21u);
    EXPECT_EQ(s->size, static_cast<std::int32_t>(bytes.size()));
    EXPECT_EQ(s->position, 30 + 8);  // at the member data
    // Local wall-clock time as stored, with no time-zone shift.
    const CivilTime t = filetime_to_civil(s->mtime);
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
              (std::vector<int>{2008, 3, 15, 14, 30, 58}));

    std::string content(50000, '\0');
    EXPECT_EQ(zip_read(*s, content.data(), 50000), 50000);
    EXPECT_EQ(content, shape.content);
    EXPECT_EQ(zip_read(*s, content.data(), 10), 0);

    TCLOSEINFO info;
    info.filesize = 77;
    EXPECT_EQ(zip_close(std::move(s), info), 0);
    EXPECT_EQ(info.membersize, 50000);
    EXPECT_EQ(info.membertime, civil_to_filetime({2008, 3, 15, 14, 30, 58}));
    EXPECT_EQ(info.filesize, 77);  // nothing was written
}

TEST(ZipOpen, KeepsExtraFieldsAndComments) {
    TempDir dir;
    ZipShape shape;
    shape.local_extra = std::string("UT\x05\x00\x01\x10\x20\x30\x40", 9);
    shape.central_extra = std::string("UT\x01\x00\x01", 5);
    shape.file_comment = "file comment";
    shape.archive_comment = std::string(3000, 'c');  // beyond the first directory read
    FileStreamPtr s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    const TZIPSTATE& zip = *s->zip;
    EXPECT_EQ(zip.local_header.size(), 30u + 9);
    EXPECT_EQ(std::string(zip.local_header.begin() + 30, zip.local_header.end()),
              shape.local_extra);
    EXPECT_EQ(std::string(zip.central_header.begin() + 46, zip.central_header.end()),
              shape.central_extra + shape.file_comment);
    EXPECT_EQ(std::string(zip.end_record.begin() + 22, zip.end_record.end()),
              shape.archive_comment);
    EXPECT_EQ(ReadAll(*s, 4096), shape.content);
}

TEST(ZipOpen, LongNamesAndExtrasBeyondTheFirstRead) {
    TempDir dir;
    ZipShape shape;
    shape.name = std::string(700, 'n') + ".fb2";
    shape.local_extra = std::string(4000, 'x');
    shape.central_extra = std::string(2500, 'y');
    FileStreamPtr s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->name.c_str(), shape.name);
    EXPECT_EQ(ReadAll(*s, 100), shape.content);
}

TEST(ZipOpen, NamesInCodePage866AndFlaggedUtf8) {
    TempDir dir;
    ZipShape shape;
    shape.name = std::string(kChekhov866) + ".fb2";
    FileStreamPtr s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->name.c_str(), std::string(kChekhov1251) + ".fb2");

    // Bit 11 says the name is UTF-8, as modern zippers store non-ASCII names.
    shape.name = std::string(kChekhovUtf8) + ".fb2";
    shape.flags = 0x0800;
    s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->name.c_str(), std::string(kChekhov1251) + ".fb2");

    // Made on Unix (Info-ZIP there stores the UTF-8 name as it is, without the flag).
    shape.flags = 0;
    shape.made_by = 3 << 8 | 30;
    s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->name.c_str(), std::string(kChekhov1251) + ".fb2");
    // ... unless the name is not UTF-8 at all.
    shape.name = std::string(kChekhov866) + ".fb2";
    s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->name.c_str(), std::string(kChekhov1251) + ".fb2");
}

TEST(ZipOpen, EmptyMemberGivesNothing) {
    TempDir dir;
    ZipShape shape;
    shape.content = "";
    FileStreamPtr s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->member_size, 0);
    char c;
    EXPECT_EQ(zip_read(*s, &c, 1), 0);
    EXPECT_EQ(zip_read(*s, &c, 1), 0);
}

TEST(ZipOpen, RefusesEveryOtherShape) {
    ZipShape two_members, stored, descriptor, prefixed, zip64, comment_cut;
    two_members.second_member = true;
    stored.method = 0;
    descriptor.data_descriptor = true;
    prefixed.prefix = "MZ" + std::string(518, '\0');
    zip64.zip64 = true;
    ZipShape gap, short_size, long_size, huge_size, huge_member, impossible_ratio;
    gap.after_data = "x";  // the central record does not follow the data
    short_size.packed_size = static_cast<std::uint32_t>(test::RawDeflate(gap.content).size() - 1);
    long_size.packed_size = static_cast<std::uint32_t>(test::RawDeflate(gap.content).size() + 1);
    huge_size.packed_size = 0x80000000u;
    huge_member.member_size = 0x80000000u;
    impossible_ratio.member_size = 100000000;  // from 30 bytes of deflate data
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"two members", BuildZip(two_members)},
        {"stored member", BuildZip(stored)},
        {"data descriptor", BuildZip(descriptor)},
        {"self-extracting prefix", BuildZip(prefixed)},
        {"ZIP64", BuildZip(zip64)},
        {"bytes between data and directory", BuildZip(gap)},
        {"packed size too small", BuildZip(short_size)},
        {"packed size too large", BuildZip(long_size)},
        {"packed size beyond 2 GiB", BuildZip(huge_size)},
        {"member size beyond 2 GiB", BuildZip(huge_member)},
        {"member larger than deflate can make", BuildZip(impossible_ratio)},
        {"empty file", ""},
        {"shorter than a local header", BuildZip(ZipShape{}).substr(0, 29)},
        {"not a zip", "This no valid zip file for tests\r\n"},
        {"directory cut off", BuildZip(ZipShape{}).substr(0, 80)},
        {"end record cut off", BuildZip(ZipShape{}).substr(0, BuildZip(ZipShape{}).size() - 1)},
    };
    comment_cut.archive_comment = "comment";
    const std::string with_comment = BuildZip(comment_cut);
    cases.push_back({"archive comment cut off", with_comment.substr(0, with_comment.size() - 2)});
    // Names that would become a file name outside the folder, or none.
    for (const char* name :
         {"", ".", "..", "dir/book.fb2", "dir\\book.fb2", "/etc/passwd", "../book.fb2"}) {
        ZipShape bad;
        bad.name = name;
        cases.push_back({name, BuildZip(bad)});
    }
    ZipShape nul;
    nul.name = std::string("book\0.exe", 9);
    cases.push_back({"NUL in the name", BuildZip(nul)});

    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(dir / "x.zip", c.bytes);
        EXPECT_FALSE(zip_open((dir / "x.zip").c_str(), "r"));
    }
}

TEST(ZipOpen, ReadingOnlyAndExistingFilesOnly) {
    TempDir dir;
    WriteFile(dir / "a.zip", BuildZip(ZipShape{}));
    EXPECT_TRUE(zip_open((dir / "a.zip").c_str(), "r"));
    EXPECT_TRUE(zip_open((dir / "a.zip").c_str(), ""));
    EXPECT_FALSE(zip_open((dir / "a.zip").c_str(), "w"));
    EXPECT_FALSE(zip_open((dir / "a.zip").c_str(), "rw"));
    EXPECT_FALSE(zip_open((dir / "b.zip").c_str(), "r"));
    EXPECT_FALSE(zip_open(dir.path().c_str(), "r"));
}

// Every piece size gives the same bytes as one read of the whole member, including
// sizes that end inside a back-reference and at the 4 KiB input blocks.
TEST(ZipRead, SmallPiecesGiveTheSameBytes) {
    TempDir dir;
    ZipShape shape;
    shape.content = BookText(120000) + std::string(70000, 'a') + BookText(5000, 7);
    FileStreamPtr whole = OpenBuilt(dir, shape);
    ASSERT_TRUE(whole);
    ASSERT_EQ(ReadAll(*whole, whole->member_size + 10), shape.content);
    for (std::int32_t piece : {1, 2, 7, 255, 4095, 4096, 4097, 65536}) {
        SCOPED_TRACE(piece);
        FileStreamPtr s = zip_open((dir / "a.zip").c_str(), "r");
        ASSERT_TRUE(s);
        EXPECT_EQ(ReadAll(*s, piece), shape.content);
    }
}

TEST(ZipRead, DamagedDataFailsForGood) {
    TempDir dir;
    ZipShape shape;
    shape.content = BookText(20000);
    std::string data = test::RawDeflate(shape.content);
    data[0] = static_cast<char>(0xFF);  // reserved block type 3
    shape.data = data;
    FileStreamPtr s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    std::string buffer(30000, '\0');
    EXPECT_EQ(zip_read(*s, buffer.data(), 30000), -1);
    EXPECT_TRUE(s->zip->failed);
    EXPECT_EQ(zip_read(*s, buffer.data(), 30000), -1);
    TCLOSEINFO info;
    EXPECT_EQ(zip_close(std::move(s), info), 0);  // a failed stream still closes
}

// Declared sizes and CRC are never trusted: a member whose data disagrees with its
// header fails the read that reaches its end, whatever the piece size, so that no
// caller ever takes a cut, padded or damaged book for a whole one.
TEST(ZipRead, AMemberThatDisagreesWithItsHeaderFails) {
    const std::string content = BookText(20000);
    const std::string data = test::RawDeflate(content);
    const auto half = static_cast<std::uint32_t>(content.size() / 2);
    struct Case {
        const char* what;
        ZipShape shape;
    };
    std::vector<Case> cases(8);
    for (Case& c : cases) c.shape.content = content;
    cases[0].what = "size half the real one";
    cases[0].shape.member_size = half;
    cases[1].what = "size and CRC of the first half";
    cases[1].shape.member_size = half;
    cases[1].shape.crc = test::Crc32(content.substr(0, half));
    cases[2].what = "size larger than the real one";
    cases[2].shape.member_size = static_cast<std::uint32_t>(content.size() + 1);
    cases[3].what = "wrong CRC";
    cases[3].shape.crc = test::Crc32(content) ^ 1;
    cases[4].what = "deflate stream cut: its end lies beyond the compressed size";
    cases[4].shape.data = data.substr(0, 3000);
    cases[5].what = "all the content but no final block";
    cases[5].shape.data = test::RawDeflateUnfinished(content);
    cases[6].what = "bytes behind the end of the deflate stream";
    cases[6].shape.data = data + "junk";
    cases[7].what = "an empty member with bytes behind its deflate stream";
    cases[7].shape.content = "";
    cases[7].shape.data = test::RawDeflate("") + "x";

    TempDir dir;
    for (const Case& c : cases) {
        for (std::int32_t piece : {1, 1000, 20000, 30000}) {
            SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
            FileStreamPtr s = OpenBuilt(dir, c.shape);
            ASSERT_TRUE(s);
            std::string buffer(static_cast<std::size_t>(piece), '\0');
            std::int64_t total = 0;
            std::int32_t n = 0;
            while ((n = zip_read(*s, buffer.data(), piece)) > 0) total += n;
            EXPECT_EQ(n, -1);
            EXPECT_LE(total, s->member_size);  // never more than the header says
            EXPECT_EQ(zip_read(*s, buffer.data(), piece), -1);
        }
    }
    // The same member with true header values reads whole.
    ZipShape good;
    good.content = content;
    FileStreamPtr s = OpenBuilt(dir, good);
    ASSERT_TRUE(s);
    EXPECT_EQ(ReadAll(*s, 1000), content);
}

TEST(ZipRead, BytesAfterTheDeflateStreamFail) {
    TempDir dir;
    ZipShape shape;
    shape.data = test::RawDeflate(shape.content) + "junk";
    FileStreamPtr s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    std::string buffer(100, '\0');
    EXPECT_EQ(zip_read(*s, buffer.data(), 100), -1);
}

TEST(ZipRead, SystemReadFailureFails) {
    TempDir dir;
    ZipShape shape;
    shape.content = BookText(50000);
    FileStreamPtr s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    std::string buffer(50000, '\0');
    test::FailNthCall fail(platform::SysOp::Read, 2);
    EXPECT_EQ(zip_read(*s, buffer.data(), 50000), -1);
    EXPECT_EQ(zip_read(*s, buffer.data(), 50000), -1);
}

TEST(ZipRewind, PositionsAtTheCompressedData) {
    TempDir dir;
    ZipShape shape;
    shape.content = BookText(30000);
    shape.local_extra = "abcd";
    FileStreamPtr s = OpenBuilt(dir, shape);
    ASSERT_TRUE(s);
    std::string buffer(100, '\0');
    ASSERT_EQ(zip_read(*s, buffer.data(), 100), 100);
    zip_rewind(*s, 0);
    EXPECT_FALSE(s->zip->failed);
    std::string packed(static_cast<std::size_t>(s->packed_size), '\0');
    EXPECT_EQ(fs_read(*s, packed.data(), s->packed_size), s->packed_size);
    EXPECT_EQ(packed, test::RawDeflate(shape.content));

    zip_rewind(*s, 5);
    EXPECT_TRUE(s->zip->failed);
    EXPECT_EQ(zip_read(*s, buffer.data(), 100), -1);
}

// Real archives of accepted and refused shapes, when the sample folder is present.
TEST(ZipOpen, SampleArchives) {
    const std::filesystem::path corpus = std::filesystem::path(TOMEO_CORPUS_DIR) / "zip";
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no sample archives";
    struct Case {
        const char* file;
        bool opens;
        bool reads = true;
    };
    const Case cases[] = {
        {"fictionbook-java_test2.1.fb2.zip", true},
        {"litlife_invalid.zip", false},
        {"litlife_invalid_crc.zip", true, false},  // its CRC does not match the data
        {"litlife_test.fb2.zip", true},
        {"litlife_test_95.doc.zip", true},
        {"sopds_badfile.zip", false},
        {"derived/KARENINA.ZIP", true},
        {"derived/anna_karenina.fb2.zip", true},
        {"derived/chekhov_hameleon.txt.zip", true},
        {"derived/cp866_cyrillic_name.zip", true},
        {"derived/data_descriptor.fb2.zip", false},
        {"derived/empty_member.fb2.zip", true},
        {"derived/encrypted.fb2.zip", false},
        {"derived/file_and_archive_comments.zip", true},
        {"derived/hameleon.rtf.zip", true},
        {"derived/member_in_subdirectory.zip", false},
        {"derived/prefixed_sfx_like.fb2.zip", false},
        {"derived/stored_member.fb2.zip", false},
        {"derived/two_members.zip", false},
        {"derived/utf8_flag_cyrillic_name.zip", true},
        {"derived/zip64.fb2.zip", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = (corpus / c.file).string();
        if (!std::filesystem::exists(path)) continue;
        FileStreamPtr s = zip_open(path.c_str(), "r");
        ASSERT_EQ(s != nullptr, c.opens);
        if (!s) continue;
        std::string content(static_cast<std::size_t>(s->member_size), '\0');
        EXPECT_EQ(zip_read(*s, content.data(), s->member_size), c.reads ? s->member_size : -1);
    }
    // "Чехов А.П. - Хамелеон.fb2" in code page 866, "Лермонтов - Парус.txt" as UTF-8.
    const std::string names[][2] = {
        {"derived/cp866_cyrillic_name.zip",
         "\xD7\xE5\xF5\xEE\xE2 \xC0.\xCF. - \xD5\xE0\xEC\xE5\xEB\xE5\xEE\xED.fb2"},
        {"derived/utf8_flag_cyrillic_name.zip",
         "\xCB\xE5\xF0\xEC\xEE\xED\xF2\xEE\xE2 - \xCF\xE0\xF0\xF3\xF1.txt"},
    };
    for (const auto& [file, name] : names) {
        FileStreamPtr s = zip_open((corpus / file).string().c_str(), "r");
        ASSERT_TRUE(s) << file;
        EXPECT_EQ(s->name.c_str(), name);
    }
}

}  // namespace
}  // namespace tomeo
