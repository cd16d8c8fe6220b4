// Moving through directories and drives in the file list: opening a directory,
// entering the selected entry, and showing or hiding the books of subdirectories.
// The window draws the list; the batch has no window and passes a view that does
// nothing.
#pragma once

#include <cstdint>

#include "batch/file_list.h"
#include "core/hstr.h"

namespace tomeo {

// What the window does for the list. Rows show entries; after a full redraw row i shows
// entry i, and single rows may then be removed or inserted in between, so the view goes
// from a row to its entry by the entry index the row carries.
class FileListView {
public:
    virtual ~FileListView() = default;
    // Draws every row anew from the list.
    virtual void Redraw(const TFILELIST& list) = 0;
    // Selects the row of the entry at index (and makes it the current file).
    virtual void Select(std::int32_t index) = 0;
    // Opens the book at index in its viewer.
    virtual void OpenBook(std::int32_t index) = 0;

    // Draws the row of the entry at index again from the entry (its texts only).
    virtual void RedrawRow(std::int32_t index) = 0;
    // The entry at index has been removed from the list: its row goes, and the rows of
    // the later entries are renumbered down by one.
    virtual void RemoveRow(std::int32_t index) = 0;
    // An entry has been inserted into the list at index: the rows of the entries from
    // index on are renumbered up by one, and its row goes right below the selected row.
    virtual void InsertRowAfterSelected(std::int32_t index) = 0;
};

// The view of a run without a window.
class NoFileListView : public FileListView {
public:
    void Redraw(const TFILELIST&) override {}
    void Select(std::int32_t) override {}
    void OpenBook(std::int32_t) override {}
    void RedrawRow(std::int32_t) override {}
    void RemoveRow(std::int32_t) override {}
    void InsertRowAfterSelected(std::int32_t) override {}
};

// What navigation works on: the list, the directory it shows (a full path ending with
// the separator, empty for the drive list), and the window's view of it.
struct Navigation {
    TFILELIST& list;
    HSTR& current_dir;
    FileListView& view;
};

// Lists the current directory (its books, subdirectories and "..") in
// LIST_MODE_DIRECTORY, sorted, redraws and selects the first entry matching the
// criteria (as FindFileEntry takes them), or the first entry.
void OpenDirectory(Navigation& nav, const char* select_name = nullptr,
                   EntryKind select_kind = KIND_NONE, const char* select_zipname = nullptr);

// Acts on the entry at index: enters a directory or a drive, goes up with ".." (from
// "/" to the drive list, selecting the directory or drive just left), or opens a book.
void EnterEntry(Navigation& nav, std::int32_t index);

// Replaces every subdirectory entry by the books of the whole tree below it
// (LIST_MODE_TREE), sorted, redrawn, the first entry selected.
void ShowSubdirectoryFiles(Navigation& nav);

// Back to LIST_MODE_DIRECTORY: drops the books of subdirectories and lists the
// subdirectories again, sorted, redrawn, the first entry selected.
void HideSubdirectoryFiles(Navigation& nav);

}  // namespace tomeo
