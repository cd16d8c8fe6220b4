#include "batch/progress.h"

#include <algorithm>
#include <utility>

#include "batch/report.h"
#include "core/messages.h"
#include "platform/env.h"

namespace tomeo {
namespace {

class TerminalDisplay : public ProgressDisplay {
public:
    int columns() const override { return platform::TerminalColumns(); }
    void ShowStatus(const char* text) override { platform::ShowStatusLine(text); }
    void WriteLine(const char* text) override { platform::WriteStandardError(text); }
};

constexpr char kEllipsis = '\x85';  // "…" in Windows-1251

std::string Expand(const char* format, std::int32_t first, std::int32_t second) {
    Report text;
    text.FormatReport(format, std::to_string(first).c_str(), std::to_string(second).c_str());
    return text.text();
}

}  // namespace

std::int32_t CountBooks(const TFILELIST& list) {
    std::int32_t books = 0;
    for (std::int32_t i = 0; i < list.count(); ++i) {
        const EntryKind kind = list.at(i).kind;
        if (kind != KIND_DIRECTORY && kind != KIND_DRIVE) ++books;
    }
    return books;
}

std::unique_ptr<ProgressDisplay> TerminalProgressDisplay() {
    if (!platform::StandardErrorIsTerminal()) return nullptr;
    return std::make_unique<TerminalDisplay>();
}

std::string FormatProgressLine(std::int32_t done, std::int32_t total, const char* name,
                               int columns) {
    std::string line = Expand(msg::kProgress, done, total);
    // A name may hold any byte but the separator; a control character reaching the
    // terminal could move the cursor or worse.
    for (const char* p = name; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        line += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    // Every Windows-1251 character takes one column.
    const std::size_t width = columns > 1 ? static_cast<std::size_t>(columns - 1) : 0;
    if (line.size() > width) {
        line.resize(width);
        if (width > 0) line.back() = kEllipsis;
    }
    return line;
}

BatchProgress::BatchProgress(ProgressDisplay* display, std::int32_t arguments,
                             std::function<Clock::time_point()> now)
    : display_(display), now_(std::move(now)), start_(now_()), pending_arguments_(arguments) {}

void BatchProgress::ListStarted(std::int32_t books) {
    listed_ += books;
    if (pending_arguments_ > 0) --pending_arguments_;
}

void BatchProgress::FileStarted(const TFILEINF& file) {
    if (display_ == nullptr) return;
    // A short run stays quiet: the line would only flicker.
    if (!shown_ && now_() - start_ < kQuietTime) return;
    // A zipped book is shown by its archive, the file the user sees.
    const char* name = file.container == CONTAINER_ZIP ? file.zipname.c_str() : file.name.c_str();
    display_->ShowStatus(
        FormatProgressLine(done_, std::max(total(), done_ + 1), name, display_->columns()).c_str());
    shown_ = true;
}

void BatchProgress::FileDone(bool failed) {
    ++done_;
    if (failed) ++failed_;
}

void BatchProgress::Finish() {
    if (display_ == nullptr || !shown_) return;
    display_->ShowStatus("");
    shown_ = false;
}

void BatchProgress::WriteSummary() {
    if (display_ == nullptr) return;
    std::string line = Expand(msg::kSummary, done_, failed_);
    if (not_found_ > 0) line += Expand(msg::kSummaryNotFound, not_found_, 0);
    display_->WriteLine(line.c_str());
}

}  // namespace tomeo
