#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "core/charset.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "platform/files.h"
#include "platform/syscalls.h"

namespace tomeo::platform {
namespace {

FileIdentity IdentityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// '*' and '?' over the whole name, backtracking to the last '*' only: linear in
// practice, quadratic at worst, never exponential.
bool MatchesWildcards(const char* name, const char* name_end, const char* pattern,
                      const char* pattern_end) {
    const char* star = nullptr;
    const char* star_name = nullptr;
    while (name != name_end) {
        if (pattern != pattern_end && *pattern == '*') {
            star = pattern++;
            star_name = name;
        } else if (pattern != pattern_end &&
                   (*pattern == '?' || char_lower(*pattern) == char_lower(*name))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++star_name;
        } else {
            return false;
        }
    }
    while (pattern != pattern_end && *pattern == '*') ++pattern;
    return pattern == pattern_end;
}

// The name on disk; empty, which names nothing, when the path cannot name a file.
std::string ToDisk(const char* path) {
    std::string disk;
    if (!PathToDisk(path, disk)) disk.clear();
    return disk;
}

// Undoes the octal escapes (\040 for a space and the like) of a mounts table field.
std::string UnescapeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool IsRemovableMountPoint(const std::string& path) {
    for (const char* root : {"/media", "/mnt", "/run/media"}) {
        const std::size_t n = std::strlen(root);
        if (path.compare(0, n, root) == 0 && (path.size() == n || path[n] == '/')) return true;
    }
    return false;
}

}  // namespace

bool MatchesPattern(const char* name, const char* pattern) {
    if (*pattern == '\0') return false;
    const char* name_end = name + std::strlen(name);
    const char* pattern_end = pattern + std::strlen(pattern);
    if (MatchesWildcards(name, name_end, pattern, pattern_end)) return true;
    // "abc.*" also stands for "abc" itself, as the command prompts have always had it.
    const std::size_t pattern_length = static_cast<std::size_t>(pattern_end - pattern);
    if (pattern_length >= 2 && pattern_end[-2] == '.' && pattern_end[-1] == '*') {
        return MatchesWildcards(name, name_end, pattern, pattern_end - 2);
    }
    return false;
}

DirectorySearch::~DirectorySearch() {
    Close();
}

void DirectorySearch::Close() {
    if (dir_ != nullptr) sys_closedir(dir_);
    dir_ = nullptr;
}

bool DirectorySearch::Open(const char* directory) {
    Close();
    dir_ = sys_opendir(ToDisk(directory).c_str());
    if (dir_ == nullptr) return false;
    struct stat st {};
    if (sys_fstat(dirfd(dir_), &st) != 0) {
        Close();
        return false;
    }
    identity_ = IdentityOf(st);
    return true;
}

bool DirectorySearch::StatEntry(const char* os_name) {
    have_stat_ = sys_fstatat(dirfd(dir_), os_name, &last_stat_, 0) == 0;
    return have_stat_;
}

// A hidden temporary file of ours whose process has ended (or that is older than any
// run takes to write one, should its number have been given to another process since)
// will never be finished: it goes. One that a running process writes stays.
void DirectorySearch::RemoveIfStale(const char* os_name, long process) {
    constexpr std::time_t kStaleSeconds = 3600;
    bool stale = process != static_cast<long>(getpid()) &&
                 sys_kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH;
    struct stat st {};
    if (sys_fstatat(dirfd(dir_), os_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        return;
    }
    if (!stale && std::time(nullptr) - st.st_mtim.tv_sec > kStaleSeconds) stale = true;
    if (stale) sys_unlinkat(dirfd(dir_), os_name);
}

bool DirectorySearch::Next(const char* pattern, DirectoryEntry& entry) {
    if (dir_ == nullptr) return false;
    while (const dirent* d = sys_readdir(dir_)) {
        if (IsDotOrDotDot(d->d_name)) continue;
        if (long process = 0; IsHiddenTemporaryName(d->d_name, &process)) {
            RemoveIfStale(d->d_name, process);
            continue;
        }
        if (!PathFromDisk(d->d_name, name_1251_)) {  // no Windows-1251 form
            if (unrepresentable_ != nullptr) KeepIfMatching(d, pattern);
            continue;
        }
        if (!MatchesPattern(name_1251_.c_str(), pattern)) continue;

        have_stat_ = false;
        bool is_directory = d->d_type == DT_DIR;
        bool is_file = d->d_type == DT_REG;
        if (!is_directory && !is_file) {
            // A link, or a file system that does not tell the type: ask the entry itself.
            if (!StatEntry(d->d_name)) continue;
            is_directory = S_ISDIR(last_stat_.st_mode);
            is_file = S_ISREG(last_stat_.st_mode);
            if (!is_directory && !is_file) continue;
        }
        os_name_ = d->d_name;
        entry.name.assign(name_1251_.c_str(), static_cast<std::int32_t>(name_1251_.size()));
        entry.is_directory = is_directory;
        entry.size = 0;
        entry.time = 0;
        return true;
    }
    return false;
}

void DirectorySearch::KeepIfMatching(const dirent* d, const char* pattern) {
    if (!MatchesPattern(utf8_to_cp1251_lossy(d->d_name).c_str(), pattern)) return;
    if (d->d_type != DT_REG) {
        if (d->d_type != DT_LNK && d->d_type != DT_UNKNOWN) return;
        struct stat st {};
        if (sys_fstatat(dirfd(dir_), d->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) return;
    }
    unrepresentable_->emplace_back(d->d_name);
}

bool DirectorySearch::ReadDetails(DirectoryEntry& entry) {
    if (dir_ == nullptr) return false;
    if (!have_stat_ && !StatEntry(os_name_.c_str())) return false;
    entry.size = last_stat_.st_size;
    entry.time = LocalFileTimeFromUtc(last_stat_.st_mtim);
    return true;
}

bool ReadDirectoryEntry(const char* directory, const char* name, DirectoryEntry& entry) {
    std::string path = directory;
    path += name;
    struct stat st {};
    if (sys_stat(ToDisk(path.c_str()).c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) return false;
    entry.name.assign(name);
    entry.is_directory = S_ISDIR(st.st_mode);
    entry.size = st.st_size;
    entry.time = LocalFileTimeFromUtc(st.st_mtim);
    entry.identity = IdentityOf(st);
    return true;
}

bool DiskPathExists(const std::string& disk_path, bool& is_directory) {
    struct stat st {};
    if (disk_path.empty() || sys_stat(disk_path.c_str(), &st) != 0) return false;
    is_directory = S_ISDIR(st.st_mode);
    return true;
}

std::vector<std::string> RemovableMountPoints(std::string_view table) {
    std::vector<std::string> points;
    while (!table.empty()) {
        const std::size_t eol = table.find('\n');
        std::string_view line = table.substr(0, eol);
        table = eol == std::string_view::npos ? std::string_view() : table.substr(eol + 1);
        // Fields: device, mount point, type, options, ...; separated by spaces.
        const std::size_t first_space = line.find(' ');
        if (first_space == std::string_view::npos) continue;
        line.remove_prefix(first_space + 1);
        const std::string point = UnescapeMountField(line.substr(0, line.find(' ')));
        if (!IsRemovableMountPoint(point)) continue;
        if (std::find(points.begin(), points.end(), point) == points.end()) {
            points.push_back(point);
        }
    }
    return points;
}

std::vector<WSTR> ListDrives() {
    std::vector<WSTR> drives(1);
    drives[0].assign("/");
    std::string table;
    if (!ReadWholeFile("/proc/self/mounts", 1 << 20, table)) return drives;
    std::string name;
    for (const std::string& point : RemovableMountPoints(table)) {
        if (!PathFromDisk(point, name)) continue;
        drives.emplace_back().assign(name.c_str(), static_cast<std::int32_t>(name.size()));
    }
    return drives;
}

bool IsDirectory(const char* path) {
    struct stat st {};
    return sys_stat(ToDisk(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const char* path) {
    return sys_mkdir(ToDisk(path).c_str(), 0777) == 0;
}

NameState ExamineName(const char* path, FileStamp& stamp) {
    struct stat st {};
    if (sys_lstat(ToDisk(path).c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? NameState::Missing : NameState::Unknown;
    }
    if (!S_ISREG(st.st_mode)) return NameState::Other;
    stamp.identity = IdentityOf(st);
    stamp.size = st.st_size;
    stamp.change_time =
        static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
    return NameState::RegularFile;
}

}  // namespace tomeo::platform
