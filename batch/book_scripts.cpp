#include "batch/book_scripts.h"

#include <cstring>

#include "batch/paths.h"
#include "core/charset.h"
#include "core/messages.h"
#include "core/resources.h"
#include "platform/env.h"
#include "platform/files.h"
#include "zip/file_stream.h"

namespace tomeo {
namespace {

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
// Separates the parts of the reserved variables read by author(), genre(), genrematch().
constexpr char kFieldEnd = '\x08';

struct ScriptSlot {
    SCRIPT BookScripts::*script;
    const char* file_name;
    const char* resource_name;
};

constexpr ScriptSlot kScriptSlots[] = {
    {&BookScripts::rename, kRenameScriptFile, kRenameScriptResource},
    {&BookScripts::move, kMoveScriptFile, kMoveScriptResource},
    {&BookScripts::header, kHeaderScriptFile, kHeaderScriptResource},
};

// "Файл скрипта PATH не удалось прочитать." (or "... больше 16 МБ."), the path in
// double quotes when it holds a space, as file names are in the report.
WSTR UnusableScriptMessage(const char* path, bool too_large) {
    WSTR message;
    message.assign(msg::kScriptFile);
    const bool quoted = std::strchr(path, ' ') != nullptr;
    if (quoted) message.append('"');
    message.append(path);
    if (quoted) message.append('"');
    message.append(too_large ? msg::kScriptFileTooLarge : msg::kScriptFileUnreadable);
    return message;
}

void append_field(WSTR& text, const char* field) {
    text.append(field);
    text.append(kFieldEnd);
}

// A name or folder taken from book data never holds control characters: a tab, a line
// break or an escape sequence in a title would make a name no one can type and a
// report that plays tricks on the terminal. They become "_", as forbidden characters do.
void replace_control_characters(TextBuffer& text) {
    for (char* p = text.data(); *p != '\0'; ++p) {
        if (static_cast<unsigned char>(*p) < 0x20) *p = '_';
    }
}

}  // namespace

WSTR ScriptFilePath(const char* file_name) {
    WSTR path = platform::ConfigDirectory();
    if (!path.is_empty()) path.append(file_name);
    return path;
}

std::string ScriptTextFromFile(std::string_view bytes) {
    std::string_view text = bytes;
    if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(sizeof kUtf8ByteOrderMark - 1);
    if (!is_valid_utf8(text)) return std::string(bytes);
    return utf8_to_cp1251_lossy(text);
}

ScriptFileState LoadScriptFile(SCRIPT& script, const char* path) {
    if (*path == '\0') return ScriptFileState::kMissing;  // no configuration folder
    std::string bytes;
    if (!platform::ReadWholeFile(path, kMaxScriptFileSize, bytes)) {
        if (!platform::NameExists(path)) return ScriptFileState::kMissing;
        platform::FileStatus status;
        return platform::GetFileStatus(path, status) && !status.is_directory() &&
                       status.size > kMaxScriptFileSize
                   ? ScriptFileState::kTooLarge
                   : ScriptFileState::kUnreadable;
    }
    const std::string text = ScriptTextFromFile(bytes);
    script.set_text(text.data(), static_cast<std::int32_t>(text.size()));
    return ScriptFileState::kLoaded;
}

bool LoadScriptResource(SCRIPT& script, const char* resource_name) {
    WBUF text;
    if (!LoadResourceFile(text, resource_name)) return false;
    script.set_text(reinterpret_cast<const char*>(text.data()), text.length());
    return true;
}

bool SaveScriptFile(const SCRIPT& script, const char* path) {
    if (*path == '\0') return false;
    WSTR directory;
    directory.assign(path);
    path_cut_to_dir(directory.data());
    if (!directory.is_empty() && !DirectoryExists(directory.c_str())) {
        directory.drop_trailing_backslash();
        if (!CreateDirectoryPath(directory.c_str())) return false;
    }
    return platform::WriteFileReplacing(path, cp1251_to_utf8(script.get_text()));
}

void LoadScripts(BookScripts& scripts) {
    for (const ScriptSlot& slot : kScriptSlots) {
        SCRIPT& script = scripts.*slot.script;
        const WSTR path = ScriptFilePath(slot.file_name);
        const ScriptFileState state = LoadScriptFile(script, path.c_str());
        script.set_modified(state == ScriptFileState::kMissing);
        if (state == ScriptFileState::kMissing) {
            LoadScriptResource(script, slot.resource_name);
        } else if (state != ScriptFileState::kLoaded) {
            // The user's script, whatever it holds, is not replaced by the default.
            script.set_unreadable(
                UnusableScriptMessage(path.c_str(), state == ScriptFileState::kTooLarge).c_str());
        }
    }
}

void SaveModifiedScripts(const BookScripts& scripts) {
    for (const ScriptSlot& slot : kScriptSlots) {
        const SCRIPT& script = scripts.*slot.script;
        // A script that cannot be written stays as it was on disk, without a message.
        if (script.modified() && !script.unreadable()) {
            SaveScriptFile(script, ScriptFilePath(slot.file_name).c_str());
        }
    }
}

void BindBookVariables(SCRIPT& script, const TBOOKDESC& desc, const BookFileNames& names) {
    script.clear_variables();
    script.define_string("$title", desc.title.c_str());
    script.define_string("$seq", desc.seq.c_str());
    script.define_string("$seqnum", desc.seqnum.c_str());
    script.define_string("$subseq", desc.subseq.c_str());
    script.define_string("$subseqnum", desc.subseqnum.c_str());

    WSTR genres, matches;
    for (std::int32_t i = 0; i < desc.genres.count(); ++i) {
        append_field(genres, desc.genres[i].name.c_str());
        append_field(matches, desc.genres[i].match.c_str());
    }
    script.define_string("$_genre_str_", genres.c_str());
    script.define_string("$_genrematch_str_", matches.c_str());
    script.define_integer("$genreno", desc.genres.count());

    WSTR authors;
    for (std::int32_t i = 0; i < desc.authors.count(); ++i) {
        const TAUTHOR& author = desc.authors[i];
        append_field(authors, author.first_name.c_str());
        append_field(authors, author.middle_name.c_str());
        append_field(authors, author.last_name.c_str());
    }
    script.define_string("$_author_str_", authors.c_str());
    script.define_integer("$authorno", desc.authors.count());

    // The directory without its final separator ("/" itself gives the empty text).
    WSTR source_dir;
    source_dir.assign(names.source_dir);
    source_dir.truncate(source_dir.length() - 1);
    script.define_string("$srcdir", source_dir.c_str());
    script.define_string("$bookfile", names.book_file);
    script.define_string("$bookfileext", path_ext(names.book_file));
    script.define_string("$srcfile", names.source_file);
    script.define_string("$srcfileext", path_ext(names.source_file));
    script.define_integer("$isannt", desc.isannt);
    script.define_string("$publisher", desc.publisher.c_str());
    script.define_string("$publcity", desc.publcity.c_str());
    script.define_string("$publyear", desc.publyear.c_str());
}

void ComputeFileName(SCRIPT& rename, const TBOOKDESC& desc, const BookFileNames& names,
                     HSTR& new_name) {
    BindBookVariables(rename, desc, names);
    rename.define_string("$filename", "");
    rename.Run();
    new_name.assign(rename.get_string("$filename"));
    replace_control_characters(new_name);
}

void ComputeDirectory(SCRIPT& move, const TBOOKDESC& desc, const BookFileNames& names,
                      WSTR& target_dir) {
    BindBookVariables(move, desc, names);
    move.define_string("$dir", "");
    move.Run();
    target_dir.assign(move.get_string("$dir"));
    replace_control_characters(target_dir);
}

// --- The text header ----------------------------------------------------------------

TextHeaderRun::TextHeaderRun(SCRIPT& script, WSTR& error_text)
    : script_(script), error_text_(error_text) {
    printp_reference_ = script_.add_handler(printp_);
    printannt_reference_ = script_.add_handler(printannt_);
}

TextHeaderRun::~TextHeaderRun() {
    script_.remove_handler(printp_reference_);
    script_.remove_handler(printannt_reference_);
}

bool TextHeaderRun::Procedure::Perform(const char* text) {
    if (converter == nullptr) return false;
    return annotation_ ? converter->printannt() : converter->printp(text);
}

bool TextHeaderRun::RunHeader(Fb2TextConverter& converter) {
    if (desc_ == nullptr) return false;
    printp_.converter = &converter;
    printannt_.converter = &converter;
    const bool ok = RunScript(script_, error_text_, [this] {
        BindBookVariables(script_, *desc_, names_);
        script_.define_handler("$_printp_str_", printp_reference_);
        script_.define_handler("$_printannt_str_", printannt_reference_);
        script_.Run();
    });
    printp_.converter = nullptr;
    printannt_.converter = nullptr;
    return ok;
}

}  // namespace tomeo
