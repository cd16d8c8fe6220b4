#include "batch/directory_scan.h"

#include <cstring>
#include <vector>

#include "core/filetime.h"
#include "platform/path_separator.h"

namespace tomeo {
namespace {

constexpr const char* kEveryName = "*.*";

// The extension of a file name, its dot included; empty when it has none.
const char* ExtensionOf(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr ? dot : name + std::strlen(name);
}

// Sizes are kept as signed 32-bit numbers: the low 32 bits of the real one.
std::int32_t LowBits(std::int64_t size) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
}

// Lists the member of the archive dir + name when it is a book; false when the file is
// no archive of the accepted shape (one member, deflated).
bool ListZipArchive(TFILELIST& list, const char* dir, const char* name) {
    (void)list;
    (void)dir;
    (void)name;
    return false;
}

void AddDrives(TFILELIST& list) {
    for (const WSTR& drive : platform::ListDrives()) {
        FileEntryFields fields;
        fields.name = drive.c_str();
        fields.kind = KIND_DRIVE;
        fields.zipname = drive.c_str();
        list.AddFileEntry(fields);
    }
}

}  // namespace

std::int32_t ScanDirectory(TFILELIST& list, const char* dir, std::uint8_t mode, bool add_parent,
                           const char* pattern) {
    DirectoryScanner scanner;
    return scanner.Scan(list, dir, mode, add_parent, pattern);
}

void DirectoryScanner::MarkEntered(const char* dir) {
    platform::DirectorySearch search;
    if (search.Open(dir)) entered_.insert(search.identity());
}

std::int32_t DirectoryScanner::Scan(TFILELIST& list, const char* dir, std::uint8_t mode,
                                    bool add_parent, const char* pattern) {
    if (*dir == '\0') {
        if (mode != SCAN_DIRECTORIES) AddDrives(list);
        return 0;
    }
    // Subdirectories are entered one after the other, never nested, so that neither
    // the depth of a tree nor the number of open directories has a limit.
    std::vector<WSTR> subdirectories;
    const std::int32_t count =
        ScanOne(list, dir, mode, pattern != nullptr ? pattern : kEveryName, subdirectories);
    while (!subdirectories.empty()) {
        const WSTR next = std::move(subdirectories.back());
        subdirectories.pop_back();
        ScanOne(list, next.c_str(), SCAN_TREE, kEveryName, subdirectories);
    }
    if (add_parent && mode != SCAN_DIRECTORIES) {
        FileEntryFields parent;
        parent.name = kParentName;
        parent.kind = KIND_DIRECTORY;
        list.AddFileEntry(parent);
    }
    return count;
}

std::int32_t DirectoryScanner::ScanOne(TFILELIST& list, const char* dir, std::uint8_t mode,
                                       const char* pattern, std::vector<WSTR>& subdirectories) {
    platform::DirectorySearch search;
    if (!search.Open(dir)) return 0;
    if (mode == SCAN_TREE && !entered_.insert(search.identity()).second) return 0;

    std::int32_t count = 0;
    platform::DirectoryEntry found;
    while (search.Next(pattern, found)) {
        const char* name = found.name.c_str();
        if (found.is_directory) {
            if (mode == SCAN_TREE) {
                WSTR& path = subdirectories.emplace_back();
                path.assign(dir);
                path.append(name);
                path.append(kPathSeparator);
            } else {
                FileEntryFields fields;
                fields.name = name;
                fields.kind = KIND_DIRECTORY;
                list.AddFileEntry(fields);
                ++count;
            }
            continue;
        }
        if (mode == SCAN_DIRECTORIES) continue;

        const char* extension = ExtensionOf(name);
        if (const std::uint8_t kind = BookKindOf(extension); kind != KIND_NONE) {
            if (!search.ReadDetails(found)) continue;  // gone meanwhile
            FileEntryFields fields;
            fields.dir = dir;
            fields.name = name;
            fields.kind = kind;
            fields.size = LowBits(found.size);
            fields.time = truncate_to_dos_resolution(found.time);
            list.AddFileEntry(fields);
            ++count;
        } else if (std::strcmp(extension, ".zip") == 0) {
            // Only this exact spelling: files ending in .ZIP or .Zip are left alone.
            if (ListZipArchive(list, dir, name)) ++count;
        }
    }
    return count;
}

}  // namespace tomeo
