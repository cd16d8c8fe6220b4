// Pictures of the window for a person to look at: a sample library in a temporary
// folder, the main window with several rows selected, the batch dialog, the progress
// dialog and the message window after a failed batch, saved as PNG files into the
// folder named by the argument. `make screenshots` runs it under Xvfb.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

#include "core/operations.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/settings_pictures.h"
#include "tests/ui/ui_fixture.h"
#include "ui/application.h"
#include "ui/batch_dialog.h"
#include "ui/progress_dialog.h"

namespace {

using namespace tomeo;
using namespace tomeo::test;

void Settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool Save(QWidget* widget, const QString& folder, const char* name) {
    Settle();
    const QString path = folder + QLatin1Char('/') + QLatin1String(name) + QLatin1String(".png");
    const bool saved = widget->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tomeo_screenshots FOLDER\n");
        return 2;
    }
    Application app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    TempDir library;
    MakeSampleLibrary(library.path());
    // Two books whose titles have no Windows-1251 form: their recoding fails.
    Fb2Shape shape;
    shape.authors = {{"Ли", "Бо"}};
    shape.title = "Стихи 李白";
    WriteFile(library / "Ли Бо - Стихи.fb2", MakeFb2(shape));
    shape.authors = {{"Ду", "Фу"}};
    shape.title = "Весна 杜甫";
    WriteFile(library / "Ду Фу - Весна.fb2", MakeFb2(shape));

    bool ok = true;
    WindowUnderTest w;
    w.Start(library.path(), kUtf8Fb2);
    ok &= Save(w.window.get(), out, "main-fb2-utf8");
    ok &= w.Choose(kDosText) && Save(w.window.get(), out, "main-text-866");
    ok &= w.Choose(kZipMember) && Save(w.window.get(), out, "main-zipped");
    ok &= w.Choose("..") && Save(w.window.get(), out, "main-parent");
    // The least size the window can be shrunk to, a book selected.
    const QSize size = w.window->size();
    w.window->resize(w.window->minimumSize());
    ok &= w.Choose(kCp1251Fb2) && Save(w.window.get(), out, "main-least-size");
    w.window->resize(size);

    {
        BatchDialog dialog(w.window.get());
        dialog.show();
        ok &= Save(&dialog, out, "batch-dialog");
    }
    {
        ProgressDialog progress(w.window.get());
        progress.ListStarted(40);
        for (int i = 0; i < 2; ++i) {
            progress.FileStarted(w.globals.file_list.at(w.globals.file_list.count() - 1));
            progress.FileDone(false);
        }
        progress.FileStarted(w.globals.file_list.at(w.globals.file_list.count() - 1));
        ok &= Save(&progress, out, "progress-dialog");
        progress.hide();
    }
    // The batch's report comes in the message window: taken and closed once shown.
    bool message = false;
    QTimer::singleShot(500, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        if (shown != nullptr) message = Save(shown, out, "message-after-batch");
        if (shown != nullptr) shown->close();
    });
    w.window->logic().RunBatch(OP_UTF8 | OP_RENAME, nullptr);
    ok &= message;
    ok &= SaveSettingsPictures(w.window.get(), w.run.settings, w.globals.scripts, out);
    w.window->close();
    return ok ? 0 : 1;
}
