// Zipped books through build/tomeo: every operation that inflates a member whose header
// does not match its data fails the book and leaves the archive as it was; member names
// are stored in code page 866 when it holds them, else in flagged UTF-8.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/charset.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_builder.h"

namespace tomeo::test {
namespace {

using Names = std::vector<std::string>;

// An archive of content whose header or data is damaged as `damage` says.
std::string DamagedZip(const std::string& name, const std::string& content, int damage) {
    ZipShape shape;
    shape.name = name;
    shape.content = content;
    const auto size = static_cast<std::uint32_t>(content.size());
    switch (damage) {
        case 0: shape.member_size = size / 2; break;
        case 1:
            shape.member_size = size / 2;
            shape.crc = Crc32(content.substr(0, size / 2));
            break;
        case 2: shape.member_size = size + 100; break;
        case 3: shape.crc = Crc32(content) ^ 0x80; break;
        case 4: shape.data = RawDeflateUnfinished(content); break;
        case 5: shape.data = RawDeflate(content).substr(0, RawDeflate(content).size() / 2); break;
        default: shape.data = RawDeflate(content) + "trailing"; break;
    }
    return BuildZip(shape);
}

constexpr int kDamages = 7;

TEST(ZipEndToEnd, ADamagedMemberFailsEveryInflatingOperation) {
    Fb2Shape shape;
    shape.paragraphs.assign(
        400, "Длинный абзац книги, которую нельзя потерять ни целиком, ни наполовину.");
    const std::string fb2 = MakeFb2(shape);  // UTF-8: -u recodes it
    std::string dos = W("Пушкин Александр\r\nКапитанская дочка\r\n");
    for (int i = 0; i < 300; ++i) dos += W("Береги честь смолоду, а платье снову.\r\n");
    ansi_to_oem(dos.data(), dos.size());
    struct Case {
        const char* switches;
        const char* member;
        const std::string& content;
    };
    const Case cases[] = {{"-u", "a.fb2", fb2}, {"-ru", "a.fb2", fb2}, {"-d", "a.txt", dos}};
    for (const Case& c : cases) {
        for (int damage = 0; damage < kDamages; ++damage) {
            SCOPED_TRACE(std::string(c.switches) + ", damage " + std::to_string(damage));
            TempDir work;
            const std::string archive = DamagedZip(c.member, c.content, damage);
            WriteFile(work / "a.zip", archive);
            const TomeoRun run = RunTomeo({c.switches, "a.zip"}, work.path());
            EXPECT_EQ(run.exit_code, 1) << run.err;
            EXPECT_NE(run.err, "");
            EXPECT_EQ(FilesBelow(work.path()), Names{"a.zip"});
            EXPECT_EQ(ReadFile(work / "a.zip"), archive);
        }
    }
}

// A new name alone copies the compressed data as it is: the stored CRC and sizes go
// with it, so the copy is no more whole than its source and launders nothing.
TEST(ZipEndToEnd, ARenameCopiesTheDataAndItsHeaderValuesAsTheyAre) {
    Fb2Shape shape;
    shape.paragraphs.assign(400, "Абзац.");
    shape.encoding = "windows-1251";
    TempDir work;
    const std::string archive = DamagedZip("a.fb2", MakeFb2(shape), 0);
    WriteFile(work / "a.zip", archive);
    const TomeoRun run = RunTomeo({"-r", "a.zip"}, work.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    const Names files = FilesBelow(work.path());
    ASSERT_EQ(files, Names{"Петров Иван - Книга.zip"});
    const std::string copy = ReadFile(work / files[0]);
    EXPECT_EQ(ReadZip(copy).compressed, ReadZip(archive).compressed);
    EXPECT_EQ(ReadZip(copy).crc, ReadZip(archive).crc);
    EXPECT_EQ(Get32(copy, 22), Get32(archive, 22));  // the member size as declared
}

// A new name that code page 866 cannot hold is stored in flagged UTF-8, whether the
// member is copied raw (a new name alone) or recompressed (-ru on a UTF-8 book).
TEST(ZipEndToEnd, NamesCodePage866LacksAreStoredInUtf8) {
    Fb2Shape windows;
    windows.encoding = "windows-1251";
    for (const auto& [switches, book] :
         {std::pair{"-r", MakeFb2(windows)}, std::pair{"-ru", MakeFb2({})}}) {
        SCOPED_TRACE(switches);
        TempDir work;
        WriteFile(work / "a.zip", MakeZip({"a.fb2", book}));
        std::filesystem::create_directories(work / "tomeo");
        WriteFile(work / "tomeo/rename.sc", "$filename = \"«Книга» € и Ёлка\"\n");
        const TomeoRun run = RunTomeo({switches, "a.zip"}, work.path());
        EXPECT_EQ(run.exit_code, 0) << run.err;
        ASSERT_EQ(FilesBelow(work.path()), Names{"«Книга» € и Ёлка.zip"});
        const std::string archive = ReadFile(work / "«Книга» € и Ёлка.zip");
        const ZipContents zip = ReadZip(archive);
        EXPECT_TRUE(zip.ok);
        EXPECT_EQ(zip.name, "«Книга» € и Ёлка.fb2");
        EXPECT_EQ(Get16(archive, 6) & 0x0800, 0x0800u);
    }
}

}  // namespace
}  // namespace tomeo::test
