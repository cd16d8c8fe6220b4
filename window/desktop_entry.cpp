#include "window/desktop_entry.h"

#include <cstring>

#include "batch/settings.h"
#include "core/charset.h"
#include "core/messages.h"
#include "platform/directories.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/process.h"
#include "window/desktop_viewers.h"

namespace tomeo {
namespace {

constexpr char kApplicationsFolder[] = "applications/";
constexpr char kEntryName[] = "tomeo-open.desktop";

// The program's path as one argument of the Exec key: quoted when it holds a character
// the key reserves, '"', '`', '$' and '\' escaped inside the quotes; then '%' doubled
// and '\' doubled again, as every string value of a desktop entry is escaped.
bool ExecArgument(const std::string& path, std::string& out) {
    constexpr char kReserved[] = " \t\"'\\><~|&;$*?#()`";
    bool quote = false;
    for (const char c : path) {
        if (c == '\n' || c == '\r' || c == '\0') return false;
        if (std::strchr(kReserved, c) != nullptr) quote = true;
    }
    std::string argument;
    if (quote) argument += '"';
    for (const char c : path) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) argument += '\\';
        argument += c;
    }
    if (quote) argument += '"';
    out.clear();
    for (const char c : argument) {
        if (c == '%') out += '%';
        if (c == '\\') out += '\\';
        out += c;
    }
    return true;
}

}  // namespace

ContextMenuFlags ContextMenuFlagsOf(const Settings& settings) {
    return {settings.menu_txt, settings.menu_fb2, settings.menu_rtf};
}

WSTR ContextMenuEntryPath() {
    WSTR path = platform::DataDirectory();
    if (path.is_empty()) return path;
    path.append(kApplicationsFolder);
    path.append(kEntryName);
    return path;
}

std::string ContextMenuEntryText(const ContextMenuFlags& flags, const std::string& program) {
    std::string exec;
    if (program.empty() || !ExecArgument(program, exec)) return {};
    std::string types;
    if (flags.txt) types += std::string(MimeTypeOfKind(KIND_TXT)) + ";";
    if (flags.fb2) types += std::string(MimeTypeOfKind(KIND_FB2)) + ";";
    if (flags.rtf) types += std::string(MimeTypeOfKind(KIND_RTF)) + ";";
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           cp1251_to_utf8(msg::kContextMenuName.c_str()) +
           "\n"
           "Exec=" +
           exec +
           " %f\n"
           "Icon=tomeo\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "MimeType=" +
           types + "\n";
}

bool ApplyContextMenuFlags(const ContextMenuFlags& before, const ContextMenuFlags& after,
                           const std::string& program) {
    if (before == after) return true;
    const WSTR path = ContextMenuEntryPath();
    if (path.is_empty()) return false;
    WSTR dir(path);
    dir.truncate(dir.length() - static_cast<std::int32_t>(std::strlen(kEntryName)));
    bool done;
    if (after.any()) {
        const std::string text =
            ContextMenuEntryText(after, program.empty() ? platform::ExecutablePath() : program);
        done = !text.empty() && platform::MakeDirectoryPath(dir.c_str(), 0700) &&
               platform::WriteFileReplacing(path.c_str(), text);
    } else {
        done = !platform::NameExists(path.c_str()) || platform::RemoveFile(path.c_str());
    }
    // The menus read the folder's cache of types where there is one.
    std::string disk_dir, ignored;
    if (platform::IsDirectory(dir.c_str()) && platform::PathToDisk(dir.c_str(), disk_dir) &&
        !platform::FindProgram("update-desktop-database").empty()) {
        platform::RunAndRead({"update-desktop-database", disk_dir}, ignored, 60000);
    }
    return done;
}

}  // namespace tomeo
