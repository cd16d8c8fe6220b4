// -u, -t and -ut as a user runs them: loose and zipped books, every packing choice of
// text files, and the text's header from the default txthdr.sc.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "batch/settings.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Fb2Shape Book(const char* encoding) {
    Fb2Shape shape;
    shape.seq = "Серия";
    shape.seqnum = std::string("2");  // GCC 12 warns (-Wrestrict) on a one-letter literal
    shape.annotation = "Коротко.";
    shape.encoding = encoding;
    return shape;
}

// The default header (authors, title with series, a blank line, the annotation), then
// the section's blank lines and the body, with the default layout: one line a
// paragraph, indented by one space.
const std::string kText =
    W(" Иван Петров\r\n Книга (Серия #2)\r\n\r\n Коротко.\r\n\r\n\r\n"
      " Первый абзац.\r\n Второй абзац.\r\n");

TEST(Fb2TextEndToEnd, EveryPackingChoiceLooseAndZipped) {
    struct Case {
        bool zipped;
        TextPacking packing;
        const char* text_file;  // what the text becomes beside the book
        bool text_zipped;
    };
    const Case cases[] = {
        {false, TEXT_NOT_PACKED, "a.txt", false}, {false, TEXT_IN_ZIP, "a.zip", true},
        {false, TEXT_AS_SOURCE, "a.txt", false},  {true, TEXT_NOT_PACKED, "a.txt", false},
        {true, TEXT_IN_ZIP, "a.zip", true},       {true, TEXT_AS_SOURCE, "a.zip", true},
    };
    for (const Case& c : cases) {
        for (const std::string switches : {"-t", "-ut"}) {
            SCOPED_TRACE(switches + (c.zipped ? " zipped" : " loose") + " packing " +
                         std::to_string(c.packing));
            TempDir work;
            const std::string book = MakeFb2(Book("UTF-8"));
            const std::string source = c.zipped ? "x.zip" : "a.fb2";
            WriteFile(work / source, c.zipped ? MakeZip({"a.fb2", book}) : book);
            Settings settings;
            settings.text_packing = c.packing;
            fs::create_directories(work / "tomeo");
            ASSERT_TRUE(SaveSettings(settings, W(work.path() + "tomeo/settings.ini").c_str()));

            const TomeoRun run = RunTomeo({switches, "*.*"}, work.path());
            EXPECT_EQ(run.exit_code, 0) << run.err;
            Names expected{source, c.text_file};
            std::sort(expected.begin(), expected.end());
            ASSERT_EQ(FilesBelow(work.path()), expected);

            if (c.text_zipped) {
                const ZipContents zip = ReadZip(ReadFile(work / c.text_file));
                EXPECT_TRUE(zip.ok);
                EXPECT_EQ(zip.name, "a.txt");
                EXPECT_EQ(zip.content, kText);
            } else {
                EXPECT_EQ(ReadFile(work / c.text_file), kText);
            }
            // -u recodes the book itself; the text comes from the same content either way.
            const std::string stored = switches == "-ut" ? MakeFb2(Book("windows-1251")) : book;
            const std::string now = ReadFile(work / source);
            EXPECT_EQ(c.zipped ? ReadZip(now).content : now, stored);
        }
    }
}

TEST(Fb2TextEndToEnd, AnExistingTextIsReplacedAndAFailedConversionKeepsIt) {
    TempDir work;
    WriteFile(work / "a.fb2", MakeFb2(Book("UTF-8")));
    WriteFile(work / "a.txt", "old text");
    RunTomeo({"-t", "a.fb2"}, work.path());
    EXPECT_EQ(ReadFile(work / "a.txt"), kText);

    Fb2Shape broken = Book("UTF-8");
    broken.paragraphs = {"x<sup>2</sup>"};
    WriteFile(work / "a.fb2", MakeFb2(broken));
    const TomeoRun run = RunTomeo({"-t", "a.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "a.fb2 не переконвертирован. Неизвестный тег. Тег: <sup>.\n");
    EXPECT_EQ(ReadFile(work / "a.txt"), kText) << "the earlier text survives";
    EXPECT_EQ(FilesBelow(work.path()), (Names{"a.fb2", "a.txt"}));
}

TEST(Fb2TextEndToEnd, AHeaderScriptErrorIsReportedWithTheConversion) {
    TempDir work;
    WriteFile(work / "a.fb2", MakeFb2(Book("UTF-8")));
    fs::create_directories(work / "tomeo");
    WriteFile(work / "tomeo/txthdr.sc", "printp($nothing)\n");
    const TomeoRun run = RunTomeo({"-t", "a.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err,
              "a.fb2 не переконвертирован. Ошибка выполнения скрипта, переменная не "
              "определена (строка 1).\n");
    EXPECT_EQ(FilesBelow(work.path()), Names{"a.fb2"});
}

}  // namespace
}  // namespace tomeo::test
