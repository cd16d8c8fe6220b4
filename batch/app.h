// The entry operation: command line, start-up in a fixed order, the batch or the
// window, shut-down in the reverse order.
#pragma once

#include <cstdint>

#include "batch/batch_arguments.h"
#include "batch/book_scripts.h"
#include "batch/file_list.h"
#include "batch/navigation.h"
#include "batch/pipeline.h"
#include "batch/report.h"
#include "batch/settings.h"
#include "batch/temp_files.h"
#include "book/book_buffer.h"
#include "book/book_desc.h"
#include "book/text_reader.h"
#include "convert/fb2_text.h"
#include "core/hstr.h"
#include "core/wstr.h"

namespace tomeo {

class BatchProgress;

// The objects that live for the whole process, created before the entry operation runs
// and destroyed after it returns, in the reverse order of the members below.
struct Globals {
    CurrentFile current;  // the current file record of the pipeline
    BookScripts scripts;  // rename.sc, move.sc, txthdr.sc
    WSTR target_dir;      // where a move goes
    WSTR rename_error;    // error texts of rename.sc, move.sc and txthdr.sc
    WSTR move_error;
    WSTR convert_error;
    TBOOKDESC description;  // the current book's, with its author and genre lists
    TFILELIST file_list;
    TFILEDELLIST temp_files;     // deletes what it still lists when the process ends
    NameLists name_lists;        // the first names and surnames of the plain-text reader
    Fb2TextConverter converter;  // with the notes of the book being converted
    // The icon cache of the window comes here.
};

// The run-wide buffers created once the command line has been accepted.
struct RunBuffers {
    Report report;
    HSTR current_dir;   // the directory being listed or processed, ending with the separator
    HSTR start_name;    // the file the window selects first
    BookBuffer book;    // the bytes of the book being processed (1,024 bytes at first)
    Settings settings;  // read at start-up; a batch never writes them
};

// The pipeline's context: the objects of both that it works on, and the list's view.
PipelineContext MakePipelineContext(Globals& globals, RunBuffers& run, FileListView& view);

// Writes the report to standard error (the batch has no window).
class TerminalReportViewer : public ReportViewer {
public:
    void ShowReport(const Report& report) override;
};

// One batch step: the argument's books are listed (BatchArguments: its directory part,
// or the working directory, becomes the current directory; its last component may hold
// '*' and '?' or name a directory) and the operations run over them. A name that
// matches nothing gets one failure message per requested operation. The progress, when
// given, hears of every book and of every name not found.
void RunBatchArgument(const char* argument, const char* given, const char* working_dir,
                      std::uint32_t operations, BatchArguments& arguments, Pipeline& pipeline,
                      Globals& globals, RunBuffers& run, BatchProgress* progress = nullptr);

// Window mode, supplied by the program's main (the batch knows nothing of the window).
class WindowMode {
public:
    virtual ~WindowMode() = default;
    // Runs the main window on start_dir (a full path ending with the separator) with the
    // entry start_name selected (empty: the first row) until it is closed; gives the
    // exit code.
    virtual int Run(Globals& globals, RunBuffers& run, const char* start_dir,
                    const char* start_name) = 0;
};

// Runs the program; gives the process exit code. Without a window (null) window mode
// says that this build has none.
int RunTomeo(int argc, const char* const* argv, Globals& globals, WindowMode* window = nullptr);

}  // namespace tomeo
