#include "script/builtins.h"

#include <cstring>

#include "convert/charset.h"
#include "script/script_error.h"

namespace tomeo {

namespace {

constexpr char kFieldEnd = '\x08';
constexpr std::int64_t kAuthorFields = 3;  // first, middle and last name

// Field `index` (from 1) of a text of fields each ended by 0x08. A field the text does
// not hold in full is an error.
void copy_field(const char* fields, std::int64_t index, WSTR& out) {
    if (index < 1) RaiseScriptError(kScriptRunFailed);
    const char* start = fields;
    for (std::int64_t n = 1;; ++n) {
        const char* end = std::strchr(start, kFieldEnd);
        if (end == nullptr) RaiseScriptError(kScriptRunFailed);
        if (n == index) {
            out.assign(start, static_cast<std::int32_t>(end - start));
            return;
        }
        start = end + 1;
    }
}

// Which of an author's three fields the letter names: f, m or l in any letter case.
std::int64_t author_field(const WSTR& letter) {
    const char* p = letter.c_str();
    if (p[0] != '\0' && p[1] == '\0') {
        switch (char_lower(p[0])) {
            case 'f': return 1;
            case 'm': return 2;
            case 'l': return 3;
        }
    }
    RaiseScriptError(kScriptRunFailed);
}

// repl, refusing a result longer than max_length before building it.
void replace(WSTR& text, const WSTR& pattern, const WSTR& replacement, std::int32_t max_length) {
    const std::int32_t pattern_length = pattern.length();
    if (pattern_length == 0) return;
    const char* hit = std::strstr(text.c_str(), pattern.c_str());
    if (hit == nullptr) return;  // the common case: nothing to replace, nothing to copy
    const std::int64_t growth = replacement.length() - pattern_length;
    if (growth > 0) {
        std::int64_t length = text.length();
        for (; hit != nullptr; hit = std::strstr(hit + pattern_length, pattern.c_str())) {
            length += growth;
        }
        if (length > max_length) RaiseScriptError(kScriptRunFailed);
    }
    text.replace_all(pattern.c_str(), replacement.c_str());
}

}  // namespace

void PerformFunction(const Callee& callee, const char* fields, CallSlots& slots,
                     std::int32_t max_length) {
    const TOPERAND* args = slots.arguments;
    WSTR& result = slots.result_str;
    slots.result_kind = callee.result_kind;
    switch (callee.id) {
        case Builtin::kAuthor: {
            const std::int64_t field = author_field(args[1].str_value);
            if (args[0].int_value < 1) RaiseScriptError(kScriptRunFailed);
            copy_field(fields, (args[0].int_value - 1) * kAuthorFields + field, result);
            break;
        }
        case Builtin::kGenre:
        case Builtin::kGenrematch: copy_field(fields, args[0].int_value, result); break;
        case Builtin::kRepl:
            result.assign(args[0].str_value);
            replace(result, args[1].str_value, args[2].str_value, max_length);
            break;
        case Builtin::kLtrim:
            result.assign(args[0].str_value);
            result.trim_left();
            break;
        case Builtin::kRtrim:
            result.assign(args[0].str_value);
            result.trim_right();
            break;
        case Builtin::kTrim:
            result.assign(args[0].str_value);
            result.trim();
            break;
        case Builtin::kLeft:
            // A negative count gives an empty text.
            result.assign(args[0].str_value);
            result.truncate(args[1].int_value);
            break;
        case Builtin::kMid: {
            // Positions count from 1; one below 1, or a negative count, gives an empty text.
            const std::int32_t position = args[1].int_value;
            result.assign(args[0].str_value);
            if (position < 1) {
                result.clear();
            } else {
                result.substring_in_place(position - 1, args[2].int_value);
            }
            break;
        }
        case Builtin::kLower:
            result.assign(args[0].str_value);
            result.to_lower();
            break;
        case Builtin::kUpper:
            result.assign(args[0].str_value);
            result.to_upper();
            break;
        case Builtin::kLen: slots.result_int = args[0].str_value.length(); break;
        case Builtin::kCstr: result.set_number(args[0].int_value); break;
        case Builtin::kPrintp:
        case Builtin::kPrintannt:
            break;  // procedures are performed by the interpreter's host handlers
    }
}

}  // namespace tomeo
