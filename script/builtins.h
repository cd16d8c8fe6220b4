// The built-in functions of the script language (author, genre, repl, trim, left, mid,
// len...), performed on arguments the interpreter has already evaluated and checked
// against the signature in kFunctions.
#pragma once

#include <cstdint>

#include "script/lexer.h"
#include "script/parser.h"

namespace tomeo {

// The arguments and the result of one call. The interpreter keeps one set and reuses
// it for every call, so that its buffers are allocated once.
struct CallSlots {
    TOPERAND arguments[kMaxArguments];
    std::uint8_t result_kind = kNoValue;
    WSTR result_str;
    std::int32_t result_int = 0;
};

// Performs a function; its result goes to slots.result_*. `fields` is the value of the
// callee's reserved variable (author, genre, genrematch), else nullptr. Raises SCRIPTError
// 4 for an index or author field that names no field, and for a repl result longer than
// max_length. Gives, for the run's budget, the bytes it handled beyond copying its
// arguments and result: the part of `fields` gone through, the result of repl.
std::int64_t PerformFunction(const Callee& callee, const char* fields, CallSlots& slots,
                             std::int32_t max_length);

}  // namespace tomeo
