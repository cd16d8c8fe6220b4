// A batch as a person at a terminal sees it: a status line redrawn while the batch runs
// (once it has lasted a second), erased at the end, then the report and one summary
// line. With standard error in a file only the report is written.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <regex>

#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

using namespace std::chrono_literals;

// Packing flushes every archive to disk, so this many books take about a second and a
// half here; on a faster disk the status line may not be needed at all.
constexpr int kBooks = 150;
const std::string kReport = "missing.fb2 не заархивирован. Файл не найден.\n";

void WriteBooks(const TempDir& dir) {
    const std::string book = MakeFb2({});
    for (int i = 0; i < kBooks; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "b%04d.fb2", i);
        WriteFile(dir / name, book);
    }
}

std::size_t Columns(const std::string& utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

TEST(ProgressEndToEnd, ATerminalSeesTheStatusLineErasedThenTheReportAndASummary) {
    TempDir work;
    WriteBooks(work);
    const auto start = std::chrono::steady_clock::now();
    const TomeoRun run = RunTomeoOnTerminal({"-z", "*.fb2", "missing.fb2"}, work.path(), 60);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.exit_code, 1);

    // Status lines: "\r" + text + "\x1b[K", the last one empty (the erasure).
    std::vector<std::string> status;
    std::size_t at = 0;
    while (at < run.out.size() && run.out[at] == '\r') {
        const std::size_t end = run.out.find("\x1b[K", at);
        ASSERT_NE(end, std::string::npos) << run.out;
        status.push_back(run.out.substr(at + 1, end - at - 1));
        at = end + 3;
    }
    EXPECT_EQ(run.out.substr(at),
              kReport + "Обработано книг: 150, с ошибками: 0. Не найдено: 1.\n");

    if (elapsed > 1500ms) {
        EXPECT_GE(status.size(), 2u) << "a run of over a second shows it";
    }
    if (status.empty()) return;
    EXPECT_EQ(status.back(), "") << "erased before the report";
    const std::regex line("обработано ([0-9]+) из 151: b[0-9]{4}\\.fb2");
    int last = -1;
    for (std::size_t i = 0; i + 1 < status.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(status[i], match, line)) << status[i];
        EXPECT_GT(std::stoi(match[1]), last);
        last = std::stoi(match[1]);
        EXPECT_LT(Columns(status[i]), 60u);
    }
}

TEST(ProgressEndToEnd, StandardErrorInAFileGetsTheReportAlone) {
    TempDir work;
    WriteBooks(work);
    const TomeoRun run = RunTomeo({"-z", "*.fb2", "missing.fb2"}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, kReport);
    EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace tomeo::test
