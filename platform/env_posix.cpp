#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/charset.h"
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

}  // namespace tomeo::platform
