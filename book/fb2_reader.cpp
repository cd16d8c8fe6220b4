#include "book/fb2_reader.h"

#include <cstring>
#include <vector>

#include "core/charset.h"
#include "core/operations.h"

namespace tomeo {
namespace {

std::int32_t length_of(const char* text) {
    return static_cast<std::int32_t>(std::strlen(text));
}

// The bytes between the end of `open` (found from `from`) and the `close` after it,
// without leading and trailing spaces. Absent when `open` is not there; a failure when
// `open` is there without its `close`.
enum class Element { Absent, Found, Unclosed };

Element element_text(ByteView bytes, const char* open, const char* close, std::int32_t from,
                     std::int32_t limit, HSTR& out) {
    const std::int32_t start = inbuf_find(bytes, open, from, limit);
    if (start < 0) return Element::Absent;
    const std::int32_t text_start = start + length_of(open);
    const std::int32_t end = inbuf_find(bytes, close, text_start, limit);
    if (end < 0) return Element::Unclosed;
    out.assign_trimmed(reinterpret_cast<const char*>(bytes.data) + text_start, end - text_start);
    return Element::Found;
}

// An optional element: false only when it is there but not closed.
bool optional_text(ByteView bytes, const char* open, const char* close, std::int32_t from,
                   std::int32_t limit, HSTR& out) {
    return element_text(bytes, open, close, from, limit, out) != Element::Unclosed;
}

// A genre or sequence tag must be read to its end; an unknown name is expected.
bool tag_complete(std::int32_t status) {
    return status == CONV_OK || status == CONV_UNKNOWN_TAG;
}

class DescriptionReader {
public:
    DescriptionReader(BookBuffer& book, CharReader& reader, TXMLTAG& tag, TBOOKDESC& desc)
        : book_(book), reader_(reader), tag_(tag), desc_(desc) {}

    bool read();

private:
    ByteView bytes() const { return book_.view(); }
    std::int32_t find(const char* pattern, std::int32_t from, std::int32_t limit) const {
        return inbuf_find(bytes(), pattern, from, limit);
    }
    bool find_description_end(std::int32_t description);
    bool read_annotation();
    bool read_genres();
    bool read_authors();
    bool read_sequences();
    bool read_title();
    bool read_publish_info(std::int32_t description);
    bool convert_from_utf8();

