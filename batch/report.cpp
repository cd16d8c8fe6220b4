#include "batch/report.h"

#include <cstring>

#include "core/messages.h"
#include "core/operations.h"

namespace tomeo {
namespace {

constexpr struct {
    FailReason reason;
    const char* text;
} kReasonTexts[] = {
    {FailReason::NotFound, msg::kReasonNotFound},
    {FailReason::SourceUnreadable, msg::kReasonSourceUnreadable},
    {FailReason::NoAccess, msg::kReasonNoAccess},
    {FailReason::NoSpace, msg::kReasonNoSpace},
    {FailReason::Description, msg::kReasonDescription},
    {FailReason::NoEncoding, msg::kReasonNoEncoding},
    {FailReason::UnknownEncoding, msg::kReasonUnknownEncoding},
    {FailReason::EmptyName, msg::kReasonEmptyName},
    {FailReason::UnusableName, msg::kReasonUnusableName},
    {FailReason::EmptyDirectory, msg::kReasonEmptyDirectory},
    {FailReason::ParentFolder, msg::kReasonParentFolder},
    {FailReason::NameTaken, msg::kReasonNameTaken},
    {FailReason::NameNotAllowed, msg::kReasonNameNotAllowed},
    {FailReason::SourceChanged, msg::kReasonSourceChanged},
    {FailReason::TextNameTaken, msg::kReasonTextNameTaken},
};

}  // namespace

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

void Report::AppendReason(FailReason reason, const char* detail) {
    for (const auto& r : kReasonTexts) {
        if (r.reason == reason) AppendExpanded(r.text, detail, nullptr);
    }
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
        AppendReason(r.reason, r.reason_detail);
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
        AppendReason(r.reason, r.reason_detail);
    }
    if (r.flags & (RES_UTF8 | RES_UTF8_NOT1251 | RES_UTF8_BADCODE | RES_DOS)) {
        AppendMessage(msg::kRecodeFailed, r.name);
        if (r.flags & RES_UTF8_BADCODE) AppendText(msg::kReasonBadUtf8);
        if (r.flags & RES_UTF8_NOT1251) AppendText(msg::kReasonNot1251);
        AppendReason(r.reason, r.reason_detail);
    }
    const bool converting = (r.flags & (RES_TOTEXT | RES_TOTEXT_NOT1251 | RES_TOTEXT_BADCODE |
                                        RES_TOTEXT_TAG | RES_TOTEXT_STRUCTURE)) != 0;
    if (converting) {
        AppendMessage(msg::kConvertFailed, r.name);
        if (r.flags & RES_TOTEXT_BADCODE) AppendText(msg::kReasonBadUtf8);
        if (r.flags & RES_TOTEXT_NOT1251) AppendText(msg::kReasonNot1251);
        if (r.flags & RES_TOTEXT_TAG) {
            AppendText(msg::kReasonUnknownTag);
            if (*r.unknown_tag != '\0') AppendExpanded(msg::kReasonTagName, r.unknown_tag, nullptr);
        }
        if (r.flags & RES_TOTEXT_STRUCTURE) AppendText(msg::kReasonBrokenStructure);
    }
    append_error(r.convert_error);
    if (converting) AppendReason(r.reason, r.reason_detail);
    if (r.flags & RES_ZIP) {
        AppendMessage(msg::kPackFailed, r.name);
        AppendReason(r.reason, r.reason_detail);
    }
}

}  // namespace tomeo
