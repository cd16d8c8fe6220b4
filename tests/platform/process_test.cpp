#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/env.h"
#include "platform/process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/sys_hook.h"
#include "tests/support/temp_dir.h"

namespace tomeo::platform {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteScript;

// Waits until the file exists and is not empty (a detached program writes it).
std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        if (test::FileExists(path) && !ReadFile(path).empty()) return ReadFile(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(tmp / "bin");
        env.Set("PATH", "relative:" + tmp / "bin" + ":/usr/bin:/bin");
    }
    TempDir tmp;
    test::ScopedEnv env;
};

TEST_F(ProcessTest, FindProgramSearchesThePathForExecutableFilesOnly) {
    WriteScript(tmp / "bin/tool", "exit 0");
    test::WriteFile(tmp / "bin/plain", "not a program");
    std::filesystem::create_directories(tmp / "bin/folder");
    EXPECT_EQ(FindProgram("tool"), tmp / "bin/tool");
    EXPECT_EQ(FindProgram(tmp / "bin/tool"), tmp / "bin/tool");
    EXPECT_EQ(FindProgram("plain"), "");
    EXPECT_EQ(FindProgram("folder"), "");
    EXPECT_EQ(FindProgram("missing"), "");
    EXPECT_EQ(FindProgram(""), "");
    // "relative" on the PATH is never searched (nor the working directory).
    std::filesystem::create_directories(tmp / "relative");
    WriteScript(tmp / "relative/other", "exit 0");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(tmp.path());
    EXPECT_EQ(FindProgram("other"), "");
    std::filesystem::current_path(cwd);
}

