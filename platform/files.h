// Files as the system keeps them: an owned handle with positional reads and writes,
// file status, times and attributes, deletion, moves that never replace an existing file,
// and flushing to disk. Paths are Windows-1251 here and UTF-8 on disk (converted inside);
// every call goes through the sys_* wrappers of platform/syscalls.h, so a test can make
// any of them fail.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/filetime.h"

namespace tomeo::platform {

// Attributes are passed around as Windows file-attribute bits. A regular file reports
// kAttributeArchive, plus kAttributeReadOnly when its owner may not write it.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;

// Sizes and offsets are signed 32-bit in the program: larger files are refused.
inline constexpr std::int64_t kMaxFileSize = 0x7FFFFFFF;

// A Windows-1251 path as the UTF-8 name on disk. False when the path holds the byte 0x98,
// which stands for a character that had no Windows-1251 form and so names no real file
// (errno EILSEQ).
bool PathToDisk(const char* path, std::string& disk_path);
// A UTF-8 name from the disk in Windows-1251. False when it is not valid UTF-8 or holds
// a character without a Windows-1251 form.
bool PathFromDisk(std::string_view disk_path, std::string& path);

enum class FileAccess { Read, Write, ReadWrite };
enum class CreateMode {
    // Fails when the name exists. The file is written without a name in the target's
    // directory and only takes the name with publish(), never replacing another file:
    // no partial file ever bears it. Closed or dropped unpublished, the file is gone.
    New,
    Replace,  // an existing file is emptied and reused
};

// Names of our own temporary files: ".tomeo-" + process number + "-" + random digits +
// ".tmp", then the extension asked for (so that the kind of a file stays visible). The
// directory scan never lists such a name, and removes those left by a process that has
// ended (or older than an hour) from a directory it lists.
std::string HiddenTemporaryName(std::string_view extension);
// process, when given, receives the number of the process that made the name.
bool IsHiddenTemporaryName(const char* name, long* process = nullptr);

// What tells whether a file changed: which file it is, its size and its modification
// time to the finest step the file system keeps.
struct ContentStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtime_seconds = 0;
    std::int64_t mtime_nanoseconds = 0;
    bool operator==(const ContentStamp&) const = default;
};

// MoveFile fails with this error number when the source changed while it was copied.
inline constexpr int kErrorFileChanged = ESTALE;

// A move-only owned file handle. The destructor closes it and never throws; call
// close() to learn whether the system reported a failure.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // An existing regular file (never creates one); not open on failure, and for a
    // directory, device or pipe. Others may go on reading the file while it is open.
    static File open(const char* path, FileAccess access);
    // A new regular file opened for writing. kAttributeReadOnly in attributes makes the
    // file read-only on disk (this handle still writes). With CreateMode::New the file
    // has no name until publish().
    static File create(const char* path, CreateMode mode, std::uint32_t attributes);

    bool is_open() const { return fd_ >= 0; }
    // Gives a new file its name (the path it was created for), never replacing a file
    // that bears it meanwhile (false, errno EEXIST). True at once for a file that has a
    // name. Flush the file first: the name must only ever stand for complete content.
    bool publish();
    bool published() const { return pending_ == Pending::None; }
    // The permission bits of the file open as model, and its owner and group where this
    // process may set them (changing owners is a privilege: quietly skipped without it).
    bool copy_access_from(const File& model);

    // Reads count bytes at offset, fewer only at the end of the file: the number read,
    // or -1. Nothing but the bytes read changes on failure.
    std::int64_t read_at(void* buffer, std::int64_t count, std::int64_t offset);
    // Writes all count bytes at offset: count, or -1.
    std::int64_t write_at(const void* buffer, std::int64_t count, std::int64_t offset);
    bool size(std::int64_t& size);
    bool stamp(ContentStamp& stamp);
    // Makes the data and the file's metadata durable (fsync).
    bool flush();
    bool last_write_time(FILETIME& local_time);
    bool set_last_write_time(FILETIME local_time);
    // Closes the handle; false when the system reported a failure (the handle is gone
    // either way). Closing a closed File gives true.
    bool close();

private:
    enum class Pending { None, Unnamed, Hidden };
    explicit File(int fd) : fd_(fd) {}
    void discard();
    static File create_pending(const std::string& disk_path, mode_t mode);

    int fd_ = -1;
    Pending pending_ = Pending::None;
    std::string name_;    // Unnamed, Hidden: the disk path publish() gives
    std::string hidden_;  // Hidden: the temporary name it bears meanwhile
};

struct FileStatus {
    std::int64_t size = 0;
    FILETIME last_write_time = 0;  // local time
    std::uint32_t attributes = 0;  // kAttribute* bits
    bool is_directory() const { return (attributes & kAttributeDirectory) != 0; }
};

// Status of the file or directory a path names (a symbolic link is followed).
bool GetFileStatus(const char* path, FileStatus& status);
// The stamp of the file a path names (a symbolic link is followed).
bool GetContentStamp(const char* path, ContentStamp& stamp);

// Whether the directory holds an entry of that name, of whatever kind: a symbolic link
// that leads nowhere is there too. Unsure (the check failed) counts as there.
bool NameExists(const char* path);
// True when both paths name one existing file (links followed): the same name in
// another letter case on a case-insensitive file system, a hard or symbolic link.
bool IsSameFile(const char* a, const char* b);
bool SetFileLastWriteTime(const char* path, FILETIME local_time);
bool RemoveFile(const char* path);

// Reads a whole small file to its end (files under /proc report no size). False when it
// cannot be opened or read, or holds more than limit bytes.
bool ReadWholeFile(const char* path, std::int64_t limit, std::string& bytes);

// Renames or moves a file, never replacing an existing one (the move fails instead).
// A change of letter case alone works on a case-insensitive file system (FAT of an
// e-reader). Across file systems the file is copied to a new file without a name,
// flushed with its modification time, permissions and owner kept, given the target
// name, and only then is the source deleted; on any failure the source stays and no
// partial copy bears a name. A target on another file system that holds exactly the
// source's bytes (a copy whose source was not yet deleted when a run was killed) only
// makes the source go. A source whose size or time changed during the copy stays
// (errno kErrorFileChanged). Identical paths succeed at once.
bool MoveFile(const char* from, const char* to);

// Renames a file over an existing one in one atomic step: at every moment either the
// old or the new file bears the name. Only within one file system.
bool ReplaceFile(const char* from, const char* to);

// Replaces the file by one holding the bytes: they go to a temporary file beside it,
// are flushed to disk, and the temporary file is renamed over the old one, whose
// directory is then flushed too. False when that did not succeed (the old file is then
// untouched). The directory must exist.
bool WriteFileReplacing(const char* path, std::string_view bytes);

// Makes the directory's entries durable (fsync of the directory), so that a file
// created or renamed in it survives a power cut. An empty path is the working directory.
bool FlushDirectory(const char* directory);

}  // namespace tomeo::platform
