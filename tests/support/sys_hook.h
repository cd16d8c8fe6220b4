// Fault injection for tests: system calls of the program fail on demand while one of
// these objects lives (the previous hook comes back when it is destroyed).
#pragma once

#include <cerrno>
#include <functional>
#include <utility>

#include "platform/syscalls.h"

namespace tomeo::test {

// Asks a function before every system call: true makes the call fail with the error
// number it leaves in `error`.
class ScopedSysCallHook : public platform::SysCallHook {
public:
    using Decide = std::function<bool(platform::SysOp op, int& error)>;
    explicit ScopedSysCallHook(Decide decide)
        : decide_(std::move(decide)), previous_(platform::SetSysCallHook(this)) {}
    ~ScopedSysCallHook() override { platform::SetSysCallHook(previous_); }
    ScopedSysCallHook(const ScopedSysCallHook&) = delete;
    ScopedSysCallHook& operator=(const ScopedSysCallHook&) = delete;

    bool ShouldFail(platform::SysOp op, int& error_number) override {
        return decide_(op, error_number);
    }

private:
    Decide decide_;
    platform::SysCallHook* previous_;
};

// Fails the n-th call (from 1) of one kind with the given error; counts the calls seen.
class FailNthCall {
public:
    FailNthCall(platform::SysOp op, int n, int error = EIO)
        : hook_([this, op, n, error](platform::SysOp seen, int& error_number) {
              if (seen != op || ++calls_ != n) return false;
              error_number = error;
              return true;
          }) {}
    int calls() const { return calls_; }

private:
    int calls_ = 0;
    ScopedSysCallHook hook_;
};

}  // namespace tomeo::test
