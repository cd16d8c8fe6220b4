#include "batch/pipeline.h"

#include <cstring>
#include <optional>

#include "batch/paths.h"
#include "batch/progress.h"
#include "batch/settings.h"
#include "book/fb2_reader.h"
#include "book/stream_source.h"
#include "convert/text_codepage.h"
#include "core/messages.h"
#include "core/operations.h"
#include "core/path_separator.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "platform/env.h"
#include "platform/files.h"
#include "zip/stream_compare.h"
#include "zip/zip_writer.h"

namespace tomeo {
namespace {

constexpr char kZipExtension[] = ".zip";
constexpr char kTextExtension[] = ".txt";
// An unknown tag is named in the report cut to this many bytes.
constexpr std::int32_t kMaxTagShown = 40;

constexpr std::uint32_t kRecodings = OP_DOS | OP_UTF8;
constexpr std::uint32_t kRenames = OP_RENAME | OP_RENAME_TO;
constexpr std::uint32_t kMoves = OP_MOVE | OP_MOVE_TO;

void replace_extension(WSTR& name, const char* extension) {
    name.truncate(static_cast<std::int32_t>(path_ext(name.c_str()) - name.c_str()));
    name.append(extension);
}

void join(WSTR& path, const WSTR& directory, const char* name) {
    path.assign(directory);
    path.append(name);
}

bool same_ignoring_case(const char* a, const char* b) {
    return ComparePaths(a, b) == PATHS_EQUAL;
}

// A hidden name of ours in the directory, with the extension of name (which keeps an
// archive an archive): where a finished file waits to take a name that is taken.
void hidden_beside(WSTR& path, const WSTR& directory, const char* name) {
    path.assign(directory);
    path.append(platform::HiddenTemporaryName(path_ext(name)).c_str());
}

// The result flag of each operation left pending by a failure.
constexpr struct {
    std::uint32_t operations;
    std::uint32_t result;
} kFailureFlags[] = {
    {OP_CODEPAGE, RES_CODEPAGE}, {OP_DESCRIPTION, RES_DESCRIPTION}, {OP_INFO, RES_INFO},
    {kRenames, RES_RENAME},      {OP_EXTRACT, RES_EXTRACT},         {OP_DOS, RES_DOS},
    {kMoves, RES_MOVE},          {OP_TOTEXT, RES_TOTEXT},           {OP_ZIP, RES_ZIP},
};

}  // namespace

bool IsSafeFileName(const char* name) {
    return *name != '\0' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 &&
           std::strchr(name, kPathSeparator) == nullptr;
}

bool ResolveTargetDirectory(const char* target, WSTR& directory) {
    // A folder built from a book (an author named "../../x") must not lead elsewhere.
    if (HasParentComponent(target)) return false;
    if (target[0] == '~' && target[1] == kPathSeparator) {
        directory = platform::HomeDirectory();
        if (directory.is_empty()) return false;
        directory.append(target + 2);
    } else if (target[0] != kPathSeparator) {
        if (!platform::GetWorkingDirectory(directory)) return false;
        directory.append(target);
    } else {
        directory.assign(target);
    }
    directory.ensure_trailing_backslash();
    return true;
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

Pipeline::Pipeline(const PipelineContext& context)
    : current_(context.current),
      scripts_(context.scripts),
      target_dir_(context.target_dir),
      rename_error_(context.rename_error),
      move_error_(context.move_error),
      convert_error_(context.convert_error),
      desc_(context.description),
      list_(context.list),
      names_(context.names),
      converter_(context.converter),
      book_(context.book),
      current_dir_(context.current_dir),
      settings_(context.settings),
      view_(context.view),
      header_(context.scripts.header, context.convert_error) {}

// The record still names the source while the scripts run.
BookFileNames Pipeline::NamesOfCurrent() const {
    const WSTR& file = current_.container == CONTAINER_ZIP ? current_.zipname : current_.name;
    return {current_.dir.c_str(), current_.name.c_str(), file.c_str()};
}

std::uint32_t Pipeline::ProcessFile(std::uint32_t operations) {
    Call call;
    call.pending = operations;
    const bool done = Prepare(call) &&
                      (!call.need_open || (Read(call) && CreateOutputs(call) &&
                                           PassOverContent(call) && FinishOutputs(call))) &&
                      PlainMove(call);
    if (!done) Fail(call);
    if (call.text_begun) converter_.fb2txt_end();
    return result_;
}

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
    join(c.source_path, c.source_dir, c.physical_name.c_str());
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
        join(c.dest_path, c.dest_dir, c.new_physical_name.c_str());
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
    join(c.dest_path, c.dest_dir, c.new_physical_name.c_str());
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
    join(c.dest_path, c.dest_dir, c.new_physical_name.c_str());
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

// --- C. Creating the outputs ------------------------------------------------------------

bool Pipeline::CreateOutputs(Call& c) {
    platform::FileStatus status;
    if (platform::GetFileStatus(c.source_path.c_str(), status)) {
        c.source_attributes = status.attributes & ~platform::kAttributeDirectory;
    }
    const std::uint32_t member_attributes = c.zipped ? c.source->attributes : c.source_attributes;

    if (c.write_new) {
        c.temporary_name = same_ignoring_case(c.dest_path.c_str(), c.source_path.c_str());
        if (c.has(kMoves) && !DirectoryExists(c.dest_dir.c_str())) {
            WSTR directory(c.dest_dir);
            directory.drop_trailing_backslash();
            if (!CreateDirectoryPath(directory.c_str())) return FailedCall();
        }
        // A file of the destination's name may be this book's own result, left by a run
        // killed before it could delete the source: the new file is compared with it.
        platform::FileStamp stamp;
        c.verify_existing =
            !c.temporary_name &&
            platform::ExamineName(c.dest_path.c_str(), stamp) != platform::NameState::Missing;
        if (c.temporary_name || c.verify_existing) {
            hidden_beside(c.output_path, c.dest_dir, c.new_physical_name.c_str());
        } else {
            c.output_path.assign(c.dest_path);
        }
        c.replacement = stream_create(c.output_path.c_str(), false, c.source_attributes);
        if (!c.replacement) return FailedCall();
        if (!fs_copy_access(*c.replacement, *c.source)) return FailedCall();
        if (c.output_container == CONTAINER_ZIP) {
            if (c.replacement->kind != kStreamZip) return false;
            TFILESTREAM& out = *c.replacement;
            out.name.assign(c.new_book_name.c_str());
            out.attributes = member_attributes;
            // New content gets the present time; a copy or a packed file keeps its own.
            if (c.has(kRecodings)) {
                out.mtime = platform::CurrentLocalFileTime();
            } else {
                out.mtime = c.zipped ? c.source->mtime : current_.time;
            }
            if (c.zipped && !zip_copy_headers(*c.source, out)) return false;
        }
    }

    if (c.has(OP_EXTRACT)) {
        c.extract = fs_create(extraction_path_.c_str(), false, c.source->attributes);
        if (!c.extract) return false;
    }

    if (c.has(OP_TOTEXT)) {
        c.text_name.assign(c.new_book_name);
        replace_extension(c.text_name, kTextExtension);
        const TextPacking packing = settings_.text_packing;
        const bool loose_text =
            packing == TEXT_NOT_PACKED || (packing == TEXT_AS_SOURCE && !c.zipped);
        std::uint32_t attributes = c.source_attributes;
        c.text_physical_name.assign(c.text_name);
        if (loose_text) {
            if (c.zipped) attributes = c.source->attributes;
        } else {
            replace_extension(c.text_physical_name, kZipExtension);
        }
        if (settings_.text_dir.is_empty()) {
            c.text_dir.assign(c.source_dir);
        } else if (HasParentComponent(settings_.text_dir.c_str())) {
            return Refuse(FailReason::ParentFolder);
        } else if (!ResolveTargetDirectory(settings_.text_dir.c_str(), c.text_dir)) {
            return false;
        }
        join(c.text_path, c.text_dir, c.text_physical_name.c_str());
        // The text file replaces an older one of its name, never the book itself or the
        // book's replacement (with a packed text file they may share the name).
        const char* text_path = c.text_path.c_str();
        if (same_ignoring_case(text_path, c.source_path.c_str()) ||
            platform::IsSameFile(text_path, c.source_path.c_str()) ||
            (c.write_new && (same_ignoring_case(text_path, c.dest_path.c_str()) ||
                             same_ignoring_case(text_path, c.output_path.c_str())))) {
            return Refuse(FailReason::TextNameTaken);
        }
        // Nor anything else that is not an older text of this book.
        if (const FailReason taken = TextMayBeReplaced(text_path, c.text_name.c_str(), !loose_text);
            taken != FailReason::None) {
            return Refuse(taken);
        }
        // Named beside its final name when complete, so that an older text file stays
        // until the new one takes its place.
        hidden_beside(c.text_output_path, c.text_dir, c.text_physical_name.c_str());
        c.text = stream_create(c.text_output_path.c_str(), false, attributes);
        if (!c.text) return FailedCall();
        if (!fs_copy_access(*c.text, *c.source)) return FailedCall();
        if (!loose_text) {
            if (c.text->kind != kStreamZip) return false;
            c.text->name.assign(c.text_name.c_str());
            c.text->attributes = member_attributes;
            c.text->mtime = platform::CurrentLocalFileTime();
        }
    }
    return true;
}

// --- D. Passing over the content --------------------------------------------------------

bool Pipeline::PassOverContent(Call& c) {
    if (c.read_all) {
        const std::int32_t size = c.zipped ? c.source->member_size : c.source->size;
        // Sizes are signed 32-bit: a content that does not fit is refused, never wrapped.
        if (size < 0 || !book_.load_up_to(size) || book_.fill() != size) {
            return Refuse(FailReason::SourceUnreadable);
        }
    }
    if (c.has(OP_ZIP) && !c.has(kRecodings)) {
        if (stream_write(*c.replacement, book_.bytes(), book_.fill()) < 0) return FailedCall();
    }
    if (c.has(kRecodings) && !ConvertInto(*c.replacement, c.has(OP_DOS))) return false;
    if (c.has(OP_TOTEXT) && !ConvertToText(c)) return false;
    if (c.has(OP_EXTRACT)) {
        if (stream_write(*c.extract, book_.bytes(), book_.fill()) < 0) return false;
    }
    if (c.raw_copy && zip_copy_member(*c.source, *c.replacement) < 0) return false;
    return true;
}

namespace {

// One chunked pass over the book buffer, every chunk written to the output.
template <typename Step>
bool run_pass(TCONVJOB& job, WBUF& chunk, const unsigned char* src, std::int32_t src_len,
              TFILESTREAM& output, Step step) {
    job.src = src;
    job.src_len = src_len;
    job.dst = chunk.data();
    job.dst_cap = kConvChunkSize;
    return run_conversion_pass(job, step, [&output](const unsigned char* bytes, std::int32_t n) {
        return stream_write(output, bytes, n) >= 0;
    });
}

}  // namespace

bool Pipeline::ConvertInto(TFILESTREAM& output, bool dos) {
    chunk_.reserve(kConvChunkSize);
    job_.status = CONV_OK;
    const bool ok =
        run_pass(job_, chunk_, book_.bytes(), book_.fill(), output, [this, dos](TCONVJOB& job) {
            if (dos) {
                recode_866_chunk(job);
            } else {
                recoder_.recode_utf8_chunk(job);
            }
        });
    if (ok || dos) return ok;
    if (job_.status == CONV_NOT_1251) {
        result_ |= RES_UTF8_NOT1251;
    } else if (job_.status == CONV_BAD_UTF8) {
        result_ |= RES_UTF8_BADCODE;
    }
    return false;
}

bool Pipeline::ConvertToText(Call& c) {
    chunk_.reserve(kConvChunkSize);
    job_.src = book_.bytes();
    job_.src_len = book_.fill();
    job_.src_pos = 0;
    job_.dst = chunk_.data();
    job_.dst_cap = kConvChunkSize;
    job_.dst_len = 0;

    Fb2TextConverter::Input input;
    input.book = book_.view();
    input.codepage_state = reader_.codepage_state;
    input.description = &desc_;
    input.layout.para_form = settings_.paragraph_form;
    input.layout.indent = settings_.paragraph_indent;
    header_.set_book(desc_, NamesOfCurrent());
    input.header = &header_;
    converter_.fb2txt_begin(job_, input);
    c.text_begun = true;
    if (job_.status != CONV_OK) return false;

    const bool ok = run_pass(job_, chunk_, book_.bytes(), book_.fill(), *c.text,
                             [this](TCONVJOB& job) { converter_.fb2txt_chunk(job); });
    if (!ok) {
        switch (job_.status) {
            case CONV_NOT_1251: result_ |= RES_TOTEXT_NOT1251; break;
            case CONV_BAD_UTF8: result_ |= RES_TOTEXT_BADCODE; break;
            case CONV_BROKEN: result_ |= RES_TOTEXT_STRUCTURE; break;
            case CONV_UNKNOWN_TAG:
                result_ |= RES_TOTEXT_TAG;
                unknown_tag_.assign(converter_.last_tag());
                if (unknown_tag_.length() > kMaxTagShown) unknown_tag_.truncate(kMaxTagShown);
                break;
            default: break;
        }
        result_ |= RES_TOTEXT;
    }
    return ok;
}

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

// --- The failure path -------------------------------------------------------------------

void Pipeline::Fail(Call& c) {
    // Unfinished outputs are dropped unflushed and deleted; the source is never deleted.
    c.extract.reset();
    c.text.reset();
    if (c.text_created) platform::RemoveFile(c.text_output_path.c_str());
    c.replacement.reset();
    if (c.replacement_created) platform::RemoveFile(c.output_path.c_str());
    book_.detach();
    c.source.reset();
    c.book_source.reset();

    for (const auto& f : kFailureFlags) {
        if (c.has(f.operations)) result_ |= f.result;
    }
    if (c.has(OP_UTF8) && (result_ & (RES_UTF8_NOT1251 | RES_UTF8_BADCODE)) == 0) {
        result_ |= RES_UTF8;
    }
}

bool Pipeline::Refuse(FailReason reason) {
    if (reason_ == FailReason::None) reason_ = reason;
    return false;
}

// --- The list ---------------------------------------------------------------------------

void Pipeline::MakeCurrent(std::int32_t index) {
    static_cast<TFILEINF&>(current_) = list_.at(index);
    current_.index = index;
}

void Pipeline::StoreCurrent() {
    list_.SetFileEntry(current_.index, FieldsOf(current_));
}

namespace {

bool stays_listed(ListMode mode, const char* listed_dir, const char* dir) {
    const int relation = ComparePaths(listed_dir, dir);
    return relation == PATHS_EQUAL || (mode == LIST_MODE_TREE && relation == PATHS_A_PREFIX_OF_B);
}

}  // namespace

void Pipeline::RunOperationsOnList(std::uint32_t operations, Report& report,
                                   ListRunProgress* progress) {
    list_.ClearProcessedMarks();
    if (progress != nullptr) progress->ListStarted(CountBooks(list_));
    for (std::int32_t i = 0; i < list_.count(); ++i) {
        MakeCurrent(i);
        if (current_.kind == KIND_DIRECTORY || current_.kind == KIND_DRIVE ||
            current_.processed != 0) {
            continue;
        }
        if (progress != nullptr && progress->StopRequested()) break;
        if (progress != nullptr) progress->FileStarted(current_);
        ProcessFile(operations);
        if (!produced_.name.is_empty()) AddProducedFile();
        if (stays_listed(list_.mode, current_dir_.c_str(), current_.dir.c_str())) {
            StoreCurrent();
        } else {
            list_.RemoveFileEntry(i);
            --i;
        }
        if (result_ != 0) ReportCurrentResults(report);
        if (progress != nullptr) progress->FileDone(result_ != 0);
    }
}

std::int32_t Pipeline::AddProducedFile() {
    if (!stays_listed(list_.mode, current_dir_.c_str(), produced_.dir.c_str())) return -1;
    // The entry of that text file, in its own directory (in list mode 2 the list holds
    // books of several directories that may share a name).
    std::int32_t index = -1;
    for (std::int32_t i = 0; i < list_.count() && index < 0; ++i) {
        const TFILEINF& e = list_.at(i);
        if (e.kind == KIND_TXT && same_ignoring_case(e.name.c_str(), produced_.name.c_str()) &&
            same_ignoring_case(e.zipname.c_str(), produced_.zipname.c_str()) &&
            same_ignoring_case(e.dir.c_str(), produced_.dir.c_str())) {
            index = i;
        }
    }
    if (index < 0) {
        index = current_.index + 1;
        list_.InsertFileEntry(index, FieldsOf(produced_));
    } else {
        list_.SetFileEntry(index, FieldsOf(produced_));
    }
    list_.MarkProcessed(index);
    return index;
}

void Pipeline::ReportCurrentResults(Report& report) const {
    FileResults results;
    results.flags = result_;
    results.name = current_.name.c_str();
    results.target_dir = target_dir_.c_str();
    results.rename_error = rename_error_.c_str();
    results.move_error = move_error_.c_str();
    results.convert_error = convert_error_.c_str();
    results.reason = reason_;
    results.reason_detail = reason_detail_.c_str();
    results.unknown_tag = unknown_tag_.c_str();
    report.ReportResults(results);
}

// --- The window's single-file actions ---------------------------------------------------

bool Pipeline::RenameTo(const char* name, Report& report) {
    new_name_.assign(name);
    if (ProcessFile(OP_RENAME_TO) == 0) return true;
    report.FormatReport(msg::kRenameFailed, current_.name.c_str());
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::MoveTo(const char* directory, Report& report) {
    target_dir_.assign(directory);
    if (ProcessFile(OP_MOVE_TO) == 0) return true;
    report.FormatReport(msg::kMoveFailedTo, current_.name.c_str(), target_dir_.c_str());
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::Pack(Report& report) {
    if (ProcessFile(OP_ZIP) == 0) return true;
    report.FormatReport(msg::kPackFailed, current_.name.c_str());
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::RecodeDos(Report& report) {
    if (ProcessFile(OP_DOS) == 0) return true;
    report.FormatReport(msg::kRecodeFailed, current_.name.c_str());
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::RecodeUtf8(Report& report) {
    if (ProcessFile(OP_UTF8) == 0) return true;
    report.FormatReport(msg::kRecodeFailed, current_.name.c_str());
    if (result_ & RES_UTF8_BADCODE) report.AppendText(msg::kReasonBadUtf8);
    if (result_ & RES_UTF8_NOT1251) report.AppendText(msg::kReasonNot1251);
    report.AppendReason(reason_, reason_detail_.c_str());
    return false;
}

bool Pipeline::Convert(Report& report) {
    const std::uint32_t result = ProcessFile(OP_TOTEXT);
    if (!produced_.name.is_empty()) AddProducedFile();
    if (result == 0) return true;
    // The conversion's own messages, without those of other operations.
    report.ClearReport();
    FileResults results;
    results.flags = result & (RES_TOTEXT | RES_TOTEXT_NOT1251 | RES_TOTEXT_BADCODE |
                              RES_TOTEXT_TAG | RES_TOTEXT_STRUCTURE);
    results.name = current_.name.c_str();
    results.convert_error = convert_error_.c_str();
    results.reason = reason_;
    results.reason_detail = reason_detail_.c_str();
    results.unknown_tag = unknown_tag_.c_str();
    report.ReportResults(results);
    return false;
}

std::uint32_t Pipeline::ReadSelected(Report& report) {
    new_name_.clear();
    target_dir_.clear();
    const std::uint32_t result = ProcessFile(OP_CODEPAGE | OP_DESCRIPTION | OP_INFO);
    report.ClearReport();
    if (result & RES_DESCRIPTION) return result;
    WSTR error;
    if (!RunScript(scripts_.rename, error, [this] {
            ComputeFileName(scripts_.rename, desc_, NamesOfCurrent(), new_name_);
        })) {
        new_name_.clear();
        report.SetReport(error.c_str());
    }
    if (!RunScript(scripts_.move, error, [this] {
            ComputeDirectory(scripts_.move, desc_, NamesOfCurrent(), target_dir_);
        })) {
        target_dir_.clear();
        report.AppendParagraphBreak();
        report.AppendText(error.c_str());
    }
    return result;
}

bool Pipeline::Extract(const char* path) {
    extraction_path_.assign(path);
    return ProcessFile(OP_EXTRACT) == 0;
}

}  // namespace tomeo
