// The readers over real files: plain files and zip members, through the file streams.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "book/fb2_reader.h"
#include "book/rtf_reader.h"
#include "book/stream_source.h"
#include "book/text_reader.h"
#include "convert/text_codepage.h"
#include "core/operations.h"
#include "tests/book/book_samples.h"
#include "tests/support/temp_dir.h"
#include "zip/zip_writer.h"

namespace tomeo {
namespace {

namespace fs = std::filesystem;
using test::W;

// Writes `bytes` as the one member `member` of a new archive at `path`.
void WriteArchive(const std::string& path, const char* member, const std::string& bytes) {
    FileStreamPtr zip = stream_create(path.c_str(), false, 0x20);
    ASSERT_NE(zip, nullptr);
    zip->name.assign(member);
    ASSERT_EQ(stream_write(*zip, bytes.data(), static_cast<std::int32_t>(bytes.size())),
              static_cast<std::int32_t>(bytes.size()));
    TCLOSEINFO info;
    ASSERT_EQ(stream_close(std::move(zip), info), 0);
}

struct Described {
    std::uint32_t result = RES_DESCRIPTION;
    CodePage codepage = CP_UNSET;
    std::string authors;
    std::string title;
    std::int32_t fill = 0;
};

// Opens the file as the pipeline does and reads its code page and description by the
// kind its (member) name gives.
Described Describe(const std::string& path) {
    Described out;
    FileStreamPtr stream = stream_open(path.c_str(), "r");
    if (stream == nullptr) return out;
    StreamBookSource source(*stream);
    BookBuffer book;
    book.start(source);
    std::string name = stream->kind == kStreamZip ? stream->name.c_str() : path;
    for (char& c : name) c = char_lower(c);  // "KARENINA.FB2" is an FB2 book too
    CharReader reader;
    TXMLTAG tag;
    TBOOKDESC desc;
    NameLists names;
    RtfInfo info;
    if (name.ends_with(".fb2")) {
        out.result = read_xml_declaration(book, reader, tag);
        if (out.result == 0) out.result = read_fb2_description(book, reader, tag, desc);
    } else if (name.ends_with(".rtf")) {
        reader.codepage_state = CP_1251;
        out.result = read_rtf_description(book, info, desc);
    } else {
        out.result = detect_text_codepage(book, reader);
        if (out.result == 0) out.result = read_text_description(book, reader, names, desc);
    }
    WSTR authors;
    authors_text(desc, authors);
    out.codepage = reader.codepage_state;
    out.authors = authors.c_str();
    out.title = desc.title.c_str();
    out.fill = book.fill();
    book.detach();
    TCLOSEINFO closed;
    stream_close(std::move(stream), closed);
    return out;
}

TEST(StreamSource, PlainFilesAndZipMembersGiveTheSameDescription) {
    test::TempDir dir;
    const std::string fb2 =
        test::Fb2As(test::ReadSample("fb2/ilf_petrov.fb2"), "windows-1251", "CP1251");
    const std::string txt = test::Iconv(test::ReadSample("txt/tolstoy.txt"), "UTF-8", "CP866");
    const std::string rtf = W(test::ReadSample("rtf/bulgakov.rtf"));
    const std::pair<const char*, const std::string*> books[] = {
        {"book.fb2", &fb2}, {"book.txt", &txt}, {"book.rtf", &rtf}};
    for (const auto& [name, bytes] : books) {
        test::WriteFile(dir / name, *bytes);
        WriteArchive(dir / (std::string(name) + ".zip"), name, *bytes);
        const Described plain = Describe(dir / name);
        const Described zipped = Describe(dir / (std::string(name) + ".zip"));
        EXPECT_EQ(plain.result, 0u) << name;
        EXPECT_EQ(zipped.result, 0u) << name;
        EXPECT_EQ(plain.codepage, zipped.codepage) << name;
        EXPECT_EQ(plain.authors, zipped.authors) << name;
        EXPECT_EQ(plain.title, zipped.title) << name;
        EXPECT_EQ(plain.fill, zipped.fill) << name << ": the same bytes loaded";
        EXPECT_FALSE(plain.authors.empty()) << name;
    }
    EXPECT_EQ(Describe(dir / "book.txt").codepage, CP_866);
    EXPECT_EQ(Describe(dir / "book.fb2").authors, W("Илья Ильф, Евгений Петрович Петров"));
}

TEST(StreamSource, ShortBooksAreLoadedWholeAndKnowTheirEnd) {
    test::TempDir dir;
    const std::string text = W("Лев Толстой\nВойна и мир");  // no final line end
    test::WriteFile(dir / "short.txt", text);
    WriteArchive(dir / "short.zip", "short.txt", text);
    for (const char* name : {"short.txt", "short.zip"}) {
        const Described d = Describe(dir / name);
        EXPECT_EQ(d.result, 0u) << name;
        EXPECT_EQ(d.title, W("Война и мир")) << name;
        EXPECT_EQ(d.fill, static_cast<std::int32_t>(text.size())) << name;
    }
}

TEST(StreamSource, LongDescriptionInAZipMember) {
    // A member larger than the zip reader's blocks, whose description ends far beyond
    // the first 2048 bytes.
    test::TempDir dir;
    std::string fb2 = test::ReadSample("fb2/sibling_sequences.fb2");
    fb2.insert(fb2.find("</title-info>"),
               "<annotation><p>" + std::string(20000, 'a') + "</p></annotation>");
    fb2 += std::string(50000, ' ');
    WriteArchive(dir / "long.zip", "long.fb2", fb2);
    const Described d = Describe(dir / "long.zip");
    EXPECT_EQ(d.result, 0u);
    EXPECT_EQ(d.title, W("Девочка с Земли"));
    EXPECT_LT(d.fill, static_cast<std::int32_t>(fb2.size()));
}

// The archives of the real-world samples that open give their member's outcome; the
// refused shapes do not open at all.
TEST(StreamSource, CorpusArchives) {
    const fs::path corpus = fs::path(TOMEO_CORPUS_DIR) / "zip";
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no sample books at " << corpus;
    const std::pair<const char*, std::uint32_t> archives[] = {
        {"litlife_test.fb2.zip", 0},          {"fictionbook-java_test2.1.fb2.zip", 0},
        {"derived/anna_karenina.fb2.zip", 0}, {"derived/KARENINA.ZIP", 0},
        {"derived/hameleon.rtf.zip", 0},      {"derived/chekhov_hameleon.txt.zip", 0},
    };
    for (const auto& [file, result] : archives) {
        const Described d = Describe((corpus / file).string());
        EXPECT_EQ(d.result, result) << file;
        EXPECT_FALSE(d.authors.empty()) << file;
    }
    for (const char* refused : {"derived/two_members.zip", "derived/stored_member.fb2.zip",
                                "derived/zip64.fb2.zip", "sopds_badfile.zip"}) {
        EXPECT_EQ(stream_open((corpus / refused).c_str(), "r"), nullptr) << refused;
    }
    // Every other archive: whatever it holds, reading it does no harm.
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (entry.is_regular_file()) Describe(entry.path().string());
    }
}

}  // namespace
}  // namespace tomeo
