#include "tests/ui/settings_pictures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "ui/settings_sheet.h"

namespace tomeo {

namespace {

void Settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 400) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace

bool SaveSettingsPictures(QWidget* window, Settings& settings, BookScripts& scripts,
                          const QString& folder) {
    static const char* const kNames[] = {"general", "open", "rename", "move", "text", "header"};
    SettingsSheet sheet(window, settings, scripts, false);
    sheet.show();
    bool ok = true;
    for (int page = 0; page < sheet.tabs()->count(); ++page) {
        sheet.tabs()->setCurrentIndex(page);
        if (page == 3) {
            // A script being typed: the error line under it.
            auto* editor = sheet.tabs()->widget(page)->findChild<QPlainTextEdit*>();
            editor->moveCursor(QTextCursor::End);
            editor->insertPlainText(QStringLiteral("$dir = $dir + $nosuch\n"));
        }
        Settle();
        const QString path =
            QStringLiteral("%1/settings-%2-%3.png").arg(folder).arg(page + 1).arg(kNames[page]);
        const bool saved = sheet.grab().save(path);
        std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
        ok &= saved;
    }
    // The file dialogs of the "=" buttons: the programs of /usr/bin, the text folder.
    const struct {
        int page;
        const char* button;
        const char* name;
    } dialogs[] = {{1, "viewerTxtBrowse", "program-dialog"}, {4, "textDirBrowse", "folder-dialog"}};
    for (const auto& d : dialogs) {
        sheet.tabs()->setCurrentIndex(d.page);
        QTimer::singleShot(0, &sheet, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            Settle();
            const QString path = QStringLiteral("%1/settings-%2.png").arg(folder, d.name);
            const bool saved = dialog != nullptr && dialog != &sheet && dialog->grab().save(path);
            std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
            ok &= saved;
            if (dialog != nullptr && dialog != &sheet) dialog->close();
        });
        sheet.findChild<QPushButton*>(QString::fromLatin1(d.button))->click();
    }
    sheet.reject();
    return ok;
}

}  // namespace tomeo
