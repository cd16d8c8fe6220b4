// The information text the window shows for the selected book: author and title for
// every kind, genres, series and the annotation for FB2 books, the first lines of a
// plain text book. Windows-1251 with CR LF line ends.
#pragma once

#include <cstdint>
#include <string>

#include "book/book_buffer.h"
#include "book/book_desc.h"
#include "book/rtf_reader.h"
#include "convert/fb2_text.h"
#include "core/codepage.h"

namespace tomeo {

class InfoText {
public:
    const char* text() const { return text_.c_str(); }

    void info_clear() { text_.clear(); }
    void info_newline() { text_ += "\r\n"; }

    // Each builder gives 0, or RES_INFO with the text left empty.
    std::uint32_t build_info_fb2(const TBOOKDESC& desc, const BookBuffer& book,
                                 CodePage codepage_state, Fb2TextConverter& converter);
    std::uint32_t build_info_rtf(const RtfInfo& rtf);
    std::uint32_t build_info_text(BookBuffer& book, CodePage codepage_state);

private:
    std::string text_;
};

}  // namespace tomeo
