// The settings sheet driven as a user would: the indent field, the pages' OK and
// cancel, the subdirectory box, settings.ini, the error line under a script.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

#include "batch/app.h"
#include "batch/book_scripts.h"
#include "batch/settings.h"
#include "core/charset.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"
#include "ui/file_dialogs.h"
#include "ui/indent_field.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/settings_pages.h"
#include "ui/settings_sheet.h"
#include "window/settings_sheet_logic.h"

using namespace tomeo;

namespace {

constexpr int kGeneral = 0, kOpen = 1, kRename = 2, kText = 4;

using tomeo::test::ReadFile;

// The modal sheet the menu opened, once it runs.
SettingsSheet* OpenSheet() {
    return dynamic_cast<SettingsSheet*>(QApplication::activeModalWidget());
}

}  // namespace

class SettingsSheetTest : public QObject {
    Q_OBJECT

    QWidget main_window_;
    Settings settings_;
    BookScripts scripts_;

    template <typename T>
    T* Find(SettingsSheet& sheet, const char* name) {
        T* widget = sheet.findChild<T*>(QLatin1String(name));
        if (widget == nullptr) qFatal("no widget %s", name);
        return widget;
    }
    // The editor of a script page (every page's editor has the same name).
    QPlainTextEdit* Editor(SettingsSheet& sheet, int page) {
        return sheet.tabs()->widget(page)->findChild<QPlainTextEdit*>();
    }
    QLineEdit* IndentText(SettingsSheet& sheet) {
        return Find<IndentField>(sheet, "indent")->findChild<QLineEdit*>();
    }

private Q_SLOTS:
    void init() {
        settings_ = Settings{};
        settings_.viewer_fb2.assign("/usr/bin/fbreader");
        settings_.text_dir.assign("/home/books/txt");
        scripts_.rename.set_text("$filename = $title\r\n");
        scripts_.rename.set_modified(false);
        scripts_.header.set_text("printp($title)\r\n");
        scripts_.header.set_modified(false);
        main_window_.setGeometry(100, 100, 900, 700);
        main_window_.show();
    }

    void SeveralLinesTurnsAZeroIndentIntoOne() {
        settings_.paragraph_indent = 0;
        SettingsSheet sheet(&main_window_, settings_, scripts_, false);
        sheet.show();
        sheet.tabs()->setCurrentIndex(kText);
        QCOMPARE(IndentText(sheet)->text(), QStringLiteral("0"));
        Find<QAbstractButton>(sheet, "form2")->click();
        QCOMPARE(IndentText(sheet)->text(), QStringLiteral("1"));
        sheet.accept();
        QCOMPARE(settings_.paragraph_form, PARAGRAPH_SEVERAL_LINES);
        QCOMPARE(settings_.paragraph_indent, 1);
    }

