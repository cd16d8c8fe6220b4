#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "platform/process.h"
#include "platform/syscalls.h"

namespace tomeo::platform {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st;
    return sys_stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// The argument vector for execv, built before the fork: the child may only make calls
// that are safe in a copy of a process with threads (no allocation).
std::vector<char*> ArgumentVector(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// In the child, before exec: a clean signal state and the standard descriptors.
// stdout_fd < 0 keeps standard output as it is.
void PrepareChild(int stdout_fd, bool quiet_stderr) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &action, nullptr);
    const int null_fd = ::open("/dev/null", O_RDWR);
    if (null_fd >= 0) {
        dup2(null_fd, STDIN_FILENO);
        if (quiet_stderr) dup2(null_fd, STDERR_FILENO);
    }
    if (stdout_fd >= 0) dup2(stdout_fd, STDOUT_FILENO);
    if (null_fd > STDERR_FILENO) ::close(null_fd);
}

void CloseBoth(int fds[2]) {
    sys_close(fds[0]);
    sys_close(fds[1]);
}

}  // namespace

std::string FindProgram(std::string_view name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string_view::npos) {
        std::string path(name);
        return IsExecutableFile(path) ? path : std::string();
    }
    const char* env = std::getenv("PATH");
    std::string_view list = env != nullptr ? env : "/usr/local/bin:/usr/bin:/bin";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view dir = list.substr(0, colon);
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        if (dir.empty() || dir[0] != '/') continue;  // never the working directory
        std::string path(dir);
        if (path.back() != '/') path += '/';
        path += name;
        if (IsExecutableFile(path)) return path;
    }
    return {};
}

bool StartDetached(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return false;
    const std::string program = FindProgram(arguments[0]);
    if (program.empty()) return false;
    std::vector<char*> argv = ArgumentVector(arguments);
    // The grandchild writes the error of a failed exec here; a successful exec closes it.
    int status_pipe[2];
    if (sys_pipe(status_pipe) != 0) return false;
    const pid_t child = sys_fork();
    if (child < 0) {
        CloseBoth(status_pipe);
        return false;
    }
    if (child == 0) {
        // The child only starts the grandchild and ends, so the grandchild is adopted by
        // init (or the session's reaper) and never waited for here.
        setsid();
        const pid_t grandchild = fork();
        if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
        PrepareChild(-1, false);
        execv(program.c_str(), argv.data());
        const int error = errno;
        ssize_t ignored = ::write(status_pipe[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    sys_close(status_pipe[1]);
    int status = 0;
    const bool forked =
        sys_waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    int error = 0;
    ssize_t n;
    do n = ::read(status_pipe[0], &error, sizeof error);
    while (n < 0 && errno == EINTR);
    sys_close(status_pipe[0]);
    if (n > 0) errno = error;
    return forked && n == 0;
}

bool RunAndRead(const std::vector<std::string>& arguments, std::string& output, int timeout_ms,
                std::size_t limit) {
    output.clear();
    if (arguments.empty()) return false;
    const std::string program = FindProgram(arguments[0]);
    if (program.empty()) return false;
    std::vector<char*> argv = ArgumentVector(arguments);
    int out_pipe[2];
    if (sys_pipe(out_pipe) != 0) return false;
    const pid_t child = sys_fork();
    if (child < 0) {
        CloseBoth(out_pipe);
        return false;
    }
    if (child == 0) {
        PrepareChild(out_pipe[1], true);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    sys_close(out_pipe[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    bool killed = false;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p = {out_pipe[0], POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            sys_kill(child, SIGKILL);
            killed = true;
            break;
        }
        const ssize_t n = ::read(out_pipe[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        const std::size_t room = limit - output.size();
        output.append(buffer, std::min(room, static_cast<std::size_t>(n)));
    }
    sys_close(out_pipe[0]);
    int status = 0;
    if (sys_waitpid(child, &status, 0) != child) return false;
    return !killed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool DiskFileExists(const std::string& path) {
    struct stat st;
    return sys_stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ExecutablePath() {
    std::string path(4096, '\0');
    const ssize_t n = sys_readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
}

std::string CompanionProgram(std::string_view name) {
    const std::string self = ExecutablePath();
    const std::size_t slash = self.rfind('/');
    if (slash == std::string::npos) return {};
    const std::string dir = self.substr(0, slash + 1);
    for (const std::string& candidate :
         {dir + std::string(name), dir + "../libexec/tomeo/" + std::string(name)}) {
        if (IsExecutableFile(candidate)) return candidate;
    }
    return {};
}

void ReplaceProcess(const std::string& path, const char* const* argv) {
    // execv takes the vector as char* const[] for C's sake; it never writes to it.
    sys_execv(path.c_str(), const_cast<char* const*>(argv));
}

}  // namespace tomeo::platform
