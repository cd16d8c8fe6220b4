#include "window/list_rows.h"

#include <algorithm>

namespace tomeo {

void ListRows::set_on_selected(std::function<void(std::int32_t)> on_selected) {
    on_selected_ = std::move(on_selected);
}

void ListRows::set_on_open(std::function<void(std::int32_t)> on_open) {
    on_open_ = std::move(on_open);
}

std::int32_t ListRows::row_count() const {
    return static_cast<std::int32_t>(entries_.size());
}

std::int32_t ListRows::entry_of(std::int32_t row) const {
    if (row < 0 || row >= row_count()) return -1;
    return entries_[static_cast<std::size_t>(row)];
}

std::int32_t ListRows::row_of(std::int32_t entry) const {
    const auto found = std::find(entries_.begin(), entries_.end(), entry);
    if (found == entries_.end()) return -1;
    return static_cast<std::int32_t>(found - entries_.begin());
}

void ListRows::SelectRow(std::int32_t row) {
    if (row < 0 || row >= row_count()) return;
    // The view echoes the selection it is told of back as a user's selection: the row
    // is being selected already.
    if (selecting_ && row == selected_) return;
    selected_ = row;
    selecting_ = true;
    if (listener_) listener_->RowSelected(row);
    if (on_selected_) on_selected_(entry_of(row));
    selecting_ = false;
}

bool ListRows::SelectNext() {
    if (selected_ < 0 || selected_ + 1 >= row_count()) return false;
    SelectRow(selected_ + 1);
    return true;
}

bool ListRows::SelectPrevious() {
    if (selected_ <= 0) return false;
    SelectRow(selected_ - 1);
    return true;
}

void ListRows::Redraw(const TFILELIST& list) {
    entries_.resize(static_cast<std::size_t>(list.count()));
    for (std::size_t i = 0; i < entries_.size(); ++i) entries_[i] = static_cast<std::int32_t>(i);
    selected_ = -1;
    if (listener_) listener_->RowsReset();
}

void ListRows::Select(std::int32_t index) {
    SelectRow(row_of(index));
}

void ListRows::OpenBook(std::int32_t index) {
    if (on_open_) on_open_(index);
}

void ListRows::RedrawRow(std::int32_t index) {
    const std::int32_t row = row_of(index);
    if (row >= 0 && listener_) listener_->RowChanged(row);
}

void ListRows::RemoveRow(std::int32_t index) {
    const std::int32_t row = row_of(index);
    if (row < 0) return;
    entries_.erase(entries_.begin() + row);
    for (std::int32_t& entry : entries_) {
        if (entry > index) --entry;
    }
    if (selected_ == row) {
        selected_ = -1;
    } else if (selected_ > row) {
        --selected_;
    }
    if (listener_) listener_->RowRemoved(row);
}

void ListRows::InsertRowAfterSelected(std::int32_t index) {
    for (std::int32_t& entry : entries_) {
        if (entry >= index) ++entry;
    }
    // Below the selected row; without one, below the row of the entry before it (the
    // source of a produced file), or last.
    std::int32_t row = selected_ >= 0 ? selected_ + 1 : row_of(index - 1) + 1;
    if (row <= 0) row = row_count();
    entries_.insert(entries_.begin() + row, index);
    if (listener_) listener_->RowInserted(row);
}

}  // namespace tomeo
