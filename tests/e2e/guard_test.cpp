// What a run may replace and when it may delete a book, as a user meets it: the text
// file never takes the name of another book or of anything but an older text, a book
// that another program writes to while it is processed stays whole, and failures say
// why.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kTaken = " не переконвертирован. Имя текстового файла занято другим файлом.\n";

TEST(GuardEndToEnd, TheTextNeverReplacesAnotherBook) {
    TempDir work;
    const std::string source = MakeZip({"book.fb2", MakeFb2({})});
    Fb2Shape other_spec;
    other_spec.title = "Другая";
    const std::string other = MakeZip({"other.fb2", MakeFb2(other_spec)});
    WriteFile(work / "1.zip", source);
    WriteFile(work / "book.zip", other);
    TomeoRun run = RunTomeo({"-t", "1.zip"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "book.fb2" + kTaken);
    EXPECT_EQ(ReadFile(work / "book.zip"), other);
    EXPECT_EQ(ReadFile(work / "1.zip"), source);
    EXPECT_EQ(FilesBelow(work.path()), (Names{"1.zip", "book.zip"}));

    // An older text of that book is replaced.
    WriteFile(work / "book.zip", MakeZip({"book.txt", "older"}));
    run = RunTomeo({"-t", "1.zip"}, work.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    const ZipContents text = ReadZip(ReadFile(work / "book.zip"));
    EXPECT_EQ(text.name, "book.txt");
    EXPECT_NE(text.content, "older");
}

TEST(GuardEndToEnd, TheTextNeverReplacesAFolderOrALink) {
    TempDir work;
    WriteFile(work / "a.fb2", MakeFb2({}));
    fs::create_directories(work / "a.txt");
    WriteFile(work / "a.txt/keep", "x");
    TomeoRun run = RunTomeo({"-t", "a.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "a.fb2" + kTaken);
    EXPECT_EQ(ReadFile(work / "a.txt/keep"), "x");

    fs::remove_all(work / "a.txt");
    WriteFile(work / "elsewhere", "mine");
    fs::create_symlink(work / "elsewhere", work / "a.txt");
    run = RunTomeo({"-t", "a.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "a.fb2" + kTaken);
    EXPECT_TRUE(fs::is_symlink(work / "a.txt"));
    EXPECT_EQ(ReadFile(work / "elsewhere"), "mine");
}

// Another program appends to the book the whole time the run works on it: the book is
// not replaced by the older content, and keeps every byte appended.
TEST(GuardEndToEnd, ABookThatGrowsWhileItIsRecodedStaysWhole) {
    TempDir work;
    Fb2Shape shape;
    shape.paragraphs.assign(40000, "Длинный абзац книги, которая растет, пока ее перекодируют.");
    const std::string book = MakeFb2(shape);
    WriteFile(work / "big.fb2", book);

    std::atomic<bool> stop = false;
    std::string appended;
    std::thread appender([&] {
        std::ofstream out(work / "big.fb2", std::ios::binary | std::ios::app);
        for (int i = 0; !stop; ++i) {
            const std::string line = "<!-- " + std::to_string(i) + " -->\n";
            out << line << std::flush;
            appended += line;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    const TomeoRun run = RunTomeo({"-u", "big.fb2"}, work.path());
    stop = true;
    appender.join();

    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "big.fb2 не перекодирован. Файл изменился во время обработки.\n");
    EXPECT_EQ(ReadFile(work / "big.fb2"), book + appended);
    EXPECT_EQ(FilesBelow(work.path()), Names{"big.fb2"});
}

TEST(GuardEndToEnd, FailedRenamesAndMovesSayWhy) {
    TempDir work;
    Fb2Shape koi8;
    koi8.encoding = "koi8-r";
    std::string bare = MakeFb2({});
    bare.erase(0, bare.find("?>") + 2);
    WriteFile(work / "a.fb2", MakeFb2({}));
    WriteFile(work / "Петров Иван - Книга.fb2", "taken");
    WriteFile(work / "b.fb2", MakeFb2(koi8));
    WriteFile(work / "c.fb2", bare);
    const TomeoRun run = RunTomeo({"-r", "a.fb2", "b.fb2", "c.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err,
              "a.fb2 не переименован. Файл с таким именем уже существует.\n\n"
              "b.fb2 не переименован. Неизвестная кодировка koi8-r.\n\n"
              "c.fb2 не переименован. В файле нет объявления кодировки.\n");
}

}  // namespace
}  // namespace tomeo::test
