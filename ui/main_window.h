// The main window: the file list, the book panel, the file-name and directory fields,
// the operation buttons and a menu bar of four commands. A view only: every event goes
// to MainWindowLogic, which tells the window what to draw (WindowHost, the rows'
// listener). The controls are placed by the layout rules on every resize.
#pragma once

#include <QMainWindow>
#include <array>

#include "window/main_window_logic.h"

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace tomeo {

class FileListModel;

class MainWindow : public QMainWindow, public WindowHost {
    Q_OBJECT
public:
    // The objects must outlive the window.
    MainWindow(Globals& globals, RunBuffers& run, BookViewer& viewer);
    ~MainWindow() override;

    // Shows the window where it was last (the settings) and lists start_dir with the
    // entry start_name selected (empty: the first row).
    void Start(const char* start_dir, const char* start_name);

    MainWindowLogic& logic() { return logic_; }
    // "Настройки" and "?", for the settings sheet and the help page to take.
    QAction* settings_action() const { return settings_action_; }
    QAction* help_action() const { return help_action_; }
    // F2, F6 and Ctrl+R act only while this is set: never while a dialog is open.
    bool hook_active() const { return hook_active_; }
    void set_hook_active(bool active) { hook_active_ = active; }

    QWidget* control(Control control) const { return controls_[static_cast<std::size_t>(control)]; }
    QTreeView* list() const { return list_; }
    FileListModel* model() const { return model_; }
    QLineEdit* name_field() const { return name_field_; }
    QLineEdit* dir_field() const { return dir_field_; }
    QPlainTextEdit* panel() const { return panel_; }
    QLabel* extension() const { return extension_; }

    // The batch dialog ("Файлы") and, when a box was ticked, the run over the list.
    void RunBatchDialog();
    // The settings sheet ("Настройки") and what follows OK: the context-menu entry,
    // the list mode, the recomputed fields.
    void RunSettingsSheet();

    // WindowHost
    void ShowMessage(const Report& report) override;
    bool AskFolder(const char* title, WSTR& folder) override;
    void SetWaitCursor(bool on) override;
    void ShowControls(const WindowControls& controls) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void MakeControls();
    void MakeList();
    void LayOut();
    void RestoreGeometry();
    // The normal rectangle, the maximized flag and the column widths into the settings.
    void StoreGeometry();
    // F2, F6, Ctrl+R on their release.
    bool HandleKeyRelease(QObject* watched, QKeyEvent* key);

    Globals& globals_;
    RunBuffers& run_;
    MainWindowLogic logic_;
    bool hook_active_ = false;
    int wait_cursors_ = 0;

    QWidget* client_ = nullptr;  // the area below the menu bar
    QTreeView* list_ = nullptr;
    FileListModel* model_ = nullptr;
    QLineEdit* name_field_ = nullptr;
    QLineEdit* dir_field_ = nullptr;
    QPlainTextEdit* panel_ = nullptr;
    QLabel* extension_ = nullptr;
    std::array<QWidget*, kControlCount> controls_{};
    QAction* settings_action_ = nullptr;
    QAction* help_action_ = nullptr;
};

}  // namespace tomeo
