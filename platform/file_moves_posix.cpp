// Moving and replacing files: a move never replaces, steps aside through a temporary
// name for a change of letter case alone, and copies (flushed before the source goes)
// across file systems; a small file is replaced whole through a flushed temporary one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

#include "core/charset.h"
#include "platform/files.h"
#include "platform/files_posix_detail.h"
#include "platform/syscalls.h"

namespace tomeo::platform {

using files_detail::directory_of;
using files_detail::flush_disk_directory;
using files_detail::rename_no_replace;

namespace {

// Block size of the copy made when a move crosses file systems.
constexpr std::int64_t kCopyBlock = std::int64_t{1} << 20;

bool same_file(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return sys_lstat(a.c_str(), &sa) == 0 && sys_lstat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool differ_only_in_case(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (char_lower(*a) != char_lower(*b)) return false;
    }
    return *a == *b;
}

// A case-insensitive file system finds the new name already "taken" by the file itself:
// step aside to a temporary name first. On a case-sensitive one (where the new name
// is another link to the same file) the second step fails and the file goes back.
bool rename_through_temporary(const std::string& from, const std::string& to) {
    const std::string prefix =
        directory_of(from) + ".tomeo-rename-" + std::to_string(getpid()) + "-";
    std::string temporary;
    for (int attempt = 0; attempt < 100 && temporary.empty(); ++attempt) {
        const std::string candidate = prefix + std::to_string(attempt);
        const int error = rename_no_replace(from, candidate);
        if (error == 0) {
            temporary = candidate;
        } else if (error != EEXIST) {
            return false;
        }
    }
    if (temporary.empty()) return false;
    const int error = rename_no_replace(temporary, to);
    if (error == 0) return true;
    // Back to the old name (should even that fail, the file keeps the temporary one).
    rename_no_replace(temporary, from);
    errno = error;
    return false;
}

// A descriptor closed at the end of the scope.
class ScopedFd {
public:
    explicit ScopedFd(int fd) : fd_(fd) {}
    ~ScopedFd() {
        if (fd_ >= 0) sys_close(fd_);
    }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return sys_close(fd) == 0;
    }

private:
    int fd_;
};

// Follows symbolic links from the disk path to the file they lead to, which may not
// exist yet; a path that is no link stays as it is. False for a link that cannot be read
// and for a loop.
bool resolve_links(std::string& disk_path) {
    constexpr int kMaxLinks = 40;  // as the kernel allows when it follows them itself
    for (int links = 0; links < kMaxLinks; ++links) {
        struct stat st {};
        if (sys_lstat(disk_path.c_str(), &st) != 0) return errno == ENOENT;
        if (!S_ISLNK(st.st_mode)) return true;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = sys_readlink(disk_path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return false;
        target.resize(static_cast<std::size_t>(n));
        disk_path = target.front() == '/' ? target : directory_of(disk_path) + target;
    }
    errno = ELOOP;
    return false;
}

// True when the file open as `file` holds exactly the bytes of the file at path.
bool same_bytes(File& file, const char* path) {
    File other = File::open(path, FileAccess::Read);
    std::int64_t size = 0, other_size = 0;
    if (!other.is_open() || !file.size(size) || !other.size(other_size) || size != other_size) {
        return false;
    }
    const auto a = std::make_unique<char[]>(kCopyBlock);
    const auto b = std::make_unique<char[]>(kCopyBlock);
    for (std::int64_t offset = 0; offset < size; offset += kCopyBlock) {
        const std::int64_t n = std::min(kCopyBlock, size - offset);
        if (file.read_at(a.get(), n, offset) != n || other.read_at(b.get(), n, offset) != n ||
            std::memcmp(a.get(), b.get(), static_cast<std::size_t>(n)) != 0) {
            return false;
        }
    }
    return true;
}

bool copy_data(File& in, File& out) {
    const auto block = std::make_unique<char[]>(kCopyBlock);
    for (std::int64_t offset = 0;;) {
        const std::int64_t n = in.read_at(block.get(), kCopyBlock, offset);
        if (n == 0) return true;
        if (n < 0 || out.write_at(block.get(), n, offset) != n) return false;
        offset += n;
    }
}

// Copies a regular file to another file system: the copy is written without a name,
// takes the source's times, permissions and owner, is flushed, and only then given the
// target name (never replacing) and its directory flushed; then the source is deleted.
bool copy_then_delete(const char* from, const char* to, const std::string& src,
                      const std::string& dst) {
    struct stat st {};
    if (sys_lstat(src.c_str(), &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
        errno = EXDEV;
        return false;
    }
    File in = File::open(from, FileAccess::Read);
    ContentStamp read;
    if (!in.is_open() || !in.stamp(read)) return false;
    // A target with exactly these bytes is our own copy from a run killed before it
    // could delete the source: only the deletion is left to do.
    struct stat target {};
    if (sys_lstat(dst.c_str(), &target) == 0) {
        if (!S_ISREG(target.st_mode) || !same_bytes(in, to)) {
            errno = EEXIST;
            return false;
        }
        in.close();
        return sys_unlink(src.c_str()) == 0;
    }
    if (errno != ENOENT) return false;

    File out = File::create(to, CreateMode::New, 0);
    FILETIME time = 0;
    if (!out.is_open() || !copy_data(in, out) || !out.copy_access_from(in) ||
        !in.last_write_time(time) || !out.set_last_write_time(time) || !out.flush() ||
        !out.publish()) {
        return false;  // `out` has no name and vanishes
    }
    bool ok = out.close();
    int error = ok ? 0 : errno;
    if (ok && !flush_disk_directory(directory_of(dst))) {
        ok = false;
        error = errno;
    }
    // Another program wrote to the source meanwhile: the copy may miss what it wrote.
    ContentStamp now;
    if (ok && (!in.stamp(now) || !(now == read))) {
        ok = false;
        error = kErrorFileChanged;
    }
    in.close();
    if (ok && sys_unlink(src.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        sys_unlink(dst.c_str());
        errno = error;
    }
    return ok;
}

}  // namespace

bool MoveFile(const char* from, const char* to) {
    std::string src, dst;
    if (!PathToDisk(from, src) || !PathToDisk(to, dst)) return false;
    if (src == dst) return true;
    const int error = rename_no_replace(src, dst);
    if (error == 0) return true;
    if (error == EEXIST && differ_only_in_case(from, to) && same_file(src, dst)) {
        return rename_through_temporary(src, dst);
    }
    if (error == EXDEV) return copy_then_delete(from, to, src, dst);
    errno = error;
    return false;
}

bool ReplaceFile(const char* from, const char* to) {
    std::string src, dst;
    return PathToDisk(from, src) && PathToDisk(to, dst) &&
           sys_rename(src.c_str(), dst.c_str()) == 0;
}

bool WriteFileReplacing(const char* path, std::string_view bytes) {
    std::string target;
    // A symbolic link (a dotfile kept elsewhere) stays one: the file it leads to is
    // replaced, in that file's directory.
    if (!PathToDisk(path, target) || !resolve_links(target)) return false;
    // Unique per process, so that two programs saving at once never share one.
    const std::string temporary = target + "." + std::to_string(getpid()) + ".tmp";
    // A file that is there keeps its permissions (a private one stays private); a new
    // one gets what the process's umask leaves.
    struct stat st {};
    const bool replacing = sys_stat(target.c_str(), &st) == 0;
    const mode_t mode = replacing ? (st.st_mode & 07777) : 0666;

    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
    int fd = sys_open(temporary.c_str(), kFlags, mode);
    if (fd < 0 && errno == EEXIST) {
        // Left by a crashed program that had our process number: no one writes it now.
        sys_unlink(temporary.c_str());
        fd = sys_open(temporary.c_str(), kFlags, mode);
    }
    if (fd < 0) return false;
    ScopedFd file(fd);
    bool written = !replacing || sys_fchmod(fd, mode) == 0;
    for (std::size_t done = 0; written && done < bytes.size();) {
        const ssize_t n = sys_pwrite(file.get(), bytes.data() + done, bytes.size() - done,
                                     static_cast<off_t>(done));
        written = n > 0;
        if (written) done += static_cast<std::size_t>(n);
    }
    written = written && sys_fsync(file.get()) == 0;
    if (!file.close() || !written || sys_rename(temporary.c_str(), target.c_str()) != 0) {
        sys_unlink(temporary.c_str());
        return false;
    }
    return flush_disk_directory(directory_of(target));
}

bool FlushDirectory(const char* directory) {
    std::string disk;
    return PathToDisk(directory, disk) && flush_disk_directory(disk);
}

}  // namespace tomeo::platform
