// Folder trees for the directory-scan tests, and the file list described as text.
#pragma once

#include <string>
#include <vector>

#include "batch/file_list.h"
#include "tests/support/cp1251_text.h"

namespace tomeo::test {

// Creates the files (content: their own name) and the folders (names ending in '/')
// below root; names are UTF-8 and may hold '/'.
void MakeTree(const std::string& root, const std::vector<std::string>& paths);

// One line per entry, UTF-8: "dir/ name" for books (dir relative to root, "." for root
// itself), "[name]" for directories, "<name>" for drives; zipped books add " in zipname".
std::vector<std::string> Describe(const TFILELIST& list, const std::string& root);

}  // namespace tomeo::test
