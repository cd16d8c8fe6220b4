// The file list as a Qt table model: five columns ("Файл", "Размер", "Сж. размер",
// "Изменен", "Каталог"), one row per row of ListRows, in the list's own order. The rows
// are told of every change (RowsListener) and keep the view's selection in step; while
// they do, the view's own selection signals are no user's choice (updating()).
#pragma once

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <cstdint>

#include "ui/file_icons.h"
#include "window/list_rows.h"

namespace tomeo {

class FileListModel : public QAbstractTableModel, public RowsListener {
    Q_OBJECT
public:
    FileListModel(ListRows& rows, const TFILELIST& list, QObject* parent);

    // The view's selection, set once the view exists.
    void set_selection(QItemSelectionModel* selection) { selection_ = selection; }
    bool updating() const { return updating_ > 0; }
    const FileIcons& icons() const { return icons_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // RowsListener
    void RowsReset() override;
    void RowChanged(std::int32_t row) override;
    void RowRemoved(std::int32_t row) override;
    void RowInserted(std::int32_t row) override;
    void RowSelected(std::int32_t row) override;

Q_SIGNALS:
    // The row was selected by the program: scroll it into view.
    void rowSelected(int row);

private:
    ListRows& rows_;
    const TFILELIST& list_;
    QItemSelectionModel* selection_ = nullptr;
    mutable FileIcons icons_;  // filled as rows are drawn
    int count_ = 0;            // the rows the view knows of
    int updating_ = 0;         // nesting of the changes being told to the view
};

}  // namespace tomeo
