#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "core/charset.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/files_posix_detail.h"
#include "platform/syscalls.h"

namespace tomeo::platform {
namespace {

// One system read or write moves at most this much (Linux caps a call near 2 GiB).
constexpr std::int64_t kMaxTransfer = std::int64_t{1} << 30;

std::uint32_t attributes_of(const struct stat& st) {
    std::uint32_t attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : kAttributeArchive;
    if ((st.st_mode & S_IWUSR) == 0) attributes |= kAttributeReadOnly;
    return attributes;
}

ContentStamp stamp_of(const struct stat& st) {
    ContentStamp stamp;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtime_seconds = st.st_mtim.tv_sec;
    stamp.mtime_nanoseconds = st.st_mtim.tv_nsec;
    return stamp;
}

}  // namespace

namespace files_detail {

std::string directory_of(const std::string& disk_path) {
    const std::size_t slash = disk_path.rfind('/');
    return slash == std::string::npos ? std::string() : disk_path.substr(0, slash + 1);
}

bool flush_disk_directory(const std::string& directory) {
    const int fd = sys_open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    // Some file systems cannot sync a directory at all; there is nothing more to do there.
    const bool flushed = sys_fsync(fd) == 0 || errno == EINVAL;
    const bool closed = sys_close(fd) == 0;
    return flushed && closed;
}

int rename_no_replace(const std::string& from, const std::string& to) {
    if (sys_rename_noreplace(from.c_str(), to.c_str()) == 0) return 0;
    int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return error;

    if (sys_link(from.c_str(), to.c_str()) == 0) {
        if (sys_unlink(from.c_str()) == 0) return 0;
        error = errno;
        sys_unlink(to.c_str());  // both names are the one file: keep only the old name
        return error;
    }
    error = errno;
    if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS && error != EMLINK) {
        return error;
    }

    struct stat st {};
    if (sys_lstat(to.c_str(), &st) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return sys_rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace files_detail

using files_detail::directory_of;
using files_detail::flush_disk_directory;
using files_detail::rename_no_replace;

std::string HiddenTemporaryName(std::string_view extension) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::random_device random;
    std::string name = ".tomeo-" + std::to_string(getpid()) + "-";
    for (int i = 0; i < 4; ++i) {
        for (unsigned bits = random(), j = 0; j < 4; ++j, bits >>= 4) name += kDigits[bits & 15];
    }
    name += ".tmp";
    name += extension;
    return name;
}

bool IsHiddenTemporaryName(const char* name, long* process) {
    constexpr std::string_view kPrefix = ".tomeo-";
    const std::string_view text(name);
    if (!text.starts_with(kPrefix)) return false;
    std::size_t i = kPrefix.size();
    long pid = 0;
    const std::size_t digits = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 10; ++i) {
        pid = pid * 10 + (text[i] - '0');
    }
    if (i == digits || i >= text.size() || text[i] != '-') return false;
    const std::size_t random_start = ++i;
    while (i < text.size() &&
           ((text[i] >= '0' && text[i] <= '9') || (text[i] >= 'a' && text[i] <= 'f'))) {
        ++i;
    }
    if (i == random_start || text.substr(i, 4) != ".tmp") return false;
    i += 4;
    if (i != text.size() && text[i] != '.') return false;
    if (process != nullptr) *process = pid;
    return true;
}

bool PathToDisk(const char* path, std::string& disk_path) {
    if (std::strchr(path, kUnrepresentable) != nullptr) {
        errno = EILSEQ;
        return false;
    }
    disk_path = cp1251_to_utf8(path);
    return true;
}

bool PathFromDisk(std::string_view disk_path, std::string& path) {
    return utf8_to_cp1251(disk_path, path);
}

// --- File -------------------------------------------------------------------------

File::~File() {
    if (fd_ >= 0) {
        discard();
        sys_close(fd_);
    }
}

File::File(File&& other) noexcept
    : fd_(other.fd_),
      pending_(other.pending_),
      name_(std::move(other.name_)),
      hidden_(std::move(other.hidden_)) {
    other.fd_ = -1;
    other.pending_ = Pending::None;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            discard();
            sys_close(fd_);
        }
        fd_ = other.fd_;
        pending_ = other.pending_;
        name_ = std::move(other.name_);
        hidden_ = std::move(other.hidden_);
        other.fd_ = -1;
        other.pending_ = Pending::None;
    }
    return *this;
}

