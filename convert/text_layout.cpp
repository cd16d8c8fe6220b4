#include "convert/text_layout.h"

#include <algorithm>
#include <cstring>

namespace tomeo {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr int kMaxBlankCount = 127;

}  // namespace

void ParagraphEmitter::reset(const TextLayout& layout) {
    layout_ = layout;
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

void ParagraphEmitter::put_output(const char* text, std::size_t length) {
    if (has_pending()) {
        const char* rest = pending_.data() + pending_start_;
        std::size_t rest_length = pending_.size() - pending_start_;
        copy_into_chunk(rest, rest_length);
        pending_start_ = pending_.size() - rest_length;
        if (rest_length == 0) {
            pending_.clear();
            pending_start_ = 0;
        }
    }
    if (text == nullptr || length == 0) return;
    if (!has_pending()) copy_into_chunk(text, length);
    pending_.append(text, length);
}

std::string ParagraphEmitter::take_pending() {
    std::string rest = pending_.substr(pending_start_);
    pending_.clear();
    pending_start_ = 0;
    return rest;
}

}  // namespace tomeo
