// The syntax of the script language, one line at a time: what kind of statement a line
// is, and the grammar of assignments, calls, conditions, if and while. The parser only
// reads: it fills the caller's records with operands as written and raises SCRIPTError
// (code 1, 6 or 7) at the first fault. The interpreter decides whether to evaluate.
//
// Keywords and built-in names match in any letter case; variable names are exact.
#pragma once

#include <array>
#include <cstdint>

#include "script/lexer.h"

namespace tomeo {

enum class StatementKind : std::uint8_t {
    kEmpty,
    kComment,
    kAssignment,
    kBlockEnd,
    kIf,
    kWhile,
    kCall,  // a procedure call, and anything not matched by the kinds above
};

// The built-in functions and procedures.
enum class Builtin : std::uint8_t {
    kAuthor,
    kGenre,
    kRepl,
    kLtrim,
    kRtrim,
    kTrim,
    kLeft,
    kMid,
    kLower,
    kUpper,
    kLen,
    kCstr,
    kGenrematch,
    kPrintp,
    kPrintannt,
};

inline constexpr int kMaxArguments = 3;

// The signature of a built-in.
struct Callee {
    const char* name;
    Builtin id;
    std::uint8_t arity;
    std::array<std::uint8_t, kMaxArguments> argument_kinds;
    std::uint8_t result_kind;  // kNoValue for a procedure
    // The reserved variable a field function reads, or the variable that binds a
    // procedure to its host handler; nullptr for the others.
    const char* variable;
};

inline constexpr std::array<Callee, 13> kFunctions{{
    {"author", Builtin::kAuthor, 2, {kIntegerValue, kStringValue}, kStringValue, "$_author_str_"},
    {"genre", Builtin::kGenre, 1, {kIntegerValue}, kStringValue, "$_genre_str_"},
    {"repl", Builtin::kRepl, 3, {kStringValue, kStringValue, kStringValue}, kStringValue, nullptr},
    {"ltrim", Builtin::kLtrim, 1, {kStringValue}, kStringValue, nullptr},
    {"rtrim", Builtin::kRtrim, 1, {kStringValue}, kStringValue, nullptr},
    {"trim", Builtin::kTrim, 1, {kStringValue}, kStringValue, nullptr},
    {"left", Builtin::kLeft, 2, {kStringValue, kIntegerValue}, kStringValue, nullptr},
    {"mid", Builtin::kMid, 3, {kStringValue, kIntegerValue, kIntegerValue}, kStringValue, nullptr},
    {"lower", Builtin::kLower, 1, {kStringValue}, kStringValue, nullptr},
    {"upper", Builtin::kUpper, 1, {kStringValue}, kStringValue, nullptr},
    {"len", Builtin::kLen, 1, {kStringValue}, kIntegerValue, nullptr},
    {"cstr", Builtin::kCstr, 1, {kIntegerValue}, kStringValue, nullptr},
    {"genrematch", Builtin::kGenrematch, 1, {kIntegerValue}, kStringValue, "$_genrematch_str_"},
}};

inline constexpr std::array<Callee, 2> kProcedures{{
    {"printp", Builtin::kPrintp, 1, {kStringValue}, kNoValue, "$_printp_str_"},
    {"printannt", Builtin::kPrintannt, 0, {}, kNoValue, "$_printannt_str_"},
}};

enum class CompareOp : std::uint8_t {
    kNone = 0,  // not parsed
    kEqual = 1,
    kNotEqual = 2,
    kGreater = 3,
    kLess = 4,
    kGreaterOrEqual = 5,
    kLessOrEqual = 6,
};

// The condition of an if or a while.
struct TCOMPARE {
    TOPERAND left;
    TOPERAND right;
    TextSpan text;  // from "(" through ")" as written; empty until parsed
    CompareOp op = CompareOp::kNone;
    std::uint8_t result = 0;  // 1 when the condition holds; set by evaluation
};

enum class AssignmentForm : std::uint8_t {
    kOperand,    // $a = x
    kOperation,  // $a = x + y, $a = x - y
    kCall,       // $a = f(...)
};

struct ParsedAssignment {
    TextSpan target;  // the variable's name
    AssignmentForm form = AssignmentForm::kOperand;
    char op = '+';
    TOPERAND left;  // the operand of kOperand, the left one of kOperation
    TOPERAND right;
    const Callee* callee = nullptr;  // kCall; its arguments go to the array given
};

struct ParsedIf {
    bool opens_block;
    TextSpan statement;  // the dependent statement when the if does not open a block
};

StatementKind classify(TextSpan line);

// The functions below parse a trimmed line (or the part of one given) and raise
// SCRIPTError at the first fault. `arguments` has room for kMaxArguments operands.
void parse_assignment(TextSpan line, ParsedAssignment& assignment, TOPERAND* arguments);
const Callee& parse_call(TextSpan text, bool is_procedure, TOPERAND* arguments);
// Gives the position after the condition's ")".
const char* parse_condition(TextSpan text, TCOMPARE& condition);
ParsedIf parse_if(TextSpan line, TCOMPARE& condition);
void parse_while(TextSpan line, TCOMPARE& condition);

}  // namespace tomeo
