// The report: the failures of file operations collected as Russian paragraphs,
// separated by an empty line, and shown once per user action or once per batch.
#pragma once

#include <cstdint>

#include "core/hstr.h"
#include "core/operations.h"

namespace tomeo {

// What ReportResults needs to know of the file just processed.
struct FileResults {
    std::uint32_t flags = 0;        // the RES_ bits
    const char* name = "";          // the current file's name (a zipped book's member)
    const char* target_dir = "";    // the target directory of a move
    const char* rename_error = "";  // error texts of rename.sc, move.sc and txthdr.sc
    const char* move_error = "";
    const char* convert_error = "";
    FailReason reason = FailReason::None;  // appended to every failure message
    const char* reason_detail = "";        // the name an UnknownEncoding reason gives
    const char* unknown_tag = "";          // the tag of RES_TOTEXT_TAG
};

class Report {
public:
    const char* text() const { return text_.c_str(); }
    bool is_empty() const { return text_.is_empty(); }

    void ClearReport() { text_.clear(); }
    void SetReport(const char* text) { text_.assign(text); }
    void AppendText(const char* text) { text_.append(text); }
    // Appends "\r\n\r\n" when the report is not empty.
    void AppendParagraphBreak();
    // A paragraph break, then the format expanded with its arguments (null: absent).
    void AppendMessage(const char* format, const char* first, const char* second = nullptr);
    // Replaces the report by the expanded format.
    void FormatReport(const char* format, const char* first, const char* second = nullptr);
    // Appends the messages for the result flags of one file, in their fixed order.
    void ReportResults(const FileResults& results);
    // Appends the text of a reason (nothing for None) to the last message.
    void AppendReason(FailReason reason, const char* detail = "");

private:
    void AppendExpanded(const char* format, const char* first, const char* second);

    HSTR text_;
};

// Shows the report: a message window in the window, standard error in a batch.
class ReportViewer {
public:
    virtual ~ReportViewer() = default;
    virtual void ShowReport(const Report& report) = 0;
};

}  // namespace tomeo
