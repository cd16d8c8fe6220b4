// The t step: an FB2 book turned into plain Windows-1251 text with CR LF line ends.
// First comes a header printed by the script txthdr.sc, then the main body paragraph by
// paragraph, with the footnotes of the notes body written inline where they are
// referenced. One pass over the book buffer, chunk by chunk; no document tree is built.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "book/book_desc.h"
#include "book/xml_tag.h"
#include "convert/paragraph_text.h"
#include "convert/text_layout.h"
#include "core/codepage.h"
#include "core/conv_job.h"
#include "core/wlist.h"
#include "core/wstr.h"

namespace tomeo {

class Fb2TextConverter;

// Runs txthdr.sc for the book being converted, with its printp() and printannt()
// bound to the converter. False when the script fails (its message stays with the
// script, for the report).
class TextHeaderScript {
public:
    virtual ~TextHeaderScript() = default;
    virtual bool RunHeader(Fb2TextConverter& converter) = 0;
};

// One footnote of the notes body: its id and its text (its paragraphs run together), as
// stretches of the converter's two note stores.
struct TNOTE {
    std::uint32_t id_start = 0, id_length = 0;
    std::uint32_t text_start = 0, text_length = 0;
    std::uint32_t text_nul = 0xFFFFFFFF;  // offset of the first NUL in the text, if any
};

class Fb2TextConverter {
public:
    // What one conversion reads: the whole book in the buffer, the code page it is read
    // in, its description (for the annotation), the layout settings and the header
    // script. All must outlive the conversion.
    struct Input {
        ByteView book;
        CodePage codepage_state = CP_1251;
        const TBOOKDESC* description = nullptr;
        TextLayout layout;
        TextHeaderScript* header = nullptr;
    };

    void fb2txt_begin(TCONVJOB& job, const Input& input);
    // One step: the first also runs the header script and finds the bodies and notes.
    // Fills the chunk and sets job.src_pos, job.dst_len and job.status; the closing tag
    // of the main body moves src_pos to the end of the input.
    void fb2txt_chunk(TCONVJOB& job);
    // Releases the paragraph and line buffers, after the last step, success or not.
    void fb2txt_end();

    // The script procedures. printp writes its text as a paragraph (an empty text asks
    // for a blank line); printannt writes the book's annotation. False on a failure,
    // which the script turns into its error 4.
    bool printp(const char* text);
    bool printannt();

    // Renders the annotation starting at `annt_pos` of the book with paragraph form 1
    // and indent 4, for the information text; the notes are not loaded, so a note link
    // adds nothing. Gives the conversion status; the rendering goes to `out`.
    std::int32_t render_annotation(const ByteView& book, CodePage codepage_state,
                                   std::int32_t annt_pos, std::string& out);

    // The name of the last tag read: after CONV_UNKNOWN_TAG, the unknown one.
    const char* last_tag() const { return tag_.tag_name.c_str(); }

private:
    enum class Mode { kBody, kAnnotation };

    std::int32_t find_bodies();
    std::int32_t collect_notes();
    void clear_notes();
    // The tag-and-text loop from pos_: until the chunk is full (annotation mode goes on
    // past it), the body or the annotation ends, or a status is set.
    std::int32_t convert_body(Mode mode);
    std::int32_t handle_tag(Mode mode, bool& stop);
    std::int32_t handle_note_link();
    void reset_elements();
    bool collecting() const;

    Input input_;
    TCONVJOB* job_ = nullptr;
    CharReader reader_;
    TXMLTAG tag_;
    ParagraphEmitter emitter_;
    // The notes, each kept once however often it is referenced: their ids and texts back
    // to back in two stores, and one small record each.
    std::vector<TNOTE> notes_;
    // Each note id in lower case and the first note that has it, so that a link finds its
    // note at once however many notes the book has.
    std::unordered_map<std::string, std::uint32_t> note_index_;
    std::string key_;  // the id being looked up, in lower case
    const std::string& lower_key(const char* id);
    ParagraphText note_ids_;
    ParagraphText note_texts_;
    bool notes_loaded_ = false;

    std::int32_t pos_ = 0;
    std::int32_t main_body_pos_ = -1;   // just after the main body's opening tag
    std::int32_t notes_body_pos_ = -1;  // just after the notes body's opening tag
    bool header_done_ = false;
    bool body_closed_ = false;  // the main body's closing tag has been read

    // para_ about to change: output still laid out from it is copied first, and a text
    // emptied meanwhile is emptied now.
    ParagraphText& para_to_edit() {
        if (emitter_.holds_text()) emitter_.keep_pending_text();
        if (para_stale_) {
            para_.clear();
            para_stale_ = false;
        }
        return para_;
    }
    void emit_para();

    ParagraphText para_;  // the text of the current paragraph-like element
    // para_ counts as empty but is not cleared yet: pending output may still read it.
    bool para_stale_ = false;
    bool in_p_ = false, in_v_ = false, in_text_author_ = false, in_subtitle_ = false;
    bool in_title_ = false;
    int section_depth_ = 0;
    bool in_a_ = false, a_is_note_ = false;
    bool in_annotation_ = false;
    // Nesting only; nothing is written for them.
    bool in_epigraph_ = false, in_poem_ = false, in_stanza_ = false, in_cite_ = false;
    bool in_strong_ = false, in_h2_ = false;
};

}  // namespace tomeo
