// Files as the system keeps them: an owned handle with positional reads and writes,
// file status, times and attributes, deletion, moves that never replace an existing file,
// and flushing to disk. Paths are Windows-1251 here and UTF-8 on disk (converted inside);
// every call goes through the sys_* wrappers of platform/syscalls.h, so a test can make
// any of them fail.
#pragma once

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
    New,      // fails when the name exists (O_EXCL)
    Replace,  // an existing file is emptied and reused
};

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
    // file read-only on disk (this handle still writes).
    static File create(const char* path, CreateMode mode, std::uint32_t attributes);

    bool is_open() const { return fd_ >= 0; }

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
    explicit File(int fd) : fd_(fd) {}
    int fd_ = -1;
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
// e-reader). Across file systems the file is copied to a newly created target, flushed
// with its modification time kept, and only then is the source deleted; on any failure
// the partial target is deleted and the source stays. A source whose size or time
// changed during the copy stays too (errno kErrorFileChanged). Identical paths succeed at once.
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
