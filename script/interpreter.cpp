#include "script/interpreter.h"

#include <cstdio>
#include <cstring>

#include "core/messages.h"
#include "script/builtins.h"
#include "script/lexer.h"
#include "script/parser.h"

namespace tomeo {

// The records one statement is parsed into.
struct RunWorkspace {
    ParsedAssignment assignment;
    TCOMPARE condition;
    CallSlots slots;
};

namespace {

struct ErrorText {
    const char* start;
    const char* detail;
};

constexpr ErrorText kErrorTexts[] = {
    {"", ""},
    {msg::kScriptError, msg::kScriptSyntaxDetail},
    {msg::kScriptRunError, msg::kScriptUndefinedDetail},
    {msg::kScriptRunError, msg::kScriptTypeDetail},
    {msg::kScriptRunError, ""},
    {msg::kScriptError, msg::kScriptBracesDetail},
    {msg::kScriptError, msg::kScriptFunctionDetail},
    {msg::kScriptError, msg::kScriptProcedureDetail},
};

// Decimal text, 32-bit arithmetic that wraps silently.
std::int32_t number_value(TextSpan text) {
    const char* p = text.begin;
    const bool negative = *p == '-';
    if (negative) ++p;
    std::uint32_t value = 0;
    for (; p != text.end; ++p) value = value * 10 + static_cast<std::uint32_t>(*p - '0');
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

// The characters between the quotes, each escape replaced by the character escaped.
void string_value(TextSpan literal, WSTR& out) {
    const char* p = literal.begin + 1;
    const char* end = literal.end - 1;
    out.reserve_length(static_cast<std::int32_t>(end - p));
    char* q = out.data();
    for (; p < end; ++p) {
        if (*p == '\\') ++p;
        *q++ = *p;
    }
    *q = '\0';
}

}  // namespace

// One run of a script: the read position, the statement loop and the evaluation.
class ScriptRun {
public:
    explicit ScriptRun(SCRIPT& script)
        : script_(script), work_(*script.workspace_), reader_(script.text_.c_str()) {}

    void execute();

private:
    void statement(StatementKind kind, TextSpan line);
    void assignment(TextSpan line);
    void procedure_call(TextSpan text);
    void if_statement(TextSpan line);
    void while_statement(TextSpan line);
    void block_end();

    void evaluate(TOPERAND& operand);
    void operate(char op, std::uint8_t kind, WSTR& str_value, std::int32_t& str_length,
                 std::int32_t& int_value, const TOPERAND& right);
    void evaluate_arguments(const Callee& callee);
    bool condition_holds(TCOMPARE& condition);
    void store(TextSpan name, std::uint8_t kind, const WSTR& str_value, std::int32_t int_value);
    void push_block(BlockKind kind, bool condition_holds);
    // Counts bytes read or built against the byte budget.
    void charge(std::int64_t bytes) {
        bytes_ += bytes;
        if (bytes_ > script_.byte_budget_) RaiseScriptError(kScriptRunFailed);
    }

