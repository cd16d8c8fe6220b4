#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeView>

#include "batch/app.h"
#include "ui/batch_dialog.h"
#include "ui/captions.h"
#include "ui/file_dialogs.h"
#include "ui/file_list_model.h"
#include "ui/message_window.h"
#include "ui/progress_dialog.h"
#include "ui/qt_text.h"
#include "ui/settings_sheet.h"
#include "window/desktop_entry.h"
#include "window/help_page.h"
#include "window/layout.h"

namespace tomeo {

namespace {

// The font's base units as Windows measures them: the average width of the Latin
// letters, rounded, and the character height.
DialogUnits UnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

constexpr int kTimeColumn = 3;  // "Изменен"

QRect ToQRect(const Rect& r) {
    return {r.x, r.y, r.width, r.height};
}
Rect FromQRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// The program's texts put "\r\n" between lines; Qt's fields take "\n".
QString Lines(const std::string& cp1251) {
    QString text = ToQt(cp1251);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

// Keys inactive while a dialog of ours is open.
class KeysOff {
public:
    explicit KeysOff(MainWindow& window) : window_(window), was_(window.hook_active()) {
        window_.set_hook_active(false);
    }
    ~KeysOff() { window_.set_hook_active(was_); }
    KeysOff(const KeysOff&) = delete;
    KeysOff& operator=(const KeysOff&) = delete;

private:
    MainWindow& window_;
    bool was_;
};

}  // namespace

MainWindow::MainWindow(Globals& globals, RunBuffers& run, BookViewer& viewer)
    : globals_(globals), run_(run), logic_(globals, run, *this, viewer) {
    setWindowTitle(QString::fromUtf8(caption::kTitle));
    client_ = new QWidget(this);
    setCentralWidget(client_);

    QMenuBar* menu = menuBar();
    QAction* files = menu->addAction(QString::fromUtf8(caption::kMenuFiles));
    settings_action_ = menu->addAction(QString::fromUtf8(caption::kMenuSettings));
    help_action_ = menu->addAction(QString::fromUtf8(caption::kMenuHelp));
    QAction* exit = menu->addAction(QString::fromUtf8(caption::kMenuExit));
    connect(files, &QAction::triggered, this, &MainWindow::RunBatchDialog);
    connect(settings_action_, &QAction::triggered, this, &MainWindow::RunSettingsSheet);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(help_action_, &QAction::triggered, this, [] { ShowHelpPage(); });

    MakeList();
    MakeControls();

    const Size least = MinimumClientSize(UnitsOf(font()));
    setMinimumSize(least.width, least.height + menu->sizeHint().height());
    // F2, F6 and Ctrl+R wherever the focus is (the key still reaches the focused
    // control), Enter in the list, and the client area's resizing: one filter sees
    // every event of the application once.
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
}

void MainWindow::MakeList() {
    list_ = new QTreeView(client_);
    model_ = new FileListModel(logic_.rows(), logic_.list(), list_);
    logic_.rows().set_listener(model_);
    list_->setModel(model_);
    model_->set_selection(list_->selectionModel());
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSortingEnabled(false);
    list_->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* header = list_->header();
    header->setSectionsClickable(false);  // the rows keep the list's own order
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);

    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                // The model selecting a row for the logic is no choice of the user's.
                if (!model_->updating() && current.isValid()) logic_.SelectRow(current.row());
            });
    connect(list_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { logic_.EnterRow(index.row()); });
    connect(model_, &FileListModel::rowSelected, this,
            [this](int row) { list_->scrollTo(model_->index(row, 0)); });
}

