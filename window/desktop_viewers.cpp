#include "window/desktop_viewers.h"

#include <cstring>
#include <vector>

#include "batch/pipeline.h"
#include "batch/settings.h"
#include "batch/temp_files.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/process.h"
#include "window/command_words.h"
#include "zip/file_stream.h"

namespace tomeo {
namespace {

constexpr char kNoViewer[] = "$";
constexpr char kCopyPrefix[] = "tmp_";

// Whether a desktop entry of that id exists in one of the applications folders. An id
// "vendor-app.desktop" may also stand for "vendor/app.desktop".
bool DesktopEntryExists(const std::string& id) {
    std::vector<std::string> roots;
    std::string user;
    if (platform::PathToDisk(platform::DataDirectory().c_str(), user) && !user.empty()) {
        roots.push_back(user);
    }
    for (std::string& dir : platform::SystemDataDirectories()) roots.push_back(std::move(dir));
    for (const std::string& root : roots) {
        std::string relative = id;
        for (;;) {
            if (platform::DiskFileExists(root + "applications/" + relative)) return true;
            const std::size_t dash = relative.find('-');
            if (dash == std::string::npos) break;
            relative[dash] = '/';
        }
    }
    return false;
}

// The command's words. A whole command naming an executable file is that one word, so a
// path with spaces chosen in the file dialog (or kept from older settings) works unquoted.
std::vector<std::string> ViewerWords(const char* viewer) {
    std::string disk;
    if (std::strchr(viewer, '/') != nullptr && platform::PathToDisk(viewer, disk) &&
        !platform::FindProgram(disk).empty()) {
        return {viewer};
    }
    return SplitCommandWords(viewer);
}

}  // namespace

const char* MimeTypeOfKind(std::uint8_t kind) {
    switch (kind) {
        case KIND_TXT: return "text/plain";
        case KIND_FB2: return "application/x-fictionbook+xml";
        default: return "application/rtf";
    }
}

std::string FindDesktopOpener(const char* mime_type) {
    std::string answer;
    if (!platform::RunAndRead({"xdg-mime", "query", "default", mime_type}, answer)) return {};
    const std::size_t end = answer.find_first_of("\r\n");
    std::string id = answer.substr(0, end);
    while (!id.empty() && (id.back() == ' ' || id.back() == '\t')) id.pop_back();
    if (id.size() <= 8 || !id.ends_with(".desktop") || id.find('/') != std::string::npos ||
        id.starts_with(".")) {
        return {};
    }
    if (!DesktopEntryExists(id)) return {};
    return platform::FindProgram("xdg-open");
}

DesktopViewers::DesktopViewers(const Settings& settings, TFILEDELLIST& temp_files)
    : settings_(settings), temp_files_(temp_files) {
    Reset();
}

WSTR& DesktopViewers::Slot(std::uint8_t kind) {
    switch (kind) {
        case KIND_TXT: return text_;
        case KIND_FB2: return fb2_;
        default: return rtf_;
    }
}

void DesktopViewers::Reset() {
    text_.assign(settings_.viewer_txt.c_str());
    fb2_.assign(settings_.viewer_fb2.c_str());
    rtf_.assign(settings_.viewer_rtf.c_str());
}

const char* DesktopViewers::Lookup(std::uint8_t kind) {
    WSTR& viewer = Slot(kind);
    if (!viewer.is_empty()) return viewer.c_str();
    viewer.assign(kNoViewer);
    const std::string opener = FindDesktopOpener(MimeTypeOfKind(kind));
    std::string cp1251;
    if (!opener.empty() && platform::PathFromDisk(opener, cp1251)) {
        viewer.assign(QuoteCommandWord(cp1251).c_str());
    }
    return viewer.c_str();
}

bool DesktopViewers::Known(std::uint8_t kind) {
    return std::strcmp(Lookup(kind), kNoViewer) != 0;
}

void DesktopViewers::Open(Pipeline& pipeline) {
    const CurrentFile& book = pipeline.current();
    const char* viewer = Lookup(book.kind);
    if (std::strcmp(viewer, kNoViewer) == 0) return;
    const std::vector<std::string> words = ViewerWords(viewer);
    if (words.empty()) return;  // a command of spaces only

    // Copies handed to earlier viewers that are done with them.
    temp_files_.DeleteTempFiles();
    WSTR target;
    if (book.container == CONTAINER_ZIP) {
        target = platform::PrivateTempDirectory();
        if (target.is_empty()) return;
        target.append(kCopyPrefix);
        // Only the member's last component: a stored folder must not lead the copy elsewhere.
        target.append(path_name(book.name.c_str()));
        // A copy left in our own folder by a run that was killed before its exit.
        if (platform::NameExists(target.c_str())) platform::RemoveFile(target.c_str());
        if (!pipeline.Extract(target.c_str())) return;
        temp_files_.AddTempFile(target.c_str());
    } else {
        target.assign(book.dir);
        target.append(book.name);
    }

    std::vector<std::string> arguments;
    for (const std::string& word : words) {
        std::string disk;
        if (!platform::PathToDisk(word.c_str(), disk)) return;
        arguments.push_back(std::move(disk));
    }
    std::string disk_target;
    if (!platform::PathToDisk(target.c_str(), disk_target)) return;
    arguments.push_back(std::move(disk_target));
    platform::StartDetached(arguments);  // the viewer's fate is not followed
}

}  // namespace tomeo
