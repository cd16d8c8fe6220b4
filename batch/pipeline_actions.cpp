// The window's single-file actions: one operation each, with the action's message.
#include "batch/pipeline.h"

#include "batch/book_scripts.h"
#include "core/messages.h"

namespace tomeo {

// --- The window's single-file actions ---------------------------------------------------

bool Pipeline::RenameTo(const char* name, Report& report) {
    new_name_.assign(name);
    if (ProcessFile(OP_RENAME_TO) == 0) return true;
    report.FormatReport(msg::kRenameFailed, current_.name.c_str());
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::MoveTo(const char* directory, Report& report) {
    target_dir_.assign(directory);
    if (ProcessFile(OP_MOVE_TO) == 0) return true;
    report.FormatReport(msg::kMoveFailedTo, current_.name.c_str(), target_dir_.c_str());
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::Pack(Report& report) {
    if (ProcessFile(OP_ZIP) == 0) return true;
    report.FormatReport(msg::kPackFailed, current_.name.c_str());
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::RecodeDos(Report& report) {
    if (ProcessFile(OP_DOS) == 0) return true;
    report.FormatReport(msg::kRecodeFailed, current_.name.c_str());
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::RecodeUtf8(Report& report) {
    if (ProcessFile(OP_UTF8) == 0) return true;
    report.FormatReport(msg::kRecodeFailed, current_.name.c_str());
    if (result_ & RES_UTF8_BADCODE) report.AppendText(msg::kReasonBadUtf8);
    if (result_ & RES_UTF8_NOT1251) report.AppendText(msg::kReasonNot1251);
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::Convert(Report& report) {
    const std::uint32_t result = ProcessFile(OP_TOTEXT);
    if (!produced_.name.is_empty()) AddProducedFile();
    if (result == 0) return true;
    // The conversion's own messages, without those of other operations.
    report.ClearReport();
    FileResults results;
    results.flags = result & (RES_TOTEXT | RES_TOTEXT_NOT1251 | RES_TOTEXT_BADCODE |
                              RES_TOTEXT_TAG | RES_TOTEXT_STRUCTURE);
    results.name = current_.name.c_str();
    results.convert_error = convert_error_.c_str();
    results.reason = reason_;
    results.reason_detail = reason_detail_.c_str();
    results.unknown_tag = unknown_tag_.c_str();
    report.ReportResults(results);
    return false;
}

std::uint32_t Pipeline::ReadSelected(Report& report) {
    new_name_.clear();
    target_dir_.clear();
    const std::uint32_t result = ProcessFile(OP_CODEPAGE | OP_DESCRIPTION | OP_INFO);
    report.ClearReport();
    if (result & RES_DESCRIPTION) return result;
    WSTR error;
    if (!RunScript(scripts_.rename, error, [this] {
            ComputeFileName(scripts_.rename, desc_, NamesOfCurrent(), new_name_);
        })) {
        new_name_.clear();
        report.SetReport(error.c_str());
    }
    if (!RunScript(scripts_.move, error, [this] {
            ComputeDirectory(scripts_.move, desc_, NamesOfCurrent(), target_dir_);
        })) {
        target_dir_.clear();
        report.AppendParagraphBreak();
        report.AppendText(error.c_str());
    }
    return result;
}

bool Pipeline::Extract(const char* path) {
    extraction_path_.assign(path);
    return ProcessFile(OP_EXTRACT) == 0;
}

}  // namespace tomeo
