// Finishing: the outputs are closed and named, the replacement takes the source's
// place while the source is the file that was read, or the source itself is moved.
#include "batch/pipeline.h"

#include <cstring>

#include "batch/pipeline_call.h"
#include "platform/directories.h"
#include "zip/stream_compare.h"

namespace tomeo {

// --- E. Finishing -----------------------------------------------------------------------

bool Pipeline::FinishOutputs(Call& c) {
    if (c.extract) {
        // The copy bears the member's time, as an unpacked file does.
        if (!fs_set_time(*c.extract, c.source->mtime) ||
            stream_close(std::move(c.extract), close_info_) != 0) {
            return false;
        }
        c.drop(OP_EXTRACT);
    }
    if (c.text) {
        const bool packed = c.text->kind == kStreamZip;
        const bool closed = stream_close(std::move(c.text), close_info_) == 0;
        c.text_created = close_info_.published;
        if (!closed) return FailedCall();
        // What bears the name now, not what bore it when the conversion began.
        if (const FailReason taken =
                TextMayBeReplaced(c.text_path.c_str(), c.text_name.c_str(), packed);
            taken != FailReason::None) {
            return Refuse(taken);
        }
        if (!platform::ReplaceFile(c.text_output_path.c_str(), c.text_path.c_str())) {
            return FailedCall();
        }
        c.text_created = false;
        c.drop(OP_TOTEXT);
        produced_.dir.assign(c.text_dir);
        produced_.name.assign(c.text_name);
        produced_.kind = KIND_TXT;
        if (packed) {
            produced_.container = CONTAINER_ZIP;
            produced_.size = close_info_.membersize;
            produced_.time = close_info_.membertime;
            produced_.zipname.assign(c.text_physical_name);
            produced_.zipsize = close_info_.filesize;
        } else {
            produced_.container = CONTAINER_FILE;
            produced_.size = close_info_.filesize;
            produced_.time = close_info_.filetime;
        }
    }
    book_.detach();
    c.source.reset();
    c.book_source.reset();

    if (!c.replacement) return true;
    // The new file must be complete and on disk, its name too, before the source goes.
    const bool closed = stream_close(std::move(c.replacement), close_info_) == 0;
    c.replacement_created = close_info_.published;
    if (!closed || !platform::FlushDirectory(c.dest_dir.c_str())) return FailedCall();
    if (!ReplaceSource(c)) return false;

    TakeReplacement(c);
    if (c.output_container == CONTAINER_ZIP) {
        current_.zipname.assign(c.new_physical_name);
    } else if (c.has(kRenames)) {
        current_.name.assign(c.new_physical_name);
    }
    c.drop(kRenames);
    if (c.has(kMoves)) current_.dir.assign(c.dest_dir);
    c.drop(kMoves);
    return true;
}

// The record describes the replacement's content (its name aside), which no longer
// needs recoding or packing.
void Pipeline::TakeReplacement(Call& c) {
    current_.container = c.output_container;
    if (c.output_container == CONTAINER_ZIP) {
        current_.size = close_info_.membersize;
        current_.zipsize = close_info_.filesize;
        current_.time = close_info_.membertime;
        current_.name.assign(c.new_book_name);
    } else {
        current_.size = close_info_.filesize;
        current_.time = close_info_.filetime;
    }
    if (c.has(kRecodings)) reader_.codepage_state = CP_1251;
    c.drop(kRecodings | OP_ZIP);
}

// The complete, flushed replacement takes the source's place. Afterwards the source is
// gone and the new file bears the destination path; on failure the source is untouched
// and the new file is wherever output_path says (the failure path deletes it).
bool Pipeline::ReplaceSource(Call& c) {
    const char* source = c.source_path.c_str();
    const char* dest = c.dest_path.c_str();
    if (c.verify_existing) {
        // Only a destination that holds exactly the new content lets the source go.
        if (!stream_contents_equal(c.output_path.c_str(), dest)) {
            return Refuse(FailReason::NameTaken);
        }
        if (!platform::RemoveFile(c.output_path.c_str())) return FailedCall();
        c.replacement_created = false;
        // The record describes the file that stays.
        platform::FileStatus status;
        if (platform::GetFileStatus(dest, status)) {
            close_info_.filesize = static_cast<std::int32_t>(status.size);
            close_info_.filetime = status.last_write_time;
        }
        if (!SourceMayGo(c)) return false;
        return platform::RemoveFile(source) || FailedCall();
    }
    if (!c.temporary_name) {
        if (!SourceMayGo(c)) return false;
        if (!platform::RemoveFile(source)) return FailedCall();
        c.replacement_created = false;
        return true;
    }
    if (std::strcmp(dest, source) == 0) {
        // One atomic rename: at every moment either the old or the new file is there.
        if (!SourceMayGo(c)) return false;
        if (!platform::ReplaceFile(c.output_path.c_str(), source)) return FailedCall();
        c.replacement_created = false;
        platform::FlushDirectory(c.dest_dir.c_str());  // the rename is done either way
        return true;
    }
    // The names differ in letter case alone. On a case-insensitive file system both
    // name the source: replace it atomically, then change the case of its name.
    if (platform::IsSameFile(dest, source)) {
        if (!SourceMayGo(c)) return false;
        if (!platform::ReplaceFile(c.output_path.c_str(), source)) return FailedCall();
        c.replacement_created = false;
        if (!platform::MoveFile(source, dest)) {
            // The new content is in place under the old name: only the rename failed.
            TakeReplacement(c);
            return FailedCall();
        }
        return true;
    }
    // On a case-sensitive file system they are two names: the new file takes the new
    // one (never replacing another file that bears it), then the source goes.
    if (!platform::MoveFile(c.output_path.c_str(), dest)) return FailedCall();
    c.output_path.assign(c.dest_path);
    platform::FlushDirectory(c.dest_dir.c_str());
    if (!SourceMayGo(c)) return false;
    if (!platform::RemoveFile(source)) return FailedCall();
    c.replacement_created = false;
    return true;
}

// A source is deleted or replaced only while it is the file that was read: a book that
// another program appended to or rewrote meanwhile stays, and the new file goes.
bool Pipeline::SourceMayGo(const Call& c) {
    platform::ContentStamp now;
    if (!platform::GetContentStamp(c.source_path.c_str(), now)) return FailedCall();
    return now == c.source_stamp || Refuse(FailReason::SourceChanged);
}

bool Pipeline::PlainMove(Call& c) {
    if (!c.plain_move) return true;
    if (c.has(kMoves) && !DirectoryExists(c.dest_dir.c_str())) {
        WSTR directory(c.dest_dir);
        directory.drop_trailing_backslash();
        if (!CreateDirectoryPath(directory.c_str())) return FailedCall();
    }
    if (!platform::MoveFile(c.source_path.c_str(), c.dest_path.c_str())) return FailedCall();
    if (c.has(kRenames)) {
        if (!c.zipped) current_.name.assign(c.new_physical_name);
        c.drop(kRenames);
    }
    if (c.has(kMoves)) {
        current_.dir.assign(c.dest_dir);
        c.drop(kMoves);
    }
    return true;
}

}  // namespace tomeo
