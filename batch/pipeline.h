// The file operation pipeline: every operation on a book (rename, move, pack, recode,
// convert to text, extract for a viewer, read for the window) goes through
// Pipeline::ProcessFile, which works on the current file record and leaves result
// flags (core/operations.h) saying which requested operations failed.
//
// Within one call the order is fixed: the code page, the description, the information
// text, move.sc, rename.sc, then one pass over the content writing the replacement file
// and the text file, then the source is replaced, or renamed or moved by the file
// system when nothing new had to be written. A new file has no name while it is written
// (zip/file_stream.h): complete and flushed, it takes its final name, never replacing,
// or a hidden temporary name when it takes the source's own path, from which it then
// replaces the source in one atomic rename. It takes the source's permission bits and,
// where the process may, its owner and group.
#pragma once

#include <cerrno>
#include <cstdint>

#include "batch/book_scripts.h"
#include "batch/file_list.h"
#include "batch/replace_guard.h"
#include "batch/report.h"
#include "book/book_buffer.h"
#include "book/rtf_reader.h"
#include "book/text_reader.h"
#include "book/xml_tag.h"
#include "convert/fb2_recode.h"
#include "convert/info_text.h"
#include "core/codepage.h"
#include "core/conv_job.h"
#include "core/hstr.h"
#include "core/wbuf.h"
#include "core/wstr.h"
#include "zip/file_stream.h"

namespace tomeo {

class FileListView;
class ListRunProgress;
struct Settings;

// The file the pipeline works on: a copy of one file-list entry (its `processed` mark
// aside), changed by ProcessFile to describe the file after the operations.
struct CurrentFile : TFILEINF {
    std::int32_t index = -1;  // of its entry in the file list
    // ".txt", ".fb2" or ".rtf" after the kind; empty for directories and drives.
    const char* extension() const { return CanonicalExtension(kind); }
};

// A name from a script, the window or an archive that may become a file name inside a
// folder: not empty, not "." or "..", without a separator.
bool IsSafeFileName(const char* name);

// A target directory as a full path ending with the separator: "~/" stands for the
// home directory, a relative path is taken from the working directory. False when the
// home or working directory is unknown, and for a target with a ".." component.
bool ResolveTargetDirectory(const char* target, WSTR& directory);

// What the pipeline works on: the process-wide objects it reads and changes, and the
// view of the file list, which hears of every entry the pipeline removes, inserts or
// overwrites. Each must outlive the pipeline.
struct PipelineContext {
    CurrentFile& current;  // the current file record
    BookScripts& scripts;  // rename.sc, move.sc, txthdr.sc
    WSTR& target_dir;      // where a move goes
    WSTR& rename_error;    // error texts of rename.sc, move.sc and txthdr.sc
    WSTR& move_error;
    WSTR& convert_error;
    TBOOKDESC& description;  // the current book's
    TFILELIST& list;
    NameLists& names;  // of the plain-text reader
    Fb2TextConverter& converter;
    BookBuffer& book;
    HSTR& current_dir;  // the directory the list shows
    const Settings& settings;
    FileListView& view;
};

class Pipeline {
public:
    explicit Pipeline(const PipelineContext& context);
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // Runs the operations (OP_ flags) on the current file record. Gives the result flags
    // (RES_ bits, 0 when every requested operation succeeded or had nothing to do),
    // also kept in result_flags(); updates the current file record, and fills the
    // produced file record when a text file was made.
    std::uint32_t ProcessFile(std::uint32_t operations);

    // Copies the entry at index into the current file record / writes the record back.
    void MakeCurrent(std::int32_t index);
    void StoreCurrent();

    // Runs the operations over every book of the file list (directories, drives and
    // entries marked processed are skipped), appending the messages of every failed
    // file to the report. An entry whose file left the listed directory (in list mode 2:
    // the tree below it) is removed; a text file produced there is listed after its
    // source and not processed again. The view hears of every entry stored back
    // (RedrawRow), removed (RemoveRow) or inserted (InsertRowAfterSelected). The
    // progress, when given, hears of every book.
    void RunOperationsOnList(std::uint32_t operations, Report& report,
                             ListRunProgress* progress = nullptr);

