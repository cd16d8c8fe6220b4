// Layout of converted text: every paragraph the FB2 to text converter writes (the
// header printed by txthdr.sc, the annotation, the body) passes through one emitter,
// which decides where blank lines go, lays the paragraph out as one long line or as
// lines of at most 70 characters with an indent, and puts the lines into the output
// chunk, keeping what does not fit for the next chunk.
#pragma once

#include <cstdint>
#include <string>

#include "convert/paragraph_text.h"
#include "core/conv_job.h"

namespace tomeo {

// Who asks for a blank line.
enum class BlankLine : std::uint8_t {
    kPlain = 1,     // an empty paragraph, empty-line, a poem's start and end, printp("")
    kSection = 2,   // the opening of a section (asked twice)
    kTitle = 3,     // the end of a section title
    kEpigraph = 4,  // the end of an epigraph
};

// How paragraphs are laid out (the settings of text files).
struct TextLayout {
    static constexpr int kOneLine = 1;  // each paragraph on one line
    static constexpr int kWrapped = 2;  // each paragraph on lines of at most 70 characters
    static constexpr int kLineWidth = 70;

    int para_form = kOneLine;
    int indent = 1;  // spaces before the first line of every non-empty paragraph
};

// Where the layout of one paragraph has got to: the paragraph is laid out piece by piece
// straight from its text into the chunks, so a paragraph as long as the book is never
// copied whole.
class LayoutCursor {
public:
    // Starts laying out the text (up to its first NUL, which must not be empty).
    void start(const ParagraphText& text, const TextLayout& layout);
    bool active() const { return text_ != nullptr; }
    // Writes the next bytes of the layout, at most room of them; gives how many. The
    // cursor is no longer active once the paragraph's last line end is written.
    std::size_t pour(char* out, std::size_t room);

private:
    void next_line(std::size_t from, std::size_t room);
    bool finished() const { return indent_left_ == 0 && pos_ == end_ && crlf_left_ == 0 && last_; }

    const ParagraphText* text_ = nullptr;
    bool wrapped_ = false;
    std::size_t length_ = 0;
    std::size_t indent_left_ = 0;    // spaces of the indent still to write
    std::size_t pos_ = 0, end_ = 0;  // the rest of the current line's text
    int crlf_left_ = 0;              // bytes of its line end still to write
    std::size_t next_ = 0;           // where the next line starts
    bool last_ = false;              // the current line is the paragraph's last
};

class ParagraphEmitter {
public:
    // A new conversion: blank-line state, pending output and layout start afresh.
    void reset(const TextLayout& layout);
    // Where put_output writes: the chunk of the job (capacity 0 sends everything to the
    // pending output). The job must outlive its use here.
    void attach(TCONVJOB& job) { job_ = &job; }
    const TextLayout& layout() const { return layout_; }

    // A non-empty text is written as a paragraph; an empty one asks for a blank line of
    // the given kind, which earlier blank lines may absorb.
    void emit_paragraph(const char* text, BlankLine kind);
    // The same for a collected paragraph (its text up to the first NUL). The text is laid
    // out into the chunk as far as it fits; the rest stays pending and is read from the
    // text itself, which must then not change until has_pending() turns false or
    // keep_pending_text() has run.
    void emit_paragraph(const ParagraphText& text, BlankLine kind);
    // Whether pending output still reads from a collected paragraph's text.
    bool holds_text() const { return cursor_.active(); }
    // Copies what is still to be laid out of that text into the pending output, so the
    // text may change.
    void keep_pending_text();
    // The paragraph laid out with CR LF line ends (an empty text gives just CR LF).
    void format_paragraph(const char* text, std::string& lines) const;
    // Appends to the chunk, the rest to the pending output; with no text, moves pending
    // output into the chunk as far as it fits.
    void put_output(const char* text, std::size_t length);
    void put_output() { put_output(nullptr, 0); }

    bool has_pending() const {
        return pending_start_ < pending_.size() || cursor_.active() || !tail_.empty();
    }
    // Bytes the emitter holds for pending output and layout, the paragraph text aside.
    std::size_t buffered_capacity() const {
        return pending_.capacity() + tail_.capacity() + lines_.capacity();
    }
    // The pending output itself (the information text renders into it).
    std::string take_pending();

private:
    void copy_into_chunk(const char*& text, std::size_t& length);
    void drain_pending_bytes();

    TextLayout layout_;
    TCONVJOB* job_ = nullptr;
    bool started_ = false;  // a non-empty paragraph has been written
    // Blank lines of each kind since the last non-empty paragraph.
    int blank_plain_ = 0;
    int blank_section_ = 0;
    int blank_title_ = 0;
    int blank_epigraph_ = 0;
    std::string lines_;  // the paragraph being put out
    // Output that did not fit into the chunk: the bytes of pending_ from pending_start_,
    // then the rest of the paragraph the cursor lays out, then tail_ (output that came
    // while the cursor was active).
    std::string pending_;
    std::size_t pending_start_ = 0;
    LayoutCursor cursor_;
    std::string tail_;
};

}  // namespace tomeo
