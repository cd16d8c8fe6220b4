// The two tools of every FB2 reader: the case-insensitive search in the loaded bytes
// (inbuf_find) and the reader of one tag with its attributes (read_tag), with the
// vocabulary of known tag names (TAG_TABLE). This is not an XML parser: readers find
// fixed tag texts by search and read single tags; entities are never decoded.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/codepage.h"
#include "core/wstr.h"

namespace tomeo {

struct TagName {
    std::string_view name;
    std::uint8_t type;
};

// Known tag names and their type numbers (looked up case-insensitively). Every other
// name is read to its end and reported as CONV_UNKNOWN_TAG.
inline constexpr std::array<TagName, 20> TAG_TABLE{{
    {"body", 1},         {"p", 2},        {"section", 3},   {"title", 4},
    {"empty-line", 5},   {"epigraph", 6}, {"emphasis", 7},  {"a", 8},
    {"poem", 9},         {"stanza", 10},  {"v", 11},        {"annotation", 12},
    {"text-author", 13}, {"cite", 14},    {"subtitle", 15}, {"strong", 16},
    {"image", 17},       {"h2", 18},      {"genre", 19},    {"xml", 20},
}};

// The type number of a tag name (case-insensitive), or 0 when it is not in TAG_TABLE.
std::uint8_t tag_type_of(const char* name);

// The last tag read. One per process, overwritten by every read_tag.
struct TXMLTAG {
    static constexpr int kMaxAttributes = 16;

    WSTR tag_name;  // as written, in Windows-1251
    std::uint8_t tag_type = 0;
    bool is_open = false;      // an opening or self-closing tag
    bool is_close = false;     // a closing or self-closing tag
    std::int32_t tag_len = 0;  // input bytes from "<" through ">"
    std::uint8_t attr_count = 0;
    std::array<WSTR, kMaxAttributes> attr_name;
    std::array<WSTR, kMaxAttributes> attr_value;
};

// Reads the tag that starts at pos of the bytes, character by character through
// reader.read_char in its code page, into `tag`. Gives reader.read_status: CONV_OK;
// CONV_TRUNCATED, CONV_BAD_UTF8 or CONV_NOT_1251 for a character that cannot be read
// (the end of the bytes included); CONV_BROKEN for a tag of the wrong form or with more
// than 16 attributes; CONV_UNKNOWN_TAG for a complete tag whose name is not in
// TAG_TABLE (tag_len and the attributes are then valid). Only the space counts as blank;
// attribute values must be in double quotes.
std::int32_t read_tag(CharReader& reader, ByteView bytes, std::int32_t pos, TXMLTAG& tag);

// The first attribute of the tag named `name` (case-insensitive), or -1.
std::int32_t find_attr(const TXMLTAG& tag, const char* name);
// The last such attribute, or -1 (a later attribute of the same name wins).
std::int32_t find_last_attr(const TXMLTAG& tag, const char* name);

// Case-insensitive search: the first offset p >= from at which the pattern lies wholly
// inside [from, limit) of the bytes, or -1. The limit is clamped to the bytes. A pattern
// that ends with ">" only matches tags written without attributes and spaces.
std::int32_t inbuf_find(ByteView bytes, const char* pattern, std::int32_t from, std::int32_t limit);

// Text equality ignoring case (Windows-1251 case mapping).
bool equals_ignoring_case(const char* a, const char* b);

}  // namespace tomeo
