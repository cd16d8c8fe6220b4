// The real main window, offscreen, over a temporary folder of sample books.
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <filesystem>

#include "core/operations.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_fixture.h"
#include "ui/batch_dialog.h"
#include "ui/file_list_model.h"
#include "ui/message_window.h"
#include "ui/progress_dialog.h"

using namespace tomeo;
using namespace tomeo::test;

namespace {

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

bool Enabled(const WindowUnderTest& w, Control control) {
    return w.window->control(control)->isEnabled();
}

// Runs check on the modal dialog once it is open, then closes it.
void WhenModalOpens(std::function<void(QWidget*)> check) {
    QTimer::singleShot(0, [check] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        check(modal);
        modal->close();
    });
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<WindowUnderTest> w_;

    WindowUnderTest& Open(const std::string& name = "") {
        w_ = std::make_unique<WindowUnderTest>();
        w_->Start(dir_->path(), name);
        return *w_;
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<TempDir>();
        MakeSampleLibrary(dir_->path());
    }
    void cleanup() {
        if (w_) w_->window->close();
        w_.reset();
        dir_.reset();
    }

    void ButtonsFollowKindCodePageAndContainer() {
        WindowUnderTest& w = Open();
        struct Row {
            const char* name;
            const char* extension;
            bool dos, utf8, totext, pack;
        };
        const Row rows[] = {
            {kDosText, ".txt", true, false, false, true},
            {kWinText, ".txt", false, false, false, true},
            {kUtf8Fb2, ".fb2", false, true, true, true},
            {kCp1251Fb2, ".fb2", false, false, true, true},
            {kRtf, ".rtf", false, false, false, true},
            {kZipMember, ".fb2", false, false, true, false},  // already in an archive
        };
        for (const Row& row : rows) {
            QVERIFY2(w.Choose(row.name), row.name);
            QCOMPARE(w.window->extension()->text(), QString::fromUtf8(row.extension));
            QCOMPARE(Enabled(w, Control::DosToWin), row.dos);
            QCOMPARE(Enabled(w, Control::Utf8ToWin), row.utf8);
            QCOMPARE(Enabled(w, Control::Fb2ToTxt), row.totext);
            QCOMPARE(Enabled(w, Control::Pack), row.pack);
            QVERIFY(Enabled(w, Control::Rename) && Enabled(w, Control::NameField));
            QVERIFY(!w.window->name_field()->text().isEmpty());
            QVERIFY(!w.window->panel()->toPlainText().isEmpty());
        }
        // ".." and folders: both fields and the panel empty, every operation off.
        for (const char* name : {"..", "Классика"}) {
            QVERIFY(w.Choose(name));
            QVERIFY(w.window->name_field()->text().isEmpty());
            QVERIFY(w.window->dir_field()->text().isEmpty());
            QVERIFY(w.window->panel()->toPlainText().isEmpty());
            for (Control c : {Control::Open, Control::Pack, Control::DosToWin, Control::Utf8ToWin,
                              Control::Fb2ToTxt, Control::Rename, Control::Move, Control::NameField,
                              Control::DirField}) {
                QVERIFY(!Enabled(w, c));
            }
            QVERIFY(Enabled(w, Control::List));
        }
    }

    void ColumnsShowSizesTimesAndTheArchive() {
        WindowUnderTest& w = Open();
        const std::vector<std::string> text = w.RowOf(kDosText);
        QCOMPARE(text.size(), std::size_t{5});
        QCOMPARE(Q(text[1]), QStringLiteral("18 195"));
        QVERIFY(text[2].empty());  // a loose book has no archive size
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d{4} \\d\\d:\\d\\d$"))
                     .match(Q(text[3]))
                     .hasMatch(),
                 text[3].c_str());
        QCOMPARE(text[4] + "/", dir_->path());  // without its trailing separator
        // The member's name, its own size, the archive's size and the member's time.
        const std::vector<std::string> zipped = w.RowOf(kZipMember);
        QCOMPARE(Q(zipped[1]), QString::number(TestBookSize()));
        QCOMPARE(Q(zipped[2]), QString::number(std::filesystem::file_size(*dir_ / kZip)));
        QCOMPARE(Q(zipped[3]), QStringLiteral("15:03:2008 14:30"));
        // Folders and ".." show their name only.
        for (const char* name : {"..", "Фантастика"}) {
            const std::vector<std::string> folder = w.RowOf(name);
            QVERIFY(folder[1].empty() && folder[2].empty() && folder[3].empty() &&
                    folder[4].empty());
        }
        // The rows keep the list's order: header clicks sort nothing.
        QVERIFY(!w.window->list()->header()->sectionsClickable());
        QCOMPARE(Q(w.Names().front()), QStringLiteral(".."));
        QCOMPARE(w.window->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Сж. размер"));
    }

