#include "book/xml_tag.h"

#include <algorithm>
#include <cstring>

#include "core/charset.h"

namespace tomeo {
namespace {

// Appends characters to a text whose length it tracks, doubling the room as needed:
// names and values arrive one character at a time and may be long.
class TextSink {
public:
    explicit TextSink(WSTR& text) : text_(&text) { text_->clear(); }
    void put(char c) {
        if (length_ + 2 > text_->capacity()) {
            text_->reserve(std::max(text_->capacity() * 2, length_ + 2));
        }
        text_->data()[length_++] = c;
        text_->data()[length_] = '\0';
    }

private:
    WSTR* text_;
    std::int32_t length_ = 0;
};

// The states of the tag reader.
enum class TagState {
    Start,          // before "<"
    ExpectEnd,      // after "/" of a self-closing tag: only ">" may follow
    AfterOpen,      // after "<": spaces, "/" of a closing tag, or the name
    Name,           // in the tag name
    BetweenAttrs,   // between attributes
    AttrName,       // in an attribute name
    AfterAttrName,  // spaces between a name and "="
    AfterEquals,    // spaces between "=" and the opening double quote
    Value,          // inside a double-quoted value
};

}  // namespace

std::uint8_t tag_type_of(const char* name) {
    for (const TagName& entry : TAG_TABLE) {
        std::size_t i = 0;
        while (i < entry.name.size() && char_lower(name[i]) == entry.name[i]) ++i;
        if (i == entry.name.size() && name[i] == '\0') return entry.type;
    }
    return 0;
}

std::int32_t read_tag(CharReader& reader, ByteView bytes, std::int32_t pos, TXMLTAG& tag) {
    tag.is_open = false;
    tag.is_close = false;
    tag.attr_count = 0;
    tag.tag_type = 0;
    tag.tag_len = 0;
    TextSink name(tag.tag_name);
    TextSink attr_name(tag.attr_name[0]);
    TextSink attr_value(tag.attr_value[0]);
    TagState state = TagState::Start;
    std::int32_t at = pos;
    auto broken = [&] { return reader.read_status = CONV_BROKEN; };

    bool complete = false;  // the closing ">" has been read
    while (!complete) {
        reader.read_char(bytes, at);
        if (reader.read_status != CONV_OK) return reader.read_status;
        const char c = reader.cur_char;
        at += reader.cur_char_len;
        switch (state) {
            case TagState::Start:
                if (c != '<') return broken();
                state = TagState::AfterOpen;
                break;
            case TagState::AfterOpen:
                if (c == ' ') break;
                if (c == '/') {
                    tag.is_close = true;
                    break;
                }
                if (!tag.is_close) tag.is_open = true;
                name.put(c);
                state = TagState::Name;
                break;
            case TagState::Name:
                if (c == ' ') {
                    state = TagState::BetweenAttrs;
                } else if (c == '>') {
                    complete = true;
                } else if (c == '/') {
                    tag.is_open = tag.is_close = true;
                    state = TagState::ExpectEnd;
                } else {
                    name.put(c);
                }
                break;
            case TagState::BetweenAttrs:
                if (c == ' ') break;
                if (c == '/') {
                    tag.is_open = tag.is_close = true;
                    state = TagState::ExpectEnd;
                    break;
                }
                if (c == '>') {
                    complete = true;
                    break;
                }
                // The slots are fixed: a seventeenth attribute makes the tag broken.
                if (tag.attr_count == TXMLTAG::kMaxAttributes) return broken();
                attr_name = TextSink(tag.attr_name[tag.attr_count]);
                attr_value = TextSink(tag.attr_value[tag.attr_count]);
                ++tag.attr_count;
                attr_name.put(c);
                state = TagState::AttrName;
                break;
            case TagState::AttrName:
                if (c == ' ') {
                    state = TagState::AfterAttrName;
                } else if (c == '=') {
                    state = TagState::AfterEquals;
                } else {
                    attr_name.put(c);
                }
                break;
            case TagState::AfterAttrName:
                if (c == ' ') break;
                if (c != '=') return broken();
                state = TagState::AfterEquals;
                break;
            case TagState::AfterEquals:
                if (c == ' ') break;
                if (c != '"') return broken();
                state = TagState::Value;
                break;
            case TagState::Value:
                if (c == '"') {
                    state = TagState::BetweenAttrs;
                } else {
                    attr_value.put(c);
                }
                break;
            case TagState::ExpectEnd:
                if (c == ' ') break;
                if (c != '>') return broken();
                complete = true;
                break;
        }
    }
    tag.tag_len = at - pos;
    tag.tag_type = tag_type_of(tag.tag_name.c_str());
    return reader.read_status = tag.tag_type != 0 ? CONV_OK : CONV_UNKNOWN_TAG;
}

bool equals_ignoring_case(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (char_lower(*a) != char_lower(*b)) return false;
    }
    return *a == *b;
}

std::int32_t find_attr(const TXMLTAG& tag, const char* name) {
    for (std::int32_t i = 0; i < tag.attr_count; ++i) {
        if (equals_ignoring_case(tag.attr_name[i].c_str(), name)) return i;
    }
    return -1;
}

std::int32_t find_last_attr(const TXMLTAG& tag, const char* name) {
    for (std::int32_t i = tag.attr_count - 1; i >= 0; --i) {
        if (equals_ignoring_case(tag.attr_name[i].c_str(), name)) return i;
    }
    return -1;
}

std::int32_t inbuf_find(ByteView bytes, const char* pattern, std::int32_t from,
                        std::int32_t limit) {
    const std::int32_t length = static_cast<std::int32_t>(std::strlen(pattern));
    limit = std::min(limit, bytes.size);
    if (from < 0) from = 0;
    if (length == 0 || limit - from < length) return -1;
    const unsigned char lower = static_cast<unsigned char>(char_lower(pattern[0]));
    const unsigned char upper = static_cast<unsigned char>(char_upper(pattern[0]));
    const unsigned char* data = bytes.data;
    const std::int32_t last = limit - length;  // the last offset where the pattern fits
    for (std::int32_t p = from; p <= last; ++p) {
        if (lower == upper) {
            // Most patterns start with "<": let memchr find the candidates.
            const void* hit = std::memchr(data + p, lower, static_cast<std::size_t>(last - p + 1));
            if (hit == nullptr) return -1;
            p = static_cast<std::int32_t>(static_cast<const unsigned char*>(hit) - data);
        } else if (data[p] != lower && data[p] != upper) {
            continue;
        }
        std::int32_t k = 1;
        while (k < length && char_lower(static_cast<char>(data[p + k])) == char_lower(pattern[k]))
            ++k;
        if (k == length) return p;
    }
    return -1;
}

}  // namespace tomeo
