// Every system call of the program goes through these wrappers, so that one
// replaceable hook can make any of them fail: a test installs a SysCallHook and fails,
// say, the third write or the first rename, and checks that no book is lost.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

namespace tomeo::platform {

enum class SysOp {
    Open,
    Read,
    Write,
    Seek,
    Close,
    Fsync,
    Stat,
    Rename,
    Link,
    Unlink,
    Mkdir,
    Rmdir,
    OpenDir,
    ReadDir,
    SetTime,
    Chmod,
    Chown,
    Signal,
    Spawn,  // fork: starting another program
};

// A test's fault injector, asked before every system call.
class SysCallHook {
public:
    virtual ~SysCallHook() = default;
    // True makes the call fail at once with the error number given (EIO unless changed).
    virtual bool ShouldFail(SysOp op, int& error_number) = 0;
};

// Installs a hook (nullptr removes it); gives the previous one.
SysCallHook* SetSysCallHook(SysCallHook* hook);

// The wrapped calls: same arguments and results as the POSIX functions.
int sys_open(const char* path, int flags, mode_t mode = 0);
ssize_t sys_read(int fd, void* buffer, std::size_t count);
ssize_t sys_write(int fd, const void* buffer, std::size_t count);
// Positional reads and writes (the file offset is neither used nor moved); counted as
// Read and Write by the hook.
ssize_t sys_pread(int fd, void* buffer, std::size_t count, off_t offset);
ssize_t sys_pwrite(int fd, const void* buffer, std::size_t count, off_t offset);
off_t sys_lseek(int fd, off_t offset, int whence);
int sys_close(int fd);
int sys_fsync(int fd);
int sys_fstat(int fd, struct stat* st);
int sys_stat(const char* path, struct stat* st);
int sys_lstat(const char* path, struct stat* st);
// readlink; counted as Stat by the hook.
ssize_t sys_readlink(const char* path, char* buffer, std::size_t size);
// getcwd; counted as Stat by the hook.
char* sys_getcwd(char* buffer, std::size_t size);
// fstatat: name relative to the directory open as dirfd (flags as for fstatat).
int sys_fstatat(int dirfd, const char* name, struct stat* st, int flags);
// renameat2 with flags (RENAME_NOREPLACE), relative to the working directory.
int sys_rename_noreplace(const char* from, const char* to);
int sys_rename(const char* from, const char* to);
int sys_link(const char* from, const char* to);
// linkat of an open file that has no name yet (opened with O_TMPFILE): gives it the name
// `to`, never replacing an existing one. Counted as Link.
int sys_link_open_file(int fd, const char* to);
int sys_unlink(const char* path);
// unlinkat: name relative to the directory open as dirfd. Counted as Unlink.
int sys_unlinkat(int dirfd, const char* name);
int sys_mkdir(const char* path, mode_t mode);
int sys_rmdir(const char* path);
DIR* sys_opendir(const char* path);
// readdir: null at the end or on failure (errno tells, as for readdir).
dirent* sys_readdir(DIR* dir);
int sys_closedir(DIR* dir);
int sys_futimens(int fd, const struct timespec times[2]);
int sys_utimensat(const char* path, const struct timespec times[2]);
int sys_fchmod(int fd, mode_t mode);
int sys_chmod(const char* path, mode_t mode);
int sys_fchown(int fd, uid_t owner, gid_t group);
// kill(2); with signal 0 it only asks whether the process exists.
int sys_kill(pid_t pid, int signal);
// fork(2), counted as Spawn; pipe2(2) with O_CLOEXEC, counted as Open.
pid_t sys_fork();
int sys_pipe(int fds[2]);
// execv(2), counted as Spawn; returns only on failure.
int sys_execv(const char* path, char* const argv[]);
// waitpid(2), retried when interrupted; never failed by the hook (a child must be reaped).
pid_t sys_waitpid(pid_t pid, int* status, int options);

}  // namespace tomeo::platform
