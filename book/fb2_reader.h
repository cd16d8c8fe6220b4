// FB2 books: the code page from the XML declaration and the book description from the
// <description> element. Both load the beginning of the book into the book buffer as
// far as they need it and leave it loaded for the steps that follow.
#pragma once

#include <cstdint>

#include "book/book_buffer.h"
#include "book/book_desc.h"
#include "book/xml_tag.h"
#include "core/codepage.h"

namespace tomeo {

// The declaration and the start of the description must lie in the first 2048 bytes.
inline constexpr std::int32_t kFb2HeadBytes = 2048;
// The book is then loaded by blocks of this size until "</description>" is there.
inline constexpr std::int32_t kFb2LoadStep = 1024;

// Sets reader.codepage_state from the encoding of the XML declaration ("windows-1251",
// "windows-1252" or "UTF-8", any case). Gives 0, or RES_CODEPAGE (codepage_state is
// then unchanged) when there is no declaration that reads as a tag, no encoding
// attribute, or another encoding. `tag` is overwritten.
std::uint32_t read_xml_declaration(BookBuffer& book, CharReader& reader, TXMLTAG& tag);

// Reads the description of the title information into `desc` (which the caller has
// cleared), in the code page already set. Gives 0, or RES_DESCRIPTION with the
// description cleared again. Texts between tags are taken byte for byte without their
// leading and trailing spaces, then converted to Windows-1251 when the book is UTF-8
// (genre names excepted); sets annt_pos to the <annotation> tag or -1.
std::uint32_t read_fb2_description(BookBuffer& book, CharReader& reader, TXMLTAG& tag,
                                   TBOOKDESC& desc);

}  // namespace tomeo
