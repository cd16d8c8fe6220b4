#include "batch/app.h"

#include <memory>

#include "batch/cmdline.h"
#include "core/messages.h"
#include "platform/env.h"

namespace tomeo {

void TerminalReportViewer::ShowReport(const Report& report) {
    platform::WriteStandardError(report.text());
}

namespace {

int RunBatch(const CommandLine& cl, RunBuffers& run, ReportViewer& viewer) {
    WSTR working_dir;
    if (!platform::GetWorkingDirectory(working_dir)) working_dir.assign("/");
    run.report.ClearReport();
    WSTR directory, pattern;
    for (int i = cl.first_file; i < static_cast<int>(cl.arguments.size()); ++i) {
        if (CommandLine::is_switch(cl.arguments[i])) continue;
        SplitBatchArgument(cl.arguments[i].c_str(), working_dir.c_str(), directory, pattern);
        run.current_dir.assign(directory.c_str());
        // Listing the directory and running the operations over it come with the file
        // list and the pipeline.
    }
    if (run.report.is_empty()) return 0;
    viewer.ShowReport(run.report);
    return 1;
}

}  // namespace

int RunTomeo(int argc, const char* const* argv, Globals& globals) {
    (void)globals;
    TerminalReportViewer terminal;
    const CommandLine cl = ParseCommandLine(argc, argv);
    if (!cl.valid) {
        // Nothing else is set up before this point: no settings, no scripts.
        Report report;
        report.SetReport(msg::kInvalidCommandLine);
        terminal.ShowReport(report);
        return 1;
    }

    auto run = std::make_unique<RunBuffers>();
    LoadSettings(run->settings, SettingsFilePath().c_str());
    int exit_code = 0;
    if (cl.batch_mode()) {
        exit_code = RunBatch(cl, *run, terminal);
    } else {
        platform::WriteStandardError(msg::kNoWindowInThisBuild);
        exit_code = 1;
    }
    return exit_code;
}

}  // namespace tomeo
