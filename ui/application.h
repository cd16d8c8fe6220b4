// Qt for window mode: the application object with Qt's own Russian texts and the
// program's icon, and the main window's run until it closes.
#pragma once

#include <QApplication>
#include <QTranslator>

namespace tomeo {

struct Globals;
struct RunBuffers;
class BookViewer;

// Whether Qt has a screen to open the window on (an X or Wayland display, or a platform
// named in QT_QPA_PLATFORM); without one Qt would abort.
bool DisplayAvailable();

// Loads Qt's own Russian texts (qtbase_ru from Qt's translations folder).
bool LoadQtRussian(QTranslator& translator);

class Application {
public:
    Application(int& argc, char** argv);

    // Shows the main window on start_dir with start_name selected and runs it until it
    // closes; the window's place and column widths are then in run.settings.
    int RunMainWindow(Globals& globals, RunBuffers& run, BookViewer& viewer, const char* start_dir,
                      const char* start_name);

private:
    QApplication app_;
    QTranslator qt_russian_;
};

}  // namespace tomeo
