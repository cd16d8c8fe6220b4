// Path helpers of the file operations: comparing directory paths, testing whether a
// directory exists, creating a directory with every missing one above it. Paths are
// Windows-1251; only the separator (kPathSeparator) separates components.
#pragma once

namespace tomeo {

inline constexpr int PATHS_DIFFERENT = 0;
inline constexpr int PATHS_EQUAL = 1;
inline constexpr int PATHS_A_PREFIX_OF_B = 2;  // for directory paths: b lies below a

// Compares character by character ignoring case.
int ComparePaths(const char* a, const char* b);

// True when the path names an existing directory (one trailing separator allowed).
bool DirectoryExists(const char* path);

// True when one of the path's components is "..": such a path may lead anywhere, also
// out of the folder it seems to stay in.
bool HasParentComponent(const char* path);

// Creates the directory and every missing directory above it; true when it exists at
// the end. The first creation that fails ends the walk (what was created stays).
bool CreateDirectoryPath(const char* path);

}  // namespace tomeo
