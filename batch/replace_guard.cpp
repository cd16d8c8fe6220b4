#include "batch/replace_guard.h"

#include <cerrno>

#include "batch/paths.h"
#include "platform/directories.h"
#include "zip/file_stream.h"

namespace tomeo {
namespace {

// Names from a book go into the report cut to this many bytes.
constexpr std::int32_t kMaxDetail = 40;

}  // namespace

FailReason TextMayBeReplaced(const char* path, const char* text_name, bool packed) {
    platform::FileStamp stamp;
    switch (platform::ExamineName(path, stamp)) {
        case platform::NameState::Missing: return FailReason::None;
        case platform::NameState::RegularFile: break;
        default: return FailReason::TextNameTaken;
    }
    if (!packed) return FailReason::None;
    const FileStreamPtr older = stream_open(path, "r");
    if (!older || older->kind != kStreamZip ||
        ComparePaths(older->name.c_str(), text_name) != PATHS_EQUAL) {
        return FailReason::TextNameTaken;
    }
    return FailReason::None;
}

FailReason ReasonOfError(int error_number) {
    switch (error_number) {
        case EEXIST:
        case ENOTEMPTY: return FailReason::NameTaken;
        case ENAMETOOLONG:
        case EINVAL:
        case EILSEQ: return FailReason::NameNotAllowed;
        case ENOSPC:
        case EDQUOT: return FailReason::NoSpace;
        case EACCES:
        case EPERM:
        case EROFS: return FailReason::NoAccess;
        case platform::kErrorFileChanged: return FailReason::SourceChanged;
        default: return FailReason::None;
    }
}

FailReason ReasonOfDeclaration(const TXMLTAG& tag, WSTR& detail) {
    const std::int32_t encoding = find_attr(tag, "encoding");
    if (!equals_ignoring_case(tag.tag_name.c_str(), "xml") || encoding < 0) {
        return FailReason::NoEncoding;
    }
    const char* name = tag.attr_value[encoding].c_str();
    if (*name == '\0') return FailReason::NoEncoding;
    detail.assign(name);
    if (detail.length() > kMaxDetail) detail.truncate(kMaxDetail);
    return FailReason::UnknownEncoding;
}

}  // namespace tomeo
