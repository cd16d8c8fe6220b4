// Everything the main window decides, without Qt: the start-up listing, the refresh of
// the controls after a selection, the single-file actions and what follows them (the
// next row, a removed, redrawn or inserted row, the failure message), entering rows,
// the subdirectory mode, the batch dialog's run and the follow-up of the settings
// sheet. The window forwards its events here and draws what WindowHost and the rows'
// listener are told.
#pragma once

#include <cstdint>
#include <memory>

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
    // Members are the implementer's (w-winlogic) to add.
    Globals& globals_;
    RunBuffers& run_;
    WindowHost& host_;
    BookViewer& viewer_;
    ListRows rows_;
    WindowControls controls_;
    std::unique_ptr<Pipeline> pipeline_;
};

}  // namespace tomeo
