#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/charset.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/syscalls.h"

namespace tomeo::platform {
namespace {

bool to_cp1251_directory(const std::string& utf8, WSTR& out) {
    std::string converted;
    if (utf8.empty() || !utf8_to_cp1251(utf8, converted)) return false;
    out.assign(converted.c_str(), static_cast<std::int32_t>(converted.size()));
    out.ensure_trailing_backslash();
    return true;
}

// The UTF-8 form of a Windows-1251 text, CR LF becoming a line feed.
std::string utf8_lines(const char* text) {
    const std::string utf8 = cp1251_to_utf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
        out += utf8[i];
    }
    return out;
}

bool write_all(int fd, const std::string& out) {
    for (std::size_t done = 0; done < out.size();) {
        const ssize_t n = write(fd, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool GetWorkingDirectory(WSTR& directory) {
    std::vector<char> buffer(4096);
    while (sys_getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return false;
        buffer.resize(buffer.size() * 2);
    }
    return to_cp1251_directory(buffer.data(), directory);
}

WSTR HomeDirectory() {
    WSTR home;
    const char* env = std::getenv("HOME");
    std::string path = env != nullptr ? env : "";
    if (path.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
            path = pw->pw_dir;
        }
    }
    if (!to_cp1251_directory(path, home)) home.clear();
    return home;
}

namespace {

// $variable when it holds an absolute path, else the home directory + fallback.
WSTR UserDirectory(const char* variable, const char* fallback) {
    WSTR dir;
    const char* xdg = std::getenv(variable);
    if (xdg != nullptr && xdg[0] == '/' && to_cp1251_directory(xdg, dir)) return dir;
    dir = HomeDirectory();
    if (!dir.is_empty()) dir.append(fallback);
    return dir;
}

}  // namespace

WSTR ConfigDirectory() {
    WSTR dir = UserDirectory("XDG_CONFIG_HOME", ".config/");
    if (!dir.is_empty()) dir.append("tomeo/");
    return dir;
}

WSTR CacheDirectory() {
    return UserDirectory("XDG_CACHE_HOME", ".cache/");
}

WSTR DataDirectory() {
    return UserDirectory("XDG_DATA_HOME", ".local/share/");
}

std::vector<std::string> SystemDataDirectories() {
    std::vector<std::string> dirs;
    const char* xdg = std::getenv("XDG_DATA_DIRS");
    std::string_view list = xdg != nullptr ? xdg : "";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view entry = list.substr(0, colon);
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        if (entry.empty() || entry[0] != '/') continue;  // relative entries are ignored
        dirs.emplace_back(entry);
        if (dirs.back().back() != '/') dirs.back() += '/';
    }
    if (dirs.empty()) dirs = {"/usr/local/share/", "/usr/share/"};
    return dirs;
}

bool MakeDirectoryPath(const char* path, unsigned mode) {
    std::string disk;
    if (!PathToDisk(path, disk) || disk.empty()) return false;
    while (disk.size() > 1 && disk.back() == '/') disk.pop_back();
    struct stat st;
    if (sys_stat(disk.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    // Each missing component from the top down.
    for (std::size_t slash = disk.find('/', 1);; slash = disk.find('/', slash + 1)) {
        const std::string part = disk.substr(0, slash);
        if (sys_mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    return sys_stat(disk.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// The folder, made with mode 0700 when missing, in Windows-1251; empty when it cannot be
// used. A folder someone else made under that name (in a shared /tmp) is never used.
WSTR PrivateFolder(const std::string& disk) {
    WSTR dir;
    if (sys_mkdir(disk.c_str(), 0700) != 0 && errno != EEXIST) return dir;
    struct stat st;
    if (sys_lstat(disk.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
        return dir;
    }
    if ((st.st_mode & 077) != 0 && sys_chmod(disk.c_str(), 0700) != 0) return dir;
    if (!to_cp1251_directory(disk, dir)) dir.clear();
    return dir;
}

}  // namespace

WSTR PrivateTempDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        std::string disk = runtime;
        while (disk.size() > 1 && disk.back() == '/') disk.pop_back();
        WSTR dir = PrivateFolder(disk + "/tomeo");
        if (!dir.is_empty()) return dir;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string disk = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
    while (disk.size() > 1 && disk.back() == '/') disk.pop_back();
    return PrivateFolder(disk + "/tomeo-" + std::to_string(getuid()));
}

void WriteStandardError(const char* text) {
    std::string out = cp1251_to_terminal(text);
    if (out.empty() || out.back() != '\n') out += '\n';
    for (std::size_t done = 0; done < out.size();) {
        const ssize_t n = write(STDERR_FILENO, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

bool WriteStandardOutput(const char* text) {
    return write_all(STDOUT_FILENO, utf8_lines(text));
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

void ShowStatusLine(const char* text) {
    // Back to the start of the line, the new text, then the rest of the line cleared.
    std::string line = "\r";
    line += cp1251_to_utf8(text);
    line += "\x1b[K";
    write_all(STDERR_FILENO, line);
}

}  // namespace tomeo::platform
