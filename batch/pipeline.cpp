// The steps of one book: ProcessFile runs them in order; the first failure goes to
// Fail. The steps themselves are in pipeline_read.cpp, pipeline_write.cpp and
// pipeline_finish.cpp.
#include "batch/pipeline.h"

#include <cstring>

#include "batch/pipeline_call.h"
#include "core/path_separator.h"
#include "platform/directories.h"
#include "platform/env.h"

namespace tomeo {
namespace {

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

}  // namespace tomeo