void MainWindow::MakeControls() {
    auto button = [this](Control control, const char* caption, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(caption), client_);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        controls_[static_cast<std::size_t>(control)] = b;
    };
    auto label = [this](Control control, const char* caption) {
        auto* l = new QLabel(QString::fromUtf8(caption), client_);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        controls_[static_cast<std::size_t>(control)] = l;
        return l;
    };
    controls_[static_cast<std::size_t>(Control::List)] = list_;
    button(Control::Open, caption::kOpen, [this] { logic_.Open(); });
    button(Control::Pack, caption::kPack, [this] { logic_.Pack(); });
    button(Control::DosToWin, caption::kDosToWin, [this] { logic_.RecodeDos(); });
    button(Control::Utf8ToWin, caption::kUtf8ToWin, [this] { logic_.RecodeUtf8(); });
    button(Control::Fb2ToTxt, caption::kFb2ToTxt, [this] { logic_.Convert(); });
    button(Control::Rename, caption::kRename,
           [this] { logic_.Rename(FromQt(name_field_->text()).c_str()); });
    button(Control::Move, caption::kMove,
           [this] { logic_.Move(FromQt(dir_field_->text()).c_str()); });
    extension_ = label(Control::Extension, caption::kExtension);
    label(Control::NameLabel, caption::kNameLabel);
    label(Control::DirLabel, caption::kDirLabel);

    name_field_ = new QLineEdit(client_);
    dir_field_ = new QLineEdit(client_);
    controls_[static_cast<std::size_t>(Control::NameField)] = name_field_;
    controls_[static_cast<std::size_t>(Control::DirField)] = dir_field_;
    // Enter in the name field renames; Enter in the directory field does nothing.
    connect(name_field_, &QLineEdit::returnPressed, this,
            [this] { logic_.Rename(FromQt(name_field_->text()).c_str()); });

    panel_ = new QPlainTextEdit(client_);
    panel_->setReadOnly(true);
    panel_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    controls_[static_cast<std::size_t>(Control::Panel)] = panel_;

    // The tab order follows the window: list, buttons, fields, panel.
    setTabOrder(list_, control(Control::Open));
    setTabOrder(control(Control::Open), control(Control::Pack));
    setTabOrder(control(Control::Pack), control(Control::DosToWin));
    setTabOrder(control(Control::DosToWin), control(Control::Utf8ToWin));
    setTabOrder(control(Control::Utf8ToWin), control(Control::Fb2ToTxt));
    setTabOrder(control(Control::Fb2ToTxt), name_field_);
    setTabOrder(name_field_, control(Control::Rename));
    setTabOrder(control(Control::Rename), dir_field_);
    setTabOrder(dir_field_, control(Control::Move));
    setTabOrder(control(Control::Move), panel_);
}

void MainWindow::LayOut() {
    if (isMinimized()) return;
    const MainLayout layout =
        LayOutMainWindow(UnitsOf(font()), client_->width(), client_->height());
    for (std::size_t i = 0; i < kControlCount; ++i) {
        if (controls_[i] != nullptr) controls_[i]->setGeometry(ToQRect(layout[i]));
    }
}

void MainWindow::Start(const char* start_dir, const char* start_name) {
    RestoreGeometry();
    hook_active_ = true;
    list_->setFocus();
    logic_.Start(start_dir, start_name);
}

void MainWindow::RestoreGeometry() {
    const Settings& s = run_.settings;
    const Rect stored{s.window_left, s.window_top, s.window_right - s.window_left,
                      s.window_bottom - s.window_top};
    std::vector<Rect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back(FromQRect(screen->geometry()));
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    const Rect placed =
        primary ? PlaceOnScreens(stored, screens, FromQRect(primary->availableGeometry())) : stored;
    setGeometry(ToQRect(placed));
    QHeaderView* header = list_->header();
    for (int i = 0; i < kColumnCount; ++i) header->resizeSection(i, s.column_widths[i]);
    // The stored widths are pixels of whatever font wrote them: the time, always of one
    // length, is never cut.
    const int time_width =
        list_->fontMetrics().horizontalAdvance(QStringLiteral("00:00:0000 00:00")) +
        2 * list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 12;
    if (header->sectionSize(kTimeColumn) < time_width) {
        header->resizeSection(kTimeColumn, time_width);
    }
    // Maximized on top of that rectangle, so that restoring returns to it.
    if (s.window_maximized) {
        showMaximized();
    } else {
        show();
    }
}

