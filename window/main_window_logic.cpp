// The main window's logic: start-up, the refresh after a selection, entering rows, the
// subdirectory mode and the follow-up of the settings sheet. The single-file actions
// and the batch dialog's run are in window_actions.cpp.
#include "window/main_window_logic.h"

#include "batch/app.h"
#include "batch/book_scripts.h"
#include "batch/pipeline.h"
#include "core/codepage.h"
#include "core/operations.h"

namespace tomeo {

namespace {

bool IsBook(std::uint8_t kind) {
    return kind == KIND_TXT || kind == KIND_FB2 || kind == KIND_RTF;
}

BookFileNames NamesOf(const CurrentFile& file) {
    const WSTR& source = file.container == CONTAINER_ZIP ? file.zipname : file.name;
    return {file.dir.c_str(), file.name.c_str(), source.c_str()};
}

}  // namespace

MainWindowLogic::MainWindowLogic(Globals& globals, RunBuffers& run, WindowHost& host,
                                 BookViewer& viewer)
    : globals_(globals),
      run_(run),
      host_(host),
      viewer_(viewer),
      rows_(globals.file_list),
      nav_{globals.file_list, run.current_dir, rows_} {
    MakePipeline();
    rows_.set_on_selected([this](std::int32_t entry) { Refresh(entry); });
    rows_.set_on_open([this](std::int32_t entry) { OpenEntry(entry); });
}

MainWindowLogic::~MainWindowLogic() = default;

void MainWindowLogic::MakePipeline() {
    pipeline_ = std::make_unique<Pipeline>(MakePipelineContext(globals_, run_, rows_));
}

const TFILELIST& MainWindowLogic::list() const {
    return globals_.file_list;
}

void MainWindowLogic::Start(const char* start_dir, const char* start_name) {
    run_.current_dir.assign(start_dir);
    run_.start_name.assign(start_name);
    const bool named = *start_name != '\0';
    OpenDirectory(nav_, named ? start_name : nullptr);
    // A book started on through its archive ("tomeo x.zip") is listed by its member.
    if (named && list().FindFileEntry(start_name, KIND_NONE, nullptr) < 0) {
        const std::int32_t archived = list().FindFileEntry(nullptr, KIND_NONE, start_name);
        if (archived >= 0) rows_.Select(archived);
    }
    if (rows_.selected_row() < 0) ShowEmptyControls();
}

void MainWindowLogic::SelectRow(std::int32_t row) {
    rows_.SelectRow(row);
}

void MainWindowLogic::EnterRow(std::int32_t row) {
    const std::int32_t entry = rows_.entry_of(row);
    if (entry < 0) return;
    EnterEntry(nav_, entry);
    if (rows_.selected_row() < 0) ShowEmptyControls();
}

void MainWindowLogic::ToggleSubdirectories() {
    // The drive list has no subdirectories of its own.
    if (run_.current_dir.is_empty()) return;
    host_.SetWaitCursor(true);
    if (list().mode == LIST_MODE_DIRECTORY) {
        ShowSubdirectoryFiles(nav_);
    } else {
        HideSubdirectoryFiles(nav_);
    }
    host_.SetWaitCursor(false);
}

bool MainWindowLogic::TakeSelected() {
    const std::int32_t entry = rows_.selected_entry();
    if (entry < 0) return false;
    pipeline_->MakeCurrent(entry);
    return true;
}

bool MainWindowLogic::SelectedIsBook() const {
    const std::int32_t entry = rows_.selected_entry();
    return entry >= 0 && IsBook(list().at(entry).kind);
}

void MainWindowLogic::ShowEmptyControls() {
    controls_ = WindowControls{};
    controls_.set_enabled(Control::List, true);
    host_.ShowControls(controls_);
}

void MainWindowLogic::Refresh(std::int32_t entry) {
    pipeline_->MakeCurrent(entry);
    const CurrentFile& file = pipeline_->current();
    if (!IsBook(file.kind)) {
        description_failed_ = true;
        ShowEmptyControls();
        return;
    }
    controls_ = WindowControls{};
    const std::uint32_t result = pipeline_->ReadSelected(run_.report);
    description_failed_ = (result & RES_DESCRIPTION) != 0;
    for (Control c :
         {Control::List, Control::NameLabel, Control::NameField, Control::Extension,
          Control::Rename, Control::DirLabel, Control::DirField, Control::Move, Control::Panel}) {
        controls_.set_enabled(c, true);
    }
    controls_.panel = pipeline_->info_text();
    controls_.extension = file.extension();
    const std::uint8_t codepage = pipeline_->codepage_state();
    // A UTF-8 text is recoded like a UTF-8 FB2 book.
    controls_.set_enabled(Control::DosToWin, file.kind == KIND_TXT && codepage == CP_866);
    controls_.set_enabled(Control::Utf8ToWin,
                          (file.kind == KIND_TXT || file.kind == KIND_FB2) && codepage == CP_UTF8);
    controls_.set_enabled(Control::Fb2ToTxt, file.kind == KIND_FB2);
    controls_.set_enabled(Control::Pack, file.container == CONTAINER_FILE);
    controls_.set_enabled(Control::Open, viewer_.Known(file.kind));
    if (!description_failed_) {
        controls_.name_field = pipeline_->new_name();
        controls_.dir_field = pipeline_->target_dir().c_str();
    }
    host_.ShowControls(controls_);
    if (!run_.report.is_empty()) host_.ShowMessage(run_.report);
}

void MainWindowLogic::ComputeName(Report& report) {
    SCRIPT& rename = globals_.scripts.rename;
    HSTR name;
    WSTR error;
    if (!RunScript(rename, error, [&] {
            ComputeFileName(rename, pipeline_->description(), NamesOf(pipeline_->current()), name);
        })) {
        name.clear();
        report.SetReport(error.c_str());
    }
    controls_.name_field = name.c_str();
}

void MainWindowLogic::ComputeDir(Report& report) {
    SCRIPT& move = globals_.scripts.move;
    WSTR dir;
    WSTR error;
    if (!RunScript(move, error, [&] {
            ComputeDirectory(move, pipeline_->description(), NamesOf(pipeline_->current()), dir);
        })) {
        dir.clear();
        report.AppendParagraphBreak();
        report.AppendText(error.c_str());
    }
    controls_.dir_field = dir.c_str();
}

void MainWindowLogic::AfterSettings(const SettingsOutcome& outcome) {
    if (!outcome.accepted) return;
    if (outcome.viewers_changed) viewer_.Reset();
    const bool directory_mode = list().mode == LIST_MODE_DIRECTORY;
    if (outcome.subdirectories == directory_mode && !run_.current_dir.is_empty()) {
        ToggleSubdirectories();
        return;
    }
    if (!SelectedIsBook() || !TakeSelected()) return;
    Report report;
    if (!description_failed_) {
        if (outcome.rename_edited) ComputeName(report);
        if (outcome.move_edited) ComputeDir(report);
    }
    controls_.set_enabled(Control::Open, viewer_.Known(pipeline_->current().kind));
    host_.ShowControls(controls_);
    if (!report.is_empty()) host_.ShowMessage(report);
}

void MainWindowLogic::OpenEntry(std::int32_t entry) {
    pipeline_->MakeCurrent(entry);
    if (IsBook(pipeline_->current().kind) && viewer_.Known(pipeline_->current().kind)) {
        viewer_.Open(*pipeline_);
    }
}

}  // namespace tomeo