    BookBuffer& book_;
    CharReader& reader_;
    TXMLTAG& tag_;
    TBOOKDESC& desc_;
    std::int32_t description_end_ = -1;  // offset of "</description>"
    std::int32_t title_info_ = -1;       // offset of "<title-info>"
    std::int32_t title_info_end_ = -1;   // offset of "</title-info>"
};

bool DescriptionReader::read() {
    if (!book_.load_up_to(kFb2HeadBytes)) return false;
    const std::int32_t description = find("<description>", 0, book_.fill());
    if (description < 0 || !find_description_end(description)) return false;
    title_info_ = find("<title-info>", description, description_end_);
    if (title_info_ < 0) return false;
    title_info_end_ = find("</title-info>", title_info_, description_end_);
    if (title_info_end_ < 0) return false;
    return read_annotation() && read_genres() && read_authors() && read_sequences() &&
           read_title() && read_publish_info(description) && convert_from_utf8();
}

// Loads the book further until "</description>" is there; a closing tag split between
// two loads is found because each search starts 14 bytes before the previous end.
bool DescriptionReader::find_description_end(std::int32_t description) {
    static constexpr char kEnd[] = "</description>";
    std::int32_t from = description;
    for (;;) {
        description_end_ = find(kEnd, from, book_.fill());
        if (description_end_ >= 0) return true;
        const std::int32_t previous_end = book_.fill();
        if (book_.load_more(kFb2LoadStep) <= 0) return false;
        from = std::max(description, previous_end - length_of(kEnd));
    }
}

bool DescriptionReader::read_annotation() {
    const std::int32_t annotation = find("<annotation>", title_info_, title_info_end_);
    desc_.annt_pos = annotation;
    if (annotation < 0) return true;
    if (find("</annotation>", annotation, title_info_end_) < 0) return false;
    desc_.isannt = 1;
    return true;
}

bool DescriptionReader::read_genres() {
    HSTR name;
    for (std::int32_t from = title_info_;;) {
        const std::int32_t genre = find("<genre", from, title_info_end_);
        if (genre < 0) return true;
        if (!tag_complete(read_tag(reader_, bytes(), genre, tag_))) return false;
        const std::int32_t text = genre + tag_.tag_len;
        const std::int32_t end = find("</genre>", text, title_info_end_);
        if (end < 0) return false;
        name.assign_trimmed(reinterpret_cast<const char*>(bytes().data) + text, end - text);
        const std::int32_t match = find_last_attr(tag_, "match");
        add_genre(desc_, name.c_str(), match >= 0 ? tag_.attr_value[match].c_str() : "");
        from = end;
    }
}

bool DescriptionReader::read_authors() {
    bool found = false;
    HSTR first, middle, last;
    for (std::int32_t from = title_info_;;) {
        const std::int32_t author = find("<author>", from, title_info_end_);
        if (author < 0) return found;
        const std::int32_t end = find("</author>", author, title_info_end_);
        if (end < 0) return false;
        first.clear();
        middle.clear();
        if (!optional_text(bytes(), "<first-name>", "</first-name>", author, end, first) ||
            !optional_text(bytes(), "<middle-name>", "</middle-name>", author, end, middle) ||
            element_text(bytes(), "<last-name>", "</last-name>", author, end, last) !=
                Element::Found) {
            return false;
        }
        add_author(desc_, first.c_str(), middle.c_str(), last.c_str());
        found = true;
        from = end;
    }
}

// The first sequence tag gives the series, the second the sub-series, nested or not.
bool DescriptionReader::read_sequences() {
    HSTR* const fields[2][2] = {{&desc_.seq, &desc_.seqnum}, {&desc_.subseq, &desc_.subseqnum}};
    std::int32_t count = 0;
    for (std::int32_t from = title_info_;;) {
        const std::int32_t sequence = find("<sequence ", from, title_info_end_);
        if (sequence < 0) return true;
        if (count == 2) return false;
        if (!tag_complete(read_tag(reader_, bytes(), sequence, tag_))) return false;
        const std::int32_t name = find_last_attr(tag_, "name");
        const std::int32_t number = find_last_attr(tag_, "number");
        if (name >= 0) fields[count][0]->assign(tag_.attr_value[name].c_str());
        if (number >= 0) fields[count][1]->assign(tag_.attr_value[number].c_str());
        ++count;
        from = sequence + tag_.tag_len;
    }
}

// The title is required; a title element without its closing tag leaves it empty.
bool DescriptionReader::read_title() {
    const Element title = element_text(bytes(), "<book-title>", "</book-title>", title_info_,
                                       title_info_end_, desc_.title);
    return title != Element::Absent;
}

bool DescriptionReader::read_publish_info(std::int32_t description) {
    const std::int32_t info = find("<publish-info>", description, description_end_);
    if (info < 0) return true;
    const std::int32_t end = find("</publish-info>", info, description_end_);
    return end >= 0 &&
           optional_text(bytes(), "<publisher>", "</publisher>", info, end, desc_.publisher) &&
           optional_text(bytes(), "<city>", "</city>", info, end, desc_.publcity) &&
           optional_text(bytes(), "<year>", "</year>", info, end, desc_.publyear);
}

// Texts taken byte for byte are UTF-8 in a UTF-8 book; attribute values are already
// Windows-1251 (the tag reader decodes them) and genre names stay as written.
bool DescriptionReader::convert_from_utf8() {
    if (reader_.codepage_state != CP_UTF8) return true;
    for (std::int32_t i = 0; i < desc_.authors.count(); ++i) {
        TAUTHOR& author = desc_.authors[i];
        for (HSTR* text : {&author.first_name, &author.middle_name, &author.last_name}) {
            if (!utf8_to_1251(text->data())) return false;
        }
    }
    for (HSTR* text : {&desc_.title, &desc_.publisher, &desc_.publcity, &desc_.publyear}) {
        if (!utf8_to_1251(text->data())) return false;
    }
    return true;
}

}  // namespace

std::uint32_t read_xml_declaration(BookBuffer& book, CharReader& reader, TXMLTAG& tag) {
    if (!book.load_up_to(kFb2HeadBytes)) return RES_CODEPAGE;
    const ByteView bytes = book.view();
    const std::int32_t start = inbuf_find(bytes, "<?xml ", 0, bytes.size);
    if (start < 0) return RES_CODEPAGE;
    const std::int32_t end = inbuf_find(bytes, "?>", start, bytes.size);
    if (end < 0) return RES_CODEPAGE;

    // "<?xml ... ?>" reads as the tag "<xml ... >" once its two question marks are
    // replaced; the replacement is made in a copy so the book's bytes stay as read.
    std::vector<unsigned char> declaration(bytes.data + start + 1, bytes.data + bytes.size);
    declaration[0] = '<';
    declaration[end - start - 1] = '>';
    CharReader single_bytes;
    single_bytes.codepage_state = CP_1251;
    const ByteView copy{declaration.data(), static_cast<std::int32_t>(declaration.size())};
    if (read_tag(single_bytes, copy, 0, tag) != CONV_OK) return RES_CODEPAGE;

    const std::int32_t encoding = find_attr(tag, "encoding");
    if (encoding < 0) return RES_CODEPAGE;
    const char* value = tag.attr_value[encoding].c_str();
    if (equals_ignoring_case(value, "windows-1251")) {
        reader.codepage_state = CP_1251;
    } else if (equals_ignoring_case(value, "windows-1252")) {
        reader.codepage_state = CP_1252;
    } else if (equals_ignoring_case(value, "UTF-8")) {
        reader.codepage_state = CP_UTF8;
    } else {
        return RES_CODEPAGE;
    }
    return 0;
}

std::uint32_t read_fb2_description(BookBuffer& book, CharReader& reader, TXMLTAG& tag,
                                   TBOOKDESC& desc) {
    if (DescriptionReader(book, reader, tag, desc).read()) return 0;
    clear_description(desc);
    return RES_DESCRIPTION;
}

}  // namespace tomeo
