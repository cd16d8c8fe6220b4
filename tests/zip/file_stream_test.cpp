#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/files.h"
#include "tests/support/sys_hook.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_builder.h"
#include "zip/file_stream.h"

namespace tomeo {
namespace {

using test::FailNthCall;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(FsOpen, ModeLettersAndMissingFiles) {
    TempDir dir;
    WriteFile(dir / "f", "0123456789");
    struct Case {
        const char* mode_text;
        std::uint8_t mode;
    };
    for (const Case& c : {Case{"r", 1}, Case{"w", 2}, Case{"rw", 3}, Case{"wre", 3}, Case{"e", 1},
                          Case{"", 1}, Case{"rb", 1}}) {
        SCOPED_TRACE(c.mode_text);
        FileStreamPtr s = fs_open((dir / "f").c_str(), c.mode_text);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->kind, kStreamPlain);
        EXPECT_EQ(s->mode, c.mode);
        EXPECT_EQ(s->size, 10);
        EXPECT_EQ(s->position, 0);
        // Opening never creates a file, whatever the letters.
        EXPECT_FALSE(fs_open((dir / "missing").c_str(), c.mode_text));
    }
    EXPECT_FALSE(test::FileExists(dir / "missing"));
    EXPECT_FALSE(fs_open(dir.path().c_str(), "r"));
}

// Sizes are signed 32-bit: a file of 2 GiB or more is refused instead of being read
// with a wrapped size. The files are sparse, so they cost no disk space.
TEST(FsOpen, RefusesFilesOf2GiBOrMore) {
    TempDir dir;
    WriteFile(dir / "big", "");
    WriteFile(dir / "limit", "");
    if (::truncate((dir / "big").c_str(), std::int64_t{1} << 31) != 0 ||
        ::truncate((dir / "limit").c_str(), (std::int64_t{1} << 31) - 1) != 0) {
        GTEST_SKIP() << "no sparse files here";
    }
    EXPECT_FALSE(fs_open((dir / "big").c_str(), "r"));
    FileStreamPtr s = fs_open((dir / "limit").c_str(), "rw");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->size, 0x7FFFFFFF);
    // A write that would grow the file to 2 GiB fails and changes nothing.
    EXPECT_EQ(fs_seek(*s, 0x7FFFFFF0), 0x7FFFFFF0);
    EXPECT_EQ(fs_write(*s, "0123456789abcdef", 16), -1);
    EXPECT_EQ(s->position, 0x7FFFFFF0);
    EXPECT_EQ(fs_write(*s, "0123456789abcde", 15), 15);
    EXPECT_EQ(s->size, 0x7FFFFFFF);
    char c;
    EXPECT_EQ(fs_read(*s, &c, 1), 0);
}

TEST(FsCreate, NewOrReplacing) {
    TempDir dir;
    WriteFile(dir / "f", "old");
    EXPECT_FALSE(fs_create((dir / "f").c_str(), false, 0));
    EXPECT_EQ(ReadFile(dir / "f"), "old");

    FileStreamPtr s = fs_create((dir / "f").c_str(), true, 0x20);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->mode, kStreamWrite);
    EXPECT_EQ(s->size, 0);
    EXPECT_EQ(ReadFile(dir / "f"), "");
    char c;
    EXPECT_EQ(fs_read(*s, &c, 1), -1);  // opened for writing only

    FileStreamPtr ro = fs_create((dir / "ro").c_str(), false, 0x21);
    ASSERT_TRUE(ro);
    EXPECT_EQ(fs_write(*ro, "x", 1), 1);
    TCLOSEINFO info;
    EXPECT_EQ(fs_close(std::move(ro), info), 0);
    platform::FileStatus status;
    ASSERT_TRUE(platform::GetFileStatus((dir / "ro").c_str(), status));
    EXPECT_EQ(status.attributes, 0x21u);
}

