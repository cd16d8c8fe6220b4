// What the batch makes of its arguments and of book data that would lead astray:
// folders from an author, control characters, directory arguments, names without a
// Windows-1251 form, a working directory without one, thousands of arguments.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kNamed = "Петров Иван - Книга";
const std::string kBroken = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook/>";

TEST(ArgumentsEndToEnd, AnAuthorCannotLeadABookOutOfTheBooksFolder) {
    TempDir work;
    fs::create_directories(work / "home/in");
    Fb2Shape shape;
    shape.authors = {{"", "../../../escaped"}};
    const std::string book = MakeFb2(shape);
    WriteFile(work / "home/in/book.fb2", book);
    // The default move.sc: ~/books/ and the author.
    const TomeoRun run = RunTomeo({"-m", "book.fb2"}, work / "home/in", work.path(), work / "home");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err,
              "book.fb2 не перемещен в каталог ~/books/../../../escaped. Путь к каталогу содержит "
              "\"..\".\n");
    EXPECT_EQ(FilesBelow(work.path()), Names{"home/in/book.fb2"});
    EXPECT_EQ(ReadFile(work / "home/in/book.fb2"), book);
    EXPECT_FALSE(fs::exists(work / "escaped"));
    EXPECT_FALSE(fs::exists(work / "home/books"));
}

TEST(ArgumentsEndToEnd, ControlCharactersNeverReachANameOrTheTerminal) {
    TempDir work;
    Fb2Shape shape;
    shape.title = "Кни\x1B[31mга\tвторая";
    WriteFile(work / "a.fb2", MakeFb2(shape));
    WriteFile(work / "bad\x1B[2J.fb2", kBroken);
    const TomeoRun run = RunTomeo({"-r", "*.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "bad\\x1B[2J.fb2 не переименован. Не удалось прочитать описание книги.\n");
    EXPECT_EQ(FilesBelow(work.path()),
              (Names{"bad\x1B[2J.fb2", "Петров Иван - Кни_[31mга_вторая.fb2"}));
}

TEST(ArgumentsEndToEnd, ADirectoryArgumentMeansEveryBookInIt) {
    for (const std::string argument : {"books", "books/"}) {
        TempDir work;
        fs::create_directories(work / "books/sub");
        WriteFile(work / "books/a.fb2", MakeFb2({}));
        WriteFile(work / "books/sub/b.fb2", MakeFb2({}));
        const TomeoRun run = RunTomeo({"-r", argument}, work.path());
        EXPECT_EQ(run.exit_code, 0) << argument;
        EXPECT_EQ(run.err, "") << argument;
        EXPECT_EQ(FilesBelow(work.path()), (Names{"books/sub/b.fb2", "books/" + kNamed + ".fb2"}));
    }
    TempDir work;
    const TomeoRun run = RunTomeo({"-r", "nothing/"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "nothing не переименован. Файл не найден.\n");
}

TEST(ArgumentsEndToEnd, NamesWithoutAWindows1251FormAreReportedAsOnDisk) {
    TempDir work;
    WriteFile(work / "Bücher.fb2", MakeFb2({}));
    WriteFile(work / "一.txt", "text");
    const TomeoRun run = RunTomeo({"-r", "*", "Bücher.fb2", "Bächer.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err,
              "Bücher.fb2 не обработан. Имя файла нельзя записать в кодировке WIN1251.\n\n"
              "一.txt не обработан. Имя файла нельзя записать в кодировке WIN1251.\n\n"
              "Bücher.fb2 не обработан. Имя файла нельзя записать в кодировке WIN1251.\n\n"
              "Bächer.fb2 не переименован. Файл не найден.\n");
    EXPECT_EQ(FilesBelow(work.path()), (Names{"Bücher.fb2", "一.txt"}));
}

TEST(ArgumentsEndToEnd, AWorkingDirectoryWithoutAWindows1251NameTakesOnlyFullPaths) {
    TempDir work;
    const std::string folder = work / "Bücher/";
    fs::create_directories(folder);
    WriteFile(folder + "a.fb2", MakeFb2({}));
    WriteFile(work / "b.fb2", MakeFb2({}));
    const std::string refused =
        "Рабочий каталог удален или его имя нельзя записать в кодировке WIN1251; укажите "
        "файлы полным путем.\n";
    TomeoRun run = RunTomeo({"-z", "a.fb2", work / "b.fb2"}, folder, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, refused);
    EXPECT_EQ(FilesBelow(work.path()), (Names{"Bücher/a.fb2", "b.fb2"})) << "nothing is done";

    run = RunTomeo({"-z", work / "b.fb2"}, folder, work.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FilesBelow(work.path()), (Names{"Bücher/a.fb2", "b.zip"}));

    // A deleted working directory, as a shell left in it has.
    fs::create_directories(work / "gone");
    const std::string command = "cd '" + work / "gone" + "' && rmdir '" + work / "gone" +
                                "' && XDG_CONFIG_HOME='" + work.path() + "' HOME='" + work.path() +
                                "' '" + TOMEO_EXE + "' -z b.fb2 2>'" + work / "err" + "'";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
    EXPECT_EQ(ReadFile(work / "err"), refused);
    fs::remove(work / "err");
    EXPECT_EQ(FilesBelow(work.path()), (Names{"Bücher/a.fb2", "b.zip"}));
}

TEST(ArgumentsEndToEnd, NamesOfOneFolderGiveWhatTheirPatternGives) {
    // The same folder twice: one run with the pattern, one with every name, as a shell
    // expands it; a name that an earlier argument made is found again.
    TempDir pattern, names;
    Names listed;
    for (int i = 0; i < 60; ++i) {
        Fb2Shape shape;
        shape.authors = {{"Иван", "Петров" + std::to_string(i % 7)}};
        shape.title = "Книга " + std::to_string(i / 2);  // pairs of one name: one fails
        const std::string name = "book" + std::to_string(i) + (i % 5 == 0 ? ".zip" : ".fb2");
        const std::string book = i % 5 == 0 ? MakeZip({"m.fb2", MakeFb2(shape)}) : MakeFb2(shape);
        WriteFile(pattern / name, book);
        WriteFile(names / name, book);
        listed.push_back(name);
    }
    WriteFile(pattern / "broken.fb2", kBroken);
    WriteFile(names / "broken.fb2", kBroken);
    listed.push_back("broken.fb2");
    std::sort(listed.begin(), listed.end());
    const TomeoRun by_pattern = RunTomeo({"-r", "*"}, pattern.path());
    Names arguments{"-r"};
    arguments.insert(arguments.end(), listed.begin(), listed.end());
    const TomeoRun by_names = RunTomeo(arguments, names.path());
    EXPECT_EQ(by_names.exit_code, by_pattern.exit_code);
    EXPECT_EQ(by_names.err, by_pattern.err);
    EXPECT_NE(by_names.err, "");
    EXPECT_EQ(FilesBelow(names.path()), FilesBelow(pattern.path()));

    TempDir again;
    WriteFile(again / "a.fb2", MakeFb2({}));
    const TomeoRun run = RunTomeo({"-r", "a.fb2", kNamed + ".fb2"}, again.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FilesBelow(again.path()), Names{kNamed + ".fb2"});
}

}  // namespace
}  // namespace tomeo::test
