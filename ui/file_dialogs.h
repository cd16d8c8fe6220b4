// Qt's own file dialogs for choosing a program and a folder. Their size, type and date
// columns are written the way the window's file list writes them, in Russian, whatever
// the session's locale: Qt's file model would follow the session (and names a folder's
// type "Folder" even in a Russian one).
#pragma once

#include <QSortFilterProxyModel>
#include <QString>

class QWidget;

namespace tomeo {

// The columns of Qt's file model shown in Russian: a file's size in bytes with the
// locale's digit groups, "Папка" as a folder's type, the date in the short format.
class RussianFileColumns : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

// The viewer's "=": a file dialog listing the folders and the executable files, starting
// in /usr/bin. Gives the chosen program's full path, or an empty text when none was chosen.
QString ChooseProgram(QWidget* parent, const QString& start = QStringLiteral("/usr/bin"));

// A folder, starting in `start`. Empty when cancelled.
QString ChooseFolder(QWidget* parent, const QString& title, const QString& start);

}  // namespace tomeo
