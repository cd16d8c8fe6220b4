#include "book/rtf_reader.h"

#include <cstring>

#include "core/operations.h"

namespace tomeo {
namespace {

enum class Mode { BeforeInfo, InInfo, InTitle, InAuthor };

// Whether the loaded bytes at pos spell the keyword followed by one of the delimiters.
bool keyword_at(ByteView bytes, std::int32_t pos, const char* keyword, const char* delimiters) {
    const std::int32_t length = static_cast<std::int32_t>(std::strlen(keyword));
    if (pos + length >= bytes.size) return false;
    if (std::memcmp(bytes.data + pos, keyword, static_cast<std::size_t>(length)) != 0) {
        return false;
    }
    const char next = static_cast<char>(bytes.data[pos + length]);
    return next != '\0' && std::strchr(delimiters, next) != nullptr;
}

// Walks the header: false on a read error or a group inside a field.
bool scan_info_group(BookBuffer& book, RtfInfo& info) {
    std::int32_t depth = 0;
    Mode mode = Mode::BeforeInfo;
    std::int32_t field_start = 0;
    for (std::int32_t pos = 0; pos < book.fill(); ++pos) {
        // Load ahead near the end: while looking for the group only within the first
        // 16 KiB, inside it as far as it goes.
        if (pos >= book.fill() - kRtfLoadMargin && !book.book_at_eof() &&
            (book.fill() < kRtfSearchLimit || mode != Mode::BeforeInfo)) {
            if (book.load_more(kRtfLoadStep) < 0) return false;
        }
        const ByteView bytes = book.view();
        const char c = static_cast<char>(bytes.data[pos]);
        if (c == '{') {
            if (mode == Mode::InTitle || mode == Mode::InAuthor) return false;
            ++depth;
            if (depth == 2 && mode == Mode::BeforeInfo &&
                keyword_at(bytes, pos + 1, "\\info", " \n{")) {
                mode = Mode::InInfo;
                pos += 5;  // the byte after the keyword is walked next
            } else if (depth == 3 && mode == Mode::InInfo) {
                if (keyword_at(bytes, pos + 1, "\\title", " ")) {
                    mode = Mode::InTitle;
                    field_start = pos + 7;  // the space, skipped by the walk
                    pos = field_start;
                } else if (keyword_at(bytes, pos + 1, "\\author", " ")) {
                    mode = Mode::InAuthor;
                    field_start = pos + 8;
                    pos = field_start;
                }
            }
        } else if (c == '}') {
            if (mode == Mode::InTitle || mode == Mode::InAuthor) {
                HSTR& field = mode == Mode::InTitle ? info.rtf_title : info.rtf_author;
                field.assign_trimmed(reinterpret_cast<const char*>(bytes.data) + field_start,
                                     pos - field_start);
                mode = Mode::InInfo;
                --depth;
            } else if (mode == Mode::InInfo && depth == 2) {
                break;  // the information group is complete
            } else {
                --depth;
            }
        }
    }
    return true;
}

}  // namespace

std::uint32_t read_rtf_description(BookBuffer& book, RtfInfo& info, TBOOKDESC& desc) {
    info.rtf_author.clear();
    info.rtf_title.clear();
    if (!book.load_up_to(kRtfFirstLoad) || !scan_info_group(book, info)) return RES_DESCRIPTION;
    if (info.rtf_author.is_empty() || info.rtf_title.is_empty()) return RES_DESCRIPTION;
    add_authors_from_line(desc, info.rtf_author.c_str());
    if (!set_title_from_line(desc, info.rtf_title.c_str())) return RES_DESCRIPTION;
    return 0;
}

}  // namespace tomeo
