#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/sys_hook.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_builder.h"
#include "zip/zip_writer.h"

namespace tomeo {
namespace {

using test::BookText;
using test::Get16;
using test::Get32;
using test::ReadFile;
using test::TempDir;

// "Книга" in Windows-1251 and in code page 866.
constexpr char kBook1251[] = "\xCA\xED\xE8\xE3\xE0";
constexpr char kBook866[] = "\x8A\xAD\xA8\xA3\xA0";

const FILETIME kTime = civil_to_filetime({2008, 3, 15, 14, 30, 58});

// The fields of a written archive, parsed straight from its bytes.
struct Parsed {
    std::uint32_t local_flags, local_time, local_date, local_crc, local_packed, local_member;
    std::string local_name, local_extra, data;
    std::uint32_t central_flags, central_time, central_date, central_crc, central_packed,
        central_member, central_attributes, central_offset;
    std::string central_name, central_extra, central_comment;
    std::uint32_t end_entries, end_size, end_offset;
    std::string end_comment;
    std::size_t central_at, end_at;
};

Parsed Parse(const std::string& zip) {
    Parsed p{};
    EXPECT_EQ(Get32(zip, 0), 0x04034B50u);
    p.local_flags = Get16(zip, 6);
    p.local_time = Get16(zip, 10);
    p.local_date = Get16(zip, 12);
    p.local_crc = Get32(zip, 14);
    p.local_packed = Get32(zip, 18);
    p.local_member = Get32(zip, 22);
    const std::size_t n = Get16(zip, 26), e = Get16(zip, 28);
    p.local_name = zip.substr(30, n);
    p.local_extra = zip.substr(30 + n, e);
    p.data = zip.substr(30 + n + e, p.local_packed);
    const std::size_t c = p.central_at = 30 + n + e + p.local_packed;
    EXPECT_EQ(Get32(zip, c), 0x02014B50u);
    p.central_flags = Get16(zip, c + 8);
    p.central_time = Get16(zip, c + 12);
    p.central_date = Get16(zip, c + 14);
    p.central_crc = Get32(zip, c + 16);
    p.central_packed = Get32(zip, c + 20);
    p.central_member = Get32(zip, c + 24);
    const std::size_t cn = Get16(zip, c + 28), ce = Get16(zip, c + 30), cc = Get16(zip, c + 32);
    p.central_attributes = Get32(zip, c + 38);
    p.central_offset = Get32(zip, c + 42);
    p.central_name = zip.substr(c + 46, cn);
    p.central_extra = zip.substr(c + 46 + cn, ce);
    p.central_comment = zip.substr(c + 46 + cn + ce, cc);
    const std::size_t end = p.end_at = c + 46 + cn + ce + cc;
    EXPECT_EQ(Get32(zip, end), 0x06054B50u);
    p.end_entries = Get16(zip, end + 10);
    p.end_size = Get32(zip, end + 12);
    p.end_offset = Get32(zip, end + 16);
    p.end_comment = zip.substr(end + 22, Get16(zip, end + 20));
    EXPECT_EQ(end + 22 + p.end_comment.size(), zip.size());
    return p;
}

// Writes an archive holding content in pieces of the given size.
int WriteArchive(const std::string& path, const std::string& content, const char* name,
                 std::size_t piece = 0, TCLOSEINFO* info_out = nullptr) {
    FileStreamPtr s = zip_create(path.c_str(), false, 0x20);
    if (!s) return -2;
    s->name.assign(name);
    s->attributes = 0x20;
    s->mtime = kTime;
    if (piece == 0) piece = content.size() + 1;
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(piece, content.size() - at);
        if (zip_write(*s, content.data() + at, static_cast<std::int32_t>(n)) < 0) {
            TCLOSEINFO info;
            zip_close(std::move(s), info);
            return -1;
        }
        at += n;
    } while (at < content.size());
    TCLOSEINFO info;
    const int result = zip_close(std::move(s), info);
    if (info_out != nullptr) *info_out = info;
    return result;
}

std::string ReadMember(const std::string& path, std::string* name = nullptr) {
    FileStreamPtr s = zip_open(path.c_str(), "r");
    if (!s) return "<not opened>";
    std::string content(static_cast<std::size_t>(s->member_size), '\0');
    if (zip_read(*s, content.data(), s->member_size) != s->member_size) return "<short>";
    if (name != nullptr) *name = s->name.c_str();
    return content;
}

TEST(ZipWrite, RoundTripWithAgreeingHeaders) {
    TempDir dir;
    const std::string book = BookText(300000);
    TCLOSEINFO info;
    ASSERT_EQ(WriteArchive(dir / "a.zip", book, "book.txt", 0, &info), 0);
    const std::string zip = ReadFile(dir / "a.zip");
    const Parsed p = Parse(zip);

    EXPECT_EQ(p.local_name, "book.txt");
    EXPECT_EQ(p.central_name, "book.txt");
    EXPECT_EQ(p.local_crc, test::Crc32(book));
    EXPECT_EQ(p.central_crc, p.local_crc);
    EXPECT_EQ(p.local_member, book.size());
    EXPECT_EQ(p.central_member, book.size());
    EXPECT_EQ(p.central_packed, p.local_packed);
    EXPECT_EQ(test::RawInflate(p.data), book);  // raw deflate
    EXPECT_EQ(p.local_time, p.central_time);
    EXPECT_EQ(p.local_date, p.central_date);
    EXPECT_EQ(p.local_date, 28u * 512 + 3 * 32 + 15);
    EXPECT_EQ(p.local_time, 14u * 2048 + 30 * 32 + 29);
    EXPECT_EQ(p.central_attributes, 0x20u);
    EXPECT_EQ(p.central_offset, 0u);
    EXPECT_EQ(p.end_entries, 1u);
    EXPECT_EQ(p.end_offset, p.central_at);
    EXPECT_EQ(p.end_size, p.end_at - p.central_at);
    EXPECT_EQ(Get16(zip, 4), 20u);  // version needed

    EXPECT_EQ(info.membersize, static_cast<std::int32_t>(book.size()));
    EXPECT_EQ(info.membertime, kTime);
    EXPECT_EQ(info.filesize, static_cast<std::int32_t>(zip.size()));
    EXPECT_EQ(ReadMember(dir / "a.zip"), book);
}

TEST(ZipWrite, SmallPiecesGiveTheSameMember) {
    TempDir dir;
    const std::string book = BookText(100000);
    ASSERT_EQ(WriteArchive(dir / "whole.zip", book, "b.txt"), 0);
    const std::string whole = ReadFile(dir / "whole.zip");
    for (std::size_t piece : {1, 100, 4095, 4096, 65536}) {
        SCOPED_TRACE(piece);
        const std::string path = dir / (std::string("p") + std::to_string(piece) + ".zip");
        ASSERT_EQ(WriteArchive(path, book, "b.txt", piece), 0);
        EXPECT_EQ(ReadMember(path), book);
    }
}

TEST(ZipWrite, EmptyBookGivesTheEmptyDeflateStream) {
    TempDir dir;
    ASSERT_EQ(WriteArchive(dir / "a.zip", "", "empty.txt"), 0);  // one write of 0 bytes
    Parsed p = Parse(ReadFile(dir / "a.zip"));
    EXPECT_EQ(p.data, std::string("\x03\x00", 2));
    EXPECT_EQ(p.local_member, 0u);
    EXPECT_EQ(p.local_crc, 0u);
    EXPECT_EQ(ReadMember(dir / "a.zip"), "");

    // Closed without any write at all: still a valid member.
    FileStreamPtr s = zip_create((dir / "b.zip").c_str(), false, 0x20);
    ASSERT_TRUE(s);
    s->name.assign("none.txt");
    TCLOSEINFO info;
    ASSERT_EQ(zip_close(std::move(s), info), 0);
    p = Parse(ReadFile(dir / "b.zip"));
    EXPECT_EQ(p.data, std::string("\x03\x00", 2));
    EXPECT_EQ(ReadMember(dir / "b.zip"), "");
}

TEST(ZipWrite, CyrillicNamesAreCodePage866InBothHeaders) {
    TempDir dir;
    const std::string name = std::string(kBook1251) + ".fb2";
    ASSERT_EQ(WriteArchive(dir / "a.zip", "text", name.c_str()), 0);
    const Parsed p = Parse(ReadFile(dir / "a.zip"));
    EXPECT_EQ(p.local_name, std::string(kBook866) + ".fb2");
    EXPECT_EQ(p.central_name, p.local_name);
    EXPECT_EQ(p.local_flags & 0x0800, 0u);
    std::string back;
    EXPECT_EQ(ReadMember(dir / "a.zip", &back), "text");
    EXPECT_EQ(back, name);
}

// A name that code page 866 cannot hold is stored in UTF-8 with the UTF-8 flag in both
// headers, and reads back exactly; one it can hold stays code page 866, unflagged.
TEST(ZipWrite, NamesCodePage866LacksAreUtf8AndFlagged) {
    struct Case {
        const char* name;  // Windows-1251
        const char* stored;
        bool utf8;
    };
    const Case cases[] = {
        // «Книга» € ‹› — „“ ™: none of them has a code page 866 form.
        {"\xAB\xCA\xED\xE8\xE3\xE0\xBB.fb2",
         "\xC2\xAB\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0\xC2\xBB.fb2", true},
        {"\x88 \x8B\x9B \x97 \x84\x93 \x99.txt",
         "\xE2\x82\xAC \xE2\x80\xB9\xE2\x80\xBA \xE2\x80\x94 \xE2\x80\x9E\xE2\x80\x9C "
         "\xE2\x84\xA2.txt",
         true},
        // Ёлка №1 · °: code page 866 has them.
        {"\xA8\xEB\xEA\xE0 \xB9"
         "1 \xB7 \xB0.txt",
         "\xF0\xAB\xAA\xA0 \xFC"
         "1 \xFA \xF8.txt",
         false},
        {"plain.fb2", "plain.fb2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_EQ(WriteArchive(dir / "a.zip", "text", c.name), 0);
        const Parsed p = Parse(ReadFile(dir / "a.zip"));
        EXPECT_EQ(p.local_name, c.stored);
        EXPECT_EQ(p.central_name, c.stored);
        EXPECT_EQ((p.local_flags & 0x0800) != 0, c.utf8);
        EXPECT_EQ((p.central_flags & 0x0800) != 0, c.utf8);
        std::string back;
        EXPECT_EQ(ReadMember(dir / "a.zip", &back), "text");
        EXPECT_EQ(back, c.name);
    }
}

// A member renamed by a raw copy gets its new name in the encoding that name needs,
// whatever the source's flag said.
TEST(ZipCopyMember, TheNewNameTakesTheEncodingItNeeds) {
    TempDir dir;
    test::ZipShape flagged;
    flagged.name =
        "\xC2\xAB"
        "a\xC2\xBB.fb2";  // «a».fb2 in UTF-8
    flagged.flags = 0x0800;
    test::WriteFile(dir / "x.zip", test::BuildZip(flagged));
    const char* const names[] = {"\xAB\xE1\xBB.fb2", "\xE1.fb2"};  // «б».fb2, б.fb2
    for (const char* name : names) {
        FileStreamPtr src = zip_open((dir / "x.zip").c_str(), "r");
        ASSERT_TRUE(src);
        FileStreamPtr dst = zip_create((dir / "y.zip").c_str(), true, 0x20);
        dst->name.assign(name);
        ASSERT_TRUE(zip_copy_headers(*src, *dst));
        ASSERT_EQ(zip_copy_member(*src, *dst), 0);
        TCLOSEINFO info;
        ASSERT_EQ(zip_close(std::move(dst), info), 0);
        const Parsed p = Parse(ReadFile(dir / "y.zip"));
        const bool utf8 = name == names[0];
        EXPECT_EQ(p.local_flags & 0x0800, utf8 ? 0x0800u : 0u);
        EXPECT_EQ(p.central_flags & 0x0800, utf8 ? 0x0800u : 0u);
        EXPECT_EQ(p.local_name, utf8 ? "\xC2\xAB\xD0\xB1\xC2\xBB.fb2" : "\xA1.fb2");
        std::string back;
        EXPECT_EQ(ReadMember(dir / "y.zip", &back), flagged.content);
        EXPECT_EQ(back, name);
    }
}

TEST(ZipWrite, OddSecondsAreRoundedDown) {
    TempDir dir;
    FileStreamPtr s = zip_create((dir / "a.zip").c_str(), false, 0x20);
    ASSERT_TRUE(s);
    s->name.assign("t.txt");
    s->mtime = civil_to_filetime({2021, 12, 31, 23, 59, 59});
    TCLOSEINFO info;
    ASSERT_EQ(zip_close(std::move(s), info), 0);
    FileStreamPtr r = zip_open((dir / "a.zip").c_str(), "r");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->mtime, civil_to_filetime({2021, 12, 31, 23, 59, 58}));
}

// A source archive's extra fields and comments are carried over; CRC, sizes and time
// are new. No data descriptor follows and the name is not UTF-8, whatever the source
// said.
TEST(ZipCopyHeaders, KeepsExtrasAndCommentsUpdatesTheRest) {
    TempDir dir;
    test::ZipShape shape;
    shape.local_extra = std::string("UT\x05\x00\x01\x11\x22\x33\x44", 9);
    shape.central_extra = std::string("UT\x01\x00\x01", 5);
    shape.file_comment = "file comment";
    shape.archive_comment = "archive comment";
    shape.flags = 0x0802;
    shape.made_by = 3 << 8 | 30;  // Unix
    shape.name = "\xD0\x9A.fb2";  // "К" in UTF-8
    test::WriteFile(dir / "src.zip", test::BuildZip(shape));
    FileStreamPtr src = zip_open((dir / "src.zip").c_str(), "r");
    ASSERT_TRUE(src);
    std::string content(static_cast<std::size_t>(src->member_size), '\0');
    ASSERT_EQ(zip_read(*src, content.data(), src->member_size), src->member_size);

    FileStreamPtr dst = zip_create((dir / "dst.zip").c_str(), false, 0x20);
    ASSERT_TRUE(dst);
    ASSERT_TRUE(zip_copy_headers(*src, *dst));
    dst->name.assign(src->name.c_str());
    dst->attributes = src->attributes;
    dst->mtime = civil_to_filetime({2024, 1, 2, 3, 4, 6});
    const std::string changed = content + " recoded";
    ASSERT_EQ(zip_write(*dst, changed.data(), static_cast<std::int32_t>(changed.size())),
              static_cast<std::int32_t>(changed.size()));
    TCLOSEINFO info;
    ASSERT_EQ(zip_close(std::move(dst), info), 0);

    const Parsed p = Parse(ReadFile(dir / "dst.zip"));
    EXPECT_EQ(p.local_extra, shape.local_extra);
    EXPECT_EQ(p.central_extra, shape.central_extra);
    EXPECT_EQ(p.central_comment, shape.file_comment);
    EXPECT_EQ(p.end_comment, shape.archive_comment);
    EXPECT_EQ(p.local_flags, 0x0002u);
    EXPECT_EQ(p.central_flags, 0x0002u);
    EXPECT_EQ(p.local_name, "\x8A.fb2");  // now code page 866, from a DOS host
    EXPECT_EQ(Get16(ReadFile(dir / "dst.zip"), p.central_at + 4), 30u);
    EXPECT_EQ(p.local_crc, test::Crc32(changed));
    EXPECT_EQ(p.local_member, changed.size());
    EXPECT_EQ(p.local_date, (2024u - 1980) * 512 + 1 * 32 + 2);
    EXPECT_EQ(ReadMember(dir / "dst.zip"), changed);
}

// A new name without recompressing: identical data bytes, CRC and sizes.
TEST(ZipCopyMember, CopiesTheCompressedBytesUnchanged) {
    TempDir dir;
    test::ZipShape shape;
    shape.content = BookText(150000);
    shape.archive_comment = "kept";
    const std::string source_bytes = test::BuildZip(shape);
    test::WriteFile(dir / "x.zip", source_bytes);
    FileStreamPtr src = zip_open((dir / "x.zip").c_str(), "r");
    ASSERT_TRUE(src);
    // The description readers have read part of the member already.
    char head[100];
    ASSERT_EQ(zip_read(*src, head, 100), 100);

    FileStreamPtr dst = zip_create((dir / "Name.zip").c_str(), false, 0x20);
    ASSERT_TRUE(dst);
    dst->name.assign("Name.fb2");
    dst->attributes = src->attributes;
    dst->mtime = src->mtime;
    ASSERT_TRUE(zip_copy_headers(*src, *dst));
    ASSERT_EQ(zip_copy_member(*src, *dst), 0);
    TCLOSEINFO info;
    ASSERT_EQ(zip_close(std::move(dst), info), 0);

    const Parsed source = Parse(source_bytes);
    const Parsed copy = Parse(ReadFile(dir / "Name.zip"));
    EXPECT_EQ(copy.data, source.data);
    EXPECT_EQ(copy.local_crc, source.local_crc);
    EXPECT_EQ(copy.local_packed, source.local_packed);
    EXPECT_EQ(copy.local_member, source.local_member);
    EXPECT_EQ(copy.local_time, source.local_time);
    EXPECT_EQ(copy.local_name, "Name.fb2");
    EXPECT_EQ(copy.central_name, "Name.fb2");
    EXPECT_EQ(copy.end_comment, "kept");
    EXPECT_EQ(info.membersize, 150000);
    EXPECT_EQ(ReadMember(dir / "Name.zip"), shape.content);
}

// The raw copy keeps the stored CRC and sizes, so a member whose header lies still
// fails every later read of the copy; it copies exactly the declared compressed size,
// and a source cut short while it is copied fails the copy.
TEST(ZipCopyMember, KeepsAWrongHeaderAndFailsOnAShortSource) {
    TempDir dir;
    test::ZipShape shape;
    shape.content = BookText(150000);
    shape.member_size = 75000;
    test::WriteFile(dir / "x.zip", test::BuildZip(shape));
    auto copy = [&](const std::string& to, bool cut) {
        FileStreamPtr src = zip_open((dir / "x.zip").c_str(), "r");
        EXPECT_TRUE(src);
        if (!src) return -2;
        if (cut) std::filesystem::resize_file(dir / "x.zip", 30 + 8 + src->packed_size / 2);
        FileStreamPtr dst = zip_create(to.c_str(), false, 0x20);
        dst->name.assign("Name.fb2");
        const int copied = zip_copy_member(*src, *dst);
        TCLOSEINFO info;
        return copied < 0 ? -1 : zip_close(std::move(dst), info);
    };
    ASSERT_EQ(copy(dir / "a.zip", false), 0);
    const Parsed copied = Parse(ReadFile(dir / "a.zip"));
    EXPECT_EQ(copied.local_member, 75000u);
    EXPECT_EQ(copied.central_member, 75000u);
    EXPECT_EQ(copied.local_crc, test::Crc32(shape.content));
    EXPECT_EQ(ReadMember(dir / "a.zip"), "<short>");
    EXPECT_EQ(copy(dir / "b.zip", true), -1);
}

// A failure at any write, flush or close makes the close report an incomplete
// archive; a close that reports success leaves a complete one.
TEST(ZipClose, EveryFailureIsReported) {
    const std::string book = BookText(60000);
    for (platform::SysOp op :
         {platform::SysOp::Write, platform::SysOp::Fsync, platform::SysOp::Close}) {
        for (int n = 1; n <= 8; ++n) {
            SCOPED_TRACE(testing::Message() << "op " << static_cast<int>(op) << " call " << n);
            TempDir dir;
            int result;
            int calls;
            {
                test::FailNthCall fail(op, n);
                result = WriteArchive(dir / "a.zip", book, "b.txt", 5000);
                calls = fail.calls();
            }
            if (calls >= n) {
                EXPECT_LT(result, 0);
            } else {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(ReadMember(dir / "a.zip"), book);
            }
        }
    }
}

TEST(ZipClose, RefusesNamesThatCannotBeReadBack) {
    for (const char* name : {"", ".", "..", "dir/b.txt", "dir\\b.txt"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        EXPECT_EQ(WriteArchive(dir / "a.zip", "text", name), -1);
    }
}

// The local header is written again over the first one: it must keep its length.
TEST(ZipClose, ANameChangedAfterTheFirstWriteFails) {
    TempDir dir;
    FileStreamPtr s = zip_create((dir / "a.zip").c_str(), false, 0x20);
    ASSERT_TRUE(s);
    s->name.assign("short.txt");
    ASSERT_EQ(zip_write(*s, "text", 4), 4);
    s->name.assign("a much longer name.txt");
    TCLOSEINFO info;
    EXPECT_EQ(zip_close(std::move(s), info), -1);
}

TEST(ZipStreams, ReadersDoNotWriteAndWritersDoNotRead) {
    TempDir dir;
    ASSERT_EQ(WriteArchive(dir / "a.zip", "text", "a.txt"), 0);
    FileStreamPtr r = zip_open((dir / "a.zip").c_str(), "r");
    ASSERT_TRUE(r);
    EXPECT_EQ(zip_write(*r, "x", 1), -1);
    EXPECT_EQ(zip_write_local_header(*r), -1);
    FileStreamPtr w = zip_create((dir / "b.zip").c_str(), false, 0x20);
    ASSERT_TRUE(w);
    char c;
    EXPECT_EQ(zip_read(*w, &c, 1), -1);
    EXPECT_FALSE(zip_copy_headers(*w, *r));
    EXPECT_FALSE(zip_create((dir / "a.zip").c_str(), false, 0x20));  // exists
}

}  // namespace
}  // namespace tomeo
