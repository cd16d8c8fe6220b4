// What the pipeline may replace and when a source may go: the text file takes the name
// of an older text only; a book that changed after it was read is never deleted or
// replaced; and every failure of a file names its reason where the flags do not.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/files.h"
#include "tests/batch/pipeline_fixture.h"
#include "tests/support/sys_hook.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using platform::SysOp;

// --- The text file replaces an older text only --------------------------------------

const std::string kText =
    W(" Иван Петров\r\n Книга\r\n\r\n\r\n Первый абзац.\r\n Второй абзац.\r\n");

TEST_F(PipelineTest, TheTextFileReplacesAnOlderTextAndNothingElse) {
    const std::string older_text = MakeZip({"book.txt", "older"});
    const std::string other_book = MakeZip({"other.fb2", MakeFb2({})});
    struct Case {
        const char* label;
        TextPacking packing;
        std::function<void(PipelineTest&)> put;  // what bears the text file's name
        bool replaced;
    };
    const Case cases[] = {
        {"a loose text", TEXT_NOT_PACKED, [](PipelineTest& t) { t.Put("book.txt", "older"); },
         true},
        {"an archive of the text", TEXT_IN_ZIP,
         [&](PipelineTest& t) { t.Put("book.zip", older_text); }, true},
        {"an archive of another book", TEXT_IN_ZIP,
         [&](PipelineTest& t) { t.Put("book.zip", other_book); }, false},
        {"an archive of another text", TEXT_IN_ZIP,
         [](PipelineTest& t) {
             t.Put("book.zip", MakeZip({"other.txt", "x"}));
         },
         false},
        {"not an archive", TEXT_IN_ZIP, [](PipelineTest& t) { t.Put("book.zip", "PK junk"); },
         false},
        {"a folder", TEXT_NOT_PACKED, [](PipelineTest& t) { t.Put("book.txt/inside", "x"); },
         false},
        {"a link to another file", TEXT_NOT_PACKED,
         [](PipelineTest& t) {
             t.Put("elsewhere", "keep");
             fs::create_symlink(t.Path("elsewhere"), t.Path("book.txt"));
         },
         false},
        {"a named pipe", TEXT_NOT_PACKED,
         [](PipelineTest& t) { ::mkfifo(t.Path("book.txt").c_str(), 0600); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(dir.path());
        fs::create_directories(dir.path());
        Put("book.fb2", MakeFb2({}));
        run.settings.text_packing = c.packing;
        c.put(*this);
        const std::string name = c.packing == TEXT_IN_ZIP ? "book.zip" : "book.txt";
        const fs::file_status before = fs::symlink_status(Path(name));
        const std::string content = fs::is_regular_file(before) ? Get(name) : "";

        const std::uint32_t result = Process("book.fb2", OP_TOTEXT);
        if (c.replaced) {
            EXPECT_EQ(result, 0u);
            const std::string now = Get(name);
            EXPECT_EQ(c.packing == TEXT_IN_ZIP ? ReadZip(now).content : now, kText);
        } else {
            EXPECT_EQ(result, RES_TOTEXT);
            EXPECT_EQ(pipeline->fail_reason(), FailReason::TextNameTaken);
            EXPECT_EQ(fs::symlink_status(Path(name)).type(), before.type());
            if (fs::is_regular_file(before)) {
                EXPECT_EQ(Get(name), content);
            }
            Report report;
            pipeline->ReportCurrentResults(report);
            EXPECT_EQ(
                report.text(),
                W("book.fb2 не переконвертирован. Имя текстового файла занято другим файлом."));
        }
        for (const std::string& file : Files()) EXPECT_NE(file.rfind("new_", 0), 0u) << file;
    }
}

// The name is looked at again when the text is complete: a book that took it meanwhile
// stays.
TEST_F(PipelineTest, ABookThatTakesTheTextNameDuringTheConversionStays) {
    Put("book.fb2", MakeFb2({}));
    run.settings.text_packing = TEXT_IN_ZIP;
    const std::string other_book = MakeZip({"other.fb2", MakeFb2({})});
    bool put = false;
    ScopedSysCallHook hook([&](SysOp op, int&) {
        if (op == SysOp::Fsync && !put) {
            put = true;
            WriteFile(Path("book.zip"), other_book);
        }
        return false;
    });
    EXPECT_EQ(Process("book.fb2", OP_TOTEXT), RES_TOTEXT);
    EXPECT_TRUE(put);
    EXPECT_EQ(pipeline->fail_reason(), FailReason::TextNameTaken);
    EXPECT_EQ(Get("book.zip"), other_book);
    EXPECT_EQ(Files(), (Names{"book.fb2", "book.zip"}));
}

// --- A changed source stays -------------------------------------------------------

void Append(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

// Another program appends to the book while the new file is flushed, that is after the
// book was read and before it is deleted or replaced: the operation fails, the new file
// goes, the book keeps what was appended.
TEST(PipelineChangedSource, ABookAppendedToAfterReadingIsNeverReplaced) {
    std::string dos = W("Мороз и солнце, день чудесный. Еще ты дремлешь, друг прелестный.\r\n");
    ansi_to_oem(dos.data(), dos.size());
    const std::string utf8 = MakeFb2({});
    struct Case {
        const char* label;
        std::uint32_t operations;
        std::string source;
        std::string content;
        std::function<void(PipelineHarness&)> prepare;
        std::uint32_t result;
        std::string message;
    };
    const Case cases[] = {
        {"recode in place", OP_UTF8, "book.fb2", utf8, nullptr, RES_UTF8,
         "book.fb2 не перекодирован."},
        {"recode DOS text", OP_DOS, "dos.txt", dos, nullptr, RES_DOS, "dos.txt не перекодирован."},
        {"pack", OP_ZIP, "book.fb2", utf8, nullptr, RES_ZIP, "book.fb2 не заархивирован."},
        {"rename a zipped book", OP_RENAME, "x.zip", MakeZip({"x.fb2", utf8}), nullptr, RES_RENAME,
         "x.fb2 не переименован."},
        {"rename a zipped book in other letter case", OP_RENAME, "x.zip", MakeZip({"x.fb2", utf8}),
         [](PipelineHarness& h) { h.SetScript(h.globals.scripts.rename, "$filename = \"X\""); },
         RES_RENAME, "x.fb2 не переименован."},
        {"pack and move", OP_ZIP | OP_MOVE, "book.fb2", utf8,
         [](PipelineHarness& h) { h.MoveInto("m"); }, RES_ZIP | RES_MOVE, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        PipelineHarness h;
        h.Put(c.source, c.content);
        if (c.prepare) c.prepare(h);
        h.Select(c.source);
        bool appended = false;
        std::uint32_t result = 0;
        {
            ScopedSysCallHook hook([&](SysOp op, int&) {
                if (op == SysOp::Fsync && !appended) {
                    appended = true;
                    Append(h.Path(c.source), "appended");
                }
                return false;
            });
            result = h.pipeline->ProcessFile(c.operations);
        }
        EXPECT_TRUE(appended);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(h.pipeline->fail_reason(), FailReason::SourceChanged);
        EXPECT_EQ(h.Files(), Names{c.source});
        EXPECT_EQ(h.Get(c.source), c.content + "appended");
        if (!c.message.empty()) {
            Report report;
            h.pipeline->ReportCurrentResults(report);
            EXPECT_EQ(report.text(), W(c.message + " Файл изменился во время обработки."));
        }
    }
}

// A book rewritten in place with its size kept is told apart by its time.
TEST_F(PipelineTest, ABookRewrittenWithItsSizeKeptIsNeverReplaced) {
    const std::string book = MakeFb2({});
    Put("book.fb2", book);
    Select("book.fb2");
    std::string rewritten = book;
    rewritten.back() = ' ';
    bool changed = false;
    ScopedSysCallHook hook([&](SysOp op, int&) {
        if (op == SysOp::Fsync && !changed) {
            changed = true;
            WriteFile(Path("book.fb2"), rewritten);
            const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
            ::utimensat(AT_FDCWD, Path("book.fb2").c_str(), later, 0);
        }
        return false;
    });
    EXPECT_EQ(pipeline->ProcessFile(OP_UTF8), RES_UTF8);
    EXPECT_EQ(pipeline->fail_reason(), FailReason::SourceChanged);
    EXPECT_EQ(Get("book.fb2"), rewritten);
    EXPECT_EQ(Files(), Names{"book.fb2"});
}

// A move to another file system copies the book: one appended to during the copy stays.
TEST_F(PipelineTest, AMoveAcrossFileSystemsKeepsABookAppendedToDuringTheCopy) {
    Put("book.fb2", MakeFb2({}));
    MoveInto("m");
    Select("book.fb2");
    int renames = 0;
    bool appended = false;
    ScopedSysCallHook hook([&](SysOp op, int& error) {
        if (op == SysOp::Rename && ++renames == 1) {
            error = EXDEV;  // as if m were on another file system
            return true;
        }
        if (op == SysOp::Fsync && !appended) {
            appended = true;
            Append(Path("book.fb2"), "appended");
        }
        return false;
    });
    EXPECT_EQ(pipeline->ProcessFile(OP_MOVE), RES_MOVE);
    EXPECT_TRUE(appended);
    EXPECT_EQ(pipeline->fail_reason(), FailReason::SourceChanged);
    EXPECT_EQ(Files(), Names{"book.fb2"});
    EXPECT_EQ(Get("book.fb2"), MakeFb2({}) + "appended");
}

// --- Reasons ----------------------------------------------------------------------

TEST_F(PipelineTest, FailuresOfRenamesAndMovesNameTheirReason) {
    Fb2Shape koi8;
    koi8.encoding = "koi8-r";
    std::string no_declaration = MakeFb2({});
    no_declaration.erase(0, no_declaration.find("?>") + 2);
    std::string no_description = MakeFb2({});
    no_description.erase(
        no_description.find("<description>"),
        no_description.find("</description>") + 14 - no_description.find("<description>"));
    const std::string long_name(300, 'a');
    struct Case {
        const char* label;
        std::string book;
        std::uint32_t operations;
        std::string rename_sc;  // empty: the default
        std::string move_sc;
        std::string reason;
        FailReason expected;
    };
    const Case cases[] = {
        {"no declaration", no_declaration, OP_RENAME, "", "", " В файле нет объявления кодировки.",
         FailReason::NoEncoding},
        {"unknown encoding", MakeFb2(koi8), OP_RENAME, "", "", " Неизвестная кодировка koi8-r.",
         FailReason::UnknownEncoding},
        {"no description", no_description, OP_RENAME, "", "",
         " Не удалось прочитать описание книги.", FailReason::Description},
        {"name taken", MakeFb2({}), OP_RENAME, "$filename = \"taken\"", "",
         " Файл с таким именем уже существует.", FailReason::NameTaken},
        {"empty name", MakeFb2({}), OP_RENAME, "$filename = \"\"", "", " Новое имя пустое.",
         FailReason::EmptyName},
        {"name with a separator", MakeFb2({}), OP_RENAME, "$filename = \"a/b\"", "",
         " Новое имя недопустимо.", FailReason::UnusableName},
        {"name too long", MakeFb2({}), OP_RENAME, "$filename = \"" + long_name + "\"", "",
         " Такое имя файла нельзя использовать.", FailReason::NameNotAllowed},
        {"empty directory", MakeFb2({}), OP_MOVE, "", "$dir = \"\"", " Каталог не задан.",
         FailReason::EmptyDirectory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        PipelineHarness h;
        h.Put("book.fb2", c.book);
        h.Put("taken.fb2", "x");
        if (!c.rename_sc.empty()) h.SetScript(h.globals.scripts.rename, c.rename_sc);
        if (!c.move_sc.empty()) h.SetScript(h.globals.scripts.move, c.move_sc);
        EXPECT_NE(h.Process("book.fb2", c.operations), 0u);
        EXPECT_EQ(h.pipeline->fail_reason(), c.expected);
        Report report;
        h.pipeline->ReportCurrentResults(report);
        const std::string message =
            c.operations == OP_RENAME ? "book.fb2 не переименован." : "book.fb2 не перемещен.";
        EXPECT_EQ(report.text(), W(message + c.reason));
        EXPECT_EQ(h.Get("book.fb2"), c.book);
    }
}

TEST_F(PipelineTest, TheWindowsActionsAppendTheReasonToo) {
    Put("a.fb2", MakeFb2({}));
    Put("b.fb2", "x");
    Select("a.fb2");
    Report report;
    EXPECT_FALSE(pipeline->RenameTo("b", report));
    EXPECT_EQ(report.text(), W("a.fb2 не переименован. Файл с таким именем уже существует."));
    Put("a.zip", "x");
    EXPECT_FALSE(pipeline->Pack(report));
    EXPECT_EQ(report.text(), W("a.fb2 не заархивирован. Файл с таким именем уже существует."));
}

}  // namespace
}  // namespace tomeo::test