// An unpublished file must leave nothing behind: an unnamed one vanishes with its
// descriptor, a hidden temporary name is removed.
void File::discard() {
    if (pending_ == Pending::Hidden) sys_unlink(hidden_.c_str());
    pending_ = Pending::None;
}

File File::open(const char* path, FileAccess access) {
    std::string disk;
    if (!PathToDisk(path, disk)) return File();
    int flags = O_RDONLY;
    if (access == FileAccess::Write) flags = O_WRONLY;
    if (access == FileAccess::ReadWrite) flags = O_RDWR;
    // O_NONBLOCK: opening a named pipe must not wait for a writer; regular files ignore it.
    File file(sys_open(disk.c_str(), flags | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (file.is_open() && (sys_fstat(file.fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        return File();
    }
    return file;
}

File File::create(const char* path, CreateMode mode, std::uint32_t attributes) {
    std::string disk;
    if (!PathToDisk(path, disk)) return File();
    const bool read_only = (attributes & kAttributeReadOnly) != 0;
    if (mode == CreateMode::New) return create_pending(disk, read_only ? 0444 : 0666);
    File file(sys_open(disk.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_TRUNC,
                       read_only ? 0444 : 0666));
    if (!file.is_open()) return file;
    struct stat st {};
    // A replaced file keeps its old permissions unless asked to become read-only.
    const bool usable =
        sys_fstat(file.fd_, &st) == 0 && S_ISREG(st.st_mode) &&
        (!read_only || (st.st_mode & 0222) == 0 || sys_fchmod(file.fd_, st.st_mode & 07555) == 0);
    if (usable) return file;
    file.close();
    return File();
}

File File::create_pending(const std::string& disk_path, mode_t mode) {
    // The name is refused at once when it is taken; publish() checks again at the end.
    struct stat st {};
    if (sys_lstat(disk_path.c_str(), &st) == 0) {
        errno = EEXIST;
        return File();
    }
    if (errno != ENOENT) return File();
    const std::string directory = directory_of(disk_path);
    File file(sys_open(directory.empty() ? "." : directory.c_str(), O_TMPFILE | O_WRONLY | O_NOCTTY,
                       mode));
    if (file.is_open()) {
        file.pending_ = Pending::Unnamed;
        file.name_ = disk_path;
        return file;
    }
    // File systems without unnamed files (FAT, some network ones): a hidden name of ours.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return File();
    const std::size_t slash = disk_path.rfind('/');
    const std::size_t dot = disk_path.rfind('.');
    const std::string_view extension =
        dot == std::string::npos || (slash != std::string::npos && dot < slash)
            ? std::string_view()
            : std::string_view(disk_path).substr(dot);
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string hidden = directory + HiddenTemporaryName(extension);
        file = File(
            sys_open(hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_NOCTTY, mode));
        if (file.is_open()) {
            file.pending_ = Pending::Hidden;
            file.name_ = disk_path;
            file.hidden_ = std::move(hidden);
            return file;
        }
        if (errno != EEXIST) break;
    }
    return File();
}

bool File::publish() {
    if (fd_ < 0) return false;
    if (pending_ == Pending::Unnamed) {
        // linkat never replaces: a file that took the name meanwhile stays as it is.
        if (sys_link_open_file(fd_, name_.c_str()) != 0) return false;
    } else if (pending_ == Pending::Hidden) {
        const int error = rename_no_replace(hidden_, name_);
        if (error != 0) {
            errno = error;
            return false;
        }
    }
    pending_ = Pending::None;
    return true;
}

bool File::copy_access_from(const File& model) {
    struct stat st {};
    if (fd_ < 0 || model.fd_ < 0 || sys_fstat(model.fd_, &st) != 0) return false;
    if (sys_fchown(fd_, st.st_uid, st.st_gid) != 0) {
        if (errno != EPERM && errno != EINVAL) return false;
        // Only a privileged process gives a file away; the group may still be ours.
        if (sys_fchown(fd_, static_cast<uid_t>(-1), st.st_gid) != 0 && errno != EPERM &&
            errno != EINVAL) {
            return false;
        }
    }
    // Set after the owner, whose change may clear bits; set-id bits are never carried.
    // FAT keeps no permission bits and may refuse to be asked.
    return sys_fchmod(fd_, st.st_mode & 01777) == 0 || errno == EPERM || errno == EOPNOTSUPP;
}

std::int64_t File::read_at(void* buffer, std::int64_t count, std::int64_t offset) {
    if (fd_ < 0 || count < 0 || offset < 0) return -1;
    auto* bytes = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n =
            sys_pread(fd_, bytes + done, std::min(count - done, kMaxTransfer), offset + done);
        if (n < 0) return -1;
        if (n == 0) break;
        done += n;
    }
    return done;
}

std::int64_t File::write_at(const void* buffer, std::int64_t count, std::int64_t offset) {
    if (fd_ < 0 || count < 0 || offset < 0) return -1;
    const auto* bytes = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n =
            sys_pwrite(fd_, bytes + done, std::min(count - done, kMaxTransfer), offset + done);
        if (n <= 0) return -1;
        done += n;
    }
    return done;
}

bool File::size(std::int64_t& size) {
    struct stat st {};
    if (fd_ < 0 || sys_fstat(fd_, &st) != 0) return false;
    size = st.st_size;
    return true;
}

bool File::stamp(ContentStamp& stamp) {
    struct stat st {};
    if (fd_ < 0 || sys_fstat(fd_, &st) != 0) return false;
    stamp = stamp_of(st);
    return true;
}

bool File::flush() {
    return fd_ >= 0 && sys_fsync(fd_) == 0;
}

bool File::last_write_time(FILETIME& local_time) {
    struct stat st {};
    if (fd_ < 0 || sys_fstat(fd_, &st) != 0) return false;
    local_time = LocalFileTimeFromUtc(st.st_mtim);
    return true;
}

bool File::set_last_write_time(FILETIME local_time) {
    if (fd_ < 0) return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, UtcFromLocalFileTime(local_time)};
    return sys_futimens(fd_, times) == 0;
}