TEST(FsWrite, SizeGrowsOnlyPastTheEnd) {
    TempDir dir;
    FileStreamPtr s = fs_create((dir / "f").c_str(), false, 0);
    ASSERT_TRUE(s);
    EXPECT_EQ(fs_write(*s, "abcdef", 6), 6);
    EXPECT_EQ(s->size, 6);
    EXPECT_EQ(s->position, 6);
    EXPECT_EQ(fs_seek(*s, 2), 2);
    EXPECT_EQ(fs_write(*s, "XY", 2), 2);
    EXPECT_EQ(s->size, 6);
    EXPECT_EQ(s->position, 4);
    EXPECT_EQ(fs_write(*s, "1234", 4), 4);
    EXPECT_EQ(s->size, 8);
    EXPECT_EQ(fs_write(*s, "", 0), 0);
    TCLOSEINFO info;
    EXPECT_EQ(fs_close(std::move(s), info), 0);
    EXPECT_EQ(ReadFile(dir / "f"), "abXY1234");
}

TEST(FsSeek, ClampsToTheEndAndRefusesNegativeOffsets) {
    TempDir dir;
    WriteFile(dir / "f", "0123456789");
    FileStreamPtr s = fs_open((dir / "f").c_str(), "r");
    ASSERT_TRUE(s);
    EXPECT_EQ(fs_seek(*s, 4), 4);
    char buffer[16] = {};
    EXPECT_EQ(fs_read(*s, buffer, 3), 3);
    EXPECT_STREQ(buffer, "456");
    EXPECT_EQ(fs_seek(*s, 1000), 10);
    EXPECT_EQ(fs_read(*s, buffer, 5), 0);
    EXPECT_EQ(fs_seek(*s, -1), -1);
    EXPECT_EQ(s->position, 10);
}

TEST(FsReadWrite, FailuresChangeNeitherPositionNorSize) {
    TempDir dir;
    FileStreamPtr s = fs_create((dir / "f").c_str(), false, 0);
    ASSERT_TRUE(s);
    ASSERT_EQ(fs_write(*s, "abc", 3), 3);
    {
        FailNthCall fail(platform::SysOp::Write, 1, ENOSPC);
        EXPECT_EQ(fs_write(*s, "defg", 4), -1);
    }
    EXPECT_EQ(s->position, 3);
    EXPECT_EQ(s->size, 3);
    TCLOSEINFO info;
    ASSERT_EQ(fs_close(std::move(s), info), 0);

    FileStreamPtr r = fs_open((dir / "f").c_str(), "r");
    ASSERT_TRUE(r);
    char buffer[4];
    {
        FailNthCall fail(platform::SysOp::Read, 1);
        EXPECT_EQ(fs_read(*r, buffer, 3), -1);
    }
    EXPECT_EQ(r->position, 0);
    EXPECT_EQ(fs_read(*r, buffer, 3), 3);
}

TEST(FsClose, RecordsSizeAndTimeOfWrittenFilesOnly) {
    TempDir dir;
    WriteFile(dir / "in", "input");
    TCLOSEINFO info;
    info.filesize = 42;
    info.filetime = 4242;
    FileStreamPtr r = fs_open((dir / "in").c_str(), "r");
    ASSERT_TRUE(r);
    EXPECT_EQ(fs_close(std::move(r), info), 0);
    EXPECT_EQ(info.filesize, 42);
    EXPECT_EQ(info.filetime, 4242u);

    FileStreamPtr w = fs_create((dir / "out").c_str(), false, 0);
    ASSERT_TRUE(w);
    ASSERT_EQ(fs_write(*w, "12345678", 8), 8);
    const FILETIME when = civil_to_filetime({2001, 2, 3, 4, 5, 6});
    EXPECT_TRUE(fs_set_time(*w, when));
    EXPECT_EQ(fs_close(std::move(w), info), 0);
    EXPECT_EQ(info.filesize, 8);
    EXPECT_EQ(info.filetime, when);
    platform::FileStatus status;
    ASSERT_TRUE(platform::GetFileStatus((dir / "out").c_str(), status));
    EXPECT_EQ(status.last_write_time, when);
}

// A written file must reach the disk: a failed flush or close is a failed close.
TEST(FsClose, ReportsAFailedFlushOrClose) {
    for (platform::SysOp op : {platform::SysOp::Fsync, platform::SysOp::Close}) {
        TempDir dir;
        FileStreamPtr w = fs_create((dir / "out").c_str(), false, 0);
        ASSERT_TRUE(w);
        ASSERT_EQ(fs_write(*w, "x", 1), 1);
        FailNthCall fail(op, 1);
        TCLOSEINFO info;
        EXPECT_EQ(fs_close(std::move(w), info), -1);
        EXPECT_EQ(info.filesize, 1);
    }
}

