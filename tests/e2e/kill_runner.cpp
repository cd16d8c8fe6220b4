// tomeo as build/tomeo runs it, except that it kills itself with SIGKILL just before its
// N-th system call that changes something on disk (N from TOMEO_KILL_AT): the end-to-end
// kill test runs it for N = 1, 2, ... to stop the program at every point where the disk
// could be left in a new state.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include "batch/app.h"
#include "platform/syscalls.h"

namespace {

class KillAt : public tomeo::platform::SysCallHook {
public:
    explicit KillAt(long n) : n_(n) {}
    bool ShouldFail(tomeo::platform::SysOp op, int&) override {
        using tomeo::platform::SysOp;
        switch (op) {
            // Nothing on disk changes, or nothing a later run could tell from the state
            // after the call before (a close, a flush).
            case SysOp::Read:
            case SysOp::Seek:
            case SysOp::Stat:
            case SysOp::OpenDir:
            case SysOp::ReadDir:
            case SysOp::Signal:
            case SysOp::Close:
            case SysOp::Fsync: return false;
            default: break;
        }
        if (++calls_ == n_) ::kill(::getpid(), SIGKILL);
        return false;
    }

private:
    long n_;
    long calls_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const char* at = std::getenv("TOMEO_KILL_AT");
    KillAt hook(at != nullptr ? std::atol(at) : 0);
    tomeo::platform::SetSysCallHook(&hook);
    tomeo::Globals globals;
    return tomeo::RunTomeo(argc, argv, globals);
}
