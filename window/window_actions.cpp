// The main window's single-file actions and what follows them, and the batch dialog's
// run over the list.
#include <string>

#include "batch/app.h"
#include "batch/paths.h"
#include "batch/pipeline.h"
#include "batch/progress.h"
#include "core/collation.h"
#include "core/messages.h"
#include "window/main_window_logic.h"

namespace tomeo {

namespace {

// Shows the wait cursor while it lives.
class WaitCursor {
public:
    explicit WaitCursor(WindowHost& host) : host_(host) { host_.SetWaitCursor(true); }
    ~WaitCursor() { host_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    WindowHost& host_;
};

// Passes everything on to the window's progress and counts the books begun, so that a
// stopped run can tell how many it left.
class CountingProgress : public ListRunProgress {
public:
    explicit CountingProgress(ListRunProgress* inner) : inner_(inner) {}
    void ListStarted(std::int32_t books) override {
        books_ = books;
        if (inner_) inner_->ListStarted(books);
    }
    void FileStarted(const TFILEINF& file) override {
        ++started_;
        if (inner_) inner_->FileStarted(file);
    }
    void FileDone(bool failed) override {
        if (inner_) inner_->FileDone(failed);
    }
    bool StopRequested() override {
        if (inner_ && inner_->StopRequested()) stopped_ = true;
        return stopped_;
    }
    // The books the run did not come to; 0 when it ran to its end.
    std::int32_t left() const { return stopped_ ? books_ - started_ : 0; }

private:
    ListRunProgress* inner_;
    std::int32_t books_ = 0;
    std::int32_t started_ = 0;
    bool stopped_ = false;
};

}  // namespace

bool MainWindowLogic::GoesOnAfter(NextFileAction next_after) const {
    const Settings& settings = run_.settings;
    switch (pipeline_->current().kind) {
        case KIND_TXT: return settings.text_next == next_after;
        case KIND_FB2: return settings.fb2_next == next_after;
        case KIND_RTF: return settings.rtf_next == next_after;
        default: return false;
    }
}

void MainWindowLogic::AfterSuccess(NextFileAction next_after, Control disable) {
    pipeline_->StoreCurrent();
    rows_.RedrawRow(pipeline_->current().index);
    if (disable != Control::List) {
        controls_.set_enabled(disable, false);
        host_.ShowControls(controls_);
    }
    if (GoesOnAfter(next_after)) rows_.SelectNext();
}

void MainWindowLogic::Rename(const char* name_field) {
    if (!controls_.is_enabled(Control::Rename) || !SelectedIsBook() || !TakeSelected()) return;
    bool done;
    {
        WaitCursor wait(host_);
        done = pipeline_->RenameTo(name_field, run_.report);
    }
    if (!done) return host_.ShowMessage(run_.report);
    AfterSuccess(NEXT_AFTER_RENAME, Control::List);
}

void MainWindowLogic::Move(const char* dir_field) {
    if (!controls_.is_enabled(Control::Move) || !SelectedIsBook() || !TakeSelected()) return;
    WSTR target;
    if (*dir_field == '\0') {
        if (!host_.AskFolder(msg::kChooseMoveFolder, target)) return;
    } else {
        target.assign(dir_field);
    }
    bool done;
    {
        WaitCursor wait(host_);
        done = pipeline_->MoveTo(target.c_str(), run_.report);
    }
    if (!done) return host_.ShowMessage(run_.report);
    AfterMove();
}

void MainWindowLogic::AfterMove() {
    const CurrentFile& file = pipeline_->current();
    const int relation = ComparePaths(run_.current_dir.c_str(), file.dir.c_str());
    const bool stays = relation == PATHS_EQUAL ||
                       (list().mode == LIST_MODE_TREE && relation == PATHS_A_PREFIX_OF_B);
    if (stays) {
        pipeline_->StoreCurrent();
        rows_.RedrawRow(file.index);
        return;
    }
    // The book left the listed directory: the selection goes on first, then its entry
    // and row go.
    const std::int32_t gone = file.index;
    if (!rows_.SelectNext()) rows_.SelectPrevious();
    globals_.file_list.RemoveFileEntry(gone);
    rows_.RemoveRow(gone);
    if (rows_.selected_row() < 0) {
        ShowEmptyControls();
    } else {
        TakeSelected();  // its entry index moved down
    }
}

void MainWindowLogic::Pack() {
    if (!controls_.is_enabled(Control::Pack) || !SelectedIsBook() || !TakeSelected()) return;
    bool done;
    {
        WaitCursor wait(host_);
        done = pipeline_->Pack(run_.report);
    }
    if (!done) return host_.ShowMessage(run_.report);
    AfterSuccess(NEXT_AFTER_PACK, Control::Pack);
}

void MainWindowLogic::RecodeDos() {
    if (!controls_.is_enabled(Control::DosToWin) || !SelectedIsBook() || !TakeSelected()) return;
    bool done;
    {
        WaitCursor wait(host_);
        done = pipeline_->RecodeDos(run_.report);
    }
    if (!done) return host_.ShowMessage(run_.report);
    AfterSuccess(NEXT_AFTER_RECODE, Control::DosToWin);
}

void MainWindowLogic::RecodeUtf8() {
    if (!controls_.is_enabled(Control::Utf8ToWin) || !SelectedIsBook() || !TakeSelected()) return;
    bool done;
    {
        WaitCursor wait(host_);
        done = pipeline_->RecodeUtf8(run_.report);
    }
    if (!done) return host_.ShowMessage(run_.report);
    AfterSuccess(NEXT_AFTER_RECODE, Control::Utf8ToWin);
}

void MainWindowLogic::Convert() {
    if (!controls_.is_enabled(Control::Fb2ToTxt) || !SelectedIsBook() || !TakeSelected()) return;
    bool done;
    {
        WaitCursor wait(host_);
        // The pipeline lists the text file and tells the rows.
        done = pipeline_->Convert(run_.report);
    }
    if (!done) return host_.ShowMessage(run_.report);
    if (!GoesOnAfter(NEXT_AFTER_CONVERT)) return;
    // Going on means the next book: the text just made below it is passed over.
    const std::int32_t below = rows_.selected_row() + 1;
    if (IsProduced(rows_.entry_of(below)) && below + 1 < rows_.row_count()) {
        rows_.SelectRow(below + 1);
    } else {
        rows_.SelectNext();
    }
}

bool MainWindowLogic::IsProduced(std::int32_t entry) const {
    const TFILEINF& produced = pipeline_->produced();
    if (entry < 0 || produced.name.is_empty()) return false;
    const TFILEINF& e = list().at(entry);
    return e.kind == KIND_TXT && equal_ignoring_case(e.name.c_str(), produced.name.c_str()) &&
           equal_ignoring_case(e.dir.c_str(), produced.dir.c_str()) &&
           equal_ignoring_case(e.zipname.c_str(), produced.zipname.c_str());
}

void MainWindowLogic::Open() {
    if (!controls_.is_enabled(Control::Open) || !SelectedIsBook() || !TakeSelected()) return;
    viewer_.Open(*pipeline_);
}

void MainWindowLogic::RunBatch(std::uint32_t operations, ListRunProgress* progress) {
    Report report;
    {
        WaitCursor wait(host_);
        run_.report.ClearReport();
        CountingProgress counting(progress);
        pipeline_->RunOperationsOnList(operations, run_.report, &counting);
        if (counting.left() > 0) {
            run_.report.AppendMessage(msg::kBatchStopped, std::to_string(counting.left()).c_str());
        }
        // Selecting the first row reads it, which empties the report: keep the run's.
        report = run_.report;
        globals_.file_list.SortFileList();
        rows_.Redraw(list());
        if (rows_.row_count() > 0) {
            rows_.SelectRow(0);
        } else {
            ShowEmptyControls();
        }
    }
    if (!report.is_empty()) host_.ShowMessage(report);
}

}  // namespace tomeo
