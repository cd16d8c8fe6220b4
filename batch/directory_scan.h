// Filling the file list from a directory: its books (loose, or the single member of a
// .zip archive), its subdirectories, the parent entry, or the drive list.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "batch/file_list.h"
#include "platform/directories.h"

namespace tomeo {

inline constexpr std::uint8_t SCAN_DIRECTORY = 1;    // books and subdirectories
inline constexpr std::uint8_t SCAN_TREE = 2;         // books of the directory and all below
inline constexpr std::uint8_t SCAN_DIRECTORIES = 3;  // subdirectories only

// Appends the entries of dir (a full path ending with the separator) whose names match
// pattern ('*' and '?', ignoring case; null for every name) to the list, which it does
// not empty, and gives how many it counted:
// - a subdirectory is listed and counted in SCAN_DIRECTORY and SCAN_DIRECTORIES; in
//   SCAN_TREE its books are listed instead (every name, to any depth, never entering a
//   directory twice, so links cannot make it loop) and not counted;
// - a book is listed and counted (not in SCAN_DIRECTORIES);
// - a .zip archive (the extension in lower case exactly) is opened once: its member is
//   listed when it is a book, and the archive is counted when it opens at all;
// - with add_parent, ".." is appended (not counted) in SCAN_DIRECTORY and SCAN_TREE.
// A directory that cannot be searched gives no entries but "..", and count 0.
// An empty dir stands for the drive list: "/" and the mounted volumes, count 0 (none in
// SCAN_DIRECTORIES: drives are no subdirectories).
std::int32_t ScanDirectory(TFILELIST& list, const char* dir, std::uint8_t mode, bool add_parent,
                           const char* pattern);

// Lists one entry of dir, found by a search or looked up by name, as a SCAN_DIRECTORY
// scan does: a subdirectory, a book, or the member of a .zip archive. read_details fills
// the entry's size and time when a book needs them (false: it vanished). Gives 1 when
// the entry counts, else 0.
std::int32_t ListDirectoryEntry(TFILELIST& list, const char* dir, platform::DirectoryEntry& found,
                                const std::function<bool(platform::DirectoryEntry&)>& read_details);

// ScanDirectory over several directories with one memory of the directories entered in
// SCAN_TREE, so that a directory reached twice (through a link) is listed once.
class DirectoryScanner {
public:
    // Counts dir as entered already (the directory whose subdirectories are scanned).
    void MarkEntered(const char* dir);
    std::int32_t Scan(TFILELIST& list, const char* dir, std::uint8_t mode, bool add_parent,
                      const char* pattern);
    // The files of the scanned directory itself (not those below it) that the pattern
    // matches but that have no Windows-1251 name are kept in names, as on disk.
    void KeepUnrepresentable(std::vector<std::string>* names) { unrepresentable_ = names; }

private:
    std::int32_t ScanOne(TFILELIST& list, const char* dir, std::uint8_t mode, const char* pattern,
                         std::vector<WSTR>& subdirectories);

    std::set<platform::FileIdentity> entered_;
    std::vector<std::string>* unrepresentable_ = nullptr;
};

}  // namespace tomeo
