#include "convert/text_layout.h"

#include <algorithm>
#include <cstring>

namespace tomeo {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr int kMaxBlankCount = 127;

}  // namespace

void LayoutCursor::start(const ParagraphText& text, const TextLayout& layout) {
    text_ = &text;
    length_ = text.text_length();
    const int indent = std::max(layout.indent, 0);
    indent_left_ = static_cast<std::size_t>(indent);
    wrapped_ = layout.para_form == TextLayout::kWrapped;
    if (wrapped_) {
        next_line(0, static_cast<std::size_t>(std::max(TextLayout::kLineWidth - indent, 0)));
    } else {
        pos_ = 0;
        end_ = length_;
        crlf_left_ = 2;
        last_ = true;
    }
}

// Lines of at most 70 characters, the first one counting the indent. A line ends at the
// last space within its room (the space is dropped), or is cut at the room.
void LayoutCursor::next_line(std::size_t from, std::size_t room) {
    pos_ = from;
    crlf_left_ = 2;
    if (length_ - from <= room) {
        end_ = length_;
        last_ = true;
        return;
    }
    last_ = false;
    end_ = from + room;  // a character stands there: the line is too long
    next_ = end_;
    for (std::size_t p = from + room + 1; p-- > from;) {
        if ((*text_)[p] == ' ') {
            end_ = p;
            next_ = p + 1;
            break;
        }
    }
}

std::size_t LayoutCursor::pour(char* out, std::size_t room) {
    std::size_t written = 0;
    while (text_ != nullptr && written < room) {
        const std::size_t left = room - written;
        if (indent_left_ > 0) {
            const std::size_t n = std::min(indent_left_, left);
            std::memset(out + written, ' ', n);
            indent_left_ -= n;
            written += n;
        } else if (pos_ < end_) {
            const std::size_t n = std::min(end_ - pos_, left);
            text_->copy(pos_, n, out + written);
            pos_ += n;
            written += n;
        } else if (crlf_left_ > 0) {
            out[written++] = kLineEnd[2 - crlf_left_];
            --crlf_left_;
        } else if (!last_) {
            next_line(next_, TextLayout::kLineWidth);
        }
        if (finished()) text_ = nullptr;
    }
    return written;
}

void ParagraphEmitter::reset(const TextLayout& layout) {
    layout_ = layout;
    cursor_ = LayoutCursor{};
    tail_.clear();
    started_ = false;
    blank_plain_ = blank_section_ = blank_title_ = blank_epigraph_ = 0;
    pending_.clear();
    pending_start_ = 0;
}

void ParagraphEmitter::emit_paragraph(const char* text, BlankLine kind) {
    if (*text != '\0') {
        blank_plain_ = blank_section_ = blank_title_ = blank_epigraph_ = 0;
        started_ = true;
        format_paragraph(text, lines_);
        put_output(lines_.data(), lines_.size());
        return;
    }
    if (!started_) return;  // no blank lines before the first text
    switch (kind) {
        case BlankLine::kPlain:
            // A plain blank line right after blank lines of the other kinds is absorbed.
            blank_plain_ = std::min(blank_plain_ + 1, kMaxBlankCount);
            if (blank_section_ > 0) {
                --blank_section_;
            } else if (blank_title_ > 0) {
                --blank_title_;
            } else if (blank_epigraph_ > 0) {
                --blank_epigraph_;
            } else {
                put_output(kLineEnd, 2);
            }
            return;
        case BlankLine::kSection:
            // A section start never makes more than two blank lines in a row.
            if (blank_plain_ + blank_section_ + blank_epigraph_ > 1) return;
            ++blank_section_;
            put_output(kLineEnd, 2);
            return;
        case BlankLine::kTitle:
            blank_title_ = std::min(blank_title_ + 1, kMaxBlankCount);
            put_output(kLineEnd, 2);
            return;
        case BlankLine::kEpigraph:
        default:
            blank_epigraph_ = std::min(blank_epigraph_ + 1, kMaxBlankCount);
            put_output(kLineEnd, 2);
            return;
    }
}

