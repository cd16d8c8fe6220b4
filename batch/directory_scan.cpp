#include "batch/directory_scan.h"

#include <cstring>
#include <vector>

#include "core/filetime.h"
#include "core/path_separator.h"
#include "zip/file_stream.h"

namespace tomeo {
namespace {

constexpr const char* kEveryName = "*.*";

// Sizes are kept as signed 32-bit numbers: the low 32 bits of the real one.
std::int32_t LowBits(std::int64_t size) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
}

// Opens the archive dir + name to list its member when that is a book. False when the
// file is no archive of the accepted shape (one member, deflated).
bool ListZipArchive(TFILELIST& list, const char* dir, const char* name, WSTR& path) {
    path.assign(dir);
    path.append(name);
    FileStreamPtr archive = stream_open(path.c_str(), "r");
    if (archive == nullptr) return false;
    if (const EntryKind kind = BookKindOf(path_ext(archive->name.c_str())); kind != KIND_NONE) {
        FileEntryFields fields;
        fields.dir = dir;
        fields.name = archive->name.c_str();
        fields.kind = kind;
        fields.size = archive->member_size;
        fields.time = archive->mtime;
        fields.zipname = name;
        fields.container = CONTAINER_ZIP;
        fields.zipsize = archive->size;
        list.AddFileEntry(fields);
    }
    // The close records sizes and times for the pipeline; a listing keeps them to itself.
    TCLOSEINFO unused;
    stream_close(std::move(archive), unused);
    return true;
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
    if (mode != SCAN_TREE) search.KeepUnrepresentable(unrepresentable_);

    std::int32_t count = 0;
    platform::DirectoryEntry found;
    const auto read_details = [&search](platform::DirectoryEntry& entry) {
        return search.ReadDetails(entry);
    };
    while (search.Next(pattern, found)) {
        if (found.is_directory && mode == SCAN_TREE) {
            WSTR& path = subdirectories.emplace_back();
            path.assign(dir);
            path.append(found.name.c_str());
            path.append(kPathSeparator);
            continue;
        }
        if (!found.is_directory && mode == SCAN_DIRECTORIES) continue;
        count += ListDirectoryEntry(list, dir, found, read_details);
    }
    return count;
}

std::int32_t ListDirectoryEntry(
    TFILELIST& list, const char* dir, platform::DirectoryEntry& found,
    const std::function<bool(platform::DirectoryEntry&)>& read_details) {
    const char* name = found.name.c_str();
    if (found.is_directory) {
        FileEntryFields fields;
        fields.name = name;
        fields.kind = KIND_DIRECTORY;
        list.AddFileEntry(fields);
        return 1;
    }
    const char* extension = path_ext(name);
    if (const EntryKind kind = BookKindOf(extension); kind != KIND_NONE) {
        if (!read_details(found)) return 0;  // gone meanwhile
        FileEntryFields fields;
        fields.dir = dir;
        fields.name = name;
        fields.kind = kind;
        fields.size = LowBits(found.size);
        fields.time = truncate_to_dos_resolution(found.time);
        list.AddFileEntry(fields);
        return 1;
    }
    // Only this exact spelling: files ending in .ZIP or .Zip are left alone.
    if (std::strcmp(extension, ".zip") != 0) return 0;
    WSTR archive_path;
    return ListZipArchive(list, dir, name, archive_path) ? 1 : 0;
}

}  // namespace tomeo
