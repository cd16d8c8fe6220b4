// UTF-8 text books through build/tomeo: d never touches them, r and m name them as
// their Windows-1251 twins are named, u recodes them or refuses and leaves them alone.
#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <map>
#include <optional>

#include "tests/support/cp1251_text.h"
#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using Books = std::map<std::string, std::string>;  // file name -> bytes

const std::string kBom = "\xEF\xBB\xBF";
const std::string kText =
    "Лев Толстой\r\nВойна и мир\r\n\r\n— Eh bien, mon prince. «Ну что, князь?» — сказала Анна "
    "Павловна… “Ёлка” №1\r\n";

// glibc's strict UTF-8 to Windows-1251, without the byte-order mark; nothing when a
// character has no Windows-1251 form or the UTF-8 is broken.
std::optional<std::string> Iconv1251(std::string utf8) {
    if (utf8.starts_with(kBom)) utf8.erase(0, kBom.size());
    iconv_t cd = iconv_open("CP1251", "UTF-8");
    std::string out(utf8.size(), '\0');
    char* in = utf8.data();
    char* to = out.data();
    size_t in_left = utf8.size(), out_left = out.size();
    const size_t done = iconv(cd, &in, &in_left, &to, &out_left);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1) || in_left != 0) return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
}

// Writes the books into the folder, loose or each as the one member of name.zip.
void Put(const TempDir& work, const Books& books, bool zipped) {
    for (const auto& [name, bytes] : books) {
        if (zipped) {
            WriteFile(work / (fs::path(name).stem().string() + ".zip"), MakeZip({name, bytes}));
        } else {
            WriteFile(work / name, bytes);
        }
    }
}

// The books a folder holds: the name of each file with the book's bytes (an archive's
// member inflated).
Books Held(const TempDir& work) {
    Books held;
    for (const std::string& file : FilesBelow(work.path())) {
        const std::string bytes = ReadFile(work / file);
        held[file] = file.ends_with(".zip") ? ReadZip(bytes).content : bytes;
    }
    return held;
}

std::string NotRecoded(const std::string& name) {
    return name + " не перекодирован.";
}
const std::string kNot1251 =
    " Файл содержит символы, которые не могут быть представлены в кодировке WIN1251.";

TEST(Utf8TextEndToEnd, DLeavesUtf8TextsAloneAndURecodesThem) {
    for (const bool zipped : {false, true}) {
        for (const std::string& bom : {std::string(), kBom}) {
            SCOPED_TRACE(std::string(zipped ? "zipped" : "loose") + (bom.empty() ? "" : ", BOM"));
            TempDir work;
            Put(work, {{"a.txt", bom + kText}}, zipped);
            const std::string file = zipped ? "a.zip" : "a.txt";
            const std::string before = ReadFile(work / file);

            TomeoRun run = RunTomeo({"-d", "*.*"}, work.path());
            EXPECT_EQ(run.exit_code, 0);
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(ReadFile(work / file), before) << "nothing is written";

            run = RunTomeo({"-ud", "*.*"}, work.path());
            EXPECT_EQ(run.exit_code, 0) << run.err;
            ASSERT_EQ(FilesBelow(work.path()), Names{file});
            const std::string after = ReadFile(work / file);
            EXPECT_EQ(zipped ? ReadZip(after).content : after, W(kText)) << "the mark is dropped";
            if (zipped) {
                EXPECT_EQ(ReadZip(after).name, "a.txt");
            }

            // Now Windows-1251: neither applies any more.
            run = RunTomeo({"-ud", "*.*"}, work.path());
            EXPECT_EQ(run.exit_code, 0) << run.err;
            EXPECT_EQ(ReadFile(work / file), after);
        }
    }
}

TEST(Utf8TextEndToEnd, URefusesTextsItCannotRecodeAndLeavesThemUntouched) {
    // A frame character of DOS-era books, and a broken sequence beyond the bytes that
    // the detection looks at.
    const Books books = {{"box.txt", kText + "┌──┐\r\n"},
                         {"broken.txt", kText + std::string(2000, 'x') + "\xD0 \r\n"}};
    for (const bool zipped : {false, true}) {
        SCOPED_TRACE(zipped ? "zipped" : "loose");
        TempDir work;
        Put(work, books, zipped);
        const Books before = Held(work);
        const TomeoRun run = RunTomeo({"-u", "*.*"}, work.path());
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err, NotRecoded("box.txt") + kNot1251 + "\n\n" + NotRecoded("broken.txt") +
                               " Недопустимый код UTF8.\n");
        EXPECT_EQ(Held(work), before);
    }
}

