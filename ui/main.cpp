// The window program, tomeo-window: the whole program with the Qt window, which the
// command-line program hands window mode to. A batch given to it runs as well, without a
// display; only window mode starts Qt.
#include "batch/app.h"
#include "core/messages.h"
#include "platform/env.h"
#include "ui/application.h"
#include "window/desktop_viewers.h"

namespace {

class QtWindowMode : public tomeo::WindowMode {
public:
    QtWindowMode(int& argc, char** argv) : argc_(argc), argv_(argv) {}

    int Run(tomeo::Globals& globals, tomeo::RunBuffers& run, const char* start_dir,
            const char* start_name) override {
        if (!tomeo::DisplayAvailable()) {
            tomeo::platform::WriteStandardError(tomeo::msg::kNoDisplay);
            return 1;
        }
        tomeo::Application app(argc_, argv_);
        // Copied from the settings read at start; the zipped books' copies go at exit.
        tomeo::DesktopViewers viewer(run.settings, globals.temp_files);
        return app.RunMainWindow(globals, run, viewer, start_dir, start_name);
    }

private:
    int& argc_;
    char** argv_;
};

}  // namespace

int main(int argc, char** argv) {
    tomeo::Globals globals;
    QtWindowMode window(argc, argv);
    return tomeo::RunTomeo(argc, argv, globals, &window);
}