TEST_F(ProcessTest, StartDetachedPassesArgumentsAsTheyAreAndLeavesNoChild) {
    const std::string log = tmp / "log";
    WriteScript(tmp / "bin/record", "printf '%s\\n' \"$@\" > \"" + log + ".part\"; mv \"" + log +
                                        ".part\" \"" + log + "\"");
    ASSERT_TRUE(StartDetached({"record", "a b", "$HOME", "'q'", "*", ""}));
    EXPECT_EQ(WaitForFile(log), "a b\n$HOME\n'q'\n*\n\n");
    // The program was started by a child that has ended and was reaped: nothing of ours
    // is left to wait for.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(ProcessTest, StartDetachedFailsWhenTheProgramCannotRun) {
    EXPECT_FALSE(StartDetached({"missing"}));
    EXPECT_FALSE(StartDetached({}));
    test::WriteFile(tmp / "bin/broken", "#!/no/such/interpreter\n");
    chmod((tmp / "bin/broken").c_str(), 0755);
    EXPECT_FALSE(StartDetached({"broken"}));
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

// Counts the open descriptors of this process.
int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

TEST_F(ProcessTest, FailedForkOrPipeStartsNothingAndLeaksNothing) {
    const std::string log = tmp / "log";
    WriteScript(tmp / "bin/record", "echo run >> '" + log + "'");
    const int before = OpenDescriptors();
    for (const SysOp op : {SysOp::Spawn, SysOp::Open}) {
        test::ScopedSysCallHook hook([op](SysOp seen, int& error) {
            error = EAGAIN;
            return seen == op;
        });
        std::string out = "old";
        EXPECT_FALSE(StartDetached({"record"}));
        EXPECT_FALSE(RunAndRead({"record"}, out));
        EXPECT_EQ(out, "");
    }
    EXPECT_EQ(OpenDescriptors(), before);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(test::FileExists(log));
}

TEST_F(ProcessTest, RunAndReadGivesTheOutputOfASuccessfulRun) {
    WriteScript(tmp / "bin/answer", "echo \"$1\"; echo noise >&2; exit ${2:-0}");
    std::string out;
    EXPECT_TRUE(RunAndRead({"answer", "one two"}, out));
    EXPECT_EQ(out, "one two\n");
    EXPECT_FALSE(RunAndRead({"answer", "x", "3"}, out)) << "a failed run";
    EXPECT_FALSE(RunAndRead({"missing"}, out));
    EXPECT_EQ(out, "");

    WriteScript(tmp / "bin/long", "head -c 100000 /dev/zero");
    EXPECT_TRUE(RunAndRead({tmp / "bin/long"}, out, 10000, 1000));
    EXPECT_EQ(out.size(), 1000u) << "kept up to the limit, the rest read and dropped";

    WriteScript(tmp / "bin/hang", "exec sleep 30");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunAndRead({"hang"}, out, 200));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(ProcessTest, ExecutablePathIsThisProgram) {
    const std::string self = ExecutablePath();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(self[0], '/');
    EXPECT_TRUE(std::filesystem::equivalent(self, "/proc/self/exe"));
}

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST_F(ProcessTest, PrivateTemporaryFolderIsTheUsersAlone) {
    const std::string uid = std::to_string(getuid());
    std::filesystem::create_directories(tmp / "runtime");
    env.Set("XDG_RUNTIME_DIR", tmp / "runtime");
    env.Set("TMPDIR", tmp.path());
    EXPECT_STREQ(PrivateTempDirectory().c_str(), (tmp / "runtime/tomeo/").c_str());
    EXPECT_EQ(ModeOf(tmp / "runtime/tomeo"), 0700u);

    // No runtime folder: the temporary folder; a folder there others may enter is
    // tightened, one that is a link is refused.
    env.Set("XDG_RUNTIME_DIR", std::nullopt);
    std::filesystem::create_directories(tmp / ("tomeo-" + uid));
    chmod((tmp / ("tomeo-" + uid)).c_str(), 0755);
    EXPECT_STREQ(PrivateTempDirectory().c_str(), (tmp / ("tomeo-" + uid + "/")).c_str());
    EXPECT_EQ(ModeOf(tmp / ("tomeo-" + uid)), 0700u);
    std::filesystem::remove(tmp / ("tomeo-" + uid));
    std::filesystem::create_directory_symlink(tmp / "runtime", tmp / ("tomeo-" + uid));
    EXPECT_STREQ(PrivateTempDirectory().c_str(), "");

    // A runtime folder that is gone: the temporary folder.
    env.Set("XDG_RUNTIME_DIR", tmp / "gone");
    env.Set("TMPDIR", tmp / "runtime");
    EXPECT_STREQ(PrivateTempDirectory().c_str(), (tmp / ("runtime/tomeo-" + uid + "/")).c_str());
}

TEST_F(ProcessTest, UserFoldersFollowTheXdgVariablesElseTheHome) {
    env.Set("HOME", tmp / "home");
    env.Set("XDG_CACHE_HOME", tmp / "cache");
    env.Set("XDG_DATA_HOME", "relative/data");
    EXPECT_STREQ(CacheDirectory().c_str(), (tmp / "cache/").c_str());
    EXPECT_STREQ(DataDirectory().c_str(), (tmp / "home/.local/share/").c_str());
    env.Set("XDG_CACHE_HOME", std::nullopt);
    EXPECT_STREQ(CacheDirectory().c_str(), (tmp / "home/.cache/").c_str());

    env.Set("XDG_DATA_DIRS", "/a:relative::/b/");
    EXPECT_EQ(SystemDataDirectories(), (std::vector<std::string>{"/a/", "/b/"}));
    env.Set("XDG_DATA_DIRS", std::nullopt);
    EXPECT_EQ(SystemDataDirectories(),
              (std::vector<std::string>{"/usr/local/share/", "/usr/share/"}));

    EXPECT_TRUE(MakeDirectoryPath((tmp / "x/y/z/").c_str(), 0700));
    EXPECT_EQ(ModeOf(tmp / "x/y"), 0700u);
    EXPECT_TRUE(MakeDirectoryPath((tmp / "x/y/z").c_str(), 0700)) << "already there";
    test::WriteFile(tmp / "file", "");
    EXPECT_FALSE(MakeDirectoryPath((tmp / "file/sub").c_str(), 0700));
}

}  // namespace
}  // namespace tomeo::platform