bool File::close() {
    if (fd_ < 0) return true;
    discard();
    const int fd = fd_;
    fd_ = -1;
    return sys_close(fd) == 0;
}

// --- Paths ------------------------------------------------------------------------

bool GetFileStatus(const char* path, FileStatus& status) {
    std::string disk;
    struct stat st {};
    if (!PathToDisk(path, disk) || sys_stat(disk.c_str(), &st) != 0) return false;
    status.size = st.st_size;
    status.last_write_time = LocalFileTimeFromUtc(st.st_mtim);
    status.attributes = attributes_of(st);
    return true;
}

bool GetContentStamp(const char* path, ContentStamp& stamp) {
    std::string disk;
    struct stat st {};
    if (!PathToDisk(path, disk) || sys_stat(disk.c_str(), &st) != 0) return false;
    stamp = stamp_of(st);
    return true;
}

bool NameExists(const char* path) {
    std::string disk;
    struct stat st {};
    if (!PathToDisk(path, disk)) return false;
    return sys_lstat(disk.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

bool IsSameFile(const char* a, const char* b) {
    std::string disk_a, disk_b;
    struct stat sa {};
    struct stat sb {};
    return PathToDisk(a, disk_a) && PathToDisk(b, disk_b) && sys_stat(disk_a.c_str(), &sa) == 0 &&
           sys_stat(disk_b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool SetFileLastWriteTime(const char* path, FILETIME local_time) {
    std::string disk;
    if (!PathToDisk(path, disk)) return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, UtcFromLocalFileTime(local_time)};
    return sys_utimensat(disk.c_str(), times) == 0;
}

bool RemoveFile(const char* path) {
    std::string disk;
    return PathToDisk(path, disk) && sys_unlink(disk.c_str()) == 0;
}

bool ReadWholeFile(const char* path, std::int64_t limit, std::string& bytes) {
    bytes.clear();
    File file = File::open(path, FileAccess::Read);
    if (!file.is_open()) return false;
    char block[16384];
    for (;;) {
        const std::int64_t n =
            file.read_at(block, sizeof block, static_cast<std::int64_t>(bytes.size()));
        if (n < 0 || static_cast<std::int64_t>(bytes.size()) + n > limit) return false;
        bytes.append(block, static_cast<std::size_t>(n));
        if (n < static_cast<std::int64_t>(sizeof block)) return true;
    }
}

}  // namespace tomeo::platform
