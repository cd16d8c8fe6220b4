// Fault injection: every system call of a kind fails in turn (the first, then the
// second...) while an operation runs. Whatever fails, the book is never lost: either the
// operation completed, or the source is there unchanged; and no temporary file stays.
#include <functional>

#include "platform/files.h"
#include "tests/batch/pipeline_fixture.h"
#include "tests/support/sys_hook.h"

namespace tomeo::test {
namespace {

using Names = std::vector<std::string>;
using platform::SysOp;

const std::string kNamed = "Петров Иван - Книга";

struct Scenario {
    const char* label;
    std::uint32_t operations;
    std::string source;                             // the book's file
    std::function<void(PipelineHarness&)> prepare;  // writes the source, sets scripts
    Names done;                                     // every file after success
};

std::vector<Scenario> Scenarios() {
    const std::string utf8 = MakeFb2({});
    std::string dos = W("Мороз и солнце, день чудесный. Еще ты дремлешь, друг прелестный.\r\n");
    ansi_to_oem(dos.data(), dos.size());
    return {
        {"rename by the file system",
         OP_RENAME,
         "abc.fb2",
         [=](PipelineHarness& h) { h.Put("abc.fb2", utf8); },
         {kNamed + ".fb2"}},
        {"rename a zipped book",
         OP_RENAME,
         "x.zip",
         [=](PipelineHarness& h) {
             h.Put("x.zip", MakeZip({"x.fb2", utf8}));
         },
         {kNamed + ".zip"}},
        {"rename the member only",
         OP_RENAME,
         kNamed + ".zip",
         [=](PipelineHarness& h) {
             h.Put(kNamed + ".zip", MakeZip({"x.fb2", utf8}));
         },
         {kNamed + ".zip"}},
        {"rename in other letter case",
         OP_RENAME,
         "x.zip",
         [=](PipelineHarness& h) {
             h.Put("x.zip", MakeZip({"x.fb2", utf8}));
             h.SetScript(h.globals.scripts.rename, "$filename = \"X\"");
         },
         {"X.zip"}},
        {"pack",
         OP_ZIP,
         "book.fb2",
         [=](PipelineHarness& h) { h.Put("book.fb2", utf8); },
         {"book.zip"}},
        {"recode in place",
         OP_UTF8,
         "book.fb2",
         [=](PipelineHarness& h) { h.Put("book.fb2", utf8); },
         {"book.fb2"}},
        {"recode a zipped book",
         OP_UTF8,
         "x.zip",
         [=](PipelineHarness& h) {
             h.Put("x.zip", MakeZip({"x.fb2", utf8}));
         },
         {"x.zip"}},
        {"recode DOS text",
         OP_DOS,
         "dos.txt",
         [=](PipelineHarness& h) { h.Put("dos.txt", dos); },
         {"dos.txt"}},
        {"rename, pack and move",
         OP_RENAME | OP_ZIP | OP_MOVE,
         "book.fb2",
         [=](PipelineHarness& h) {
             h.Put("book.fb2", utf8);
             h.MoveInto("sorted/deeper");
         },
         {"sorted/deeper/" + kNamed + ".zip"}},
        {"move a zipped book",
         OP_MOVE,
         "x.zip",
         [=](PipelineHarness& h) {
             h.Put("x.zip", MakeZip({"x.fb2", utf8}));
             h.MoveInto("m");
         },
         {"m/x.zip"}},
        {"convert over an older text",
         OP_TOTEXT,
         "book.fb2",
         [=](PipelineHarness& h) {
             h.Put("book.fb2", utf8);
             h.Put("book.zip", MakeZip({"book.txt", "older"}));
             h.run.settings.text_packing = TEXT_IN_ZIP;
         },
         {"book.fb2", "book.zip"}},
        {"pack onto the archive a killed run left",
         OP_ZIP,
         "book.fb2",
         [=](PipelineHarness& h) {
             h.Put("book.fb2", utf8);
             h.Put("book.zip", MakeZip({"book.fb2", utf8}));
         },
         {"book.zip"}},
        {"recode and convert a zipped book",
         OP_UTF8 | OP_TOTEXT,
         "x.zip",
         [=](PipelineHarness& h) {
             h.Put("x.zip", MakeZip({"book.fb2", utf8}));
             h.run.settings.text_packing = TEXT_NOT_PACKED;
         },
         {"book.txt", "x.zip"}},
    };
}

constexpr SysOp kOps[] = {SysOp::Open,    SysOp::Read,   SysOp::Write, SysOp::Close,  SysOp::Fsync,
                          SysOp::Stat,    SysOp::Rename, SysOp::Link,  SysOp::Unlink, SysOp::Mkdir,
                          SysOp::SetTime, SysOp::Chmod,  SysOp::Chown};

bool IsTemporary(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    const std::string name = file.substr(slash == std::string::npos ? 0 : slash + 1);
    return name.starts_with("new_") || platform::IsHiddenTemporaryName(name.c_str());
}

TEST(PipelineFaults, EveryFailedCallLeavesTheBookOrTheResult) {
    int runs = 0, failures = 0;
    for (const Scenario& s : Scenarios()) {
        for (const SysOp op : kOps) {
            for (int n = 1;; ++n) {
                SCOPED_TRACE(std::string(s.label) + ", call kind " +
                             std::to_string(static_cast<int>(op)) + ", call " + std::to_string(n));
                PipelineHarness h;
                s.prepare(h);
                const Names before = h.Files();
                const std::string source = h.Get(s.source);
                h.Select(s.source);
                std::uint32_t result = 0;
                int calls = 0;
                {
                    FailNthCall fail(op, n);
                    result = h.pipeline->ProcessFile(s.operations);
                    calls = fail.calls();
                }
                ++runs;
                const Names after = h.Files();
                for (const std::string& file : after) EXPECT_FALSE(IsTemporary(file)) << file;
                if (result == 0) {
                    EXPECT_EQ(after, s.done);
                    for (const std::string& file : after) {
                        if (file.ends_with(".zip")) {
                            EXPECT_TRUE(ReadZip(h.Get(file)).ok) << file;
                        }
                    }
                } else {
                    ++failures;
                    EXPECT_EQ(h.Get(s.source), source);
                    // Nothing new but a completed text file.
                    for (const std::string& file : after) {
                        const bool known =
                            std::find(before.begin(), before.end(), file) != before.end();
                        EXPECT_TRUE(known || file.ends_with(".txt")) << file;
                    }
                }
                if (calls < n) {
                    EXPECT_EQ(result, 0u);  // nothing failed
                    break;
                }
            }
        }
    }
    // The faults did reach the operations.
    EXPECT_GT(failures, 50);
    RecordProperty("runs", runs);
    RecordProperty("failures", failures);
}

}  // namespace
}  // namespace tomeo::test
