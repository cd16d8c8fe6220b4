#include "batch/navigation.h"

#include <cstring>

#include "batch/directory_scan.h"
#include "core/path_separator.h"

namespace tomeo {
namespace {

void ShowSortedList(Navigation& nav, std::int32_t selected) {
    nav.view.Redraw(nav.list);
    if (nav.list.count() > 0) nav.view.Select(selected);
}

}  // namespace

void OpenDirectory(Navigation& nav, const char* select_name, EntryKind select_kind,
                   const char* select_zipname) {
    nav.list.ClearFileList();
    ScanDirectory(nav.list, nav.current_dir.c_str(), SCAN_DIRECTORY, true, nullptr);
    nav.list.mode = LIST_MODE_DIRECTORY;
    nav.list.SortFileList();
    std::int32_t selected = 0;
    if (select_name != nullptr || select_kind != KIND_NONE || select_zipname != nullptr) {
        const std::int32_t found = nav.list.FindFileEntry(select_name, select_kind, select_zipname);
        if (found >= 0) selected = found;
    }
    ShowSortedList(nav, selected);
}

void EnterEntry(Navigation& nav, std::int32_t index) {
    const TFILEINF& entry = nav.list.at(index);
    if (entry.kind == KIND_DRIVE) {
        WSTR dir;
        dir.assign(entry.name.c_str());
        dir.ensure_trailing_backslash();
        nav.current_dir.assign(dir.c_str());
        OpenDirectory(nav);
        return;
    }
    if (entry.kind != KIND_DIRECTORY) {
        nav.view.OpenBook(index);
        return;
    }
    if (!IsParentEntry(entry)) {
        nav.current_dir.append(entry.name.c_str());
        nav.current_dir.append(kPathSeparator);
        OpenDirectory(nav);
        return;
    }

    // Up: the directory just left is named between the last two separators.
    WSTR dir;
    dir.assign(nav.current_dir.c_str());
    dir.drop_trailing_backslash();
    const char* last = std::strrchr(dir.c_str(), kPathSeparator);
    if (last == nullptr) {
        // Above the root: the drive list, with the drive just left selected.
        if (dir.is_empty()) dir.assign(kPathSeparator);
        nav.current_dir.clear();
        OpenDirectory(nav, nullptr, KIND_DRIVE, dir.c_str());
        return;
    }
    WSTR left;
    left.assign(last + 1);
    nav.current_dir.assign(dir.c_str(), static_cast<std::int32_t>(last - dir.c_str() + 1));
    OpenDirectory(nav, left.c_str(), KIND_DIRECTORY, nullptr);
}

void ShowSubdirectoryFiles(Navigation& nav) {
    DirectoryScanner scanner;
    scanner.MarkEntered(nav.current_dir.c_str());
    WSTR subdirectory;
    // Entries appended by the scans are books, visited by the walk but never removed.
    for (std::int32_t i = 0; i < nav.list.count(); ++i) {
        const TFILEINF& entry = nav.list.at(i);
        if (entry.kind != KIND_DIRECTORY || IsParentEntry(entry)) continue;
        subdirectory.assign(nav.current_dir.c_str());
        subdirectory.append(entry.name.c_str());
        subdirectory.append(kPathSeparator);
        scanner.Scan(nav.list, subdirectory.c_str(), SCAN_TREE, false, nullptr);
        nav.list.RemoveFileEntry(i);
        --i;
    }
    nav.list.mode = LIST_MODE_TREE;
    nav.list.SortFileList();
    ShowSortedList(nav, 0);
}

void HideSubdirectoryFiles(Navigation& nav) {
    for (std::int32_t i = 0; i < nav.list.count(); ++i) {
        const TFILEINF& entry = nav.list.at(i);
        const bool is_book =
            entry.kind == KIND_TXT || entry.kind == KIND_FB2 || entry.kind == KIND_RTF;
        if (is_book && std::strcmp(entry.dir.c_str(), nav.current_dir.c_str()) != 0) {
            nav.list.RemoveFileEntry(i);
            --i;
        }
    }
    ScanDirectory(nav.list, nav.current_dir.c_str(), SCAN_DIRECTORIES, false, nullptr);
    nav.list.mode = LIST_MODE_DIRECTORY;
    nav.list.SortFileList();
    ShowSortedList(nav, 0);
}

}  // namespace tomeo
