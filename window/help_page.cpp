#include "window/help_page.h"

#include <string>
#include <string_view>

#include "core/resources.h"
#include "core/wbuf.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/process.h"

namespace tomeo {

bool WriteHelpPage(WSTR& path) {
    WSTR dir = platform::CacheDirectory();
    if (dir.is_empty()) return false;
    dir.append("tomeo/");
    // A new cache folder is the user's alone.
    if (!platform::MakeDirectoryPath(dir.c_str(), 0700)) return false;
    WBUF page;
    if (!LoadResourceFile(page, "HELP_2")) return false;
    path.assign(dir);
    path.append("tomeo.html");
    const std::string_view bytes(reinterpret_cast<const char*>(page.data()),
                                 static_cast<std::size_t>(page.length()));
    return platform::WriteFileReplacing(path.c_str(), bytes);
}

bool ShowHelpPage() {
    WSTR path;
    std::string disk;
    if (!WriteHelpPage(path) || !platform::PathToDisk(path.c_str(), disk)) return false;
    return platform::StartDetached({"xdg-open", disk});
}

}  // namespace tomeo
