// Runs build/tomeo as a user would: in a working folder, with its own configuration
// folder (XDG_CONFIG_HOME), so that a test never touches a real home.
#pragma once

#include <string>
#include <vector>

namespace tomeo::test {

struct TomeoRun {
    int exit_code = -1;
    std::string err;  // standard error, UTF-8
    std::string out;  // standard output
};

// Runs tomeo with the arguments (UTF-8) in working_dir, with XDG_CONFIG_HOME set to
// config_home and HOME to home (both default to working_dir when empty).
TomeoRun RunTomeo(const std::vector<std::string>& args, const std::string& working_dir,
                  const std::string& config_home = "", const std::string& home = "");

// The same with another program built from the same library (a test variant of tomeo)
// and extra environment entries ("NAME=value").
TomeoRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::string& working_dir, const std::string& config_home,
                    const std::vector<std::string>& extra_env);

// The same with standard output and standard error on one pseudo-terminal of that many
// columns, as a person at a terminal sees them: everything lands in `out` (line feeds
// as the program wrote them), `err` stays empty.
TomeoRun RunTomeoOnTerminal(const std::vector<std::string>& args, const std::string& working_dir,
                            int columns = 80);

}  // namespace tomeo::test
