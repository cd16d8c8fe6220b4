#include <pwd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/charset.h"
#include "platform/env.h"

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
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
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

WSTR ConfigDirectory() {
    WSTR dir;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/' && to_cp1251_directory(xdg, dir)) {
        dir.append("tomeo/");
        return dir;
    }
    dir = HomeDirectory();
    if (!dir.is_empty()) dir.append(".config/tomeo/");
    return dir;
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
