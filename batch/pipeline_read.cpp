// Preparing and reading: what each operation needs, the code page, the description,
// the information text, move.sc and rename.sc, and the decision between a plain move
// and writing a new file.
#include "batch/pipeline.h"

#include <cerrno>
#include <cstring>

#include "batch/pipeline_call.h"
#include "book/fb2_reader.h"
#include "convert/text_codepage.h"

namespace tomeo {

// --- A. Preparing -----------------------------------------------------------------------

bool Pipeline::Prepare(Call& c) {
    result_ = 0;
    reason_ = FailReason::None;
    reason_detail_.clear();
    unknown_tag_.clear();
    produced_ = TFILEINF{};
    rename_error_.clear();
    move_error_.clear();
    convert_error_.clear();
    if (c.has(OP_MOVE)) target_dir_.clear();

    c.zipped = current_.container == CONTAINER_ZIP;
    c.source_dir.assign(current_.dir);
    c.book_name.assign(current_.name);
    c.physical_name.assign(c.zipped ? current_.zipname : current_.name);
    join_path(c.source_path, c.source_dir, c.physical_name.c_str());
    c.dest_dir.assign(c.source_dir);
    c.new_book_name.assign(c.book_name);
    c.new_physical_name.assign(c.physical_name);
    c.dest_path.assign(c.source_path);
    c.output_container = current_.container;

    // Operations that do not apply to this file have nothing to do.
    if (current_.kind != KIND_TXT) c.drop(OP_DOS);
    if (current_.kind != KIND_FB2) c.drop(OP_TOTEXT);
    if (current_.kind != KIND_FB2 && current_.kind != KIND_TXT) c.drop(OP_UTF8);
    if (c.zipped) c.drop(OP_ZIP);

    // What the others need.
    const bool info_reads_description =
        c.has(OP_INFO) && (current_.kind == KIND_FB2 || current_.kind == KIND_RTF);
    if (c.has(OP_RENAME | OP_TOTEXT | OP_MOVE) || info_reads_description) {
        c.pending |= OP_DESCRIPTION;
    }
    if (c.has(OP_DESCRIPTION | OP_INFO | OP_DOS | OP_UTF8)) c.pending |= OP_CODEPAGE;
    if (c.has(OP_CODEPAGE | OP_DESCRIPTION | OP_INFO)) c.need_open = true;

    if (c.pending == OP_MOVE_TO && !SetDestinationDirectory(c, OP_MOVE_TO)) return false;
    if (c.pending == OP_RENAME_TO && !SetNewName(c, OP_RENAME_TO)) return false;
    if (c.has(OP_ZIP)) {
        replace_extension(c.new_physical_name, kZipExtension);
        join_path(c.dest_path, c.dest_dir, c.new_physical_name.c_str());
        c.need_open = c.read_all = c.write_new = true;
        c.output_container = CONTAINER_ZIP;
    }
    if (c.has(OP_TOTEXT)) c.need_open = c.read_all = true;
    if (c.has(OP_EXTRACT)) {
        if (c.pending != OP_EXTRACT || !IsSafeFileName(path_name(extraction_path_.c_str()))) {
            return false;
        }
        if (c.zipped) {
            c.need_open = c.read_all = true;
        } else {
            c.drop(OP_EXTRACT);  // a loose book is its own copy
        }
    }
    if (c.has(OP_CODEPAGE)) reader_.codepage_state = CP_UNSET;
    if (c.has(OP_DESCRIPTION)) clear_description(desc_);
    if (c.has(OP_INFO)) info_.info_clear();
    return true;
}

// The destination of a move: the target directory, unless the file is there already.
bool Pipeline::SetDestinationDirectory(Call& c, std::uint32_t operation) {
    if (target_dir_.is_empty()) return Refuse(FailReason::EmptyDirectory);
    if (HasParentComponent(target_dir_.c_str())) return Refuse(FailReason::ParentFolder);
    if (!ResolveTargetDirectory(target_dir_.c_str(), c.dest_dir)) return false;
    if (same_ignoring_case(c.dest_dir.c_str(), c.source_dir.c_str())) {
        c.drop(operation);
    } else {
        c.plain_move = true;
    }
    join_path(c.dest_path, c.dest_dir, c.new_physical_name.c_str());
    return true;
}

// The names of a rename to new_name_: a loose book is renamed by the file system, a
// zipped or packed one is written anew under the name (its member too). A change of
// letter case alone is a rename; no change at all leaves nothing to do.
bool Pipeline::SetNewName(Call& c, std::uint32_t operation) {
    // A name that would lead out of the folder is no name.
    if (new_name_.is_empty()) return Refuse(FailReason::EmptyName);
    if (!IsSafeFileName(new_name_.c_str())) return Refuse(FailReason::UnusableName);
    c.new_book_name.assign(new_name_.c_str());
    c.new_book_name.append(current_.extension());
    const bool changed_book = std::strcmp(c.new_book_name.c_str(), c.book_name.c_str()) != 0;
    if (c.zipped || c.has(OP_ZIP)) {
        c.new_physical_name.assign(new_name_.c_str());
        c.new_physical_name.append(kZipExtension);
        if (changed_book ||
            std::strcmp(c.new_physical_name.c_str(), c.physical_name.c_str()) != 0) {
            c.need_open = c.write_new = true;
            c.plain_move = false;
            // A packed book is written from its content; a zipped one is copied raw.
            if (c.has(OP_ZIP)) {
                c.read_all = true;
            } else {
                c.raw_copy = true;
            }
        } else {
            c.drop(operation);
        }
    } else {
        c.new_physical_name.assign(c.new_book_name);
        if (changed_book) {
            c.plain_move = true;
        } else {
            c.drop(operation);
        }
    }
    join_path(c.dest_path, c.dest_dir, c.new_physical_name.c_str());
    return true;
}

// --- B. Reading -------------------------------------------------------------------------

bool Pipeline::Read(Call& c) {
    c.source = stream_open(c.source_path.c_str(), "r");
    if (!c.source) {
        return Refuse(errno == EACCES || errno == EPERM ? FailReason::NoAccess
                                                        : FailReason::SourceUnreadable);
    }
    // What is read is what the file held when it was opened; it may go only unchanged.
    if (!c.source->handle.stamp(c.source_stamp)) return Refuse(FailReason::SourceUnreadable);
    if (c.source_stamp.size != c.source->size) return Refuse(FailReason::SourceChanged);
    c.book_source.emplace(*c.source);
    book_.start(*c.book_source);

    if (c.has(OP_CODEPAGE)) {
        switch (current_.kind) {
            case KIND_TXT: result_ |= detect_text_codepage(book_, reader_); break;
            case KIND_FB2:
                tag_.tag_name.clear();  // what a failure is explained by
                tag_.attr_count = 0;
                result_ |= read_xml_declaration(book_, reader_, tag_);
                if (result_ != 0) return Refuse(ReasonOfDeclaration(tag_, reason_detail_));
                break;
            case KIND_RTF: reader_.codepage_state = CP_1251; break;
            default: return false;
        }
        if (result_ != 0) return Refuse(FailReason::SourceUnreadable);
        c.drop(OP_CODEPAGE);
    }
    if (c.has(OP_DESCRIPTION)) {
        switch (current_.kind) {
            case KIND_TXT: result_ |= read_text_description(book_, reader_, names_, desc_); break;
            case KIND_FB2: result_ |= read_fb2_description(book_, reader_, tag_, desc_); break;
            case KIND_RTF: result_ |= read_rtf_description(book_, rtf_, desc_); break;
            default: return false;
        }
        if (result_ != 0) return Refuse(FailReason::Description);
        c.drop(OP_DESCRIPTION);
    }
    if (c.has(OP_INFO)) {
        const CodePage codepage = reader_.codepage_state;
        switch (current_.kind) {
            case KIND_TXT: result_ |= info_.build_info_text(book_, codepage); break;
            case KIND_FB2:
                result_ |= info_.build_info_fb2(desc_, book_, codepage, converter_);
                break;
            case KIND_RTF: result_ |= info_.build_info_rtf(rtf_); break;
            default: return false;
        }
        if (result_ != 0) return false;
        c.drop(OP_INFO);
    }

    if (c.has(OP_MOVE)) {
        if (!RunScript(scripts_.move, move_error_, [this] {
                ComputeDirectory(scripts_.move, desc_, NamesOfCurrent(), target_dir_);
            })) {
            return false;
        }
        if (!SetDestinationDirectory(c, OP_MOVE)) return false;
    }
    if (c.has(OP_RENAME)) {
        if (!RunScript(scripts_.rename, rename_error_, [this] {
                ComputeFileName(scripts_.rename, desc_, NamesOfCurrent(), new_name_);
            })) {
            return false;
        }
        if (!SetNewName(c, OP_RENAME)) return false;
    }
    if (c.has(OP_UTF8)) {
        if (reader_.codepage_state == CP_UTF8) {
            c.write_new = c.read_all = true;
            c.raw_copy = c.plain_move = false;
            recoder_.recode_utf8_begin(job_, current_.kind == KIND_TXT);
        } else {
            c.drop(OP_UTF8);  // nothing to recode
        }
    }
    if (c.has(OP_DOS)) {
        if (reader_.codepage_state == CP_866) {
            c.write_new = c.read_all = true;
            c.raw_copy = c.plain_move = false;
        } else {
            c.drop(OP_DOS);
        }
    }
    // A replacement is created directly under its final name in its final directory.
    if (c.write_new) c.plain_move = false;
    return true;
}

}  // namespace tomeo
