// RTF books: the author and title fields of the information group {\info ...} of the
// header, found by counting braces in the raw bytes.
#pragma once

#include <cstdint>

#include "book/book_buffer.h"
#include "book/book_desc.h"
#include "core/hstr.h"

namespace tomeo {

// The first load, and the blocks loaded while the walk nears the end of the bytes.
inline constexpr std::int32_t kRtfFirstLoad = 4096;
inline constexpr std::int32_t kRtfLoadStep = 2048;
inline constexpr std::int32_t kRtfLoadMargin = 128;
// Beyond this many bytes an information group is no longer looked for.
inline constexpr std::int32_t kRtfSearchLimit = 16384;

// The two fields as written (trimmed of spaces, escapes and control words kept), for
// the information text. Emptied by each read, kept until the next.
struct RtfInfo {
    HSTR rtf_author;
    HSTR rtf_title;
};

// Fills `info` and, from it, the authors and title of `desc` (which the caller has
// cleared). Gives 0 or RES_DESCRIPTION: no information group within the first 16 KiB,
// no or an empty title or author field, a group inside a field, an empty title or series,
// a read error.
std::uint32_t read_rtf_description(BookBuffer& book, RtfInfo& info, TBOOKDESC& desc);

}  // namespace tomeo
