// Fuzz target: arbitrary bytes run as a script over a bound book, with both host
// procedures registered. Every run must end, by success or by an error with a code
// from 1 to 7 and its message; the guards are lowered so that every input stays quick.
#include <cstdint>
#include <cstring>

#include "script/interpreter.h"

namespace {

class CountingHandler : public tomeo::ScriptHandler {
public:
    explicit CountingHandler(bool succeed) : succeed_(succeed) {}
    bool Perform(const char* text) override {
        bytes_ += std::strlen(text);
        return succeed_;
    }

private:
    bool succeed_;
    std::size_t bytes_ = 0;
};

void Bind(tomeo::SCRIPT& script, std::uint32_t printp, std::uint32_t printannt) {
    script.define_string("$title", "Title");
    script.define_string("$seq", "Series");
    script.define_string("$seqnum", "3");
    // Fields end with the byte 0x08, "\b".
    script.define_string("$_genre_str_", "sf\bdetective\b");
    script.define_string("$_genrematch_str_", "100\b50\b");
    script.define_integer("$genreno", 2);
    script.define_string("$_author_str_", "First\bMiddle\bLast\bF2\b\bL2\b");
    script.define_integer("$authorno", 2);
    script.define_integer("$isannt", 1);
    script.define_string("$filename", "");
    script.define_string("$dir", "");
    script.define_handler("$_printp_str_", printp);
    script.define_handler("$_printannt_str_", printannt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tomeo::SCRIPT script;
    script.set_statement_budget(10'000);
    script.set_max_value_length(4096);
    script.set_byte_budget(1 << 20);
    CountingHandler printp(true), printannt(false);
    Bind(script, script.add_handler(printp), script.add_handler(printannt));
    script.set_text(reinterpret_cast<const char*>(data), static_cast<std::int32_t>(size));
    try {
        script.Run();
        if (script.error_code() != tomeo::kScriptNoError) __builtin_trap();
    } catch (const tomeo::SCRIPTError& error) {
        if (error.code() < 1 || error.code() > 7 || error.code() != script.error_code()) {
            __builtin_trap();
        }
        if (script.error_line() < 0 || script.error_message()[0] == '\0') __builtin_trap();
    }
    return 0;
}
