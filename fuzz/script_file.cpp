// Fuzz target: a script file's bytes as script text (UTF-8 or Windows-1251), then a run
// of the text as rename.sc over an empty book.
#include <cstdint>
#include <string>

#include "batch/book_scripts.h"
#include "book/book_desc.h"
#include "core/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = tomeo::ScriptTextFromFile(bytes);
    // Never longer than the file; a Windows-1251 file is kept byte for byte, and a UTF-8
    // file that has a Windows-1251 form comes back as it was when saved.
    if (text.size() > bytes.size()) __builtin_trap();
    std::string body = bytes;
    if (body.starts_with("\xEF\xBB\xBF")) body.erase(0, 3);
    if (!tomeo::is_valid_utf8(body) && text != bytes) __builtin_trap();
    std::string strict;
    if (tomeo::utf8_to_cp1251(body, strict) && tomeo::cp1251_to_utf8(text) != body) {
        __builtin_trap();
    }

    tomeo::SCRIPT script;
    script.set_statement_budget(10000);
    script.set_max_value_length(1 << 16);
    script.set_byte_budget(1 << 22);
    script.set_text(text.data(), static_cast<std::int32_t>(text.size()));
    const tomeo::TBOOKDESC desc;
    tomeo::HSTR name;
    try {
        tomeo::ComputeFileName(script, desc, {"/books/", "a.fb2", "a.zip"}, name);
    } catch (const tomeo::SCRIPTError&) {
    }
    return 0;
}
