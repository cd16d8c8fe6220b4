// Everything the main window decides, without Qt: the start-up listing, the refresh of
// the controls after a selection, the single-file actions and what follows them (the
// next row, a removed, redrawn or inserted row, the failure message), entering rows,
// the subdirectory mode, the batch dialog's run and the follow-up of the settings
// sheet. The window forwards its events here and draws what WindowHost and the rows'
// listener are told.
#pragma once

#include <cstdint>
#include <memory>

#include "batch/navigation.h"
#include "batch/settings.h"
#include "window/book_viewer.h"
#include "window/list_rows.h"
#include "window/window_controls.h"
#include "window/window_host.h"

namespace tomeo {

struct Globals;
struct RunBuffers;
class ListRunProgress;
class Pipeline;

// What the settings sheet changed, as the main window's follow-up needs it.
struct SettingsOutcome {
    bool accepted = false;        // OK (false: Cancel or closed; nothing changed)
    bool subdirectories = false;  // the subdirectory box as left (when accepted)
    bool rename_edited = false;   // the rename.sc / move.sc page was edited
    bool move_edited = false;
    bool viewers_changed = false;  // the viewer page was opened and accepted
};

class MainWindowLogic {
public:
    // The objects must outlive the logic.
    MainWindowLogic(Globals& globals, RunBuffers& run, WindowHost& host, BookViewer& viewer);
    ~MainWindowLogic();
    MainWindowLogic(const MainWindowLogic&) = delete;
    MainWindowLogic& operator=(const MainWindowLogic&) = delete;

    ListRows& rows() { return rows_; }
    const TFILELIST& list() const;
    const WindowControls& controls() const { return controls_; }
    Pipeline& pipeline() { return *pipeline_; }

    // Lists start_dir (a full path ending with the separator) and selects the entry
    // named start_name (any kind), or the first row.
    void Start(const char* start_dir, const char* start_name);

    // The user selected a row / entered it (double click, Enter in the list).
    void SelectRow(std::int32_t row);
    void EnterRow(std::int32_t row);

    // The single-file actions on the selected book; texts are Windows-1251.
    void Rename(const char* name_field);  // "Переименовать", F2, Enter in the name field
    void Move(const char* dir_field);     // "Переместить", F6 (empty: asks for a folder)
    void Pack();                          // "Архивировать"
    void RecodeDos();                     // "DOS->WIN"
    void RecodeUtf8();                    // "UTF8->WIN"
    void Convert();                       // "FB2->TXT"
    void Open();                          // "Открыть"

    // Ctrl+R: the books of subdirectories shown or hidden again.
    void ToggleSubdirectories();

    // The batch dialog's OK with the operations ticked: the run over the list (the
    // progress, when given, may stop it between books), then sort, redraw, select the
    // first row, and the report when not empty.
    void RunBatch(std::uint32_t operations, ListRunProgress* progress);

    // After the settings sheet closed.
    void AfterSettings(const SettingsOutcome& outcome);

private:
    // The one place the pipeline is made.
    void MakePipeline();
    // The selected row's entry made the current file again (rows may have been removed
    // or inserted since it was read); false when no row is selected.
    bool TakeSelected();
    bool SelectedIsBook() const;
    // After a selection: the current file read and the controls worked out and shown.
    void Refresh(std::int32_t entry);
    void ShowEmptyControls();
    // The proposals of rename.sc and move.sc for the current book without reading it
    // again; a script error goes to the report.
    void ComputeName(Report& report);
    void ComputeDir(Report& report);
    // What follows a successful rename, pack or recode: the record stored, its row
    // redrawn, the action's button disabled (none: Control::List), and the next row
    // selected when the kind's next-file setting names the action.
    void AfterSuccess(NextFileAction next_after, Control disable);
    void AfterMove();
    // Whether the entry is the text file the last conversion made.
    bool IsProduced(std::int32_t entry) const;
    bool GoesOnAfter(NextFileAction next_after) const;
    void OpenEntry(std::int32_t entry);

    Globals& globals_;
    RunBuffers& run_;
    WindowHost& host_;
    BookViewer& viewer_;
    ListRows rows_;
    WindowControls controls_;
    std::unique_ptr<Pipeline> pipeline_;
    Navigation nav_;
    bool description_failed_ = false;  // of the book shown
};

}  // namespace tomeo