void MainWindow::StoreGeometry() {
    Settings& s = run_.settings;
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (normal.isValid()) {
        s.window_left = normal.x();
        s.window_top = normal.y();
        s.window_right = normal.x() + normal.width();
        s.window_bottom = normal.y() + normal.height();
    }
    s.window_maximized = isMaximized();
    for (int i = 0; i < kColumnCount; ++i) {
        s.column_widths[i] = list_->header()->sectionSize(i);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    StoreGeometry();
    event->accept();
}

bool MainWindow::HandleKeyRelease(QObject* watched, QKeyEvent* key) {
    if (!hook_active_ || key->isAutoRepeat() || QApplication::activeModalWidget() != nullptr) {
        return false;
    }
    // A key release travels from the focused control up through its parents: it is
    // taken once, where it starts.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) return false;
    QWidget* focused = focusWidget();
    if (widget != (focused != nullptr ? focused : this)) return false;
    if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
        logic_.Rename(FromQt(name_field_->text()).c_str());
        return true;
    }
    if (key->key() == Qt::Key_F6 && key->modifiers() == Qt::NoModifier) {
        logic_.Move(FromQt(dir_field_->text()).c_str());
        return true;
    }
    if (key->key() == Qt::Key_R && key->modifiers() == Qt::ControlModifier) {
        logic_.ToggleSubdirectories();
        return true;
    }
    return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyRelease:
            // The event goes on to the focused control whatever was done here.
            HandleKeyRelease(watched, static_cast<QKeyEvent*>(event));
            return false;
        case QEvent::KeyPress:
            if (watched == list_) {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                    const QModelIndex current = list_->currentIndex();
                    if (current.isValid()) logic_.EnterRow(current.row());
                    return true;
                }
            }
            return false;
        case QEvent::Resize:
            if (watched == client_) LayOut();
            return false;
        default: return false;
    }
}

void MainWindow::RunSettingsSheet() {
    const ContextMenuFlags menus_before = ContextMenuFlagsOf(run_.settings);
    SettingsOutcome outcome;
    {
        KeysOff off(*this);
        SettingsSheet sheet(this, run_.settings, globals_.scripts,
                            logic_.list().mode == LIST_MODE_TREE);
        outcome = sheet.Run();
    }
    if (!outcome.accepted) return;
    ApplyContextMenuFlags(menus_before, ContextMenuFlagsOf(run_.settings));
    logic_.AfterSettings(outcome);
}

void MainWindow::RunBatchDialog() {
    std::uint32_t operations = 0;
    {
        KeysOff off(*this);
        BatchDialog dialog(this);
        if (dialog.exec() != QDialog::Accepted) return;
        operations = dialog.operations();
    }
    KeysOff off(*this);
    ProgressDialog progress(this);
    logic_.RunBatch(operations, &progress);
}

void MainWindow::ShowMessage(const Report& report) {
    KeysOff off(*this);
    // The message needs the arrow, even in the middle of a long action.
    const int waits = wait_cursors_;
    for (int i = 0; i < waits; ++i) SetWaitCursor(false);
    MessageWindow window(report.text(), this);
    window.exec();
    for (int i = 0; i < waits; ++i) SetWaitCursor(true);
}

bool MainWindow::AskFolder(const char* title, WSTR& folder) {
    KeysOff off(*this);
    const QString chosen = ChooseFolder(this, ToQt(title), ToQt(run_.current_dir.c_str()));
    if (chosen.isEmpty()) return false;
    folder.assign(FromQt(chosen).c_str());
    return true;
}

void MainWindow::SetWaitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++wait_cursors_;
    } else if (wait_cursors_ > 0) {
        QApplication::restoreOverrideCursor();
        --wait_cursors_;
    }
}

void MainWindow::ShowControls(const WindowControls& controls) {
    for (std::size_t i = 0; i < kControlCount; ++i) {
        if (controls_[i] != nullptr) controls_[i]->setEnabled(controls.enabled[i]);
    }
    // The list always takes the keys.
    list_->setEnabled(true);
    extension_->setText(controls.extension.empty() ? QString::fromUtf8(caption::kExtension)
                                                   : ToQt(controls.extension));
    name_field_->setText(ToQt(controls.name_field));
    name_field_->setCursorPosition(0);
    dir_field_->setText(ToQt(controls.dir_field));
    dir_field_->setCursorPosition(0);
    panel_->setPlainText(Lines(controls.panel));
}

}  // namespace tomeo
