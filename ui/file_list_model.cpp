#include "ui/file_list_model.h"

#include "ui/captions.h"
#include "ui/qt_text.h"
#include "window/row_texts.h"

namespace tomeo {

namespace {

// Counts a change being told to the view.
class Updating {
public:
    explicit Updating(int& depth) : depth_(depth) { ++depth_; }
    ~Updating() { --depth_; }
    Updating(const Updating&) = delete;
    Updating& operator=(const Updating&) = delete;

private:
    int& depth_;
};

}  // namespace

FileListModel::FileListModel(ListRows& rows, const TFILELIST& list, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), list_(list) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumns;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_) return {};
    const std::int32_t entry = rows_.entry_of(index.row());
    if (entry < 0 || entry >= list_.count()) return {};
    switch (role) {
        case Qt::DisplayRole: {
            const auto texts = RowTexts(list_.at(entry));
            return ToQt(texts[static_cast<std::size_t>(index.column())]);
        }
        case Qt::DecorationRole: {
            if (index.column() != 0) return {};
            const TFILEINF& file = list_.at(entry);
            const QIcon icon = icons_.IconFor(file.kind, file.zipname.c_str());
            if (icon.isNull()) return {};
            return icon;
        }
        case Qt::TextAlignmentRole: {
            const bool size = index.column() == 1 || index.column() == 2;
            return QVariant::fromValue(Qt::AlignVCenter | (size ? Qt::AlignRight : Qt::AlignLeft));
        }
        default: return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kListColumns) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(caption::kColumns[section]);
    if (role == Qt::TextAlignmentRole) {
        const bool size = section == 1 || section == 2;
        return QVariant::fromValue(Qt::AlignVCenter | (size ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

void FileListModel::RowsReset() {
    Updating updating(updating_);
    beginResetModel();
    icons_.ForgetDrives();
    count_ = rows_.row_count();
    endResetModel();
}

void FileListModel::RowChanged(std::int32_t row) {
    Q_EMIT dataChanged(index(row, 0), index(row, kListColumns - 1));
}

void FileListModel::RowRemoved(std::int32_t row) {
    Updating updating(updating_);
    beginRemoveRows({}, row, row);
    count_ = rows_.row_count();
    endRemoveRows();
}

void FileListModel::RowInserted(std::int32_t row) {
    Updating updating(updating_);
    beginInsertRows({}, row, row);
    count_ = rows_.row_count();
    endInsertRows();
}

void FileListModel::RowSelected(std::int32_t row) {
    if (selection_ != nullptr && row >= 0 && row < count_) {
        Updating updating(updating_);
        selection_->setCurrentIndex(
            index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    Q_EMIT rowSelected(row);
}

}  // namespace tomeo
