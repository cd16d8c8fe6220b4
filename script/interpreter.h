// SCRIPT: one script engine (rename.sc, move.sc or txthdr.sc) with its text, its
// variables and the outcome of its last run.
//
// The host, for every book:
//   script.clear_variables();
//   script.define_string("$title", ...); script.define_integer("$authorno", ...); ...
//   script.define_handler("$_printp_str_", reference);   // text-header script only
//   try { script.Run(); } catch (const SCRIPTError&) { report script.error_message(); }
//   script.get_string("$filename");
//
// A run reads the text line by line, parsing every line and evaluating it while the
// enclosing blocks' conditions hold; a while loop jumps back to its own line. The first
// error ends the run: SCRIPTError is raised with error_code, error_line and
// error_message set, and the variables keep what the executed statements gave them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "core/wlist.h"
#include "core/wstr.h"
#include "script/script_error.h"

namespace tomeo {

// A variable: its type (kStringValue or kIntegerValue of lexer.h) is fixed when it is created.
struct TVAR {
    TVAR(const char* variable_name, std::int32_t name_length, std::uint8_t variable_type);

    WSTR name;  // with its "$"; names are case-sensitive
    std::uint8_t type;
    WSTR str_value;
    // The length of str_value, kept so that appending to a long value does not count
    // it anew.
    std::int32_t str_length = 0;
    std::int32_t int_value = 0;
    // Looking a name up compares this first.
    std::uint32_t name_hash;

    static std::uint32_t hash(const char* name, std::int32_t length);
};

enum BlockKind : std::uint8_t {
    kIfBlock = 1,
    kWhileBlock = 2,
};

// An open if or while block.
struct TBLOCK {
    std::int32_t line_offset;  // of the line that opened it, in the text
    std::int32_t line_number;
    std::uint8_t kind;
    bool saved_executing;  // the executing flag before the block opened
};

// A host procedure offered to scripts (printp, printannt). The host registers it once
// with SCRIPT::add_handler and binds the procedure's variable ($_printp_str_,
// $_printannt_str_) to the reference it got, with define_handler, before each run.
class ScriptHandler {
public:
    virtual ~ScriptHandler() = default;
    // text: printp's argument; empty for printannt. False when the procedure failed,
    // which ends the run with error 4. A handler must not run or change the script that
    // calls it.
    virtual bool Perform(const char* text) = 0;
};

struct RunWorkspace;

class SCRIPT {
public:
    // Guards against runaway scripts; exceeding any ends the run with error 4. The byte
    // budget counts the bytes of the lines read and of the values built or copied, so
    // that a run costs at most about a second however its values grow; a script on one
    // book handles a few kilobytes.
    static constexpr std::int64_t kDefaultStatementBudget = 10'000'000;
    static constexpr std::int32_t kDefaultMaxValueLength = 16 * 1024 * 1024;
    static constexpr std::int64_t kDefaultByteBudget = std::int64_t{256} * 1024 * 1024;
    static constexpr int kMaxHandlers = 8;

    SCRIPT();
    ~SCRIPT();
    SCRIPT(const SCRIPT&) = delete;
    SCRIPT& operator=(const SCRIPT&) = delete;

    // --- The text ---
    const char* get_text() const { return text_.c_str(); }
    // Setting a text also makes a script that could not be read usable again.
    void set_text(const char* text) {
        text_.assign(text);
        unreadable_message_.clear();
    }
    void set_text(const char* bytes, std::int32_t n) {  // up to a NUL
        text_.assign(bytes, n);
        unreadable_message_.clear();
    }
    // The script's file exists but could not be read: its text is unknown, and every run
    // fails at once with error 4, no line and this message, until a text is set.
    void set_unreadable(const char* message);
    bool unreadable() const { return !unreadable_message_.is_empty(); }
    const char* unreadable_message() const { return unreadable_message_.c_str(); }
    // The text must be written back to its file at exit.
    bool modified() const { return modified_; }
    void set_modified(bool modified) { modified_ = modified; }

    // --- Variables ---
    void clear_variables();
    // Append a variable without looking for one of the same name (the host defines
    // its variables on a freshly cleared list).
    void define_string(const char* name, const char* value);
    void define_integer(const char* name, std::int32_t value);
    // The value of a variable, to read results after a run. A missing variable raises
    // SCRIPTError with code 2, one of the other type code 3 (no line, empty message).
    // The text stays valid until the variables change.
    const char* get_string(const char* name);
    std::int32_t get_integer(const char* name);

    // --- Host procedures ---
    // Gives the handler's reference (never 0), or 0 when all kMaxHandlers are taken.
    std::uint32_t add_handler(ScriptHandler& handler);
    void remove_handler(std::uint32_t reference);
    // Defines the string variable that binds a procedure: the reference as decimal text.
    void define_handler(const char* name, std::uint32_t reference);

    // --- Running ---
    // Runs the text from its first line; raises SCRIPTError when the run fails.
    void Run();
    ScriptErrorCode error_code() const { return error_code_; }
    std::int32_t error_line() const { return error_line_; }  // 0: the error has no line
    const char* error_message() const { return error_message_.c_str(); }

    // The fuzzer lowers the guards so that every input stays quick.
    void set_statement_budget(std::int64_t statements) { statement_budget_ = statements; }
    void set_max_value_length(std::int32_t length) { max_value_length_ = length; }
    void set_byte_budget(std::int64_t bytes) { byte_budget_ = bytes; }

private:
    friend class ScriptRun;

    // The first variable of that name; nullptr when there is none.
    TVAR* find_variable(const char* name, std::int32_t length) const;
    TVAR* find_variable(const char* name) const;
    // The variable of that name and type; raises error 2 or 3.
    const TVAR& typed_variable(const char* name, std::uint8_t type) const;
    void set_error(ScriptErrorCode code, std::int32_t line);  // the message empty
    // Sets the error fields and the message for a failed run, then raises SCRIPTError.
    [[noreturn]] void fail(ScriptErrorCode code, std::int32_t line);
    ScriptHandler* handler_named(const char* reference) const;

    OwningList<TVAR> vars_;
    WSTR text_;
    OwningList<TBLOCK> blocks_;
    bool executing_ = true;
    ScriptErrorCode error_code_ = kScriptNoError;
    std::int32_t error_line_ = 0;
    WSTR error_message_;
    bool modified_ = false;
    WSTR unreadable_message_;  // empty for a usable script

    // Where a name was found last, by the low bits of its hash: most of a run's time
    // goes to finding variables among the twenty or so the host defines, and a script
    // uses a few names over and over. Entries are checked before use; clearing the
    // variables clears them (appending never changes which entry of a name is first).
    static constexpr std::uint32_t kLookupCacheSize = 64;
    mutable std::array<std::int32_t, kLookupCacheSize> lookup_cache_;

    std::array<ScriptHandler*, kMaxHandlers> handlers_{};
    std::int64_t statement_budget_ = kDefaultStatementBudget;
    std::int32_t max_value_length_ = kDefaultMaxValueLength;
    std::int64_t byte_budget_ = kDefaultByteBudget;
    // The parsed records and call slots, kept between runs so that their buffers are
    // allocated once.
    std::unique_ptr<RunWorkspace> workspace_;
};

}  // namespace tomeo
