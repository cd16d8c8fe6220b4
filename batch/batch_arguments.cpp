#include "batch/batch_arguments.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "batch/cmdline.h"
#include "batch/directory_scan.h"
#include "batch/paths.h"
#include "core/charset.h"
#include "core/messages.h"
#include "core/operations.h"
#include "core/path_separator.h"
#include "platform/directories.h"
#include "zip/file_stream.h"

namespace tomeo {
namespace {

// The failure of each operation asked for a file that is not there.
constexpr struct {
    std::uint32_t operation;
    std::uint32_t result;
} kMissingFileResults[] = {
    {OP_RENAME, RES_RENAME}, {OP_DOS, RES_DOS},   {OP_UTF8, RES_UTF8},
    {OP_TOTEXT, RES_TOTEXT}, {OP_MOVE, RES_MOVE}, {OP_ZIP, RES_ZIP},
};

constexpr char kEveryName[] = "*";

bool has_wildcards(const char* pattern) {
    return std::strpbrk(pattern, "*?") != nullptr;
}

// Names match ignoring case: the key of a name's spellings.
std::string folded(const char* name) {
    std::string key(name);
    for (char& c : key) c = char_lower(c);
    return key;
}

// The last component of a path, trailing separators left out ("/" stays "/").
std::string_view last_component(std::string_view path) {
    while (path.size() > 1 && path.back() == kPathSeparator) path.remove_suffix(1);
    const std::size_t separator = path.rfind(kPathSeparator);
    if (separator == std::string_view::npos || path.size() == 1) return path;
    return path.substr(separator + 1);
}

void ReportMissing(Report& report, const char* name, std::uint32_t operations) {
    FileResults missing;
    for (const auto& m : kMissingFileResults) {
        if (operations & m.operation) missing.flags |= m.result;
    }
    missing.name = name;
    missing.reason = FailReason::NotFound;
    report.ReportResults(missing);
}

void ReportUnrepresentable(Report& report, std::string_view disk_name) {
    report.AppendMessage(msg::kNameNot1251, utf8_to_cp1251_shown(disk_name).c_str());
}

// What the list would hold if the name had a Windows-1251 form: a book or an archive.
bool MayBeABook(const std::string& disk_name) {
    const std::string name = utf8_to_cp1251_lossy(disk_name);
    const char* extension = path_ext(name.c_str());
    return BookKindOf(extension) != KIND_NONE || std::strcmp(extension, ".zip") == 0;
}

}  // namespace

bool BatchArguments::ListArgument(const char* argument, const char* given, const char* working_dir,
                                  std::uint32_t operations, TFILELIST& list, WSTR& directory,
                                  Report& report) {
    list.ClearFileList();
    list.mode = LIST_MODE_DIRECTORY;
    directory.clear();
    if (argument[0] != kPathSeparator && *working_dir == '\0') return false;

    WSTR dir, pattern;
    SplitBatchArgument(argument, working_dir, dir, pattern);
    bool wildcards = has_wildcards(pattern.c_str());

    // A path without a Windows-1251 form: what it names cannot be listed, but is not
    // missing either. It is shown as given.
    bool is_directory = false;
    const std::string_view as_given = given;
    // The argument on disk: a relative one below the working directory.
    const std::string on_disk =
        (as_given.starts_with(kPathSeparator) ? std::string() : cp1251_to_utf8(working_dir)) +
        std::string(as_given);
    if (std::strchr(dir.c_str(), kUnrepresentable) != nullptr) {
        const std::string given_dir = on_disk.substr(0, on_disk.rfind(kPathSeparator) + 1);
        if (platform::DiskPathExists(given_dir, is_directory) && is_directory) {
            ReportUnrepresentable(report, as_given);
            return false;
        }
        if (wildcards) return false;
        ReportMissing(report, utf8_to_cp1251_shown(last_component(given)).c_str(), operations);
        return true;
    }
    if (!wildcards && std::strchr(pattern.c_str(), kUnrepresentable) != nullptr) {
        const std::string shown = utf8_to_cp1251_shown(last_component(given));
        if (platform::DiskPathExists(on_disk, is_directory)) {
            report.AppendMessage(msg::kNameNot1251, shown.c_str());
            return false;
        }
        ReportMissing(report, shown.c_str(), operations);
        return true;
    }

    // A directory (books/ as tab completion gives it, or books) stands for its books.
    bool directory_argument = pattern.is_empty();
    platform::DirectoryEntry entry;
    if (!directory_argument && !wildcards) {
        directory_argument =
            platform::ReadDirectoryEntry(dir.c_str(), pattern.c_str(), entry) && entry.is_directory;
    }
    if (directory_argument) {
        if (pattern.is_empty() && !DirectoryExists(dir.c_str())) {
            const std::string name(last_component(dir.c_str()));
            ReportMissing(report, name.c_str(), operations);
            return true;
        }
        dir.append(pattern);
        dir.ensure_trailing_backslash();
        pattern.assign(kEveryName);
        wildcards = true;
    }
    directory.assign(dir);

    std::int32_t found = 0;
    if (wildcards) {
        std::vector<std::string> unrepresentable;
        DirectoryScanner scanner;
        scanner.KeepUnrepresentable(&unrepresentable);
        found = scanner.Scan(list, dir.c_str(), SCAN_DIRECTORY, true, pattern.c_str());
        std::sort(unrepresentable.begin(), unrepresentable.end());
        for (const std::string& name : unrepresentable) {
            if (MayBeABook(name)) ReportUnrepresentable(report, name);
        }
    } else {
        found = LookUpName(list, dir.c_str(), pattern.c_str());
        FileEntryFields parent;
        parent.name = kParentName;
        parent.kind = KIND_DIRECTORY;
        list.AddFileEntry(parent);
    }
    list.SortFileList();
    if (wildcards || found != 0) return false;
    ReportMissing(report, pattern.c_str(), operations);
    return true;
}

// What a scan of dir with the name as its pattern gives: every entry whose name equals
// it ignoring case. The directory is read once for the spellings; each is then looked
// up, so that what the run before changed is seen.
std::int32_t BatchArguments::LookUpName(TFILELIST& list, const char* dir, const char* name) {
    const NameIndex& index = IndexOf(dir);
    std::vector<std::string> spellings;
    if (const auto it = index.find(folded(name)); it != index.end()) spellings = it->second;
    // The name itself may have come since the directory was read.
    const bool known = std::find(spellings.begin(), spellings.end(), name) != spellings.end();
    if (!known) spellings.emplace_back(name);

    const auto details_known = [](platform::DirectoryEntry&) { return true; };
    std::vector<platform::FileIdentity> listed;
    std::int32_t count = 0;
    platform::DirectoryEntry found;
    for (std::size_t i = 0; i < spellings.size(); ++i) {
        if (!platform::ReadDirectoryEntry(dir, spellings[i].c_str(), found)) continue;
        // On a file system that ignores case the name itself is one of the others.
        const bool added_name = !known && i + 1 == spellings.size();
        if (added_name && std::find(listed.begin(), listed.end(), found.identity) != listed.end()) {
            continue;
        }
        listed.push_back(found.identity);
        count += ListDirectoryEntry(list, dir, found, details_known);
    }
    return count;
}

BatchArguments::NameIndex& BatchArguments::IndexOf(const char* dir) {
    const auto [it, added] = indexes_.try_emplace(dir);
    if (added) {
        platform::DirectorySearch search;
        platform::DirectoryEntry entry;
        if (search.Open(dir)) {
            while (search.Next(kEveryName, entry)) {
                it->second[folded(entry.name.c_str())].emplace_back(entry.name.c_str());
            }
        }
    }
    return it->second;
}

void BatchArguments::NoteListedNames(const TFILELIST& list) {
    for (std::int32_t i = 0; i < list.count(); ++i) {
        const TFILEINF& e = list.at(i);
        if (e.kind == KIND_DIRECTORY || e.kind == KIND_DRIVE) continue;
        const auto it = indexes_.find(e.dir.c_str());
        if (it == indexes_.end()) continue;
        const char* name = e.container == CONTAINER_ZIP ? e.zipname.c_str() : e.name.c_str();
        std::vector<std::string>& spellings = it->second[folded(name)];
        if (std::find(spellings.begin(), spellings.end(), name) == spellings.end()) {
            spellings.emplace_back(name);
        }
    }
}

}  // namespace tomeo
