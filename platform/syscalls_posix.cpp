#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/syscalls.h"

namespace tomeo::platform {
namespace {

// The one hook of the process; only tests ever set it.
SysCallHook* g_hook = nullptr;

bool injected(SysOp op) {
    if (g_hook == nullptr) return false;
    int error_number = EIO;
    if (!g_hook->ShouldFail(op, error_number)) return false;
    errno = error_number;
    return true;
}

}  // namespace

SysCallHook* SetSysCallHook(SysCallHook* hook) {
    SysCallHook* previous = g_hook;
    g_hook = hook;
    return previous;
}

int sys_open(const char* path, int flags, mode_t mode) {
    if (injected(SysOp::Open)) return -1;
    int fd;
    do fd = ::open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t sys_read(int fd, void* buffer, std::size_t count) {
    if (injected(SysOp::Read)) return -1;
    ssize_t n;
    do n = ::read(fd, buffer, count);
    while (n < 0 && errno == EINTR);
    return n;
}

ssize_t sys_write(int fd, const void* buffer, std::size_t count) {
    if (injected(SysOp::Write)) return -1;
    ssize_t n;
    do n = ::write(fd, buffer, count);
    while (n < 0 && errno == EINTR);
    return n;
}

ssize_t sys_pread(int fd, void* buffer, std::size_t count, off_t offset) {
    if (injected(SysOp::Read)) return -1;
    ssize_t n;
    do n = ::pread(fd, buffer, count, offset);
    while (n < 0 && errno == EINTR);
    return n;
}

ssize_t sys_pwrite(int fd, const void* buffer, std::size_t count, off_t offset) {
    if (injected(SysOp::Write)) return -1;
    ssize_t n;
    do n = ::pwrite(fd, buffer, count, offset);
    while (n < 0 && errno == EINTR);
    return n;
}

off_t sys_lseek(int fd, off_t offset, int whence) {
    if (injected(SysOp::Seek)) return -1;
    return ::lseek(fd, offset, whence);
}

int sys_close(int fd) {
    if (injected(SysOp::Close)) {
        ::close(fd);  // the descriptor is gone either way, as after a failed close
        return -1;
    }
    return ::close(fd);
}

int sys_fsync(int fd) {
    if (injected(SysOp::Fsync)) return -1;
    return ::fsync(fd);
}

int sys_fstat(int fd, struct stat* st) {
    if (injected(SysOp::Stat)) return -1;
    return ::fstat(fd, st);
}

int sys_stat(const char* path, struct stat* st) {
    if (injected(SysOp::Stat)) return -1;
    return ::stat(path, st);
}

int sys_lstat(const char* path, struct stat* st) {
    if (injected(SysOp::Stat)) return -1;
    return ::lstat(path, st);
}

ssize_t sys_readlink(const char* path, char* buffer, std::size_t size) {
    if (injected(SysOp::Stat)) return -1;
    return ::readlink(path, buffer, size);
}

char* sys_getcwd(char* buffer, std::size_t size) {
    if (injected(SysOp::Stat)) return nullptr;
    return ::getcwd(buffer, size);
}

int sys_fstatat(int dirfd, const char* name, struct stat* st, int flags) {
    if (injected(SysOp::Stat)) return -1;
    return ::fstatat(dirfd, name, st, flags);
}

int sys_rename_noreplace(const char* from, const char* to) {
    if (injected(SysOp::Rename)) return -1;
    return static_cast<int>(
        ::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
}

int sys_rename(const char* from, const char* to) {
    if (injected(SysOp::Rename)) return -1;
    return ::rename(from, to);
}

int sys_link(const char* from, const char* to) {
    if (injected(SysOp::Link)) return -1;
    return ::link(from, to);
}

int sys_link_open_file(int fd, const char* to) {
    if (injected(SysOp::Link)) return -1;
    // Through /proc, which needs no privilege; AT_EMPTY_PATH where /proc is not mounted.
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, to, AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != ENOENT) return -1;
    return ::linkat(fd, "", AT_FDCWD, to, AT_EMPTY_PATH);
}

int sys_unlinkat(int dirfd, const char* name) {
    if (injected(SysOp::Unlink)) return -1;
    return ::unlinkat(dirfd, name, 0);
}

int sys_unlink(const char* path) {
    if (injected(SysOp::Unlink)) return -1;
    return ::unlink(path);
}

int sys_mkdir(const char* path, mode_t mode) {
    if (injected(SysOp::Mkdir)) return -1;
    return ::mkdir(path, mode);
}

int sys_rmdir(const char* path) {
    if (injected(SysOp::Rmdir)) return -1;
    return ::rmdir(path);
}

DIR* sys_opendir(const char* path) {
    if (injected(SysOp::OpenDir)) return nullptr;
    return ::opendir(path);
}

dirent* sys_readdir(DIR* dir) {
    if (injected(SysOp::ReadDir)) return nullptr;
    return ::readdir(dir);
}

int sys_closedir(DIR* dir) {
    return ::closedir(dir);
}

int sys_futimens(int fd, const struct timespec times[2]) {
    if (injected(SysOp::SetTime)) return -1;
    return ::futimens(fd, times);
}

int sys_utimensat(const char* path, const struct timespec times[2]) {
    if (injected(SysOp::SetTime)) return -1;
    return ::utimensat(AT_FDCWD, path, times, 0);
}

int sys_fchmod(int fd, mode_t mode) {
    if (injected(SysOp::Chmod)) return -1;
    return ::fchmod(fd, mode);
}

int sys_chmod(const char* path, mode_t mode) {
    if (injected(SysOp::Chmod)) return -1;
    return ::chmod(path, mode);
}

int sys_fchown(int fd, uid_t owner, gid_t group) {
    if (injected(SysOp::Chown)) return -1;
    return ::fchown(fd, owner, group);
}

int sys_kill(pid_t pid, int signal) {
    if (injected(SysOp::Signal)) return -1;
    return ::kill(pid, signal);
}

pid_t sys_fork() {
    if (injected(SysOp::Spawn)) return -1;
    return ::fork();
}

int sys_execv(const char* path, char* const argv[]) {
    if (injected(SysOp::Spawn)) return -1;
    return ::execv(path, argv);
}

int sys_pipe(int fds[2]) {
    if (injected(SysOp::Open)) return -1;
    return ::pipe2(fds, O_CLOEXEC);
}

pid_t sys_waitpid(pid_t pid, int* status, int options) {
    pid_t result;
    do result = ::waitpid(pid, status, options);
    while (result < 0 && errno == EINTR);
    return result;
}

}  // namespace tomeo::platform
