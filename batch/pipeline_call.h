// Inside the pipeline: the working values of one ProcessFile call and the helpers its
// steps share. Only the pipeline's own sources include it.
#pragma once

#include <cstdint>
#include <optional>

#include "batch/paths.h"
#include "batch/pipeline.h"
#include "book/stream_source.h"
#include "core/operations.h"
#include "platform/files.h"
#include "zip/file_stream.h"

namespace tomeo {

constexpr char kZipExtension[] = ".zip";
constexpr char kTextExtension[] = ".txt";

constexpr std::uint32_t kRecodings = OP_DOS | OP_UTF8;
constexpr std::uint32_t kRenames = OP_RENAME | OP_RENAME_TO;
constexpr std::uint32_t kMoves = OP_MOVE | OP_MOVE_TO;

inline void replace_extension(WSTR& name, const char* extension) {
    name.truncate(static_cast<std::int32_t>(path_ext(name.c_str()) - name.c_str()));
    name.append(extension);
}

inline void join_path(WSTR& path, const WSTR& directory, const char* name) {
    path.assign(directory);
    path.append(name);
}

inline bool same_ignoring_case(const char* a, const char* b) {
    return ComparePaths(a, b) == PATHS_EQUAL;
}

// A hidden name of ours in the directory, with the extension of name (which keeps an
// archive an archive): where a finished file waits to take a name that is taken.
inline void hidden_beside(WSTR& path, const WSTR& directory, const char* name) {
    path.assign(directory);
    path.append(platform::HiddenTemporaryName(path_ext(name)).c_str());
}

// The working values of one ProcessFile call.
struct Pipeline::Call {
    std::uint32_t pending = 0;
    bool zipped = false;  // the source is the member of an archive

    WSTR source_dir, book_name, physical_name, source_path;
    WSTR dest_dir, new_book_name, new_physical_name, dest_path;
    Container output_container = CONTAINER_FILE;

    bool need_open = false;   // the source must be opened
    bool read_all = false;    // the whole content must be in the book buffer
    bool write_new = false;   // a new file replaces the source
    bool raw_copy = false;    // the member is copied without recompression
    bool plain_move = false;  // the source itself is renamed or moved

    FileStreamPtr source;
    platform::ContentStamp source_stamp;  // the source file as it was opened
    std::optional<StreamBookSource> book_source;
    std::uint32_t source_attributes = platform::kAttributeArchive;

    // The replacement, named output_path when complete: dest_path, or a hidden name
    // beside it when it takes the source's own path or dest_path exists already.
    FileStreamPtr replacement;
    WSTR output_path;
    bool replacement_created = false;  // it bears output_path
    bool temporary_name = false;
    bool verify_existing = false;  // dest_path exists: it may hold this very book

    FileStreamPtr extract;  // a new file: it has its name only once complete

    // The text file, named with a hidden name beside its final path when complete.
    FileStreamPtr text;
    WSTR text_name, text_physical_name, text_dir, text_path, text_output_path;
    bool text_created = false;
    bool text_begun = false;  // fb2txt_begin has run

    void drop(std::uint32_t operations) { pending &= ~operations; }
    bool has(std::uint32_t operations) const { return (pending & operations) != 0; }
};

}  // namespace tomeo
