// Layout of converted text: every paragraph the FB2 to text converter writes (the
// header printed by txthdr.sc, the annotation, the body) passes through one emitter,
// which decides where blank lines go, lays the paragraph out as one long line or as
// lines of at most 70 characters with an indent, and puts the lines into the output
// chunk, keeping what does not fit for the next chunk.
#pragma once

#include <cstdint>
#include <string>

#include "convert/conv_job.h"

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
    // The paragraph laid out with CR LF line ends (an empty text gives just CR LF).
    void format_paragraph(const char* text, std::string& lines) const;
    // Appends to the chunk, the rest to the pending output; with no text, moves pending
    // output into the chunk as far as it fits.
    void put_output(const char* text, std::size_t length);
    void put_output() { put_output(nullptr, 0); }

    bool has_pending() const { return pending_start_ < pending_.size(); }
    // The pending output itself (the information text renders into it).
    std::string take_pending();

private:
    void copy_into_chunk(const char*& text, std::size_t& length);

    TextLayout layout_;
    TCONVJOB* job_ = nullptr;
    bool started_ = false;  // a non-empty paragraph has been written
    // Blank lines of each kind since the last non-empty paragraph.
    int blank_plain_ = 0;
    int blank_section_ = 0;
    int blank_title_ = 0;
    int blank_epigraph_ = 0;
    std::string lines_;    // the paragraph being put out
    std::string pending_;  // output that did not fit into the chunk, from pending_start_
    std::size_t pending_start_ = 0;
};

}  // namespace tomeo
