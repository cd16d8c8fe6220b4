// Qt for window mode: the application object with Qt's own Russian texts and the
// program's icon, and the main window's run until it closes.
#pragma once

#include <QApplication>
#include <QTranslator>

namespace tomeo {

struct Globals;
struct RunBuffers;
class BookViewer;

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
