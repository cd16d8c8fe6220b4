#include "batch/app.h"

#include <cstring>
#include <memory>
#include <string>

#include "batch/cmdline.h"
#include "batch/progress.h"
#include "core/messages.h"
#include "core/path_separator.h"
#include "platform/env.h"

namespace tomeo {

void TerminalReportViewer::ShowReport(const Report& report) {
    platform::WriteStandardError(report.text());
}

PipelineContext MakePipelineContext(Globals& globals, RunBuffers& run, FileListView& view) {
    return {.current = globals.current,
            .scripts = globals.scripts,
            .target_dir = globals.target_dir,
            .rename_error = globals.rename_error,
            .move_error = globals.move_error,
            .convert_error = globals.convert_error,
            .description = globals.description,
            .list = globals.file_list,
            .names = globals.name_lists,
            .converter = globals.converter,
            .book = run.book,
            .current_dir = run.current_dir,
            .settings = run.settings,
            .view = view};
}

namespace {

bool HasRelativeArgument(const CommandLine& cl) {
    for (int i = cl.first_file; i < static_cast<int>(cl.arguments.size()); ++i) {
        if (cl.is_file(i) && !cl.arguments[i].starts_with(kPathSeparator)) return true;
    }
    return false;
}

int RunBatch(const CommandLine& cl, Globals& globals, RunBuffers& run, ReportViewer& viewer) {
    NoFileListView no_view;  // a batch has no window
    Pipeline pipeline(MakePipelineContext(globals, run, no_view));
    run.report.ClearReport();
    WSTR working_dir;
    if (!platform::GetWorkingDirectory(working_dir)) {
        // Relative names would be taken from somewhere else: nothing is done at all.
        working_dir.clear();
        if (HasRelativeArgument(cl)) {
            run.report.SetReport(msg::kNoWorkingDirectory);
            viewer.ShowReport(run.report);
            return 1;
        }
    }
    std::int32_t file_arguments = 0;
    for (int i = cl.first_file; i < static_cast<int>(cl.arguments.size()); ++i) {
        if (cl.is_file(i)) ++file_arguments;
    }
    const std::unique_ptr<ProgressDisplay> terminal = TerminalProgressDisplay();
    BatchProgress progress(terminal.get(), file_arguments);
    BatchArguments arguments;
    for (int i = cl.first_file; i < static_cast<int>(cl.arguments.size()); ++i) {
        if (!cl.is_file(i)) continue;
        RunBatchArgument(cl.arguments[i].c_str(), cl.given[i].c_str(), working_dir.c_str(),
                         cl.operations, arguments, pipeline, globals, run, &progress);
    }
    progress.Finish();
    const int exit_code = run.report.is_empty() ? 0 : 1;
    if (exit_code != 0) viewer.ShowReport(run.report);
    progress.WriteSummary();
    return exit_code;
}

// Drops "name/.." pairs from a full directory path ending with the separator, so that
// the window lists and goes up from the directory the user means.
void DropParentComponents(WSTR& directory) {
    std::string path;
    const char* p = directory.c_str();
    while (*p != '\0') {
        const char* end = std::strchr(p + 1, kPathSeparator);
        if (end == nullptr) end = p + std::strlen(p);
        const std::string component(p + 1, end);  // between two separators
        if (component == "..") {
            const std::size_t last = path.rfind(kPathSeparator);
            path.erase(last == std::string::npos ? 0 : last);
        } else if (!component.empty()) {
            path += kPathSeparator;
            path += component;
        }
        p = end;
    }
    path += kPathSeparator;
    directory.assign(path.c_str());
}

// Window mode: "tomeo" lists the working directory; "tomeo FILE [more]" lists FILE's
// directory (its directory part, from the working directory) with FILE selected, the
// further files being ignored. Without a working directory a relative start shows the
// drive list.
void WindowStart(const CommandLine& cl, WSTR& start_dir, WSTR& start_name) {
    start_dir.clear();
    start_name.clear();
    WSTR working_dir;
    const bool have_working_dir = platform::GetWorkingDirectory(working_dir);
    int first = -1;
    for (int i = cl.first_file; i >= 0 && i < static_cast<int>(cl.arguments.size()); ++i) {
        if (cl.is_file(i)) {
            first = i;
            break;
        }
    }
    if (first < 0) {
        if (have_working_dir) start_dir.assign(working_dir.c_str());
        return;
    }
    const char* argument = cl.arguments[first].c_str();
    if (!have_working_dir && argument[0] != kPathSeparator) return;
    SplitBatchArgument(argument, working_dir.c_str(), start_dir, start_name);
    DropParentComponents(start_dir);
}

// tomeo --help and tomeo --version: standard output, nothing else set up.
int PrintUsageOrVersion(const CommandLine& cl) {
    const bool written = cl.help ? platform::WriteStandardOutput(msg::kUsage)
                                 : platform::WriteStandardOutput("Tomeo " TOMEO_VERSION "\n");
    return written ? 0 : 1;
}

}  // namespace

void RunBatchArgument(const char* argument, const char* given, const char* working_dir,
                      std::uint32_t operations, BatchArguments& arguments, Pipeline& pipeline,
                      Globals& globals, RunBuffers& run, BatchProgress* progress) {
    WSTR directory;
    const bool missing = arguments.ListArgument(argument, given, working_dir, operations,
                                                globals.file_list, directory, run.report);
    run.current_dir.assign(directory.c_str());
    if (missing && progress != nullptr) progress->NameNotFound();
    // Directories are skipped there: a batch never descends into them.
    pipeline.RunOperationsOnList(operations, run.report, progress);
    arguments.NoteListedNames(globals.file_list);
}

int RunTomeo(int argc, const char* const* argv, Globals& globals, WindowMode* window) {
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
    } else if (window == nullptr) {
        platform::WriteStandardError(msg::kNoWindowInThisBuild);
        exit_code = 1;
    } else {
        WSTR start_dir;
        WSTR start_name;
        WindowStart(cl, start_dir, start_name);
        run->current_dir.assign(start_dir.c_str());
        run->start_name.assign(start_name.c_str());
        exit_code = window->Run(globals, *run, start_dir.c_str(), start_name.c_str());
    }
    // Shut-down: the scripts marked modified are written; only the window writes the
    // settings (once, here), a batch never does.
    SaveModifiedScripts(globals.scripts);
    if (!cl.batch_mode() && window != nullptr) {
        const WSTR settings_path = SettingsFilePath();
        if (!settings_path.is_empty()) SaveSettings(run->settings, settings_path.c_str());
    }
    return exit_code;
}

}  // namespace tomeo
