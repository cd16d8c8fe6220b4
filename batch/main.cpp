// The program as the command line starts it. A batch runs here without any display
// library; window mode is the companion program tomeo-window (the same program with Qt),
// which takes this process's place, so a batch never pays for loading Qt.
#include "batch/app.h"
#include "batch/cmdline.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    const tomeo::CommandLine cl = tomeo::ParseCommandLine(argc, argv);
    if (cl.valid && !cl.help && !cl.version && !cl.batch_mode()) {
        const std::string window = tomeo::platform::CompanionProgram("tomeo-window");
        // Returns only when the window program is missing or cannot start: then this
        // build has no window, and RunTomeo says so.
        if (!window.empty()) tomeo::platform::ReplaceProcess(window, argv);
    }
    tomeo::Globals globals;
    return tomeo::RunTomeo(argc, argv, globals);
}
