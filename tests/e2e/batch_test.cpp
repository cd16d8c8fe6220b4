// The batch as a user runs it: build/tomeo with switches in a temporary folder, and the
// files, the report on standard error and the exit code afterwards.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "batch/settings.h"
#include "core/charset.h"
#include "core/resources.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kNamed = "Петров Иван - Книга";

std::string Sample(const std::string& relative) {
    return ReadFile(std::string(TOMEO_SOURCE_DIR) + "/tests/data/" + relative);
}

std::string ResourceAsUtf8(const char* name) {
    WBUF bytes;
    EXPECT_TRUE(LoadResourceFile(bytes, name));
    return cp1251_to_utf8(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.length()));
}

void WriteSettings(const std::string& config, const Settings& settings) {
    fs::create_directories(config + "tomeo");
    ASSERT_TRUE(SaveSettings(settings, W(config + "tomeo/settings.ini").c_str()));
}

TEST(BatchEndToEnd, RenamesALooseBookAfterItsDescription) {
    TempDir work;
    const std::string book = MakeFb2({});
    WriteFile(work / "abc.fb2", book);
    const TomeoRun run = RunTomeo({"-r", "abc.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(FilesBelow(work.path()), Names{kNamed + ".fb2"});
    EXPECT_EQ(ReadFile(work / (kNamed + ".fb2")), book);
}

TEST(BatchEndToEnd, AMissingNameIsReportedOncePerOperationAPatternNever) {
    TempDir work;
    TomeoRun run = RunTomeo({"-r", "missing.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "missing.fb2 не переименован. Файл не найден.\n");

    run = RunTomeo({"-r", "*.nothing"}, work.path());
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, "");

    // Every requested operation in its fixed order, the name quoted for its space, and
    // the directory part of the argument left out.
    run = RunTomeo({"-dzmtur", work.path() + "my book.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err,
              "\"my book.fb2\" не переименован. Файл не найден.\n\n"
              "\"my book.fb2\" не перемещен. Файл не найден.\n\n"
              "\"my book.fb2\" не перекодирован. Файл не найден.\n\n"
              "\"my book.fb2\" не переконвертирован. Файл не найден.\n\n"
              "\"my book.fb2\" не заархивирован. Файл не найден.\n");
}

TEST(BatchEndToEnd, FailuresOfSeveralBooksAreParagraphsInTheOrderOfTheList) {
    TempDir work;
    const std::string broken = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook/>";
    WriteFile(work / "a.fb2", broken);
    WriteFile(work / "b.fb2", MakeFb2({}));
    WriteFile(work / "c d.fb2", broken);
    const TomeoRun run = RunTomeo({"*.fb2", "-rz"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err,
              "a.fb2 не переименован. Не удалось прочитать описание книги.\n\n"
              "a.fb2 не заархивирован. Не удалось прочитать описание книги.\n\n"
              "\"c d.fb2\" не переименован. Не удалось прочитать описание книги.\n\n"
              "\"c d.fb2\" не заархивирован. Не удалось прочитать описание книги.\n");
    EXPECT_EQ(FilesBelow(work.path()), (Names{"a.fb2", "c d.fb2", kNamed + ".zip"}));
}

TEST(BatchEndToEnd, ScriptsAreWrittenAtExitOnlyWhenMissing) {
    TempDir work, config;
    RunTomeo({"-r", "*.nothing"}, work.path(), config.path());
    EXPECT_EQ(ReadFile(config / "tomeo/rename.sc"), ResourceAsUtf8("DATA_3"));
    EXPECT_EQ(ReadFile(config / "tomeo/move.sc"), ResourceAsUtf8("DATA_4"));
    EXPECT_EQ(ReadFile(config / "tomeo/txthdr.sc"), ResourceAsUtf8("DATA_5"));

    // The user's own rename.sc is used and kept; a deleted move.sc comes back.
    const std::string mine = "// мой\n$filename = \"Книга - \"\n$filename = $filename + $title\n";
    WriteFile(config / "tomeo/rename.sc", mine);
    fs::remove(config / "tomeo/move.sc");
    struct stat before {};
    ASSERT_EQ(stat((config / "tomeo/rename.sc").c_str(), &before), 0);
    WriteFile(work / "a.fb2", MakeFb2({}));
    const TomeoRun run = RunTomeo({"-r", "a.fb2"}, work.path(), config.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FilesBelow(work.path()), Names{"Книга - Книга.fb2"});
    EXPECT_EQ(ReadFile(config / "tomeo/move.sc"), ResourceAsUtf8("DATA_4"));
    struct stat after {};
    ASSERT_EQ(stat((config / "tomeo/rename.sc").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadFile(config / "tomeo/rename.sc"), mine);

    // A script brought from Windows, in Windows-1251, works as well.
    WriteFile(config / "tomeo/rename.sc", W(mine));
    Fb2Shape other;
    other.title = "Другая";
    WriteFile(work / "b.fb2", MakeFb2(other));
    EXPECT_EQ(RunTomeo({"-r", "b.fb2"}, work.path(), config.path()).exit_code, 0);
    EXPECT_EQ(FilesBelow(work.path()), (Names{"Книга - Другая.fb2", "Книга - Книга.fb2"}));
}

TEST(BatchEndToEnd, MovesGoBelowTheHomeFolderByDefault) {
    TempDir work, home;
    WriteFile(work / "a.fb2", MakeFb2({}));
    const TomeoRun run = RunTomeo({"-m", "a.fb2"}, work.path(), work.path(), home.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FilesBelow(home.path()), Names{"books/Петров Иван/a.fb2"});
}

TEST(BatchEndToEnd, DirectoriesAndTheParentAreSkipped) {
    TempDir work;
    fs::create_directories(work / "sub.fb2");
    WriteFile(work / "sub.fb2/inner.fb2", "inner");
    WriteFile(work / "book.fb2", MakeFb2({}));
    WriteFile(work / "notes", "not a book");
    const TomeoRun run = RunTomeo({"-z", "*.*"}, work.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FilesBelow(work.path()), (Names{"book.zip", "notes", "sub.fb2/inner.fb2"}));
    // A plain name that matches a directory is not missing either.
    EXPECT_EQ(RunTomeo({"-z", "sub.fb2"}, work.path()).exit_code, 0);
}

TEST(BatchEndToEnd, SeveralArgumentsEachWithItsOwnFolder) {
    TempDir work;
    WriteFile(work / "br12.fb2", MakeFb2({}));
    Fb2Shape other;
    other.title = "Другая";
    fs::create_directories(work / "books");
    WriteFile(work / "books/x.zip", MakeZip({"x.fb2", MakeFb2(other)}));
    WriteFile(work / "books/y.zip", MakeZip({"y.txt", W("Иван Петров\r\nКнига\r\n")}));
    const TomeoRun run = RunTomeo({"-ru", "br12.fb2", work.path() + "books/*.zip"}, work.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FilesBelow(work.path()), (Names{"books/Петров Иван - Другая.zip",
                                              "books/Петров Иван - Книга.zip", kNamed + ".fb2"}));
    Fb2Shape recoded;
    recoded.encoding = "windows-1251";
    EXPECT_EQ(ReadFile(work / (kNamed + ".fb2")), MakeFb2(recoded));
    const ZipContents text = ReadZip(ReadFile(work / "books/Петров Иван - Книга.zip"));
    EXPECT_EQ(text.name, "Петров Иван - Книга.txt");
    EXPECT_EQ(text.content, W("Иван Петров\r\nКнига\r\n"));
}

TEST(BatchEndToEnd, TextFilesAreLaidOutAsTheSettingsSay) {
    struct Case {
        ParagraphForm form;
        std::uint8_t indent;
        const char* expected;
    };
    for (const Case& c : {Case{PARAGRAPH_ONE_LINE, 2, "stories.form1-indent2.txt"},
                          Case{PARAGRAPH_SEVERAL_LINES, 5, "stories.form2-indent5.txt"}}) {
        SCOPED_TRACE(c.expected);
        TempDir work;
        WriteFile(work / "stories.fb2", Sample("fb2txt/stories.fb2"));
        Settings settings;
        settings.paragraph_form = c.form;
        settings.paragraph_indent = c.indent;
        WriteSettings(work.path(), settings);
        const std::string saved = ReadFile(work / "tomeo/settings.ini");
        const TomeoRun run = RunTomeo({"-t", "stories.fb2"}, work.path());
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(ReadFile(work / "stories.txt"), Sample(std::string("fb2txt/") + c.expected));
        EXPECT_EQ(ReadFile(work / "tomeo/settings.ini"), saved);  // a batch never writes them
    }
}

TEST(BatchEndToEnd, ATextFolderInTheHomeFolderAndItsOwnPacking) {
    TempDir work, home;
    fs::create_directories(home / "texts");
    WriteFile(work / "x.zip", MakeZip({"book.fb2", MakeFb2({})}));
    Settings settings;
    settings.text_dir.assign("~/texts");
    settings.text_packing = TEXT_NOT_PACKED;
    WriteSettings(work.path(), settings);
    const TomeoRun run = RunTomeo({"-t", "x.zip"}, work.path(), work.path(), home.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FilesBelow(home.path()), Names{"texts/book.txt"});
}

TEST(BatchEndToEnd, ConvertingAZippedBookIntoItsOwnArchiveNameFails) {
    TempDir work;
    const std::string archive = MakeZip({"book.fb2", MakeFb2({})});
    WriteFile(work / "book.zip", archive);
    const TomeoRun run = RunTomeo({"-t", "book.zip"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err,
              "book.fb2 не переконвертирован. Имя текстового файла занято другим файлом.\n");
    EXPECT_EQ(ReadFile(work / "book.zip"), archive);
}

TEST(BatchEndToEnd, RecodingFailuresNameTheirReason) {
    TempDir work;
    Fb2Shape shape;
    shape.paragraphs = {"Снеговик ☃."};
    WriteFile(work / "snow.fb2", MakeFb2(shape));
    const TomeoRun run = RunTomeo({"-u", "snow.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err,
              "snow.fb2 не перекодирован. Файл содержит символы, которые не могут быть "
              "представлены в кодировке WIN1251.\n");
    EXPECT_EQ(ReadFile(work / "snow.fb2"), MakeFb2(shape));
}

// A move to another file system copies the book, flushed, and deletes it only then.
TEST(BatchEndToEnd, MovingToAnotherFileSystem) {
    struct stat shm {};
    struct stat tmp {};
    TempDir work;
    if (stat("/dev/shm", &shm) != 0 || stat(work.path().c_str(), &tmp) != 0 ||
        shm.st_dev == tmp.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    const std::string target = "/dev/shm/tomeo-e2e-" + std::to_string(getpid());
    const std::string book = MakeFb2({});
    WriteFile(work / "a.fb2", book);
    fs::create_directories(work / "tomeo");
    WriteFile(work / "tomeo/move.sc", "$dir = \"" + target + "/sub\"");
    const TomeoRun run = RunTomeo({"-m", "a.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(ReadFile(target + "/sub/a.fb2"), book);
    EXPECT_FALSE(FileExists(work / "a.fb2"));
    fs::remove_all(target);
}

// --- Every switch on every kind, loose and zipped ----------------------------------

struct KindSample {
    const char* extension;
    std::string content;  // as stored
    std::string recoded;  // after the recoding (the content itself when none applies)
    char recoding;        // the switch that recodes it: 'd', 'u' or none
};

std::vector<KindSample> KindSamples() {
    const std::string text = W(Sample("txt/pushkin.txt"));
    std::string dos = text;
    ansi_to_oem(dos.data(), dos.size());
    Fb2Shape windows;
    windows.encoding = "windows-1251";
    const std::string rtf = W(Sample("rtf/bulgakov.rtf"));
    const std::string utf8 = "\xEF\xBB\xBF" + Sample("txt/pushkin.txt");  // with the mark
    return {{"txt", dos, text, 'd'},
            {"txt", utf8, text, 'u'},
            {"fb2", MakeFb2({}), MakeFb2(windows), 'u'},
            {"rtf", rtf, rtf, 0}};
}

TEST(BatchEndToEnd, EverySwitchOnEveryKindLooseAndZipped) {
    const char* const switch_sets[] = {"-r",  "-m",  "-z",  "-d",  "-u",   "-t",     "-rz",
                                       "-rm", "-zm", "-ut", "-du", "-rmz", "-rmzutd"};
    for (const KindSample& kind : KindSamples()) {
        for (const bool zipped : {false, true}) {
            for (const std::string switches : switch_sets) {
                const std::string ext = kind.extension;
                SCOPED_TRACE(switches + " on " + (zipped ? "a zipped ." : "a loose .") + ext +
                             " recoded by " +
                             (kind.recoding ? std::string(1, kind.recoding) : "nothing"));
                TempDir work;
                const std::string book_name = "a." + ext;
                WriteFile(work / (zipped ? "a.zip" : book_name),
                          zipped ? MakeZip({book_name, kind.content}) : kind.content);
                fs::create_directories(work / "tomeo");
                WriteFile(work / "tomeo/rename.sc",
                          "$filename = \"r_\"\n$filename = $filename + $bookfile\n");
                WriteFile(work / "tomeo/move.sc", "$dir = \"" + work.path() + "moved\"\n");
                Settings settings;
                settings.text_packing = TEXT_NOT_PACKED;
                WriteSettings(work.path(), settings);

                const TomeoRun run = RunTomeo({switches, "*.*"}, work.path());
                EXPECT_EQ(run.exit_code, 0) << run.err;
                EXPECT_EQ(run.err, "");

                auto has = [&](char letter) { return switches.find(letter) != std::string::npos; };
                const std::string stem = has('r') ? "r_" + book_name : "a";
                const std::string dir = has('m') ? "moved/" : "";
                const bool packed = zipped || has('z');
                const std::string final_book = stem + "." + ext;
                const std::string final_file = dir + (packed ? stem + ".zip" : final_book);
                const bool recodes = kind.recoding != 0 && has(kind.recoding);
                const std::string content = recodes ? kind.recoded : kind.content;

                Names expected{final_file};
                if (ext == "fb2" && has('t')) expected.push_back(stem + ".txt");
                std::sort(expected.begin(), expected.end());
                ASSERT_EQ(FilesBelow(work.path()), expected);
                if (packed) {
                    const ZipContents zip = ReadZip(ReadFile(work / final_file));
                    EXPECT_TRUE(zip.ok);
                    EXPECT_EQ(zip.name, final_book);
                    EXPECT_EQ(zip.content, content);
                } else {
                    EXPECT_EQ(ReadFile(work / final_file), content);
                }
            }
        }
    }
}

// --- Real-world books ---------------------------------------------------------------

// Every book of the sample corpus, packed, renamed, recoded, converted and moved in
// turn: none is ever lost, and what does not change content keeps it byte for byte.
TEST(BatchEndToEnd, TheSampleCorpusLosesNothing) {
    const fs::path corpus = TOMEO_CORPUS_DIR;
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no sample corpus at " << corpus;
    TempDir work;
    std::multiset<std::string> contents;  // of every book, loose or zipped
    int index = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() ||
            (ext != ".fb2" && ext != ".txt" && ext != ".rtf" && ext != ".zip")) {
            continue;
        }
        // One flat folder; the index keeps names apart.
        const std::string name = std::to_string(index++) + "_" + entry.path().filename().string();
        fs::copy_file(entry.path(), work / name);
    }
    ASSERT_GT(index, 0);

    // What the books hold: loose ones as they are, zipped ones inflated (archives the
    // program does not take as books are left out, as it leaves them alone).
    auto books = [&] {
        std::multiset<std::string> held;
        for (const std::string& file : FilesBelow(work.path())) {
            const std::string bytes = ReadFile(work / file);
            if (file.ends_with(".zip")) {
                const ZipContents zip = ReadZip(bytes);
                if (zip.ok) held.insert(zip.content);
            } else {
                held.insert(bytes);
            }
        }
        return held;
    };
    const std::multiset<std::string> before = books();
    const std::size_t files_before = FilesBelow(work.path()).size();

    RunTomeo({"-z", "*.*"}, work.path());
    EXPECT_EQ(books(), before);
    // A rename onto an archive that already holds exactly the same book (a copy the
    // corpus has twice, or one a killed run made) only deletes the redundant source:
    // every content stays, duplicates may go.
    auto distinct = [](const std::multiset<std::string>& held) {
        return std::set<std::string>(held.begin(), held.end());
    };
    RunTomeo({"-r", "*.*"}, work.path());
    EXPECT_EQ(distinct(books()), distinct(before));
    const std::size_t files_renamed = FilesBelow(work.path()).size();
    EXPECT_LE(files_renamed, files_before);
    EXPECT_GE(files_renamed, distinct(before).size());
    fs::create_directories(work / "tomeo");
    WriteFile(work / "tomeo/move.sc", "$dir = \"" + work.path() + "moved\"\n");
    RunTomeo({"-m", "*.*"}, work.path());
    EXPECT_EQ(distinct(books()), distinct(before));
    ASSERT_TRUE(fs::is_directory(work / "moved"));

    // Recoding changes content in place, converting adds text files: every file stays.
    const Names moved = FilesBelow(work.path());
    EXPECT_EQ(moved.size(), files_renamed);
    RunTomeo({"-ud", "moved/*.*"}, work.path());
    EXPECT_EQ(FilesBelow(work.path()), moved);
    RunTomeo({"-t", "moved/*.*"}, work.path());
    const Names converted = FilesBelow(work.path());
    for (const std::string& file : moved) {
        EXPECT_TRUE(std::binary_search(converted.begin(), converted.end(), file)) << file;
    }
    EXPECT_GT(converted.size(), moved.size());
    for (const std::string& file : converted) EXPECT_EQ(file.find("new_"), std::string::npos);
}

}  // namespace
}  // namespace tomeo::test
