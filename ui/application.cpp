#include "ui/application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>

#include "ui/main_window.h"

namespace tomeo {

bool DisplayAvailable() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool LoadQtRussian(QTranslator& translator) {
    return translator.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                           QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

Application::Application(int& argc, char** argv) : app_(argc, argv) {
    // Qt's own dialogs and buttons (the folder browser, its buttons) read Russian too.
    if (LoadQtRussian(qt_russian_)) QApplication::installTranslator(&qt_russian_);
    // So do the sizes, dates and file types the file dialogs show, whatever the session's
    // language.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Without a desktop's icon theme (a bare X session), the list's icons come from
    // Debian's default theme where it is installed.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    }
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        icon.addFile(QStringLiteral(":/tomeo/tomeo-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);
    QApplication::setApplicationName(QStringLiteral("Tomeo"));
    QApplication::setDesktopFileName(QStringLiteral("tomeo"));
}

int Application::RunMainWindow(Globals& globals, RunBuffers& run, BookViewer& viewer,
                               const char* start_dir, const char* start_name) {
    MainWindow window(globals, run, viewer);
    window.Start(start_dir, start_name);
    QApplication::exec();
    return 0;
}

}  // namespace tomeo
