#include "tests/support/run_tomeo.h"

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// The program's arguments and environment, as execve wants them (the pointers point
// into the strings, which must stay put).
struct Launch {
    std::vector<std::string> argv_strings, env_strings;
    std::vector<char*> argv, envp;

    Launch(const std::vector<std::string>& args, const std::string& config_home,
           const std::string& home, const std::string& program = TOMEO_EXE,
           const std::vector<std::string>& extra_env = {}) {
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.starts_with("XDG_CONFIG_HOME=") || entry.starts_with("HOME=")) continue;
            env_strings.push_back(entry);
        }
        env_strings.push_back("XDG_CONFIG_HOME=" + config_home);
        bool home_given = false;
        for (const std::string& entry : extra_env) {
            env_strings.push_back(entry);
            home_given = home_given || entry.starts_with("HOME=");
        }
        if (!home_given) env_strings.push_back("HOME=" + home);
        argv_strings.push_back(program);
        argv_strings.insert(argv_strings.end(), args.begin(), args.end());
        for (auto& s : argv_strings) argv.push_back(s.data());
        argv.push_back(nullptr);
        for (auto& s : env_strings) envp.push_back(s.data());
        envp.push_back(nullptr);
    }
};

int ExitCode(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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
    Launch launch(args, config_home.empty() ? working_dir : config_home, working_dir, program,
                  extra_env);
    std::vector<char*>& argv = launch.argv;
    std::vector<char*>& envp = launch.envp;

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
        run.exit_code = ExitCode(pid);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.err = slurp(err_path);
    run.out = slurp(out_path);
    unlink(err_path.c_str());
    unlink(out_path.c_str());
    return run;
}

TomeoRun RunTomeoOnTerminal(const std::vector<std::string>& args, const std::string& working_dir,
                            int columns) {
    Launch launch(args, working_dir, working_dir);
    winsize size{};
    size.ws_row = 24;
    size.ws_col = static_cast<unsigned short>(columns);
    int terminal = -1;
    TomeoRun run;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, &size);
    if (pid < 0) return run;
    if (pid == 0) {
        // Only calls that are safe between fork and exec.
        if (chdir(working_dir.c_str()) == 0)
            execve(TOMEO_EXE, launch.argv.data(), launch.envp.data());
        _exit(127);
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(terminal, buffer, sizeof buffer);
        if (n > 0) {
            run.out.append(buffer, static_cast<std::size_t>(n));
        } else if (!(n < 0 && errno == EINTR)) {
            break;  // EIO once the program has ended
        }
    }
    close(terminal);
    run.exit_code = ExitCode(pid);
    // The terminal sends every line feed as CR LF.
    std::string out;
    for (std::size_t i = 0; i < run.out.size(); ++i) {
        if (run.out[i] == '\r' && i + 1 < run.out.size() && run.out[i + 1] == '\n') continue;
        out += run.out[i];
    }
    run.out = out;
    return run;
}

}  // namespace tomeo::test
