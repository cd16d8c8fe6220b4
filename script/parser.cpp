#include "script/parser.h"

#include <cstring>

#include "script/script_error.h"

namespace tomeo {

namespace {

// Whether text begins with the word (ASCII lower-case letters), in any letter case.
// Setting bit 5 folds only a letter's two cases together, so no other byte matches.
bool starts_with_word(TextSpan text, const char* word) {
    const std::int32_t n = static_cast<std::int32_t>(std::strlen(word));
    if (text.size() < n) return false;
    for (std::int32_t i = 0; i < n; ++i) {
        if ((text.begin[i] | 0x20) != word[i]) return false;
    }
    return true;
}

bool equals_word(TextSpan text, const char* word) {
    return text.size() == static_cast<std::int32_t>(std::strlen(word)) &&
           starts_with_word(text, word);
}

template <std::size_t N>
const Callee* find_callee(const std::array<Callee, N>& table, TextSpan name) {
    for (const Callee& callee : table) {
        if (equals_word(name, callee.name)) return &callee;
    }
    return nullptr;
}

// operator = "<>" | ">=" | "<=" | "=" | ">" | "<"
CompareOp read_compare_op(TextSpan& text) {
    struct Spelling {
        const char* text;
        CompareOp op;
    };
    static constexpr Spelling kSpellings[] = {
        {"<>", CompareOp::kNotEqual},    {">=", CompareOp::kGreaterOrEqual},
        {"<=", CompareOp::kLessOrEqual}, {"=", CompareOp::kEqual},
        {">", CompareOp::kGreater},      {"<", CompareOp::kLess},
    };
    for (const Spelling& s : kSpellings) {
        const std::int32_t n = static_cast<std::int32_t>(std::strlen(s.text));
        if (text.size() >= n && std::memcmp(text.begin, s.text, n) == 0) {
            text.begin += n;
            return s.op;
        }
    }
    return CompareOp::kNone;
}

void expect(bool holds) {
    if (!holds) RaiseScriptError(kScriptBadSyntax);
}

}  // namespace

// statement = empty | "//" comment | assignment | "}" | if | while | call
StatementKind classify(TextSpan line) {
    if (line.empty()) return StatementKind::kEmpty;
    if (line.size() >= 2 && line.begin[0] == '/' && line.begin[1] == '/') {
        return StatementKind::kComment;
    }
    if (line.begin[0] == '$') return StatementKind::kAssignment;
    if (line.size() == 1 && line.begin[0] == '}') return StatementKind::kBlockEnd;
    if (starts_with_word(line, "if")) return StatementKind::kIf;
    if (starts_with_word(line, "while")) return StatementKind::kWhile;
    return StatementKind::kCall;
}

// assignment = variable spaces "=" spaces (operand [spaces ("+" | "-") spaces operand] | call)
void parse_assignment(TextSpan line, ParsedAssignment& assignment, TOPERAND* arguments) {
    TextSpan rest = line;
    read_operand(rest, assignment.left);  // the line starts with "$": always a variable
    assignment.target = assignment.left.text;
    skip_spaces(rest);
    expect(rest.starts_with('='));
    ++rest.begin;
    skip_spaces(rest);
    if (!read_operand(rest, assignment.left)) {
        // The whole right-hand side is one call.
        assignment.form = AssignmentForm::kCall;
        assignment.callee = &parse_call(rest, false, arguments);
        return;
    }
    if (rest.empty()) {
        assignment.form = AssignmentForm::kOperand;
        return;
    }
    skip_spaces(rest);
    expect(rest.starts_with('+') || rest.starts_with('-'));
    assignment.op = *rest.begin++;
    skip_spaces(rest);
    expect(read_operand(rest, assignment.right));
    expect(rest.empty());
    assignment.form = AssignmentForm::kOperation;
}

// call = name "(" [operand {"," operand} [","]] ")"     (name: the text before the first "(")
const Callee& parse_call(TextSpan text, bool is_procedure, TOPERAND* arguments) {
    const char* open = static_cast<const char*>(std::memchr(text.begin, '(', text.size()));
    expect(open != nullptr);
    expect(text.end[-1] == ')');
    const TextSpan name{text.begin, open};
    TextSpan rest{open + 1, text.end - 1};
    std::int32_t count = 0;
    for (;;) {
        skip_spaces(rest);
        if (rest.empty()) break;
        expect(count < kMaxArguments);
        expect(read_operand(rest, arguments[count]));
        ++count;
        skip_spaces(rest);
        if (rest.empty()) break;
        expect(rest.starts_with(','));
        ++rest.begin;
    }
    const Callee* callee =
        is_procedure ? find_callee(kProcedures, name) : find_callee(kFunctions, name);
    if (callee == nullptr) {
        RaiseScriptError(is_procedure ? kScriptUnknownProcedure : kScriptUnknownFunction);
    }
    expect(count == callee->arity);
    return *callee;
}

// condition = spaces "(" operand spaces operator spaces operand spaces ")"
const char* parse_condition(TextSpan text, TCOMPARE& condition) {
    condition.text = {};
    skip_spaces(text);
    expect(text.starts_with('('));
    const char* open = text.begin++;
    expect(read_operand(text, condition.left));  // no space allowed after "("
    skip_spaces(text);
    condition.op = read_compare_op(text);
    expect(condition.op != CompareOp::kNone);
    skip_spaces(text);
    expect(read_operand(text, condition.right));
    skip_spaces(text);
    expect(text.starts_with(')'));
    ++text.begin;
    condition.text = {open, text.begin};
    return text.begin;
}

// if = "if" condition spaces (["{" spaces] end | statement)
ParsedIf parse_if(TextSpan line, TCOMPARE& condition) {
    TextSpan rest{parse_condition({line.begin + 2, line.end}, condition), line.end};
    skip_spaces(rest);
    if (rest.starts_with('{')) {
        ++rest.begin;
        skip_spaces(rest);
        expect(rest.empty());
    }
    return {rest.empty(), rest};
}

// while = "while" condition spaces "{" spaces end
void parse_while(TextSpan line, TCOMPARE& condition) {
    TextSpan rest{parse_condition({line.begin + 5, line.end}, condition), line.end};
    skip_spaces(rest);
    expect(rest.starts_with('{'));
    ++rest.begin;
    skip_spaces(rest);
    expect(rest.empty());
}

}  // namespace tomeo