    // Lists the produced text file when it lies in the listed directory (or below it in
    // list mode 2): a new entry right after the current one, or the entry of that name
    // overwritten; either is marked processed, and the view hears of it
    // (InsertRowAfterSelected, RedrawRow). Gives its index, or -1 when not listed.
    std::int32_t AddProducedFile();

    // The messages of the current result flags, as the batch and the list run give them.
    void ReportCurrentResults(Report& report) const;

    // --- The window's single-file actions on the current file -----------------------
    // Each runs one operation; on failure it replaces the report by the action's message
    // and gives false. On success the current record describes the file afterwards
    // (the window stores it, redraws its row and moves on as its settings say).

    // OP_RENAME_TO: the name typed in the name field, without extension.
    bool RenameTo(const char* name, Report& report);
    // OP_MOVE_TO: the directory of the directory field (the window asks for one first
    // when the field is empty).
    bool MoveTo(const char* directory, Report& report);
    bool Pack(Report& report);        // OP_ZIP
    bool RecodeDos(Report& report);   // OP_DOS
    bool RecodeUtf8(Report& report);  // OP_UTF8, with the reason of a failure
    // OP_TOTEXT, with the reasons and the header script's error; the produced file is
    // listed (AddProducedFile).
    bool Convert(Report& report);
    // A newly selected entry: its code page, description and information text, then
    // (unless the description failed) the proposed name (new_name()) and directory
    // (target_dir()). The report gets the scripts' error messages, or is emptied.
    // Gives the result flags of the reading.
    std::uint32_t ReadSelected(Report& report);
    // OP_EXTRACT: a zipped book's content written to a new file at path (for a viewer),
    // which then bears the member's time.
    bool Extract(const char* path);

    // --- What the calls leave ----------------------------------------------------------
    std::uint32_t result_flags() const { return result_; }
    // Why the call failed where the result flags do not tell (None otherwise).
    FailReason fail_reason() const { return reason_; }
    CurrentFile& current() { return current_; }
    const CurrentFile& current() const { return current_; }
    const TFILEINF& produced() const { return produced_; }
    CodePage codepage_state() const { return reader_.codepage_state; }
    const TBOOKDESC& description() const { return desc_; }
    const char* info_text() const { return info_.text(); }
    const char* new_name() const { return new_name_.c_str(); }
    const WSTR& target_dir() const { return target_dir_; }

private:
    struct Call;  // the working values of one ProcessFile call (pipeline_call.h)

    bool Prepare(Call& call);
    bool SetDestinationDirectory(Call& call, std::uint32_t operation);
    bool SetNewName(Call& call, std::uint32_t operation);
    bool Read(Call& call);
    bool CreateOutputs(Call& call);
    bool PassOverContent(Call& call);
    bool FinishOutputs(Call& call);
    bool ReplaceSource(Call& call);
    void TakeReplacement(Call& call);
    bool PlainMove(Call& call);
    void Fail(Call& call);
    // Record the reason of a failure (the first one of a call counts) and give false.
    bool Refuse(FailReason reason);
    bool FailedCall() { return Refuse(ReasonOfError(errno)); }
    bool SourceMayGo(const Call& call);
    bool ConvertInto(TFILESTREAM& output, bool dos);
    bool ConvertToText(Call& call);
    BookFileNames NamesOfCurrent() const;

    // Process-wide objects.
    CurrentFile& current_;
    BookScripts& scripts_;
    WSTR& target_dir_;
    WSTR& rename_error_;
    WSTR& move_error_;
    WSTR& convert_error_;
    TBOOKDESC& desc_;
    TFILELIST& list_;
    NameLists& names_;
    Fb2TextConverter& converter_;
    BookBuffer& book_;
    HSTR& current_dir_;
    const Settings& settings_;
    FileListView& view_;

    // What the calls leave, and their tools.
    std::uint32_t result_ = 0;
    FailReason reason_ = FailReason::None;
    WSTR reason_detail_;  // what the reason names (an encoding)
    WSTR unknown_tag_;    // the tag that stopped a conversion
    TFILEINF produced_;
    HSTR new_name_;
    HSTR extraction_path_;
    CharReader reader_;
    TXMLTAG tag_;
    RtfInfo rtf_;
    InfoText info_;
    WBUF chunk_;
    TCONVJOB job_;
    Utf8Recoder recoder_;
    TextHeaderRun header_;
    TCLOSEINFO close_info_;
};

}  // namespace tomeo
