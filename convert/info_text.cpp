#include "convert/info_text.h"

#include <cstring>

#include "book/text_reader.h"
#include "core/charset.h"
#include "core/messages.h"
#include "core/operations.h"
#include "core/wstr.h"

namespace tomeo {
namespace {

// A plain text book shows at most this many display lines of at most 87 characters.
constexpr int kMaxDisplayLines = 11;
constexpr std::size_t kDisplayWidth = 87;
constexpr std::size_t kKeptLeadingSpaces = 4;

// The annotation's rendering ends with its last paragraph's line end and the blank
// line after it; the information text drops them.
constexpr std::size_t kAnnotationTail = 4;

}  // namespace

std::uint32_t InfoText::build_info_fb2(const TBOOKDESC& desc, const BookBuffer& book,
                                       CodePage codepage_state, Fb2TextConverter& converter) {
    WSTR authors;
    authors_text(desc, authors);
    text_ = msg::kInfoAuthor.c_str();
    text_ += authors.c_str();
    info_newline();
    text_ += msg::kInfoTitle.c_str();
    text_ += desc.title.c_str();
    info_newline();
    text_ += msg::kInfoGenre.c_str();
    for (std::int32_t i = 0; i < desc.genres.count(); ++i) {
        if (i > 0) text_ += ", ";
        text_ += desc.genres[i].name.c_str();
    }
    info_newline();
    text_ += msg::kInfoSeries.c_str();
    if (!desc.seq.is_empty()) {
        text_ += desc.seq.c_str();
        if (!desc.seqnum.is_empty()) text_ += " #" + std::string(desc.seqnum.c_str());
    }
    if (!desc.subseq.is_empty()) {
        text_ += ", ";
        text_ += desc.subseq.c_str();
        if (!desc.subseqnum.is_empty()) text_ += " #" + std::string(desc.subseqnum.c_str());
    }
    if (desc.isannt != 1) return 0;

    std::string rendering;
    if (converter.render_annotation(book.view(), codepage_state, desc.annt_pos, rendering) !=
        CONV_OK) {
        info_clear();
        return RES_INFO;
    }
    // Never cut before the start of a short rendering (an empty annotation renders to
    // nothing).
    rendering.resize(rendering.size() - std::min(rendering.size(), kAnnotationTail));
    info_newline();
    info_newline();
    text_ += rendering;
    return 0;
}

std::uint32_t InfoText::build_info_rtf(const RtfInfo& rtf) {
    text_ = msg::kInfoAuthor.c_str();
    text_ += rtf.rtf_author.c_str();
    info_newline();
    text_ += msg::kInfoTitle.c_str();
    text_ += rtf.rtf_title.c_str();
    info_newline();
    return 0;
}

std::uint32_t InfoText::build_info_text(BookBuffer& book, CodePage codepage_state) {
    info_clear();
    if (!book.load_up_to(kTextHeadBytes)) return RES_INFO;
    LineCursor cursor = head_lines(book, codepage_state);
    WSTR line;
    std::string rest;  // what is left of the current text line
    bool have_line = false;
    for (int shown = 0; shown < kMaxDisplayLines; ++shown) {
        if (!have_line) {
            const int found = next_line(cursor, line);
            if (found == LINE_NUL) {
                info_clear();
                return RES_INFO;
            }
            if (found == LINE_NO_MORE) break;
            if (codepage_state == CP_866) oem_to_ansi(line.data());
            // Only a quick look: a character without a Windows-1251 form shows as the one
            // byte without a character rather than hiding the whole text.
            if (codepage_state == CP_UTF8) line.assign(utf8_to_cp1251_lossy(line.c_str()).c_str());
            line.trim_right();
            // Leading spaces beyond four are removed.
            const char* text = line.c_str();
            std::size_t spaces = 0;
            while (text[spaces] == ' ') ++spaces;
            rest.assign(text + (spaces > kKeptLeadingSpaces ? spaces - kKeptLeadingSpaces : 0));
            have_line = true;
        }
        if (shown > 0) info_newline();
        if (rest.size() <= kDisplayWidth) {
            text_ += rest;
            have_line = false;
            continue;
        }
        // Cut at the last space (after a non-space) within the first 88 characters.
        std::size_t cut = kDisplayWidth;
        for (std::size_t p = kDisplayWidth + 1; p-- > 1;) {
            if (rest[p] == ' ' && rest[p - 1] != ' ') {
                cut = p;
                break;
            }
        }
        text_.append(rest, 0, cut);
        std::size_t next = cut;
        while (next < rest.size() && rest[next] == ' ') ++next;
        rest.erase(0, next);
        have_line = !rest.empty();
    }
    return 0;
}

}  // namespace tomeo