void ParagraphEmitter::emit_paragraph(const ParagraphText& text, BlankLine kind) {
    if (text.text_length() == 0) {
        emit_paragraph("", kind);
        return;
    }
    blank_plain_ = blank_section_ = blank_title_ = blank_epigraph_ = 0;
    started_ = true;
    keep_pending_text();  // one paragraph at a time is read from its text
    cursor_.start(text, layout_);
    put_output();
}

void ParagraphEmitter::keep_pending_text() {
    if (!cursor_.active()) return;
    char piece[4096];
    while (cursor_.active()) pending_.append(piece, cursor_.pour(piece, sizeof piece));
    pending_ += tail_;
    tail_.clear();
}

void ParagraphEmitter::format_paragraph(const char* text, std::string& lines) const {
    lines.clear();
    const std::size_t length = std::strlen(text);
    if (length == 0) {
        lines = kLineEnd;
        return;
    }
    const int indent = std::max(layout_.indent, 0);
    lines.append(static_cast<std::size_t>(indent), ' ');
    if (layout_.para_form != TextLayout::kWrapped) {
        lines.append(text, length);
        lines += kLineEnd;
        return;
    }
    // Lines of at most 70 characters, the first one counting the indent. A line ends at
    // the last space within its room (the space is dropped), or is cut at the room.
    std::size_t start = 0;
    std::size_t room = static_cast<std::size_t>(std::max(TextLayout::kLineWidth - indent, 0));
    while (length - start > room) {
        std::size_t end = start + room;  // a character stands there: the line is too long
        std::size_t next = end;
        for (std::size_t p = start + room + 1; p-- > start;) {
            if (text[p] == ' ') {
                end = p;
                next = p + 1;
                break;
            }
        }
        lines.append(text + start, end - start);
        lines += kLineEnd;
        start = next;
        room = TextLayout::kLineWidth;
    }
    lines.append(text + start, length - start);
    lines += kLineEnd;
}

void ParagraphEmitter::copy_into_chunk(const char*& text, std::size_t& length) {
    if (job_ == nullptr) return;
    const std::size_t room = static_cast<std::size_t>(std::max(job_->dst_cap - job_->dst_len, 0));
    const std::size_t n = std::min(room, length);
    if (n == 0) return;
    std::memcpy(job_->dst + job_->dst_len, text, n);
    job_->dst_len += static_cast<std::int32_t>(n);
    text += n;
    length -= n;
}

void ParagraphEmitter::drain_pending_bytes() {
    if (pending_start_ >= pending_.size()) return;
    const char* rest = pending_.data() + pending_start_;
    std::size_t rest_length = pending_.size() - pending_start_;
    copy_into_chunk(rest, rest_length);
    pending_start_ = pending_.size() - rest_length;
    if (rest_length == 0) {
        pending_.clear();
        pending_start_ = 0;
    }
}

void ParagraphEmitter::put_output(const char* text, std::size_t length) {
    drain_pending_bytes();
    if (pending_start_ >= pending_.size() && cursor_.active() && job_ != nullptr) {
        const std::size_t room =
            static_cast<std::size_t>(std::max(job_->dst_cap - job_->dst_len, 0));
        const std::size_t n =
            cursor_.pour(reinterpret_cast<char*>(job_->dst + job_->dst_len), room);
        job_->dst_len += static_cast<std::int32_t>(n);
        if (!cursor_.active()) {
            pending_.clear();
            pending_start_ = 0;
            pending_.swap(tail_);
            tail_.clear();
            drain_pending_bytes();
        }
    }
    if (text == nullptr || length == 0) return;
    if (cursor_.active()) {
        tail_.append(text, length);
        return;
    }
    if (!has_pending()) copy_into_chunk(text, length);
    pending_.append(text, length);
}

std::string ParagraphEmitter::take_pending() {
    keep_pending_text();
    std::string rest = pending_.substr(pending_start_);
    pending_.clear();
    pending_start_ = 0;
    return rest;
}

}  // namespace tomeo
