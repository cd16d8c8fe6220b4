// Environment variables set for one test and restored after it.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tomeo::test {

class ScopedEnv {
public:
    ScopedEnv() = default;
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    // Sets (or, with nullopt, unsets) the variable until the end of the scope.
    void Set(const std::string& name, const std::optional<std::string>& value);

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Writes an executable shell script (the body after "#!/bin/sh").
void WriteScript(const std::string& path, const std::string& body);

// The lines a detached program (such as a fake written by WriteScript) has written into
// its log, once there are `count` of them or after about five seconds.
std::string WaitForLines(const std::string& path, int count);

}  // namespace tomeo::test