TEST(Utf8TextEndToEnd, RenameAndMoveReadTheHeaderThroughUtf8) {
    for (const bool zipped : {false, true}) {
        SCOPED_TRACE(zipped ? "zipped" : "loose");
        TempDir work;
        Put(work, {{"a.txt", kBom + kText}}, zipped);
        const TomeoRun run = RunTomeo({"-rm", "*.*"}, work.path(), "", work.path());
        EXPECT_EQ(run.exit_code, 0) << run.err;
        const std::string named = "books/Толстой Лев/Толстой Лев - Война и мир";
        const Books held = Held(work);
        EXPECT_EQ(held, (Books{{named + (zipped ? ".zip" : ".txt"), kBom + kText}}));
    }
}

// --- The UTF-8 texts of the sample corpus ------------------------------------------

const fs::path kCorpus = TOMEO_CORPUS_DIR;

Books CorpusBooks(const std::string& folder) {
    Books books;
    for (const auto& entry : fs::directory_iterator(kCorpus / folder)) {
        books[entry.path().filename().string()] = ReadFile(entry.path().string());
    }
    return books;
}

// The forty samples and the two texts with a byte-order mark.
Books CorpusUtf8Texts() {
    Books books = CorpusBooks("txt/utf8");
    for (const char* extra : {"txt/other/16_chekhov_hameleon_utf8_bom.txt",
                              "txt/real/pg600_notes_from_underground_bom_crlf_excerpt.txt"}) {
        books[fs::path(extra).filename().string()] = ReadFile((kCorpus / extra).string());
    }
    return books;
}

TEST(Utf8TextEndToEnd, CorpusTextsSurviveDAndU) {
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "no sample corpus at " << kCorpus;
    const Books books = CorpusUtf8Texts();
    ASSERT_EQ(books.size(), 42u);
    for (const bool zipped : {false, true}) {
        SCOPED_TRACE(zipped ? "zipped" : "loose");
        TempDir work;
        Put(work, books, zipped);
        const Books before = Held(work);
        const Names files = FilesBelow(work.path());
        std::map<std::string, std::string> archives;  // no byte of any file changes
        for (const std::string& file : files) archives[file] = ReadFile(work / file);

        TomeoRun run = RunTomeo({"-d", "*.*"}, work.path());
        EXPECT_EQ(run.exit_code, 0);
        EXPECT_EQ(run.err, "");
        for (const std::string& file : files) EXPECT_EQ(ReadFile(work / file), archives[file]);

        for (const std::string switches : {"-u", "-ud"}) {
            run = RunTomeo({switches, "*.*"}, work.path());
            std::string expected_err;
            int recoded = 0;
            const Books after = Held(work);
            ASSERT_EQ(FilesBelow(work.path()), files);
            for (const auto& [file, bytes] : before) {
                const std::string name = fs::path(file).stem().string() + ".txt";
                const std::optional<std::string> in1251 = Iconv1251(bytes);
                if (in1251) {
                    ++recoded;
                    EXPECT_EQ(after.at(file), *in1251) << file;
                } else if (switches == "-u") {
                    EXPECT_EQ(after.at(file), bytes) << file;
                    expected_err +=
                        (expected_err.empty() ? "" : "\n\n") + NotRecoded(name) + kNot1251;
                }
            }
            EXPECT_EQ(recoded, 35) << "seven texts hold characters outside Windows-1251";
            // The second run finds the recoded books in Windows-1251; the refused ones are
            // refused again.
            EXPECT_EQ(run.exit_code, 1);
            if (switches == "-u") {
                EXPECT_EQ(run.err, expected_err + "\n");
            }
        }
    }
}

// r and m on the UTF-8 samples give the names and folders that their Windows-1251
// twins get, and the books keep every byte.
TEST(Utf8TextEndToEnd, CorpusTextsAreNamedAndMovedAsTheirWindows1251Twins) {
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "no sample corpus at " << kCorpus;
    const Books utf8 = CorpusBooks("txt/utf8");
    const Books twins = CorpusBooks("txt/cp1251");
    for (const bool zipped : {false, true}) {
        for (const std::string switches : {"-r", "-m", "-rm"}) {
            SCOPED_TRACE(switches + (zipped ? " zipped" : " loose"));
            TempDir a, b;
            Put(a, utf8, zipped);
            Put(b, twins, zipped);
            std::multiset<std::string> contents;
            for (const auto& [file, bytes] : Held(a)) contents.insert(bytes);

            const TomeoRun in_utf8 = RunTomeo({switches, "*.*"}, a.path(), "", a.path());
            const TomeoRun in_1251 = RunTomeo({switches, "*.*"}, b.path(), "", b.path());
            EXPECT_EQ(in_utf8.err, in_1251.err);
            EXPECT_EQ(in_utf8.exit_code, in_1251.exit_code);
            EXPECT_EQ(FilesBelow(a.path()), FilesBelow(b.path()));
            std::multiset<std::string> after;
            for (const auto& [file, bytes] : Held(a)) after.insert(bytes);
            EXPECT_EQ(after, contents);
        }
    }
}

}  // namespace
}  // namespace tomeo::test