TEST(StreamOpen, ChoosesTheKindByTheExtension) {
    TempDir dir;
    const std::string archive = test::BuildZip(test::ZipShape{});
    struct Case {
        const char* name;
        std::uint8_t kind;
    };
    for (const Case& c :
         {Case{"a.zip", kStreamZip}, Case{"b.ZIP", kStreamZip}, Case{"c.Zip", kStreamZip},
          Case{".zip", kStreamZip}, Case{"d.zi_", kStreamPlain}, Case{"e.zip.bak", kStreamPlain},
          Case{"zip", kStreamPlain}}) {
        SCOPED_TRACE(c.name);
        WriteFile(dir / c.name, archive);
        FileStreamPtr s = stream_open((dir / c.name).c_str(), "r");
        ASSERT_TRUE(s);
        EXPECT_EQ(s->kind, c.kind);
        std::string content(200, '\0');
        const std::int32_t n = stream_read(*s, content.data(), 200);
        content.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        EXPECT_EQ(content,
                  c.kind == kStreamZip ? test::ZipShape{}.content : archive.substr(0, 200));
        TCLOSEINFO info;
        EXPECT_EQ(stream_close(std::move(s), info), 0);
    }
    // A text file named .zip is not opened as anything.
    WriteFile(dir / "text.zip", "plain text");
    EXPECT_FALSE(stream_open((dir / "text.zip").c_str(), "r"));
}

TEST(StreamSeek, ZipStreamsOnlyRewind) {
    TempDir dir;
    WriteFile(dir / "a.zip", test::BuildZip(test::ZipShape{}));
    FileStreamPtr s = stream_open((dir / "a.zip").c_str(), "r");
    ASSERT_TRUE(s);
    stream_seek(*s, 0);
    EXPECT_EQ(s->position, 30 + 8);
    char c;
    stream_seek(*s, 3);
    EXPECT_EQ(stream_read(*s, &c, 1), -1);

    WriteFile(dir / "p", "plain");
    FileStreamPtr p = stream_open((dir / "p").c_str(), "r");
    ASSERT_TRUE(p);
    stream_seek(*p, 3);
    EXPECT_EQ(stream_read(*p, &c, 1), 1);
    EXPECT_EQ(c, 'i');
}

TEST(StreamCreate, ChoosesTheKindByTheExtension) {
    TempDir dir;
    FileStreamPtr z = stream_create((dir / "a.ZIP").c_str(), false, 0x20);
    ASSERT_TRUE(z);
    EXPECT_EQ(z->kind, kStreamZip);
    FileStreamPtr p = stream_create((dir / "a.txt").c_str(), false, 0x20);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, kStreamPlain);
    EXPECT_EQ(stream_write(*p, "text", 4), 4);
    TCLOSEINFO info;
    EXPECT_EQ(stream_close(std::move(p), info), 0);
    EXPECT_EQ(ReadFile(dir / "a.txt"), "text");
    EXPECT_EQ(stream_close(nullptr, info), -1);
}

TEST(PathHelpers, ExtensionNameAndDirectory) {
    struct Case {
        const char* path;
        const char* ext;
        const char* name;
        const char* dir;
    };
    const Case cases[] = {
        {"/books.old/readme", "", "readme", "/books.old/"},
        {"/a/book.FB2", ".FB2", "book.FB2", "/a/"},
        {".zip", ".zip", ".zip", ""},
        {"book.txt", ".txt", "book.txt", ""},
        {"/a/b.tar.gz", ".gz", "b.tar.gz", "/a/"},
        {"/a/b.", ".", "b.", "/a/"},
        {"/dir/", "", "", "/dir/"},
        {"", "", "", ""},
        {"a\\b.txt", ".txt", "a\\b.txt", ""},  // a backslash is an ordinary character here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char path[64];
        std::strcpy(path, c.path);
        EXPECT_STREQ(path_ext(path), c.ext);
        EXPECT_EQ(path_ext(path), path + std::strlen(path) - std::strlen(c.ext));
        EXPECT_STREQ(path_name(path), c.name);
        path_cut_to_dir(path);
        EXPECT_STREQ(path, c.dir);
    }
    // The extension may be overwritten in place.
    char book[] = "/a/book.fb2";
    std::strcpy(path_ext(book), ".zip");
    EXPECT_STREQ(book, "/a/book.zip");
}

}  // namespace
}  // namespace tomeo
