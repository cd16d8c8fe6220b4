// The rows of the window's list. After a full redraw row i shows entry i of the file
// list; single rows may then be removed or inserted in between, so every row carries
// the index of its entry and the program goes from a row to its entry through it, and
// from an entry to its row by searching. The Qt model draws what this says and hears of
// every change through RowsListener.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "batch/navigation.h"

namespace tomeo {

// Told of every change of the rows (the Qt model and view implement it).
class RowsListener {
public:
    virtual ~RowsListener() = default;
    virtual void RowsReset() = 0;                    // every row anew
    virtual void RowChanged(std::int32_t row) = 0;   // its texts
    virtual void RowRemoved(std::int32_t row) = 0;   // the later rows move up
    virtual void RowInserted(std::int32_t row) = 0;  // the later rows move down
    virtual void RowSelected(std::int32_t row) = 0;  // select it and scroll it into view
};

class ListRows : public FileListView {
public:
    explicit ListRows(const TFILELIST& list) : list_(list) {}

    void set_listener(RowsListener* listener) { listener_ = listener; }
    // Called with the entry index whenever a row becomes the selected one.
    void set_on_selected(std::function<void(std::int32_t)> on_selected);
    // Called with the entry index of a book to open in its viewer.
    void set_on_open(std::function<void(std::int32_t)> on_open);

    std::int32_t row_count() const;
    std::int32_t entry_of(std::int32_t row) const;  // -1 when out of range
    std::int32_t row_of(std::int32_t entry) const;  // -1 when no row shows it
    std::int32_t selected_row() const { return selected_; }
    std::int32_t selected_entry() const { return entry_of(selected_); }

    // Selects a row (the user's click, or the logic going on).
    void SelectRow(std::int32_t row);
    // The row below / above the selected one; false at the last / first row.
    bool SelectNext();
    bool SelectPrevious();

    // FileListView
    void Redraw(const TFILELIST& list) override;
    void Select(std::int32_t index) override;
    void OpenBook(std::int32_t index) override;
    void RedrawRow(std::int32_t index) override;
    void RemoveRow(std::int32_t index) override;
    void InsertRowAfterSelected(std::int32_t index) override;

private:
    const TFILELIST& list_;
    std::vector<std::int32_t> entries_;  // the entry index of every row
    std::int32_t selected_ = -1;
    bool selecting_ = false;  // the listener and on_selected are being told of a selection
    RowsListener* listener_ = nullptr;
    std::function<void(std::int32_t)> on_selected_;
    std::function<void(std::int32_t)> on_open_;
};

}  // namespace tomeo
