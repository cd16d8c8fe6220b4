#include "tests/support/run_tomeo.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

extern char** environ;

namespace tomeo::test {
namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string temp_file_path() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tomeo-run-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) close(fd);
    return pattern;
}

}  // namespace

TomeoRun RunTomeo(const std::vector<std::string>& args, const std::string& working_dir,
                  const std::string& config_home, const std::string& home) {
    return RunProgram(TOMEO_EXE, args, working_dir, config_home,
                      {"HOME=" + (home.empty() ? working_dir : home)});
}

TomeoRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::string& working_dir, const std::string& config_home,
                    const std::vector<std::string>& extra_env) {
    // Captured output goes outside the working folder, which the program lists.
    const std::string err_path = temp_file_path();
    const std::string out_path = temp_file_path();

    std::vector<std::string> env_strings;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.starts_with("XDG_CONFIG_HOME=") || entry.starts_with("HOME=")) continue;
        env_strings.push_back(entry);
    }
    env_strings.push_back("XDG_CONFIG_HOME=" + (config_home.empty() ? working_dir : config_home));
    bool home_given = false;
    for (const std::string& entry : extra_env) {
        env_strings.push_back(entry);
        home_given = home_given || entry.starts_with("HOME=");
    }
    if (!home_given) env_strings.push_back("HOME=" + working_dir);

    std::vector<std::string> argv_strings{program};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (auto& s : argv_strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    for (auto& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, working_dir.c_str());
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);

    TomeoRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.err = slurp(err_path);
    run.out = slurp(out_path);
    unlink(err_path.c_str());
    unlink(out_path.c_str());
    return run;
}

}  // namespace tomeo::test
