#include "convert/fb2_text.h"

#include <cstring>
#include <string_view>

#include "core/charset.h"
#include "core/utf8_run.h"

namespace tomeo {
namespace {

consteval std::uint8_t tag_type(std::string_view name) {
    for (const TagName& t : TAG_TABLE) {
        if (t.name == name) return t.type;
    }
    throw "not a known tag";
}

constexpr std::uint8_t kBody = tag_type("body");
constexpr std::uint8_t kP = tag_type("p");
constexpr std::uint8_t kSection = tag_type("section");
constexpr std::uint8_t kTitle = tag_type("title");
constexpr std::uint8_t kEmptyLine = tag_type("empty-line");
constexpr std::uint8_t kEpigraph = tag_type("epigraph");
constexpr std::uint8_t kEmphasis = tag_type("emphasis");
constexpr std::uint8_t kA = tag_type("a");
constexpr std::uint8_t kPoem = tag_type("poem");
constexpr std::uint8_t kStanza = tag_type("stanza");
constexpr std::uint8_t kV = tag_type("v");
constexpr std::uint8_t kAnnotation = tag_type("annotation");
constexpr std::uint8_t kTextAuthor = tag_type("text-author");
constexpr std::uint8_t kCite = tag_type("cite");
constexpr std::uint8_t kSubtitle = tag_type("subtitle");
constexpr std::uint8_t kStrong = tag_type("strong");
constexpr std::uint8_t kH2 = tag_type("h2");

// UTF-8 text between tags is decoded in pieces of this many characters.
constexpr std::int32_t kDecodePiece = 4096;

// Sections nest at most this deep in a book's body.
constexpr int kMaxSectionDepth = 4;

// The information text shows the annotation with this layout, whatever the settings.
constexpr TextLayout kAnnotationInfoLayout{TextLayout::kOneLine, 4};

}  // namespace

void Fb2TextConverter::fb2txt_begin(TCONVJOB& job, const Input& input) {
    input_ = input;
    job_ = &job;
    reader_ = CharReader{};
    reader_.codepage_state = input.codepage_state;
    emitter_.reset(input.layout);
    emitter_.attach(job);
    clear_notes();
    notes_loaded_ = false;
    pos_ = 0;
    main_body_pos_ = -1;
    notes_body_pos_ = -1;
    header_done_ = false;
    body_closed_ = false;
    reset_elements();
    job.status = CONV_OK;
}

void Fb2TextConverter::fb2txt_chunk(TCONVJOB& job) {
    job_ = &job;
    emitter_.attach(job);
    emitter_.put_output();
    if (!header_done_) {
        // The bodies and notes are found before the header runs, so that a note link in
        // the annotation that the header prints resolves as it does in the body.
        std::int32_t status = find_bodies();
        if (status == CONV_OK && notes_body_pos_ > 0) status = collect_notes();
        if (status != CONV_OK) {
            job.status = status;
            return;
        }
        notes_loaded_ = true;
        if (input_.header != nullptr && !input_.header->RunHeader(*this)) {
            job.status = CONV_TRUNCATED;  // the header script failed
            return;
        }
        header_done_ = true;
        pos_ = main_body_pos_;
        reset_elements();
    }
    if (!body_closed_) {
        job.status = convert_body(Mode::kBody);
        if (job.status != CONV_OK) return;
    }
    // Output still pending when the main body closed is written by further steps before
    // the input counts as used up, so the text never loses its tail.
    job.src_pos = body_closed_ && emitter_.has_pending() ? job.src_len - 1 : pos_;
}

void Fb2TextConverter::fb2txt_end() {
    emitter_.reset(input_.layout);
    para_.release();
    para_stale_ = false;
}

void Fb2TextConverter::emit_para() {
    if (para_stale_) {
        emitter_.emit_paragraph("", BlankLine::kPlain);
    } else {
        emitter_.emit_paragraph(para_, BlankLine::kPlain);
    }
}

bool Fb2TextConverter::printp(const char* text) {
    emitter_.emit_paragraph(text, BlankLine::kPlain);
    return true;
}

bool Fb2TextConverter::printannt() {
    const TBOOKDESC* desc = input_.description;
    if (desc == nullptr || desc->isannt != 1) return true;
    pos_ = desc->annt_pos;
    reset_elements();
    return convert_body(Mode::kAnnotation) == CONV_OK;
}

std::int32_t Fb2TextConverter::render_annotation(const ByteView& book, CodePage codepage_state,
                                                 std::int32_t annt_pos, std::string& out) {
    TCONVJOB nowhere;  // capacity 0: everything lands in the pending output
    input_ = Input{};
    input_.book = book;
    input_.codepage_state = codepage_state;
    input_.layout = kAnnotationInfoLayout;
    job_ = &nowhere;
    reader_ = CharReader{};
    reader_.codepage_state = codepage_state;
    emitter_.reset(kAnnotationInfoLayout);
    emitter_.attach(nowhere);
    clear_notes();
    notes_loaded_ = false;
    pos_ = annt_pos;
    reset_elements();
    const std::int32_t status = convert_body(Mode::kAnnotation);
    out = emitter_.take_pending();
    job_ = nullptr;
    return status;
}

void Fb2TextConverter::reset_elements() {
    para_stale_ = true;
    in_p_ = in_v_ = in_text_author_ = in_subtitle_ = false;
    in_title_ = false;
    section_depth_ = 0;
    in_a_ = a_is_note_ = false;
    in_annotation_ = false;
    in_epigraph_ = in_poem_ = in_stanza_ = in_cite_ = in_strong_ = in_h2_ = false;
}

bool Fb2TextConverter::collecting() const {
    return (in_p_ || in_v_ || in_text_author_ || in_subtitle_) && !(in_a_ && a_is_note_);
}

std::int32_t Fb2TextConverter::find_bodies() {
    const ByteView& book = input_.book;
    for (std::int32_t at = inbuf_find(book, "<body", 0, book.size); at >= 0;
         at = inbuf_find(book, "<body", at + tag_.tag_len, book.size)) {
        const std::int32_t status = read_tag(reader_, book, at, tag_);
        if (status != CONV_OK) return status;
        if (tag_.attr_count == 0) {
            main_body_pos_ = at + tag_.tag_len;  // the main body has no attributes
        } else if (const std::int32_t name = find_attr(tag_, "name");
                   name >= 0 && equals_ignoring_case(tag_.attr_value[name].c_str(), "notes")) {
            notes_body_pos_ = at + tag_.tag_len;
        }
    }
    return main_body_pos_ > 0 ? CONV_OK : CONV_BROKEN;
}

void Fb2TextConverter::clear_notes() {
    notes_.clear();
    note_index_.clear();
    note_ids_.clear();
    note_texts_.clear();
}

std::int32_t Fb2TextConverter::collect_notes() {
    const ByteView& book = input_.book;
    // One record per note section: counted first, so the records are never moved.
    std::size_t sections = 0;
    for (std::int32_t at = inbuf_find(book, "<section", notes_body_pos_, book.size); at >= 0;
         at = inbuf_find(book, "<section", at + 8, book.size)) {
        ++sections;
    }
    notes_.reserve(sections);
    note_index_.reserve(sections);
    std::size_t current = notes_.size();  // none yet
    bool in_p = false;
    bool in_title = false;
    for (std::int32_t pos = notes_body_pos_;;) {
        if (pos >= book.size) return CONV_BROKEN;  // the notes body is not closed
        if (book.data[pos] != '<') {
            reader_.read_char(book, pos);
            if (reader_.read_status != CONV_OK) return reader_.read_status;
            // Text before the first note section has no note to go to and is dropped;
            // the note's title (its number) is not part of its text.
            if (in_p && !in_title && current < notes_.size()) {
                TNOTE& note = notes_[current];
                if (reader_.cur_char == '\0' && note.text_nul == 0xFFFFFFFF) {
                    note.text_nul = note.text_length;
                }
                note_texts_ += static_cast<char>(reader_.cur_char);
                ++note.text_length;
            }
            pos += reader_.cur_char_len;
            continue;
        }
        const std::int32_t status = read_tag(reader_, book, pos, tag_);
        if (status != CONV_OK) return status;
        pos += tag_.tag_len;
        const std::uint8_t type = tag_.tag_type;
        if (type == kBody) return CONV_OK;  // the end of the notes
        if (type == kP) {
            in_p = tag_.is_open;
        } else if (type == kSection) {
            if (!tag_.is_open) continue;
            // A note section carries its id and nothing else.
            if (tag_.attr_count != 1 || !equals_ignoring_case(tag_.attr_name[0].c_str(), "id")) {
                return CONV_BROKEN;
            }
            const char* id = tag_.attr_value[0].c_str();
            TNOTE note;
            note.id_start = static_cast<std::uint32_t>(note_ids_.size());
            note.id_length = static_cast<std::uint32_t>(std::strlen(id));
            note_ids_.append(id, note.id_length);
            note.text_start = static_cast<std::uint32_t>(note_texts_.size());
            current = notes_.size();
            notes_.push_back(note);
            // A link names the first note of its id, ignoring case.
            note_index_.emplace(lower_key(id), static_cast<std::uint32_t>(current));
        } else if (type == kTitle) {
            in_title = tag_.is_open;
        } else if (type != kEmphasis && type != kStrong && type != kH2) {
            return CONV_BROKEN;
        }
    }
}

std::int32_t Fb2TextConverter::convert_body(Mode mode) {
    const ByteView& book = input_.book;
    const bool single_byte = reader_.codepage_state == CP_1251 || reader_.codepage_state == CP_1252;
    while (true) {
        // A body step ends when the chunk is exactly full, inside an annotation of the body
        // too (the next step goes on where this one stopped, so the text is the same and
        // no more than a chunk waits); an annotation printed by the header is rendered whole.
        if (mode == Mode::kBody && job_->dst_len >= job_->dst_cap) {
            return CONV_OK;
        }
        // The input ended before the body or the annotation was closed.
        if (pos_ < 0 || pos_ >= book.size) return CONV_BROKEN;

        if (book.data[pos_] != '<') {
            if (single_byte) {
                // Single-byte text runs to the next tag as it is.
                const void* next = std::memchr(book.data + pos_, '<', book.size - pos_);
                const std::int32_t end =
                    next == nullptr ? book.size
                                    : static_cast<std::int32_t>(
                                          static_cast<const unsigned char*>(next) - book.data);
                if (collecting()) {
                    para_to_edit().append(reinterpret_cast<const char*>(book.data + pos_),
                                          static_cast<std::size_t>(end - pos_));
                }
                pos_ = end;
                continue;
            }
            // UTF-8 text runs to the next tag, decoded a piece at a time.
            unsigned char piece[kDecodePiece];
            const Utf8RunEnd run = decode_utf8_run(book, pos_, piece, kDecodePiece, '<', reader_);
            if (run.written > 0 && collecting()) {
                para_to_edit().append(reinterpret_cast<const char*>(piece),
                                      static_cast<std::size_t>(run.written));
            }
            pos_ = run.pos;
            if (run.status != CONV_OK) return run.status;
            continue;
        }

        const std::int32_t status = read_tag(reader_, book, pos_, tag_);
        if (status != CONV_OK) return status;
        pos_ += tag_.tag_len;
        bool stop = false;
        const std::int32_t handled = handle_tag(mode, stop);
        if (handled != CONV_OK || stop) return handled;
    }
}

std::int32_t Fb2TextConverter::handle_tag(Mode mode, bool& stop) {
    const std::uint8_t type = tag_.tag_type;
    const bool open = tag_.is_open;  // a self-closing tag counts as opening

    auto start_collecting = [this](bool& flag) {
        para_to_edit().clear();
        flag = true;
    };
    auto emit_collected = [this](bool& flag) {
        emit_para();
        flag = false;
    };

    if (type == kBody) {
        // Only the closing tag of the main body is expected: the conversion ends there,
        // the notes body and the binaries are not read.
        if (!tag_.is_close || mode != Mode::kBody) return CONV_BROKEN;
        pos_ = input_.book.size;
        body_closed_ = true;
        stop = true;
        return CONV_OK;
    }
    if (type == kP) {
        if (open) {
            start_collecting(in_p_);
        } else {
            // The paragraphs of the body's own title (outside every section) are not written.
            if (!(in_title_ && section_depth_ == 0)) emit_para();
            in_p_ = false;
        }
    } else if (type == kSection) {
        if (open) {
            if (section_depth_ >= kMaxSectionDepth) return CONV_BROKEN;
            emitter_.emit_paragraph("", BlankLine::kSection);
            emitter_.emit_paragraph("", BlankLine::kSection);
            ++section_depth_;
        } else if (section_depth_ > 0) {
            --section_depth_;
        }
    } else if (type == kTitle) {
        if (open) {
            in_title_ = true;
        } else {
            if (section_depth_ >= 1) emitter_.emit_paragraph("", BlankLine::kTitle);
            in_title_ = false;
        }
    } else if (type == kEmptyLine) {
        emitter_.emit_paragraph("", BlankLine::kPlain);
    } else if (type == kEpigraph) {
        if (!open) emitter_.emit_paragraph("", BlankLine::kEpigraph);
        in_epigraph_ = open;
    } else if (type == kPoem) {
        emitter_.emit_paragraph("", BlankLine::kPlain);
        in_poem_ = open;
    } else if (type == kStanza) {
        in_stanza_ = open;
    } else if (type == kCite) {
        in_cite_ = open;
    } else if (type == kStrong) {
        in_strong_ = open;
    } else if (type == kH2) {
        in_h2_ = open;
    } else if (type == kV) {
        open ? start_collecting(in_v_) : emit_collected(in_v_);
    } else if (type == kTextAuthor) {
        open ? start_collecting(in_text_author_) : emit_collected(in_text_author_);
    } else if (type == kSubtitle) {
        open ? start_collecting(in_subtitle_) : emit_collected(in_subtitle_);
    } else if (type == kA) {
        if (open) {
            const std::int32_t status = handle_note_link();
            if (status != CONV_OK) return status;
        }
        in_a_ = open;
    } else if (type == kAnnotation) {
        if (open) {
            in_annotation_ = true;
        } else {
            emitter_.emit_paragraph("", BlankLine::kPlain);
            in_annotation_ = false;
            if (mode == Mode::kAnnotation) stop = true;
        }
    }
    // emphasis, image, genre and the declaration write nothing.
    return CONV_OK;
}

std::int32_t Fb2TextConverter::handle_note_link() {
    const std::int32_t type = find_attr(tag_, "type");
    a_is_note_ = type >= 0 && equals_ignoring_case(tag_.attr_value[type].c_str(), "note");
    if (!a_is_note_) return CONV_OK;  // an ordinary link: its text is kept
    std::int32_t href = find_attr(tag_, "l:href");
    if (href < 0) href = find_attr(tag_, "xlink:href");
    if (href < 0) return CONV_BROKEN;
    const char* target = tag_.attr_value[href].c_str();
    if (target[0] != '#') return CONV_BROKEN;
    // The information text has no notes loaded: there a link adds nothing.
    if (!notes_loaded_) return CONV_OK;
    const auto found = note_index_.find(lower_key(target + 1));
    if (found == note_index_.end()) return CONV_BROKEN;
    const TNOTE& note = notes_[found->second];
    ParagraphText& para = para_to_edit();
    para.append(" [", 2);
    para.append_from(note_texts_, note.text_start, note.text_length,
                     note.text_nul == 0xFFFFFFFF ? ParagraphText::kNone : note.text_nul);
    para.append(']');
    return CONV_OK;
}

const std::string& Fb2TextConverter::lower_key(const char* id) {
    key_.assign(id);
    for (char& c : key_) c = char_lower(c);
    return key_;
}

}  // namespace tomeo
