#include "ui/file_dialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>

#include "ui/captions.h"
#include "ui/settings_captions.h"

namespace tomeo {

namespace {

// The columns of QFileSystemModel.
constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

// Lists directories and the files the user may run.
class ProgramFilter : public RussianFileColumns {
public:
    using RussianFileColumns::RussianFileColumns;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }
};

// Qt's own dialog (the proxy works on it only) of a useful size, with its columns wide
// enough for what they hold.
void Prepare(QFileDialog& dialog, QSortFilterProxyModel* proxy, QSize size) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(proxy);
    dialog.resize(size);
    if (auto* view = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column) {
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        }
    }
}

QString Chosen(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace

QVariant RussianFileColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    const int column = index.column();
    if (role != Qt::DisplayRole || files == nullptr ||
        (column != kSizeColumn && column != kTypeColumn && column != kDateColumn)) {
        return QSortFilterProxyModel::data(index, role);
    }
    const QModelIndex source = mapToSource(index);
    const bool folder = files->isDir(source);
    const QLocale locale(QLocale::Russian, QLocale::Russia);
    if (column == kSizeColumn) return folder ? QString() : locale.toString(files->size(source));
    if (column == kTypeColumn) {
        return folder ? QString::fromUtf8(caption::kFolderType)
                      : QSortFilterProxyModel::data(index, role);
    }
    return locale.toString(files->lastModified(source), QLocale::ShortFormat);
}

QString ChooseProgram(QWidget* parent, const QString& start) {
    QFileDialog dialog(parent, QString::fromUtf8(caption::kProgramDialogTitle), start,
                       QString::fromUtf8(caption::kProgramFilter));
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    Prepare(dialog, new ProgramFilter(&dialog), QSize(860, 520));
    return Chosen(dialog);
}

QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) {
    QFileDialog dialog(parent, title, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    Prepare(dialog, new RussianFileColumns(&dialog), QSize(760, 480));
    return Chosen(dialog);
}

}  // namespace tomeo