    SCRIPT& script_;
    RunWorkspace& work_;
    LineReader reader_;
    std::int64_t statements_ = 0;
    std::int64_t bytes_ = 0;
};

void ScriptRun::execute() {
    script_.blocks_.clear();
    script_.executing_ = true;
    script_.set_error(kScriptNoError, 0);
    try {
        while (reader_.next()) {
            charge(reader_.bytes_read());
            const TextSpan line = reader_.line();
            const StatementKind kind = classify(line);
            if (kind == StatementKind::kEmpty || kind == StatementKind::kComment) continue;
            if (++statements_ > script_.statement_budget_) RaiseScriptError(kScriptRunFailed);
            statement(kind, line);
        }
    } catch (const SCRIPTError& error) {
        script_.fail(error.code(), reader_.number());
    }
    if (script_.blocks_.count() != 0) script_.fail(kScriptBadBraces, 0);
}

void ScriptRun::statement(StatementKind kind, TextSpan line) {
    switch (kind) {
        case StatementKind::kAssignment: assignment(line); break;
        case StatementKind::kBlockEnd: block_end(); break;
        case StatementKind::kIf: if_statement(line); break;
        case StatementKind::kWhile: while_statement(line); break;
        case StatementKind::kCall: procedure_call(line); break;
        case StatementKind::kEmpty:
        case StatementKind::kComment: break;
    }
}

void ScriptRun::assignment(TextSpan line) {
    ParsedAssignment& a = work_.assignment;
    CallSlots& slots = work_.slots;
    parse_assignment(line, a, slots.arguments);
    if (!script_.executing_) return;
    switch (a.form) {
        case AssignmentForm::kOperand: evaluate(a.left); break;
        case AssignmentForm::kOperation: {
            // "$a = $a + x", the way scripts build names up, works on the variable itself.
            TVAR* accumulator = nullptr;
            if (a.left.kind == kVariableOperand && a.left.text.size() == a.target.size() &&
                std::memcmp(a.left.text.begin, a.target.begin, a.target.size()) == 0) {
                accumulator = script_.find_variable(a.target.begin, a.target.size());
                if (accumulator == nullptr) RaiseScriptError(kScriptUndefinedVariable);
            } else {
                evaluate(a.left);
            }
            evaluate(a.right);
            if (accumulator != nullptr) {
                operate(a.op, accumulator->type, accumulator->str_value, accumulator->str_length,
                        accumulator->int_value, a.right);
                return;
            }
            std::int32_t length = a.left.kind == kStringValue ? a.left.str_value.length() : 0;
            operate(a.op, a.left.kind, a.left.str_value, length, a.left.int_value, a.right);
            break;
        }
        case AssignmentForm::kCall: {
            const Callee& callee = *a.callee;
            evaluate_arguments(callee);
            const char* fields =
                callee.variable == nullptr
                    ? nullptr
                    : script_.typed_variable(callee.variable, kStringValue).str_value.c_str();
            charge(PerformFunction(callee, fields, slots, script_.max_value_length_));
            store(a.target, slots.result_kind, slots.result_str, slots.result_int);
            return;
        }
    }
    store(a.target, a.left.kind, a.left.str_value, a.left.int_value);
}

void ScriptRun::procedure_call(TextSpan text) {
    CallSlots& slots = work_.slots;
    const Callee& callee = parse_call(text, true, slots.arguments);
    if (!script_.executing_) return;
    evaluate_arguments(callee);
    // Whatever is wrong with the binding is the procedure's failure, not the script's.
    const TVAR* binding = script_.find_variable(callee.variable);
    if (binding == nullptr || binding->type != kStringValue) RaiseScriptError(kScriptRunFailed);
    ScriptHandler* handler = script_.handler_named(binding->str_value.c_str());
    if (handler == nullptr) RaiseScriptError(kScriptRunFailed);
    const char* argument = callee.arity > 0 ? slots.arguments[0].str_value.c_str() : "";
    charge(static_cast<std::int64_t>(std::strlen(argument)));  // the handler writes it out
    if (!handler->Perform(argument)) RaiseScriptError(kScriptRunFailed);
}

void ScriptRun::if_statement(TextSpan line) {
    const ParsedIf parsed = parse_if(line, work_.condition);
    const bool holds = script_.executing_ && condition_holds(work_.condition);
    if (parsed.opens_block) {
        push_block(kIfBlock, holds);
        return;
    }
    const bool saved = script_.executing_;
    if (!holds) script_.executing_ = false;
    if (parsed.statement.starts_with('$')) {
        assignment(parsed.statement);
    } else {
        procedure_call(parsed.statement);
    }
    script_.executing_ = saved;
}

void ScriptRun::while_statement(TextSpan line) {
    parse_while(line, work_.condition);
    push_block(kWhileBlock, script_.executing_ && condition_holds(work_.condition));
}

void ScriptRun::push_block(BlockKind kind, bool holds) {
    script_.blocks_.add(TBLOCK{reader_.offset(), reader_.number(), kind, script_.executing_});
    if (!holds) script_.executing_ = false;
}

// "}" closes the innermost block; an executed while goes back to read its line again.
void ScriptRun::block_end() {
    if (script_.blocks_.count() == 0) RaiseScriptError(kScriptBadBraces);
    const TBLOCK& block = script_.blocks_.back();
    if (script_.executing_ && block.kind == kWhileBlock) {
        reader_.rewind(block.line_offset, block.line_number);
    } else {
        script_.executing_ = block.saved_executing;
    }
    script_.blocks_.delete_back();
}

void ScriptRun::evaluate(TOPERAND& operand) {
    switch (operand.kind) {
        case kVariableOperand: {
            const TVAR* variable = script_.find_variable(operand.text.begin, operand.text.size());
            if (variable == nullptr) RaiseScriptError(kScriptUndefinedVariable);
            operand.kind = variable->type;
            if (variable->type == kStringValue) {
                charge(variable->str_length);
                operand.str_value.assign(variable->str_value.c_str(), variable->str_length);
            } else {
                operand.int_value = variable->int_value;
            }
            break;
        }
        case kStringValue:
            charge(operand.text.size());
            string_value(operand.text, operand.str_value);
            break;
        case kIntegerValue: operand.int_value = number_value(operand.text); break;
    }
}

// The left value (of the kind given) op the right operand, into the left value. Integers
// wrap silently; strings only concatenate, in amortised constant time per byte appended.
void ScriptRun::operate(char op, std::uint8_t kind, WSTR& str_value, std::int32_t& str_length,
                        std::int32_t& int_value, const TOPERAND& right) {
    if (kind != right.kind) RaiseScriptError(kScriptTypeMismatch);
    if (kind == kIntegerValue) {
        const auto a = static_cast<std::uint32_t>(int_value);
        const auto b = static_cast<std::uint32_t>(right.int_value);
        int_value = static_cast<std::int32_t>(op == '+' ? a + b : a - b);
        return;
    }
    if (op == '-') RaiseScriptError(kScriptBadSyntax);
    const std::int32_t right_length = right.str_value.length();
    if (std::int64_t{str_length} + right_length > script_.max_value_length_) {
        RaiseScriptError(kScriptRunFailed);
    }
    charge(right_length);
    str_value.append_growing(str_length, right.str_value.c_str(), right_length);
    str_length += right_length;
}

// Left to right, each checked against the signature right after it is evaluated.
void ScriptRun::evaluate_arguments(const Callee& callee) {
    for (int i = 0; i < callee.arity; ++i) {
        TOPERAND& argument = work_.slots.arguments[i];
        evaluate(argument);
        if (argument.kind != callee.argument_kinds[i]) RaiseScriptError(kScriptTypeMismatch);
    }
}

bool ScriptRun::condition_holds(TCOMPARE& condition) {
    evaluate(condition.left);
    evaluate(condition.right);
    if (condition.left.kind != condition.right.kind) RaiseScriptError(kScriptTypeMismatch);
    bool holds = false;
    if (condition.left.kind == kIntegerValue) {
        const std::int32_t a = condition.left.int_value;
        const std::int32_t b = condition.right.int_value;
        switch (condition.op) {
            case CompareOp::kEqual: holds = a == b; break;
            case CompareOp::kNotEqual: holds = a != b; break;
            case CompareOp::kGreater: holds = a > b; break;
            case CompareOp::kLess: holds = a < b; break;
            case CompareOp::kGreaterOrEqual: holds = a >= b; break;
            case CompareOp::kLessOrEqual: holds = a <= b; break;
            case CompareOp::kNone: break;
        }
    } else {
        // Strings are only equal or not; they have no order.
        if (condition.op != CompareOp::kEqual && condition.op != CompareOp::kNotEqual) {
            RaiseScriptError(kScriptTypeMismatch);
        }
        const bool equal =
            std::strcmp(condition.left.str_value.c_str(), condition.right.str_value.c_str()) == 0;
        holds = condition.op == CompareOp::kEqual ? equal : !equal;
    }
    condition.result = holds ? 1 : 0;
    return holds;
}

void ScriptRun::store(TextSpan name, std::uint8_t kind, const WSTR& str_value,
                      std::int32_t int_value) {
    TVAR* variable = script_.find_variable(name.begin, name.size());
    if (variable == nullptr) {
        variable = &script_.vars_.add(name.begin, name.size(), kind);
    } else if (variable->type != kind) {
        RaiseScriptError(kScriptTypeMismatch);
    }
    if (kind == kStringValue) {
        const std::int32_t length = str_value.length();
        charge(length);
        variable->str_value.assign(str_value.c_str(), length);
        variable->str_length = length;
    } else {
        variable->int_value = int_value;
    }
}

// --- SCRIPT ---

TVAR::TVAR(const char* variable_name, std::int32_t name_length, std::uint8_t variable_type)
    : name(name_length + 1),
      type(variable_type),
      str_value(variable_type == kStringValue ? WSTR::kDefaultCapacity : 1),
      name_hash(hash(variable_name, name_length)) {
    name.assign(variable_name, name_length);
}

// FNV-1a.
std::uint32_t TVAR::hash(const char* name, std::int32_t length) {
    std::uint32_t h = 2166136261u;
    for (std::int32_t i = 0; i < length; ++i) {
        h = (h ^ static_cast<std::uint8_t>(name[i])) * 16777619u;
    }
    return h;
}

SCRIPT::SCRIPT() : workspace_(std::make_unique<RunWorkspace>()) {
    lookup_cache_.fill(-1);
}
SCRIPT::~SCRIPT() = default;

void SCRIPT::define_string(const char* name, const char* value) {
    TVAR& variable = vars_.add(name, static_cast<std::int32_t>(std::strlen(name)), kStringValue);
    variable.str_length = static_cast<std::int32_t>(std::strlen(value));
    variable.str_value.assign(value, variable.str_length);
}

void SCRIPT::define_integer(const char* name, std::int32_t value) {
    vars_.add(name, static_cast<std::int32_t>(std::strlen(name)), kIntegerValue).int_value = value;
}

void SCRIPT::clear_variables() {
    vars_.clear();
    lookup_cache_.fill(-1);
}

TVAR* SCRIPT::find_variable(const char* name, std::int32_t length) const {
    const std::uint32_t hash = TVAR::hash(name, length);
    const auto is_named = [&](const TVAR& variable) {
        if (variable.name_hash != hash) return false;
        // A shorter stored name differs at its NUL: names hold no NUL.
        const char* stored = variable.name.c_str();
        for (std::int32_t i = 0; i < length; ++i) {
            if (stored[i] != name[i]) return false;
        }
        return stored[length] == '\0';
    };
    std::int32_t& cached = lookup_cache_[hash % kLookupCacheSize];
    if (cached >= 0 && cached < vars_.count() && is_named(vars_[cached])) return &vars_[cached];
    for (std::int32_t i = 0; i < vars_.count(); ++i) {
        if (is_named(vars_[i])) {
            cached = i;
            return &vars_[i];
        }
    }
    return nullptr;
}

TVAR* SCRIPT::find_variable(const char* name) const {
    return find_variable(name, static_cast<std::int32_t>(std::strlen(name)));
}

const TVAR& SCRIPT::typed_variable(const char* name, std::uint8_t type) const {
    const TVAR* variable = find_variable(name);
    if (variable == nullptr) RaiseScriptError(kScriptUndefinedVariable);
    if (variable->type != type) RaiseScriptError(kScriptTypeMismatch);
    return *variable;
}

// Outside a run an error has neither a line nor a message.
const char* SCRIPT::get_string(const char* name) {
    try {
        return typed_variable(name, kStringValue).str_value.c_str();
    } catch (const SCRIPTError& error) {
        set_error(error.code(), 0);
        throw;
    }
}

std::int32_t SCRIPT::get_integer(const char* name) {
    try {
        return typed_variable(name, kIntegerValue).int_value;
    } catch (const SCRIPTError& error) {
        set_error(error.code(), 0);
        throw;
    }
}

void SCRIPT::set_error(ScriptErrorCode code, std::int32_t line) {
    error_code_ = code;
    error_line_ = line;
    error_message_.clear();
}

void SCRIPT::fail(ScriptErrorCode code, std::int32_t line) {
    set_error(code, line);
    error_message_.assign(kErrorTexts[code].start);
    error_message_.append(kErrorTexts[code].detail);
    if (line != 0) {
        error_message_.append(msg::kScriptErrorLine);
        error_message_.append_number(line);
        error_message_.append(").");
    }
    throw SCRIPTError(code);
}

std::uint32_t SCRIPT::add_handler(ScriptHandler& handler) {
    for (std::size_t i = 0; i < handlers_.size(); ++i) {
        if (handlers_[i] == nullptr) {
            handlers_[i] = &handler;
            return static_cast<std::uint32_t>(i + 1);
        }
    }
    return 0;
}

void SCRIPT::remove_handler(std::uint32_t reference) {
    if (reference >= 1 && reference <= handlers_.size()) handlers_[reference - 1] = nullptr;
}

void SCRIPT::define_handler(const char* name, std::uint32_t reference) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(reference));
    define_string(name, digits);
}

// The reference is decimal text; anything else, or a number naming no handler, is none.
ScriptHandler* SCRIPT::handler_named(const char* reference) const {
    if (*reference == '\0') return nullptr;
    std::uint32_t number = 0;
    for (const char* p = reference; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') return nullptr;
        number = number * 10 + static_cast<std::uint32_t>(*p - '0');
        if (number > handlers_.size()) return nullptr;
    }
    return number == 0 ? nullptr : handlers_[number - 1];
}

void SCRIPT::set_unreadable(const char* message) {
    text_.clear();
    unreadable_message_.assign(message);
}

void SCRIPT::Run() {
    if (unreadable()) {
        set_error(kScriptRunFailed, 0);
        error_message_.assign(unreadable_message_);
        throw SCRIPTError(kScriptRunFailed);
    }
    ScriptRun(*this).execute();
}

}  // namespace tomeo
