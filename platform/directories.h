// Directories as the file list sees them: searching one directory for the entries whose
// names match a pattern, the "drives" (the root and the mounted volumes a user keeps
// books on), testing and creating directories, and the identity of files. Names and
// paths are Windows-1251 here; the system sees UTF-8.
#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/filetime.h"
#include "core/wstr.h"

namespace tomeo::platform {

// True when name matches pattern: '*' stands for any run of characters, '?' for exactly
// one, letters match without regard to case (Windows-1251 rules). A pattern ending in
// ".*" also matches what it matches without those two characters, so "*.*" matches
// every name, also one without a dot, and "book.*" matches "book". An empty pattern
// matches nothing.
bool MatchesPattern(const char* name, const char* pattern);

// Which file a name stands for: the same device and inode mean the same file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
    friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// One entry found by DirectorySearch.
struct DirectoryEntry {
    WSTR name;  // Windows-1251
    bool is_directory = false;
    // Filled by ReadDetails: the size in bytes and the last-write time as local time.
    std::int64_t size = 0;
    FILETIME time = 0;
};

// A search of one directory. Every entry is given, hidden ones included, except "." and
// "..", names without a Windows-1251 form, what is neither a directory nor a regular
// file (devices, pipes, sockets, dangling links), and our own hidden temporary files
// (platform/files.h): those that no running process will finish are removed on the way.
// Symbolic links count as what they point to.
class DirectorySearch {
public:
    DirectorySearch() = default;
    DirectorySearch(const DirectorySearch&) = delete;
    DirectorySearch& operator=(const DirectorySearch&) = delete;
    ~DirectorySearch();

    // Opens the directory (a path ending with the separator). False when it cannot be
    // searched (missing, not a directory, access denied).
    bool Open(const char* directory);
    // The directory's own identity, known once it is open.
    const FileIdentity& identity() const { return identity_; }
    // The next entry whose name matches the pattern; false at the end.
    bool Next(const char* pattern, DirectoryEntry& entry);
    // Size and time of the entry Next gave last. False when it vanished meanwhile.
    bool ReadDetails(DirectoryEntry& entry);

private:
    void Close();
    bool StatEntry(const char* os_name);
    void RemoveIfStale(const char* os_name, long process);

    DIR* dir_ = nullptr;
    FileIdentity identity_;
    std::string os_name_;    // the last entry's name as the system gives it
    std::string name_1251_;  // scratch for the conversion
    struct stat last_stat_ {};
    bool have_stat_ = false;  // last_stat_ describes the last entry
};

// The mount points of a mounts table (the text of /proc/self/mounts) that stand for
// volumes a user keeps books on: those at or below /media, /mnt and /run/media, in the
// order of the table, each once, UTF-8, octal escapes undone.
std::vector<std::string> RemovableMountPoints(std::string_view mounts_table);

// The list's "drives": "/" first, then the removable mount points whose names have a
// Windows-1251 form.
std::vector<WSTR> ListDrives();

// True when the path names a directory (a link to one counts).
bool IsDirectory(const char* path);
// Creates one directory (its parent must exist). False on failure, also when the
// name exists already.
bool MakeDirectory(const char* path);

// One particular file as it is now: its identity, size and the time of its last status
// change. Inode numbers are reused once a file is deleted; size and change time tell a
// new file under an old number apart.
struct FileStamp {
    FileIdentity identity;
    std::int64_t size = 0;
    std::int64_t change_time = 0;  // nanoseconds
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// What the path itself names (a symbolic link is not followed).
enum class NameState {
    Missing,      // nothing at all, not even a dangling link
    RegularFile,  // a regular file; its stamp is filled in
    Other,        // a directory, a link, a device...
    Unknown,      // it could not be examined
};
NameState ExamineName(const char* path, FileStamp& stamp);

}  // namespace tomeo::platform
