#include "tests/support/scoped_env.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/support/temp_dir.h"

namespace tomeo::test {

ScopedEnv::~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) {
            setenv(it->first.c_str(), it->second->c_str(), 1);
        } else {
            unsetenv(it->first.c_str());
        }
    }
}

void ScopedEnv::Set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

void WriteScript(const std::string& path, const std::string& body) {
    WriteFile(path, "#!/bin/sh\n" + body + "\n");
    chmod(path.c_str(), 0755);
}

std::string WaitForLines(const std::string& path, int count) {
    std::string text;
    for (int i = 0; i < 500; ++i) {
        text = FileExists(path) ? ReadFile(path) : "";
        if (std::count(text.begin(), text.end(), '\n') >= count) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return text;
}

}  // namespace tomeo::test
