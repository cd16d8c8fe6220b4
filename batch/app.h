// The entry operation: command line, start-up in a fixed order, the batch or the
// window, shut-down in the reverse order.
#pragma once

#include "batch/file_list.h"
#include "batch/report.h"
#include "batch/settings.h"
#include "batch/temp_files.h"
#include "core/hstr.h"
#include "core/wbuf.h"
#include "core/wstr.h"

namespace tomeo {

// The objects that live for the whole process, created before the entry operation runs
// and destroyed after it returns, in the reverse order of the members below.
struct Globals {
    WSTR current_file_dir;  // directory of the current file
    // The three scripts (rename.sc, move.sc, txthdr.sc) come here.
    WSTR target_dir;        // where a move goes
    WSTR rename_error;      // error texts of rename.sc, move.sc and txthdr.sc
    WSTR move_error;
    WSTR convert_error;
    // The book description comes here.
    TFILELIST file_list;
    TFILEDELLIST temp_files;  // deletes what it still lists when the process ends
    WBUF first_names;  // the inflated name lists of the plain-text reader
    WBUF surnames;
    // The notes of the FB2 to text converter come here.
};

// The run-wide buffers created once the command line has been accepted.
struct RunBuffers {
    static constexpr std::int32_t kInitialBookCapacity = 1024;

    RunBuffers() { book.init(kInitialBookCapacity); }

    Report report;
    HSTR current_dir;  // the directory being listed or processed, ending with the separator
    HSTR start_name;   // the file the window selects first
    WBUF book;         // the bytes of the book being processed
    Settings settings;  // read at start-up; a batch never writes them
};

// Writes the report to standard error (the batch has no window).
class TerminalReportViewer : public ReportViewer {
public:
    void ShowReport(const Report& report) override;
};

// Runs the program; gives the process exit code.
int RunTomeo(int argc, const char* const* argv, Globals& globals);

}  // namespace tomeo
