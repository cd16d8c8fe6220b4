// What the two halves of the file layer share (files_posix.cpp, file_moves_posix.cpp):
// disk paths only, UTF-8 as the system sees them.
#pragma once

#include <string>

namespace tomeo::platform::files_detail {

// The directory part of a disk path, ending with '/'; empty for a bare name.
std::string directory_of(const std::string& disk_path);

// fsync of a directory (empty: the working directory); true where a file system cannot
// sync directories at all.
bool flush_disk_directory(const std::string& directory);

// rename(2) that never replaces: 0 or the error number. Falls back, on file systems
// without RENAME_NOREPLACE, to a hard link (which fails when the name exists) and, on
// file systems without hard links either, to a rename after checking the name is free.
int rename_no_replace(const std::string& from, const std::string& to);

}  // namespace tomeo::platform::files_detail
