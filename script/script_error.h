// The failure of a script: SCRIPTError and its codes. Every check of the parser, the
// interpreter and the built-in functions raises it where it fails; SCRIPT::Run catches it
// at one place, adds the line number and the message, and raises it again to the host.
#pragma once

#include <cstdint>
#include <exception>

namespace tomeo {

enum ScriptErrorCode : std::uint8_t {
    kScriptNoError = 0,
    kScriptBadSyntax = 1,
    kScriptUndefinedVariable = 2,
    kScriptTypeMismatch = 3,
    kScriptRunFailed = 4,  // bad index or field, a failed procedure, a runaway run
    kScriptBadBraces = 5,
    kScriptUnknownFunction = 6,
    kScriptUnknownProcedure = 7,
};

// The code travels with the exception only from where it is raised to Run; the host
// reads the code, the line and the message from the SCRIPT that raised it.
class SCRIPTError : public std::exception {
public:
    explicit SCRIPTError(ScriptErrorCode code) : code_(code) {}
    ScriptErrorCode code() const { return code_; }
    const char* what() const noexcept override { return "script error"; }

private:
    ScriptErrorCode code_;
};

[[noreturn]] inline void RaiseScriptError(ScriptErrorCode code) {
    throw SCRIPTError(code);
}

}  // namespace tomeo
