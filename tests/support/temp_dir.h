// A temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <string>
#include <vector>

namespace tomeo::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, ending with '/'.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// Whole-file helpers on UTF-8 paths.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Every regular file below root (ending with '/'), as paths relative to it, sorted;
// those below the configuration folder "tomeo/" are left out.
std::vector<std::string> FilesBelow(const std::string& root);

}  // namespace tomeo::test