    static std::int64_t TestBookSize() {
        return static_cast<std::int64_t>(ZippedFb2Content().size());
    }
    static std::string ZippedFb2Content() {
        return Fb2Book("Александр", "Пушкин", "Капитанская дочка", "windows-1251");
    }

    void F2WhileTypingRenamesAtOnce() {
        WindowUnderTest& w = Open(kCp1251Fb2);
        QLineEdit* field = w.window->name_field();
        field->setFocus();
        field->clear();
        QTest::keyClicks(field, QStringLiteral("Idiot"));
        QTest::keyRelease(field, Qt::Key_F2);
        QVERIFY(FileExists(*dir_ / "Idiot.fb2"));
        QVERIFY(!FileExists(*dir_ / kCp1251Fb2));
        // Enter in the name field renames too; Enter in the directory field does nothing.
        QVERIFY(w.Choose(kRtf));
        w.window->dir_field()->setFocus();
        QTest::keyClick(w.window->dir_field(), Qt::Key_Return);
        QVERIFY(FileExists(*dir_ / kRtf));
        w.window->name_field()->setText(QStringLiteral("Души"));
        QTest::keyClick(w.window->name_field(), Qt::Key_Return);
        QVERIFY(FileExists(*dir_ / "Души.rtf"));
    }

    void KeysAreInactiveUnderADialog() {
        WindowUnderTest& w = Open();
        w.window->list()->setFocus();
        Report report;
        report.SetReport("message");
        WhenModalOpens([&](QWidget* modal) {
            QVERIFY(!w.window->hook_active());
            QWidget* focused = modal->focusWidget() ? modal->focusWidget() : modal;
            QTest::keyRelease(focused, Qt::Key_R, Qt::ControlModifier);
            QTest::keyRelease(w.window->list(), Qt::Key_R, Qt::ControlModifier);
            QCOMPARE(int(w.globals.file_list.mode), int(LIST_MODE_DIRECTORY));
            QCOMPARE(qobject_cast<MessageWindow*>(modal)->text(), QStringLiteral("message"));
        });
        w.window->ShowMessage(report);
        QVERIFY(w.window->hook_active());
        // With the dialog closed, Ctrl+R shows the books of the subfolders.
        QTest::keyRelease(w.window->list(), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(int(w.globals.file_list.mode), int(LIST_MODE_TREE));
        QTest::keyRelease(w.window->list(), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(int(w.globals.file_list.mode), int(LIST_MODE_DIRECTORY));
    }

    void EnterInTheListEntersTheRow() {
        WindowUnderTest& w = Open();
        QVERIFY(w.Choose("Классика"));
        w.window->list()->setFocus();
        QTest::keyClick(w.window->list(), Qt::Key_Return);
        QCOMPARE(Q(w.Names().front()), QStringLiteral(".."));
        QCOMPARE(w.Names().size(), std::size_t{1});
        QTest::keyClick(w.window->list(), Qt::Key_Return);  // ".." back up
        QVERIFY(w.Names().size() > 5);
    }

    void BatchDialogRefusesOkAndOpensUnticked() {
        QWidget parent;
        for (int round = 0; round < 2; ++round) {
            BatchDialog dialog(&parent);
            for (int i = 0; i < BatchDialog::kBoxes; ++i) QVERIFY(!dialog.box(i)->isChecked());
            dialog.show();
            dialog.accept();
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            dialog.box(0)->setChecked(true);
            dialog.box(3)->setChecked(true);
            dialog.accept();
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.operations(), OP_RENAME | OP_DOS);
        }
        // From the menu: the keys are off while it is open; nothing ticked, nothing done.
        WindowUnderTest& w = Open();
        WhenModalOpens([&](QWidget* modal) {
            QVERIFY(!w.window->hook_active());
            auto* dialog = qobject_cast<BatchDialog*>(modal);
            QVERIFY(dialog != nullptr);
            for (int i = 0; i < BatchDialog::kBoxes; ++i) QVERIFY(!dialog->box(i)->isChecked());
        });
        w.window->RunBatchDialog();
        QVERIFY(w.window->hook_active());
        QVERIFY(FileExists(*dir_ / kDosText));
    }

    void ProgressStopsAfterTheCurrentBook() {
        QWidget parent;
        ProgressDialog progress(&parent);
        progress.ListStarted(2);
        QVERIFY(!progress.isVisible());  // a few books: no dialog
        progress.ListStarted(20);
        QVERIFY(progress.isVisible());
        TFILEINF file;
        file.name.assign("a.fb2");
        progress.FileStarted(file);
        QCOMPARE(progress.count_text(), QStringLiteral("1 из 20"));
        QCOMPARE(progress.name_text(), QStringLiteral("a.fb2"));
        QVERIFY(!progress.StopRequested());
        progress.reject();  // "Отмена"
        QVERIFY(progress.StopRequested());
        QVERIFY(!progress.isVisible());
    }

    void AStoppedBatchKeepsWhatItDidAndSaysWhatItLeft() {
        const std::string folder = dir_->path() + "many/";
        std::filesystem::create_directories(folder);
        for (int i = 10; i < 22; ++i) {
            WriteFile(folder + "b" + std::to_string(i) + ".fb2",
                      Fb2Book("Иван", "Петров", "Книга " + std::to_string(i), "windows-1251"));
        }
        w_ = std::make_unique<WindowUnderTest>();
        w_->Start(folder);
        ProgressDialog progress(w_->window.get());
        QString report;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            // "Отмена" while the first book is under way.
            if (progress.isVisible() && progress.count_text() == QStringLiteral("1 из 12")) {
                progress.reject();
            }
            if (auto* shown = qobject_cast<MessageWindow*>(QApplication::activeModalWidget())) {
                report = shown->text();
                shown->close();
                poll.stop();
            }
        });
        poll.start(0);
        w_->window->logic().RunBatch(OP_RENAME, &progress);
        QVERIFY(!progress.isVisible());
        QVERIFY2(report.contains(QStringLiteral("11")), qPrintable(report));
        // One book renamed, eleven left as they were; none lost.
        QCOMPARE(FilesBelow(folder).size(), std::size_t{12});
        QVERIFY(FileExists(folder + "Петров Иван - Книга 10.fb2"));
        QVERIFY(FileExists(folder + "b11.fb2") && FileExists(folder + "b21.fb2"));
    }

    void RowsAfterAMoveFromTheMiddle() {
        WindowUnderTest& w = Open(kRtf);
        const std::size_t before = w.Names().size();
        w.window->dir_field()->setText(Q(dir_->path() + "Классика"));
        qobject_cast<QPushButton*>(w.window->control(Control::Move))->click();
        QVERIFY(FileExists(*dir_ / (std::string("Классика/") + kRtf)));
        QCOMPARE(w.Names().size(), before - 1);
        // Every later row still shows its own book.
        QVERIFY(w.Choose(kCp1251Fb2));
        QVERIFY(w.window->panel()->toPlainText().contains(QStringLiteral("Идиот")));
        QVERIFY(w.Choose(kUtf8Fb2));
        QVERIFY(w.window->panel()->toPlainText().contains(QStringLiteral("Война и мир")));
        QVERIFY(w.Choose(kDosText));
        QCOMPARE(w.window->extension()->text(), QStringLiteral(".txt"));
        QVERIFY(Enabled(w, Control::DosToWin));
    }

    void GeometryRestoredMaximizedAndTheLeastSize() {
        w_ = std::make_unique<WindowUnderTest>();
        WindowUnderTest& w = *w_;
        Settings& s = w.run.settings;
        s.window_left = 50, s.window_top = 40, s.window_right = 750, s.window_bottom = 540;
        s.window_maximized = true;
        s.column_widths[0] = 300;
        w.Start(dir_->path());
        QVERIFY(w.window->isMaximized());
        QCOMPARE(w.window->normalGeometry(), QRect(50, 40, 700, 500));
        QCOMPARE(w.window->list()->header()->sectionSize(0), 300);
        w.window->list()->header()->resizeSection(1, 123);
        w.window->close();
        QVERIFY(s.window_maximized);
        QCOMPARE(s.window_right - s.window_left, 700);
        QCOMPARE(s.column_widths[1], 123);
        // Shrinking stops at the least size; the list and the panel keep 3 pixels.
        w.window->showNormal();
        w.window->resize(10, 10);
        QCOMPARE(w.window->size(), w.window->minimumSize());
        QApplication::processEvents();
        for (Control c : {Control::List, Control::Panel}) {
            const QRect r = w.window->control(c)->geometry();
            QCOMPARE(r.x(), 3);
            QCOMPARE(w.window->centralWidget()->width() - (r.x() + r.width()), 3);
        }
        const QRect fb2txt = w.window->control(Control::Fb2ToTxt)->geometry();
        QCOMPARE(w.window->centralWidget()->width() - (fb2txt.x() + fb2txt.width()), 3);
    }

    void ARectangleOnNoScreenComesBackOntoTheScreen() {
        w_ = std::make_unique<WindowUnderTest>();
        Settings& s = w_->run.settings;
        s.window_left = 5000, s.window_top = 4000, s.window_right = 5700, s.window_bottom = 4500;
        w_->Start(dir_->path());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.intersects(w_->window->geometry()));
        QCOMPARE(w_->window->size(), QSize(700, 500));
    }

    void RowsHaveTheirKindsIcons() {
        WindowUnderTest& w = Open();
        if (w.window->model()->icons().off()) QSKIP("no icons on this desktop");
        const FileListModel* model = w.window->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QVERIFY(!model->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
            QVERIFY(model->index(row, 1).data(Qt::DecorationRole).isNull());
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
