#include "batch/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/charset.h"
#include "tests/support/cp1251_text.h"

namespace tomeo {
namespace {

using test::W;
using namespace std::chrono_literals;

// Records what a terminal would be shown: "status:" + the status line, "line:" + a line
// that stays; texts back in UTF-8.
class FakeDisplay : public ProgressDisplay {
public:
    int columns() const override { return width; }
    void ShowStatus(const char* text) override {
        events.push_back("status:" + cp1251_to_utf8(text));
    }
    void WriteLine(const char* text) override { events.push_back("line:" + cp1251_to_utf8(text)); }

    int width = 80;
    std::vector<std::string> events;
};

struct FakeClock {
    BatchProgress::Clock::time_point now{};
    std::function<BatchProgress::Clock::time_point()> function() {
        return [this] { return now; };
    }
};

TFILEINF Book(const std::string& utf8_name, const std::string& utf8_archive = "") {
    TFILEINF file;
    file.kind = KIND_FB2;
    file.name.assign(W(utf8_name).c_str());
    if (!utf8_archive.empty()) {
        file.container = CONTAINER_ZIP;
        file.zipname.assign(W(utf8_archive).c_str());
    }
    return file;
}

TEST(BatchProgress, QuietForASecondThenEveryBookThenErasedAndSummed) {
    FakeDisplay display;
    FakeClock clock;
    BatchProgress progress(&display, 1, clock.function());
    progress.ListStarted(3);
    progress.FileStarted(Book("a.fb2"));
    clock.now += 1500ms;
    progress.FileDone(false);
    progress.FileStarted(Book("b.fb2", "Книга б.zip"));
    progress.FileDone(true);
    progress.FileStarted(Book("c.fb2"));
    progress.FileDone(false);
    progress.Finish();
    progress.WriteSummary();
    EXPECT_EQ(display.events, (std::vector<std::string>{
                                  "status:обработано 1 из 3: Книга б.zip",
                                  "status:обработано 2 из 3: c.fb2",
                                  "status:",
                                  "line:Обработано книг: 3, с ошибками: 1.",
                              }));
}

TEST(BatchProgress, AShortRunShowsOnlyTheSummaryAndNoTerminalNothing) {
    FakeDisplay display;
    FakeClock clock;
    BatchProgress quick(&display, 2, clock.function());
    quick.ListStarted(1);
    quick.FileStarted(Book("a.fb2"));
    clock.now += 900ms;
    quick.FileDone(true);
    quick.ListStarted(0);
    quick.NameNotFound();
    quick.Finish();
    quick.WriteSummary();
    EXPECT_EQ(display.events, (std::vector<std::string>{
                                  "line:Обработано книг: 1, с ошибками: 1. Не найдено: 1.",
                              }));

    BatchProgress silent(nullptr, 1, clock.function());
    silent.ListStarted(2);
    clock.now += 5s;
    silent.FileStarted(Book("a.fb2"));
    silent.FileDone(true);
    silent.Finish();
    silent.WriteSummary();  // nothing to crash on
    EXPECT_EQ(silent.done(), 1);
    EXPECT_EQ(silent.failed(), 1);
}

TEST(BatchProgress, TheTotalCountsOneBookForEveryArgumentNotListedYet) {
    BatchProgress progress(nullptr, 3);
    EXPECT_EQ(progress.total(), 3);
    progress.ListStarted(5);  // a pattern
    EXPECT_EQ(progress.total(), 7);
    progress.ListStarted(0);  // a name not found
    EXPECT_EQ(progress.total(), 6);
    progress.ListStarted(1);
    EXPECT_EQ(progress.total(), 6);
}

TEST(FormatProgressLine, ControlCharactersAndLongNames) {
    const struct {
        const char* name;  // UTF-8
        int columns;
        const char* line;
    } cases[] = {
        {"книга.fb2", 80, "обработано 3 из 10: книга.fb2"},
        {"a\x1b[2Jb\n.fb2", 80, "обработано 3 из 10: a?[2Jb?.fb2"},
        {"книга.fb2", 30, "обработано 3 из 10: книга.fb2"},  // 29 characters: fits
        {"книга.fb2", 29, "обработано 3 из 10: книга.f…"},
        {"книга.fb2", 10, "обработа…"},
        {"книга.fb2", 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cp1251_to_utf8(FormatProgressLine(3, 10, W(c.name).c_str(), c.columns)), c.line)
            << c.columns;
    }
}

TEST(CountBooks, DirectoriesAndDrivesAreNoBooks) {
    TFILELIST list;
    for (const EntryKind kind : {KIND_DIRECTORY, KIND_TXT, KIND_FB2, KIND_RTF, KIND_DRIVE}) {
        FileEntryFields entry;
        entry.kind = kind;
        entry.name = "x";
        list.AddFileEntry(entry);
    }
    EXPECT_EQ(CountBooks(list), 3);
}

}  // namespace
}  // namespace tomeo
