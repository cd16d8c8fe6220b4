// The progress of a list run. A batch watched on a terminal shows one status line,
// "обработано N из M: имя", redrawn for every book once the run has lasted a second and
// erased at the end, then one summary line; on anything but a terminal nothing of it
// is shown, so the report stays the only output.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "batch/file_list.h"

namespace tomeo {

// Told by the list run about the books it works through.
class ListRunProgress {
public:
    virtual ~ListRunProgress() = default;
    // The run is about to work through that many books.
    virtual void ListStarted(std::int32_t books) = 0;
    // One book is about to be processed / has been (failed: some operation failed).
    virtual void FileStarted(const TFILEINF& file) = 0;
    virtual void FileDone(bool failed) = 0;
    // Asked before every book: true stops the run there (the books done stay done).
    virtual bool StopRequested() { return false; }
};

// The books of a list: entries that are neither directories nor drives.
std::int32_t CountBooks(const TFILELIST& list);

// Where the status line and the summary go.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    virtual int columns() const = 0;
    // Replaces the status line by a text (Windows-1251); an empty text erases it.
    virtual void ShowStatus(const char* text) = 0;
    // Writes a line that stays (Windows-1251).
    virtual void WriteLine(const char* text) = 0;
};

// The terminal of standard error, or null when standard error is not a terminal.
std::unique_ptr<ProgressDisplay> TerminalProgressDisplay();

// The status line for `done` books of `total`, the book's name last: control
// characters shown as '?', the name cut (ending with "…") so that the line keeps
// within columns - 1 characters and the terminal never wraps it.
std::string FormatProgressLine(std::int32_t done, std::int32_t total, const char* name,
                               int columns);

// The progress of a whole batch over several arguments. The total is the books listed
// so far plus one for every argument not listed yet (an argument the shell expanded
// names one book), so it is exact once the last argument is listed.
class BatchProgress : public ListRunProgress {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kQuietTime = std::chrono::seconds(1);

    // display: null shows nothing. The run is taken to start now.
    BatchProgress(ProgressDisplay* display, std::int32_t arguments,
                  std::function<Clock::time_point()> now = Clock::now);

    void ListStarted(std::int32_t books) override;
    void FileStarted(const TFILEINF& file) override;
    void FileDone(bool failed) override;
    // A name without wildcards that matched nothing.
    void NameNotFound() { ++not_found_; }

    // Erases the status line (before the report is written).
    void Finish();
    // The summary line: books processed, how many failed, names not found.
    void WriteSummary();

    std::int32_t done() const { return done_; }
    std::int32_t failed() const { return failed_; }
    std::int32_t total() const { return listed_ + pending_arguments_; }

private:
    ProgressDisplay* display_;
    std::function<Clock::time_point()> now_;
    Clock::time_point start_;
    std::int32_t pending_arguments_;
    std::int32_t listed_ = 0;
    std::int32_t done_ = 0;
    std::int32_t failed_ = 0;
    std::int32_t not_found_ = 0;
    bool shown_ = false;  // the status line is on the terminal
};

}  // namespace tomeo
