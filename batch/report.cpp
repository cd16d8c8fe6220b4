#include "batch/report.h"

#include <cstring>

#include "batch/operations.h"
#include "core/messages.h"

namespace tomeo {

void Report::AppendParagraphBreak() {
    if (!text_.is_empty()) text_.append("\r\n\r\n");
}

void Report::AppendMessage(const char* format, const char* first, const char* second) {
    AppendParagraphBreak();
    AppendExpanded(format, first, second);
}

void Report::FormatReport(const char* format, const char* first, const char* second) {
    ClearReport();
    AppendExpanded(format, first, second);
}

void Report::AppendExpanded(const char* format, const char* first, const char* second) {
    const char* p = format;
    while (const char* percent = std::strchr(p, '%')) {
        text_.append(p, static_cast<std::int32_t>(percent - p));
        const char* argument = percent[1] == '1' ? first : percent[1] == '2' ? second : nullptr;
        if (argument == nullptr) {
            text_.append('%');
            p = percent + 1;
            continue;
        }
        p = percent + 2;
        // A placeholder followed by a double quote quotes an argument that holds a space;
        // the quote of the format is consumed either way.
        const bool quote = *p == '"' && std::strchr(argument, ' ') != nullptr;
        if (*p == '"') ++p;
        if (quote) text_.append('"');
        text_.append(argument);
        if (quote) text_.append('"');
    }
    text_.append(p);
}

void Report::ReportResults(const FileResults& r) {
    auto append_error = [this](const char* error) {
        if (*error == '\0') return;
        text_.append(' ');
        text_.append(error);
    };

    if (r.flags & RES_RENAME) {
        AppendMessage(msg::kRenameFailed, r.name);
        append_error(r.rename_error);
    }
    if (r.flags & RES_MOVE) {
        if (*r.move_error != '\0') {
            AppendMessage(msg::kMoveFailed, r.name);
            append_error(r.move_error);
        } else if (*r.target_dir != '\0') {
            AppendMessage(msg::kMoveFailedTo, r.name, r.target_dir);
        } else {
            AppendMessage(msg::kMoveFailed, r.name);
        }
    }
    if (r.flags & (RES_UTF8 | RES_UTF8_NOT1251 | RES_UTF8_BADCODE | RES_DOS)) {
        AppendMessage(msg::kRecodeFailed, r.name);
        if (r.flags & RES_UTF8_BADCODE) AppendText(msg::kReasonBadUtf8);
        if (r.flags & RES_UTF8_NOT1251) AppendText(msg::kReasonNot1251);
    }
    if (r.flags & (RES_TOTEXT | RES_TOTEXT_NOT1251 | RES_TOTEXT_BADCODE | RES_TOTEXT_TAG |
                   RES_TOTEXT_STRUCTURE)) {
        AppendMessage(msg::kConvertFailed, r.name);
        if (r.flags & RES_TOTEXT_BADCODE) AppendText(msg::kReasonBadUtf8);
        if (r.flags & RES_TOTEXT_NOT1251) AppendText(msg::kReasonNot1251);
        if (r.flags & RES_TOTEXT_TAG) AppendText(msg::kReasonUnknownTag);
        if (r.flags & RES_TOTEXT_STRUCTURE) AppendText(msg::kReasonBrokenStructure);
    }
    append_error(r.convert_error);
    if (r.flags & RES_ZIP) AppendMessage(msg::kPackFailed, r.name);
}

}  // namespace tomeo
