// Creating the outputs (the replacement, the extracted copy, the text file) and the one
// pass over the content that fills them.
#include "batch/pipeline.h"

#include <cstring>

#include "batch/pipeline_call.h"
#include "batch/settings.h"
#include "convert/text_codepage.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "zip/zip_writer.h"

namespace tomeo {
namespace {

// An unknown tag is named in the report cut to this many bytes.
constexpr std::int32_t kMaxTagShown = 40;

}  // namespace

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
        join_path(c.text_path, c.text_dir, c.text_physical_name.c_str());
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

}  // namespace tomeo