    void TheIndentIsCheckedAsItIsTyped() {
        SettingsSheet sheet(&main_window_, settings_, scripts_, false);
        sheet.show();
        sheet.tabs()->setCurrentIndex(kText);
        QLineEdit* field = IndentText(sheet);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("25"));
        QCOMPARE(field->text(), QStringLiteral("16"));  // at once, not when leaving
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);  // cleared: the minimum of one line
        QCOMPARE(field->text(), QStringLiteral("0"));
        Find<QAbstractButton>(sheet, "form2")->click();
        QCOMPARE(field->text(), QStringLiteral("1"));
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QCOMPARE(field->text(), QStringLiteral("1"));
        QTest::keyClicks(field, QStringLiteral("x-"));  // digits only
        QCOMPARE(field->text(), QStringLiteral("1"));
        QTest::keyClick(field, Qt::Key_Up);
        QCOMPARE(field->text(), QStringLiteral("2"));
        sheet.accept();
        QCOMPARE(settings_.paragraph_indent, 2);
    }

    void CancelLeavesAnEditedScriptAndItsFileAlone() {
        const std::string path = ScriptFilePath(kRenameScriptFile).c_str();
        QVERIFY(!path.empty());
        QVERIFY(SaveScriptFile(scripts_.rename, path.c_str()));
        const std::string file = ReadFile(path);
        for (const bool close : {false, true}) {
            SettingsSheet sheet(&main_window_, settings_, scripts_, false);
            sheet.show();
            sheet.tabs()->setCurrentIndex(kRename);
            Editor(sheet, kRename)->setPlainText(QStringLiteral("$filename = $seq"));
            if (close) {
                sheet.close();
            } else {
                sheet.reject();
            }
            QVERIFY(!sheet.outcome().accepted);
        }
        QCOMPARE(scripts_.rename.get_text(), "$filename = $title\r\n");
        QVERIFY(!scripts_.rename.modified());
        QCOMPARE(ReadFile(path), file);
    }

    void OkStoresAScriptUncheckedAndMarksItModified() {
        SettingsSheet sheet(&main_window_, settings_, scripts_, false);
        sheet.show();
        sheet.tabs()->setCurrentIndex(kRename);
        auto* editor = Editor(sheet, kRename);
        editor->setPlainText(QStringLiteral("if ($title {\n\t$filename = \"a\u00a0b\"\n"));
        sheet.accept();
        QVERIFY(sheet.outcome().rename_edited && !sheet.outcome().move_edited);
        // Line ends as the script had them, tabs and no-break spaces kept.
        QCOMPARE(scripts_.rename.get_text(),
                 "if ($title {\r\n\t$filename = \"a\xA0"
                 "b\"\r\n");
        QVERIFY(scripts_.rename.modified());
        QVERIFY(!scripts_.header.modified());
    }

    void AnUnreadableScriptSaysWhyAndStaysUnlessRewritten() {
        scripts_.rename.set_unreadable("rename.sc: no access");
        {
            SettingsSheet sheet(&main_window_, settings_, scripts_, false);
            sheet.show();
            sheet.tabs()->setCurrentIndex(kRename);
            QCOMPARE(Editor(sheet, kRename)->toPlainText(), QString());
            auto* error =
                sheet.tabs()->widget(kRename)->findChild<QLabel*>(QStringLiteral("scriptError"));
            QCOMPARE(error->text(), QStringLiteral("rename.sc: no access"));
            sheet.accept();
            QVERIFY(scripts_.rename.unreadable() && !scripts_.rename.modified());
            QVERIFY(!sheet.outcome().rename_edited);
        }
        SettingsSheet sheet(&main_window_, settings_, scripts_, false);
        sheet.show();
        sheet.tabs()->setCurrentIndex(kRename);
        Editor(sheet, kRename)->setPlainText(QStringLiteral("$filename = $title"));
        sheet.accept();
        QVERIFY(!scripts_.rename.unreadable() && scripts_.rename.modified());
        QCOMPARE(scripts_.rename.get_text(), "$filename = $title");
    }

    void TheProgramDialogListsFoldersAndExecutablesOnly() {
        test::TempDir dir;
        test::WriteFile(dir / "viewer", "#!/bin/sh\n");
        QFile::setPermissions(QString::fromStdString(dir / "viewer"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        test::WriteFile(dir / "notes.txt", "text");
        QDir().mkdir(QString::fromStdString(dir / "tools"));
        QStringList listed;
        QMap<QString, QStringList> columns;  // size, type, date of each row
        QTimer::singleShot(0, &main_window_, [&] {
            QFileDialog* dialog = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->isVisible() && qobject_cast<QFileDialog*>(widget)) {
                    dialog = qobject_cast<QFileDialog*>(widget);
                }
            }
            if (dialog == nullptr) qFatal("no program dialog");
            // The folder is read in the background: wait for its rows.
            auto* view = dialog->findChild<QTreeView*>();
            QElapsedTimer timer;
            timer.start();
            while (view != nullptr && timer.elapsed() < 5000 &&
                   view->model()->rowCount(view->rootIndex()) < 2) {
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            }
            QTest::qWait(200);  // and for any row that should not be there
            for (int row = 0; view != nullptr && row < view->model()->rowCount(view->rootIndex());
                 ++row) {
                listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
            }
            // Its columns, in Russian whatever the session's locale.
            for (int row = 0; view != nullptr && row < listed.size(); ++row) {
                const QModelIndex name = view->model()->index(row, 0, view->rootIndex());
                for (int column = 1; column <= 3; ++column) {
                    columns[listed[row]] << name.siblingAtColumn(column).data().toString();
                }
            }
            // The user clicks the program.
            for (int row = 0; view != nullptr && row < listed.size(); ++row) {
                if (listed[row] != QLatin1String("viewer")) continue;
                view->setCurrentIndex(view->model()->index(row, 0, view->rootIndex()));
            }
            static_cast<QDialog*>(dialog)->accept();  // as "Открыть" does
            if (dialog->isVisible()) dialog->reject();
        });
        const QString chosen = ChooseProgram(&main_window_, QString::fromStdString(dir.path()));
        listed.sort();
        QCOMPARE(listed, QStringList({QStringLiteral("tools"), QStringLiteral("viewer")}));
        QCOMPARE(chosen, QString::fromStdString(dir / "viewer"));
        QCOMPARE(columns[QStringLiteral("tools")].value(1), QStringLiteral("Папка"));
        QCOMPARE(columns[QStringLiteral("viewer")].value(0), QStringLiteral("10"));
        const QDateTime written = QFileInfo(chosen).lastModified();
        const QDateTime shown = QDateTime::fromString(columns[QStringLiteral("viewer")].value(2),
                                                      QStringLiteral("dd.MM.yyyy HH:mm"));
        QCOMPARE(shown, written.addSecs(-written.time().second()).addMSecs(-written.time().msec()));
    }

    void TheSubdirectoryBoxStartsFromTheListMode() {
        for (const bool mode : {false, true}) {
            SettingsSheet sheet(&main_window_, settings_, scripts_, mode);
            sheet.show();
            auto* box = Find<QCheckBox>(sheet, "subdirectories");
            QCOMPARE(box->isChecked(), mode);
            box->click();
            sheet.accept();
            QCOMPARE(sheet.outcome().subdirectories, !mode);
        }
        // Not opened: the mode stays.
        SettingsSheet sheet(&main_window_, settings_, scripts_, true);
        sheet.accept();
        QVERIFY(sheet.outcome().subdirectories);
    }

    void OnlyTheFirstPageOpenedKeepsTheOthers() {
        const Settings before = settings_;
        SettingsSheet sheet(&main_window_, settings_, scripts_, false);
        sheet.show();
        Find<QAbstractButton>(sheet, "fb2Next4")->click();
        Find<QCheckBox>(sheet, "menuFb2")->click();
        sheet.accept();
        QCOMPARE(settings_.fb2_next, NEXT_AFTER_CONVERT);
        QVERIFY(settings_.menu_fb2 && !settings_.menu_txt);
        QCOMPARE(settings_.viewer_fb2.c_str(), before.viewer_fb2.c_str());
        QCOMPARE(settings_.text_dir.c_str(), before.text_dir.c_str());
        QCOMPARE(settings_.paragraph_indent, before.paragraph_indent);
        QCOMPARE(settings_.text_packing, before.text_packing);
        QVERIFY(!sheet.outcome().viewers_changed && !sheet.outcome().rename_edited);
    }

    void ValuesRoundTripThroughTheSettingsFile() {
        SettingsSheet sheet(&main_window_, settings_, scripts_, false);
        sheet.show();
        Find<QAbstractButton>(sheet, "textNext3")->click();
        Find<QAbstractButton>(sheet, "rtfNext2")->click();
        Find<QCheckBox>(sheet, "menuTxt")->click();
        Find<QCheckBox>(sheet, "menuRtf")->click();
        sheet.tabs()->setCurrentIndex(kOpen);
        Find<QLineEdit>(sheet, "viewerTxt")->setText(QString::fromUtf8("/opt/читалка/bin/view"));
        Find<QLineEdit>(sheet, "viewerRtf")->setText(QStringLiteral("abiword"));
        sheet.tabs()->setCurrentIndex(kText);
        Find<QAbstractButton>(sheet, "form2")->click();
        IndentText(sheet)->setText(QStringLiteral("12"));
        Find<QAbstractButton>(sheet, "packing2")->click();
        Find<QLineEdit>(sheet, "textDir")->setText(QString::fromUtf8("/home/книги"));
        sheet.accept();
        QVERIFY(sheet.outcome().viewers_changed);

        const std::string path = SettingsFilePath().c_str();
        QVERIFY(SaveSettings(settings_, path.c_str()));
        Settings loaded;
        LoadSettings(loaded, path.c_str());
        QCOMPARE(loaded.text_next, NEXT_AFTER_RECODE);
        QCOMPARE(loaded.fb2_next, NEXT_AFTER_RENAME);
        QCOMPARE(loaded.rtf_next, NEXT_AFTER_PACK);
        QVERIFY(loaded.menu_txt && !loaded.menu_fb2 && loaded.menu_rtf);
        QCOMPARE(ToQt(loaded.viewer_txt.c_str()), QString::fromUtf8("/opt/читалка/bin/view"));
        QCOMPARE(loaded.viewer_fb2.c_str(), "/usr/bin/fbreader");
        QCOMPARE(loaded.viewer_rtf.c_str(), "abiword");
        QCOMPARE(loaded.paragraph_form, PARAGRAPH_SEVERAL_LINES);
        QCOMPARE(loaded.paragraph_indent, 12);
        QCOMPARE(loaded.text_packing, TEXT_IN_ZIP);
        QCOMPARE(ToQt(loaded.text_dir.c_str()), QString::fromUtf8("/home/книги"));
    }

    void AScriptShowsItsFirstErrorWhileItIsTyped() {
        SettingsSheet sheet(&main_window_, settings_, scripts_, false);
        sheet.show();
        sheet.tabs()->setCurrentIndex(kRename);
        QWidget* page = sheet.tabs()->widget(kRename);
        auto* error = page->findChild<QLabel*>(QStringLiteral("scriptError"));
        QCOMPARE(error->text(), QString());
        auto* editor = Editor(sheet, kRename);
        editor->setPlainText(QStringLiteral("$filename = $title\n$filename = 5\n"));
        QTRY_COMPARE(
            error->text(),
            QString::fromUtf8("Ошибка выполнения скрипта, несоответствие типов (строка 2)."));
        editor->setPlainText(QStringLiteral("$filename = $title\n"));
        QTRY_COMPARE(error->text(), QString());
        sheet.reject();
    }

    void TheSheetIsCentredOverTheMainWindow() {
        SettingsSheet sheet(&main_window_, settings_, scripts_, false);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        const QPoint offset =
            sheet.frameGeometry().center() - main_window_.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        QCOMPARE(sheet.windowTitle(), QString::fromUtf8("Настройки"));
        QCOMPARE(sheet.tabs()->count(), 6);
        QCOMPARE(sheet.tabs()->tabText(5), QStringLiteral("FB2->TXT (2)"));
        sheet.reject();
    }

    // The menu item opens the sheet with the keys off; OK switches the list to the
    // books of subdirectories and proposes a name by the edited rename.sc.
    void TheMenuItemOpensTheSheetAndAppliesWhatChanged() {
        test::TempDir dir;
        test::WriteFile(dir / "a.fb2", test::MakeFb2({}));
        QDir().mkdir(QString::fromStdString(dir / "sub"));
        test::WriteFile(dir / "sub/b.fb2", test::MakeFb2({}));
        Globals globals;
        RunBuffers run;
        NoBookViewer viewer;
        MainWindow window(globals, run, viewer);
        window.Start(dir.path().c_str(), "a.fb2");
        QVERIFY(window.hook_active());
        QCOMPARE(window.name_field()->text(), QString());

        bool keys_were_off = false;
        QTimer::singleShot(0, &window, [&] {
            SettingsSheet* sheet = OpenSheet();
            QVERIFY(sheet != nullptr);
            keys_were_off = !window.hook_active();
            sheet->tabs()->setCurrentIndex(kRename);
            Editor(*sheet, kRename)->setPlainText(QString::fromUtf8("$filename = \"новое\""));
            sheet->accept();
        });
        window.settings_action()->trigger();
        QVERIFY(keys_were_off && window.hook_active());
        QVERIFY(globals.scripts.rename.modified());
        QCOMPARE(window.name_field()->text(), QString::fromUtf8("новое"));

        QTimer::singleShot(0, &window, [&] {
            SettingsSheet* sheet = OpenSheet();
            QVERIFY(sheet != nullptr);
            Find<QCheckBox>(*sheet, "subdirectories")->click();
            sheet->accept();
        });
        window.settings_action()->trigger();
        QCOMPARE(window.logic().list().mode, LIST_MODE_TREE);

        // The box shows the mode the next time; Cancel changes nothing.
        bool box_ticked = false;
        QTimer::singleShot(0, &window, [&] {
            SettingsSheet* sheet = OpenSheet();
            QVERIFY(sheet != nullptr);
            box_ticked = Find<QCheckBox>(*sheet, "subdirectories")->isChecked();
            Find<QCheckBox>(*sheet, "subdirectories")->click();
            sheet->reject();
        });
        window.settings_action()->trigger();
        QVERIFY(box_ticked);
        QCOMPARE(window.logic().list().mode, LIST_MODE_TREE);
    }
};

QTEST_MAIN(SettingsSheetTest)
#include "settings_sheet_test.moc"
