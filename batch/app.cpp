#include "batch/app.h"

#include <cstring>
#include <memory>

#include "batch/cmdline.h"
#include "batch/directory_scan.h"
#include "batch/operations.h"
#include "batch/progress.h"
#include "core/messages.h"
#include "platform/env.h"

namespace tomeo {

void TerminalReportViewer::ShowReport(const Report& report) {
    platform::WriteStandardError(report.text());
}

namespace {

// The failure of each operation asked for a file that is not there.
constexpr struct {
    std::uint32_t operation;
    std::uint32_t result;
} kMissingFileResults[] = {
    {OP_RENAME, RES_RENAME}, {OP_DOS, RES_DOS},   {OP_UTF8, RES_UTF8},
    {OP_TOTEXT, RES_TOTEXT}, {OP_MOVE, RES_MOVE}, {OP_ZIP, RES_ZIP},
};

int RunBatch(const CommandLine& cl, Globals& globals, RunBuffers& run, ReportViewer& viewer) {
    Pipeline pipeline(globals, run);
    run.report.ClearReport();
    std::int32_t file_arguments = 0;
    for (int i = cl.first_file; i < static_cast<int>(cl.arguments.size()); ++i) {
        if (cl.is_file(i)) ++file_arguments;
    }
    const std::unique_ptr<ProgressDisplay> terminal = TerminalProgressDisplay();
    BatchProgress progress(terminal.get(), file_arguments);
    for (int i = cl.first_file; i < static_cast<int>(cl.arguments.size()); ++i) {
        if (!cl.is_file(i)) continue;
        RunBatchArgument(cl.arguments[i].c_str(), cl.operations, pipeline, globals, run, &progress);
    }
    progress.Finish();
    const int exit_code = run.report.is_empty() ? 0 : 1;
    if (exit_code != 0) viewer.ShowReport(run.report);
    progress.WriteSummary();
    return exit_code;
}

// tomeo --help and tomeo --version: standard output, nothing else set up.
int PrintUsageOrVersion(const CommandLine& cl) {
    const bool written = cl.help ? platform::WriteStandardOutput(msg::kUsage)
                                 : platform::WriteStandardOutput("Tomeo " TOMEO_VERSION "\n");
    return written ? 0 : 1;
}

}  // namespace

void RunBatchArgument(const char* argument, std::uint32_t operations, Pipeline& pipeline,
                      Globals& globals, RunBuffers& run, BatchProgress* progress) {
    WSTR working_dir;
    if (!platform::GetWorkingDirectory(working_dir)) working_dir.assign("/");
    WSTR directory, pattern;
    SplitBatchArgument(argument, working_dir.c_str(), directory, pattern);
    run.current_dir.assign(directory.c_str());

    TFILELIST& list = globals.file_list;
    list.ClearFileList();
    const std::int32_t found =
        ScanDirectory(list, run.current_dir.c_str(), SCAN_DIRECTORY, true, pattern.c_str());
    list.mode = LIST_MODE_DIRECTORY;
    list.SortFileList();

    const bool wildcards = std::strpbrk(pattern.c_str(), "*?") != nullptr;
    if (!wildcards && found == 0) {
        globals.current.name.assign(pattern);
        globals.target_dir.clear();
        globals.rename_error.clear();
        globals.move_error.clear();
        globals.convert_error.clear();
        FileResults missing;
        for (const auto& m : kMissingFileResults) {
            if (operations & m.operation) missing.flags |= m.result;
        }
        missing.name = globals.current.name.c_str();
        missing.reason = FailReason::NotFound;
        run.report.ReportResults(missing);
        if (progress != nullptr) progress->NameNotFound();
    }
    // Directories are skipped there: a batch never descends into them.
    pipeline.RunOperationsOnList(operations, run.report, progress);
}

int RunTomeo(int argc, const char* const* argv, Globals& globals) {
    TerminalReportViewer terminal;
    const CommandLine cl = ParseCommandLine(argc, argv);
    if (!cl.valid) {
        // Nothing else is set up before this point: no settings, no scripts.
        Report report;
        report.SetReport(msg::kInvalidCommandLine);
        terminal.ShowReport(report);
        return 1;
    }
    if (cl.help || cl.version) return PrintUsageOrVersion(cl);

    auto run = std::make_unique<RunBuffers>();
    // The FB2 to text converter needs no set-up: its buffers and tag table are its own.
    LoadSettings(run->settings, SettingsFilePath().c_str());
    LoadScripts(globals.scripts);
    int exit_code = 0;
    if (cl.batch_mode()) {
        exit_code = RunBatch(cl, globals, *run, terminal);
    } else {
        platform::WriteStandardError(msg::kNoWindowInThisBuild);
        exit_code = 1;
    }
    // Shut-down: the scripts marked modified are written; a batch never writes settings.
    SaveModifiedScripts(globals.scripts);
    return exit_code;
}

}  // namespace tomeo
