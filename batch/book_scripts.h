// The three scripts of the program on books: rename.sc gives a book's new file name,
// move.sc the directory it goes to, txthdr.sc the header of a text file made from an FB2
// book. Their texts live in the configuration directory as UTF-8 files (Windows-1251
// files brought from elsewhere are read as they are), with built-in defaults for files
// that are missing. Before every run the current book's description and file names are
// bound to the scripts' input variables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "book/book_desc.h"
#include "convert/fb2_text.h"
#include "core/hstr.h"
#include "core/wstr.h"
#include "script/interpreter.h"

namespace tomeo {

inline constexpr char kRenameScriptFile[] = "rename.sc";
inline constexpr char kMoveScriptFile[] = "move.sc";
inline constexpr char kHeaderScriptFile[] = "txthdr.sc";

// The built-in defaults of the three scripts.
inline constexpr char kRenameScriptResource[] = "DATA_3";
inline constexpr char kMoveScriptResource[] = "DATA_4";
inline constexpr char kHeaderScriptResource[] = "DATA_5";

// Larger script files cannot be used: the longest value a script may hold.
inline constexpr std::int64_t kMaxScriptFileSize = SCRIPT::kDefaultMaxValueLength;

// The three scripts of the process, in the order they are loaded and saved.
struct BookScripts {
    SCRIPT rename;  // rename.sc: $filename
    SCRIPT move;    // move.sc: $dir
    SCRIPT header;  // txthdr.sc: printp() and printannt()
};

// What the scripts learn of the current file besides its description.
struct BookFileNames {
    const char* source_dir = "";   // the directory holding the file, ending with the separator
    const char* book_file = "";    // the book's own name: the member's for a zipped book
    const char* source_file = "";  // the file's name: the archive's for a zipped book
};

// The configuration directory's file of that name; empty when there is no such directory.
WSTR ScriptFilePath(const char* file_name);

// The bytes of a script file as script text: a file that is valid UTF-8 (a leading
// byte-order mark dropped) is converted to Windows-1251, a character without a
// Windows-1251 form becoming the byte 0x98; any other file is Windows-1251 already.
std::string ScriptTextFromFile(std::string_view bytes);

enum class ScriptFileState {
    kLoaded,
    kMissing,     // no file of that name
    kUnreadable,  // there, but it cannot be read (a link leading nowhere included)
    kTooLarge,    // longer than kMaxScriptFileSize
};

// Sets the script's text from the file; the text is unchanged unless it was loaded.
ScriptFileState LoadScriptFile(SCRIPT& script, const char* path);
// Sets the script's text from the built-in file of that name.
bool LoadScriptResource(SCRIPT& script, const char* resource_name);
// Writes the script's text to the file as UTF-8, creating the directory when it is
// missing and replacing the old file in one step. False when it could not be written.
bool SaveScriptFile(const SCRIPT& script, const char* path);

// Start-up: every script from its file. A missing file gets its default, marked modified
// so that it is written at exit. A file that is there but cannot be used is never
// replaced: its script is marked unreadable, so that every operation needing it fails
// with a message naming the file.
void LoadScripts(BookScripts& scripts);
// Shut-down: writes every script marked modified to its file (through a symbolic link
// to the file it leads to).
void SaveModifiedScripts(const BookScripts& scripts);

// Clears the script's variables and defines the input variables of the book, in order:
// $title $seq $seqnum $subseq $subseqnum $_genre_str_ $_genrematch_str_ $genreno
// $_author_str_ $authorno $srcdir $bookfile $bookfileext $srcfile $srcfileext $isannt
// $publisher $publcity $publyear.
void BindBookVariables(SCRIPT& script, const TBOOKDESC& desc, const BookFileNames& names);

// Runs rename.sc and gives $filename (a name without extension, maybe empty) in
// new_name, every control character (below 0x20) replaced by "_". Raises SCRIPTError
// when the script fails.
void ComputeFileName(SCRIPT& rename, const TBOOKDESC& desc, const BookFileNames& names,
                     HSTR& new_name);
// Runs move.sc and gives $dir (maybe empty) in target_dir, control characters replaced
// as in ComputeFileName. Raises SCRIPTError.
void ComputeDirectory(SCRIPT& move, const TBOOKDESC& desc, const BookFileNames& names,
                      WSTR& target_dir);

// Runs a script through run (ComputeFileName, ComputeDirectory, the header), the one
// place where the error of a script on a book (SCRIPTError) is caught: true when the
// script ran to its end, else false with the script's message in error.
template <typename Run>
bool RunScript(SCRIPT& script, WSTR& error, Run&& run) {
    try {
        run();
        return true;
    } catch (const SCRIPTError&) {
        error.assign(script.error_message());
        return false;
    }
}

// The header of a converted text file: runs txthdr.sc with printp() and printannt()
// bound to the converter. A script error fails the header and leaves the script's
// message in the error text given.
class TextHeaderRun : public TextHeaderScript {
public:
    TextHeaderRun(SCRIPT& script, WSTR& error_text);
    ~TextHeaderRun() override;
    TextHeaderRun(const TextHeaderRun&) = delete;
    TextHeaderRun& operator=(const TextHeaderRun&) = delete;

    // The book the next header is for; both must outlive the conversion.
    void set_book(const TBOOKDESC& desc, const BookFileNames& names) {
        desc_ = &desc;
        names_ = names;
    }
    bool RunHeader(Fb2TextConverter& converter) override;

private:
    // printp(text) and printannt() of the script, sent to the converter of the run.
    class Procedure : public ScriptHandler {
    public:
        explicit Procedure(bool annotation) : annotation_(annotation) {}
        bool Perform(const char* text) override;
        Fb2TextConverter* converter = nullptr;

    private:
        bool annotation_;
    };

    SCRIPT& script_;
    WSTR& error_text_;
    const TBOOKDESC* desc_ = nullptr;
    BookFileNames names_;
    Procedure printp_{false};
    Procedure printannt_{true};
    std::uint32_t printp_reference_ = 0;
    std::uint32_t printannt_reference_ = 0;
};

}  // namespace tomeo
