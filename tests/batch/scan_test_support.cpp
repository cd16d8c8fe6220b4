#include "tests/batch/scan_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/charset.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {

void MakeTree(const std::string& root, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const std::filesystem::path full = root + path;
        if (path.ends_with('/')) {
            std::filesystem::create_directories(full);
        } else {
            std::filesystem::create_directories(full.parent_path());
            WriteFile(full.string(), path);
        }
    }
}

std::vector<std::string> Describe(const TFILELIST& list, const std::string& root) {
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < list.count(); ++i) {
        const TFILEINF& e = list.at(i);
        const std::string name = cp1251_to_utf8(e.name.c_str());
        if (e.kind == KIND_DIRECTORY) {
            lines.push_back("[" + name + "]");
        } else if (e.kind == KIND_DRIVE) {
            lines.push_back("<" + name + ">");
        } else {
            std::string dir = cp1251_to_utf8(e.dir.c_str());
            if (dir.starts_with(root)) dir = dir.substr(root.size());
            std::string line = (dir.empty() ? "." : dir) + " " + name;
            if (e.container == CONTAINER_ZIP) line += " in " + cp1251_to_utf8(e.zipname.c_str());
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace tomeo::test
