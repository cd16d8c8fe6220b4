// Archives against real peers: Info-ZIP zip and unzip, Python's zipfile and 7-Zip read
// what Tomeo writes, and Tomeo reads what they write (or refuses it cleanly). A test
// whose peer is missing skips.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/zip/zip_builder.h"
#include "zip/zip_writer.h"

namespace tomeo {
namespace {

using test::BookText;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// "Книга" in Windows-1251, code page 866 and UTF-8.
constexpr char kBook1251[] = "\xCA\xED\xE8\xE3\xE0";
constexpr char kBook866[] = "\x8A\xAD\xA8\xA3\xA0";
constexpr char kBookUtf8[] = "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0";

struct ShellRun {
    int exit_code = -1;
    std::string out;
};

// Runs a shell command in dir, capturing standard output.
ShellRun Shell(const std::string& dir, const std::string& command) {
    ShellRun run;
    const std::string full = "cd '" + dir + "' && " + command + " 2>/dev/null";
    FILE* pipe = popen(full.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool Have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_PEER(tool) \
    if (!Have(tool)) GTEST_SKIP() << tool << " is not installed"

// Tomeo's archive of content under a member name (Windows-1251), written in one call or,
// as converted text is, in pieces of `piece` bytes.
void WriteTomeoArchive(const std::string& path, const std::string& content, const char* name,
                       std::size_t piece = 0) {
    FileStreamPtr s = stream_create(path.c_str(), false, 0x20);
    ASSERT_TRUE(s);
    s->name.assign(name);
    s->attributes = 0x20;
    s->mtime = civil_to_filetime({2008, 3, 15, 14, 30, 58});
    if (piece == 0) piece = std::max<std::size_t>(content.size(), 1);
    std::size_t at = 0;
    do {
        const auto n = static_cast<std::int32_t>(std::min(piece, content.size() - at));
        ASSERT_EQ(stream_write(*s, content.data() + at, n), n);
        at += static_cast<std::size_t>(n);
    } while (at < content.size());
    TCLOSEINFO info;
    ASSERT_EQ(stream_close(std::move(s), info), 0);
}

// Tomeo reading a peer's archive: the member's name and content, or "<refused>".
std::string TomeoRead(const std::string& path, std::string* name = nullptr) {
    FileStreamPtr s = stream_open(path.c_str(), "r");
    if (!s) return "<refused>";
    std::string content(static_cast<std::size_t>(s->member_size), '\0');
    if (stream_read(*s, content.data(), s->member_size) != s->member_size) return "<short>";
    if (name != nullptr) *name = s->name.c_str();
    TCLOSEINFO info;
    EXPECT_EQ(stream_close(std::move(s), info), 0);
    return content;
}

class ZipInterop : public testing::Test {
protected:
    void SetUp() override {
        book_ = BookText(200000);
        cyrillic_name_ = std::string(kBook1251) + ".txt";
        WriteTomeoArchive(dir_ / "tomeo.zip", book_, cyrillic_name_.c_str());
        WriteTomeoArchive(dir_ / "empty.zip", "", "empty.txt");
        WriteTomeoArchive(dir_ / "pieces.zip", book_, "pieces.txt", 65536);
    }
    TempDir dir_;
    std::string book_;
    std::string cyrillic_name_;
};

TEST_F(ZipInterop, InfoZipUnzipTestsAndExtractsOurArchives) {
    REQUIRE_PEER("unzip");
    EXPECT_EQ(Shell(dir_.path(), "unzip -tq tomeo.zip").exit_code, 0);
    EXPECT_EQ(Shell(dir_.path(), "unzip -tq empty.zip").exit_code, 0);
    EXPECT_EQ(Shell(dir_.path(), "unzip -tq pieces.zip").exit_code, 0);
    const ShellRun extracted = Shell(dir_.path(), "unzip -p tomeo.zip");
    EXPECT_EQ(extracted.exit_code, 0);
    EXPECT_EQ(extracted.out, book_);
    // unzip shows the name exactly as it shows a reference name stored in code page 866.
    test::ZipShape reference;
    reference.name = std::string(kBook866) + ".txt";
    WriteFile(dir_ / "reference.zip", test::BuildZip(reference));
    EXPECT_EQ(Shell(dir_.path(), "unzip -Z1 tomeo.zip").out,
              Shell(dir_.path(), "unzip -Z1 reference.zip").out);
}

TEST_F(ZipInterop, PythonZipfileReadsOurArchives) {
    REQUIRE_PEER("python3");
    WriteFile(dir_ / "check.py", R"(
import sys, zipfile
for path in sys.argv[1:]:
    with zipfile.ZipFile(path, metadata_encoding='cp866') as z:
        assert z.testzip() is None
        info = z.infolist()[0]
        sys.stdout.buffer.write(info.filename.encode('utf-8') + b'|')
        sys.stdout.buffer.write(repr(info.date_time).encode() + b'|')
        sys.stdout.buffer.write(z.read(info) + b'|')
)");
    const ShellRun run = Shell(dir_.path(), "python3 check.py tomeo.zip empty.zip pieces.zip");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, std::string(kBookUtf8) + ".txt|(2008, 3, 15, 14, 30, 58)|" + book_ +
                           "|empty.txt|(2008, 3, 15, 14, 30, 58)||pieces.txt|"
                           "(2008, 3, 15, 14, 30, 58)|" +
                           book_ + "|");
}

TEST_F(ZipInterop, SevenZipTestsAndExtractsOurArchives) {
    REQUIRE_PEER("7z");
    EXPECT_EQ(Shell(dir_.path(), "7z t -bd tomeo.zip").exit_code, 0);
    EXPECT_EQ(Shell(dir_.path(), "7z t -bd empty.zip").exit_code, 0);
    EXPECT_EQ(Shell(dir_.path(), "7z t -bd pieces.zip").exit_code, 0);
    EXPECT_EQ(Shell(dir_.path(), "7z x -bd -oout tomeo.zip").exit_code, 0);
    // 7-Zip here writes the stored name bytes as they are: code page 866.
    EXPECT_EQ(ReadFile(dir_.path() + "out/" + kBook866 + ".txt"), book_);
}

// A name with characters code page 866 lacks ("«Книга» €.txt") is stored in UTF-8 with
// the UTF-8 flag: every peer shows and extracts it under its true name.
TEST_F(ZipInterop, PeersReadFlaggedUtf8Names) {
    const char name1251[] = "\xAB\xCA\xED\xE8\xE3\xE0\xBB \x88.txt";
    const std::string utf8 = std::string("\xC2\xAB") + kBookUtf8 + "\xC2\xBB \xE2\x82\xAC.txt";
    WriteTomeoArchive(dir_ / "utf8.zip", book_, name1251);
    std::string back;
    EXPECT_EQ(TomeoRead(dir_ / "utf8.zip", &back), book_);
    EXPECT_EQ(back, name1251);
    const std::string locale = "LC_ALL=C.UTF-8 ";
    if (Have("unzip")) {
        EXPECT_EQ(Shell(dir_.path(), locale + "unzip -tq utf8.zip").exit_code, 0);
        EXPECT_EQ(Shell(dir_.path(), locale + "unzip -Z1 utf8.zip").out, utf8 + "\n");
        EXPECT_EQ(Shell(dir_.path(), locale + "unzip -q -d unzip utf8.zip").exit_code, 0);
        EXPECT_EQ(ReadFile(dir_.path() + "unzip/" + utf8), book_);
    }
    if (Have("7z")) {
        EXPECT_EQ(Shell(dir_.path(), locale + "7z x -bd -o7z utf8.zip").exit_code, 0);
        EXPECT_EQ(ReadFile(dir_.path() + "7z/" + utf8), book_);
    }
    if (Have("python3")) {
        WriteFile(dir_ / "names.py", R"(
import sys, zipfile
with zipfile.ZipFile('utf8.zip') as z:
    assert z.testzip() is None
    sys.stdout.buffer.write(z.infolist()[0].filename.encode('utf-8'))
)");
        EXPECT_EQ(Shell(dir_.path(), "python3 names.py").out, utf8);
    }
}

TEST_F(ZipInterop, InfoZipArchivesOpen) {
    REQUIRE_PEER("zip");
    WriteFile(dir_ / "book.fb2", book_);
    WriteFile(dir_ / (std::string(kBookUtf8) + ".fb2"), book_);
    EXPECT_EQ(Shell(dir_.path(), "zip -q plain.zip book.fb2").exit_code, 0);  // UT and ux extras
    EXPECT_EQ(Shell(dir_.path(), "zip -q -X -9 best.zip book.fb2").exit_code, 0);
    EXPECT_EQ(
        Shell(dir_.path(), "echo 'archive comment' | zip -q -z commented.zip book.fb2").exit_code,
        0);
    EXPECT_EQ(
        Shell(dir_.path(), std::string("zip -q cyrillic.zip ") + kBookUtf8 + ".fb2").exit_code, 0);
    for (const char* archive : {"plain.zip", "best.zip", "commented.zip"}) {
        SCOPED_TRACE(archive);
        std::string name;
        EXPECT_EQ(TomeoRead(dir_ / archive, &name), book_);
        EXPECT_EQ(name, "book.fb2");
    }
    // Info-ZIP on Unix stores the UTF-8 name as it is.
    std::string name;
    EXPECT_EQ(TomeoRead(dir_ / "cyrillic.zip", &name), book_);
    EXPECT_EQ(name, std::string(kBook1251) + ".fb2");
}

TEST_F(ZipInterop, PythonArchivesOpen) {
    REQUIRE_PEER("python3");
    WriteFile(dir_ / "book.fb2", book_);
    WriteFile(dir_ / "make.py", R"(
import zipfile
data = open('book.fb2', 'rb').read()
for name, member, level in [('py6.zip', 'book.fb2', 6), ('py1.zip', 'book.fb2', 1),
                            ('py9.zip', 'book.fb2', 9),
                            ('pycyr.zip', '\u041a\u043d\u0438\u0433\u0430.fb2', 6)]:
    with zipfile.ZipFile(name, 'w', zipfile.ZIP_DEFLATED, compresslevel=level) as z:
        z.writestr(member, data)
)");
    ASSERT_EQ(Shell(dir_.path(), "python3 make.py").exit_code, 0);
    for (const char* archive : {"py6.zip", "py1.zip", "py9.zip"}) {
        SCOPED_TRACE(archive);
        EXPECT_EQ(TomeoRead(dir_ / archive), book_);
    }
    std::string name;
    EXPECT_EQ(TomeoRead(dir_ / "pycyr.zip", &name), book_);  // UTF-8 name, flag bit 11
    EXPECT_EQ(name, std::string(kBook1251) + ".fb2");
}

TEST_F(ZipInterop, PeerArchivesOfRefusedShapesAreRefused) {
    REQUIRE_PEER("zip");
    REQUIRE_PEER("python3");
    WriteFile(dir_ / "book.fb2", book_);
    WriteFile(dir_ / "notes.txt", book_.substr(0, 5000));
    WriteFile(dir_ / "make.py", R"(
import io, zipfile
data = open('book.fb2', 'rb').read()
class Unseekable(io.RawIOBase):
    def __init__(self, f): self.f = f
    def writable(self): return True
    def write(self, b): return self.f.write(b)
with open('descriptor.zip', 'wb') as f:
    with zipfile.ZipFile(Unseekable(f), 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('book.fb2', data)
with zipfile.ZipFile('zip64.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    with z.open('book.fb2', 'w', force_zip64=True) as m:
        m.write(data)
)");
    ASSERT_EQ(Shell(dir_.path(), "python3 make.py").exit_code, 0);
    ASSERT_EQ(Shell(dir_.path(), "zip -q two.zip book.fb2 notes.txt").exit_code, 0);
    ASSERT_EQ(Shell(dir_.path(), "zip -q -0 stored.zip book.fb2").exit_code, 0);
    ASSERT_EQ(Shell(dir_.path(), "zip -q -P secret encrypted.zip book.fb2").exit_code, 0);
    ASSERT_EQ(Shell(dir_.path(),
                    "zip -q inner.zip book.fb2 && head -c 700 /bin/sh > sfx.zip && "
                    "cat inner.zip >> sfx.zip && zip -q -A sfx.zip")
                  .exit_code,
              0);
    ASSERT_EQ(Shell(dir_.path(), "mkdir -p sub && cp book.fb2 sub/ && zip -q path.zip sub/book.fb2")
                  .exit_code,
              0);
    for (const char* archive : {"descriptor.zip", "zip64.zip", "two.zip", "stored.zip",
                                "encrypted.zip", "sfx.zip", "path.zip"}) {
        SCOPED_TRACE(archive);
        EXPECT_EQ(TomeoRead(dir_ / archive), "<refused>");
    }
    // The peers themselves can read them: the refusal is ours, not damage.
    if (Have("unzip")) {
        EXPECT_EQ(Shell(dir_.path(), "unzip -tq sfx.zip").exit_code, 0);
    }
}

// What the pipeline does to a zipped book: carry the headers over and copy the member
// raw (a new name), or recompress it (new content). Peers accept both results.
TEST_F(ZipInterop, RewrittenPeerArchivesStayValid) {
    REQUIRE_PEER("zip");
    REQUIRE_PEER("unzip");
    WriteFile(dir_ / "book.fb2", book_);
    ASSERT_EQ(Shell(dir_.path(), "echo comment | zip -q -z source.zip book.fb2").exit_code, 0);
    FileStreamPtr src = stream_open((dir_ / "source.zip").c_str(), "r");
    ASSERT_TRUE(src);
    TCLOSEINFO info;
    {
        FileStreamPtr dst = stream_create((dir_ / "renamed.zip").c_str(), false, 0x20);
        ASSERT_TRUE(dst);
        dst->name.assign(cyrillic_name_.c_str());
        dst->attributes = src->attributes;
        dst->mtime = src->mtime;
        ASSERT_TRUE(zip_copy_headers(*src, *dst));
        ASSERT_EQ(zip_copy_member(*src, *dst), 0);
        ASSERT_EQ(stream_close(std::move(dst), info), 0);
    }
    src = stream_open((dir_ / "source.zip").c_str(), "r");
    ASSERT_TRUE(src);
    {
        const std::string changed = TomeoRead(dir_ / "source.zip") + "!";
        FileStreamPtr dst = stream_create((dir_ / "recoded.zip").c_str(), false, 0x20);
        ASSERT_TRUE(dst);
        dst->name.assign("book.fb2");
        dst->attributes = src->attributes;
        ASSERT_TRUE(zip_copy_headers(*src, *dst));
        ASSERT_EQ(stream_write(*dst, changed.data(), static_cast<std::int32_t>(changed.size())),
                  static_cast<std::int32_t>(changed.size()));
        ASSERT_EQ(stream_close(std::move(dst), info), 0);
    }
    for (const char* archive : {"renamed.zip", "recoded.zip"}) {
        SCOPED_TRACE(archive);
        EXPECT_EQ(Shell(dir_.path(), std::string("unzip -tq ") + archive).exit_code, 0);
        EXPECT_EQ(Shell(dir_.path(), std::string("unzip -z ") + archive).out.find("comment") !=
                      std::string::npos,
                  true);
    }
    EXPECT_EQ(Shell(dir_.path(), "unzip -p renamed.zip").out, book_);
    EXPECT_EQ(Shell(dir_.path(), "unzip -p recoded.zip").out, book_ + "!");
}

}  // namespace
}  // namespace tomeo
