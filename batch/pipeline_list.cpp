// The list run and the produced-file record: ProcessFile over every book of the list,
// the produced text file listed after its source, the view told of every change.
#include "batch/pipeline.h"

#include "batch/navigation.h"
#include "batch/paths.h"
#include "batch/pipeline_call.h"
#include "batch/progress.h"

namespace tomeo {

// --- The list ---------------------------------------------------------------------------

void Pipeline::MakeCurrent(std::int32_t index) {
    static_cast<TFILEINF&>(current_) = list_.at(index);
    current_.index = index;
}

void Pipeline::StoreCurrent() {
    list_.SetFileEntry(current_.index, FieldsOf(current_));
}

namespace {

bool stays_listed(ListMode mode, const char* listed_dir, const char* dir) {
    const int relation = ComparePaths(listed_dir, dir);
    return relation == PATHS_EQUAL || (mode == LIST_MODE_TREE && relation == PATHS_A_PREFIX_OF_B);
}

}  // namespace

void Pipeline::RunOperationsOnList(std::uint32_t operations, Report& report,
                                   ListRunProgress* progress) {
    list_.ClearProcessedMarks();
    if (progress != nullptr) progress->ListStarted(CountBooks(list_));
    for (std::int32_t i = 0; i < list_.count(); ++i) {
        MakeCurrent(i);
        if (current_.kind == KIND_DIRECTORY || current_.kind == KIND_DRIVE ||
            current_.processed != 0) {
            continue;
        }
        if (progress != nullptr && progress->StopRequested()) break;
        if (progress != nullptr) progress->FileStarted(current_);
        ProcessFile(operations);
        if (!produced_.name.is_empty()) AddProducedFile();
        if (stays_listed(list_.mode, current_dir_.c_str(), current_.dir.c_str())) {
            StoreCurrent();
            view_.RedrawRow(i);
        } else {
            list_.RemoveFileEntry(i);
            view_.RemoveRow(i);
            --i;
        }
        if (result_ != 0) ReportCurrentResults(report);
        if (progress != nullptr) progress->FileDone(result_ != 0);
    }
}

std::int32_t Pipeline::AddProducedFile() {
    if (!stays_listed(list_.mode, current_dir_.c_str(), produced_.dir.c_str())) return -1;
    // The entry of that text file, in its own directory (in list mode 2 the list holds
    // books of several directories that may share a name).
    std::int32_t index = -1;
    for (std::int32_t i = 0; i < list_.count() && index < 0; ++i) {
        const TFILEINF& e = list_.at(i);
        if (e.kind == KIND_TXT && same_ignoring_case(e.name.c_str(), produced_.name.c_str()) &&
            same_ignoring_case(e.zipname.c_str(), produced_.zipname.c_str()) &&
            same_ignoring_case(e.dir.c_str(), produced_.dir.c_str())) {
            index = i;
        }
    }
    if (index < 0) {
        index = current_.index + 1;
        list_.InsertFileEntry(index, FieldsOf(produced_));
        view_.InsertRowAfterSelected(index);
    } else {
        list_.SetFileEntry(index, FieldsOf(produced_));
        view_.RedrawRow(index);
    }
    list_.MarkProcessed(index);
    return index;
}

void Pipeline::ReportCurrentResults(Report& report) const {
    FileResults results;
    results.flags = result_;
    results.name = current_.name.c_str();
    results.target_dir = target_dir_.c_str();
    results.rename_error = rename_error_.c_str();
    results.move_error = move_error_.c_str();
    results.convert_error = convert_error_.c_str();
    results.reason = reason_;
    results.reason_detail = reason_detail_.c_str();
    results.unknown_tag = unknown_tag_.c_str();
    report.ReportResults(results);
}

}  // namespace tomeo
