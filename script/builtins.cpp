#include "script/builtins.h"

#include <cstring>

#include "core/charset.h"
#include "script/script_error.h"

namespace tomeo {

namespace {

constexpr char kFieldEnd = '\x08';
constexpr std::int64_t kAuthorFields = 3;  // first, middle and last name

// Field `index` (from 1) of a text of fields each ended by 0x08. A field the text does
// not hold in full is an error. Gives the bytes of the text gone through.
std::int64_t copy_field(const char* fields, std::int64_t index, WSTR& out) {
    if (index < 1) RaiseScriptError(kScriptRunFailed);
    const char* start = fields;
    for (std::int64_t n = 1;; ++n) {
        const char* end = std::strchr(start, kFieldEnd);
        if (end == nullptr) RaiseScriptError(kScriptRunFailed);
        if (n == index) {
            out.assign(start, static_cast<std::int32_t>(end - start));
            return end + 1 - fields;
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

}  // namespace

std::int64_t PerformFunction(const Callee& callee, const char* fields, CallSlots& slots,
                             std::int32_t max_length) {
    const TOPERAND* args = slots.arguments;
    WSTR& result = slots.result_str;
    slots.result_kind = callee.result_kind;
    switch (callee.id) {
        case Builtin::kAuthor: {
            const std::int64_t field = author_field(args[1].str_value);
            if (args[0].int_value < 1) RaiseScriptError(kScriptRunFailed);
            return copy_field(fields, (args[0].int_value - 1) * kAuthorFields + field, result);
        }
        case Builtin::kGenre:
        case Builtin::kGenrematch: return copy_field(fields, args[0].int_value, result);
        case Builtin::kRepl:
            result.assign(args[0].str_value);
            if (!result.replace_all(args[1].str_value.c_str(), args[2].str_value.c_str(),
                                    max_length)) {
                RaiseScriptError(kScriptRunFailed);
            }
            return result.length();  // built by many small pieces
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
    return 0;
}

}  // namespace tomeo
