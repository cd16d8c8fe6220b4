// kill -9 at every point: the program is stopped before each of its system calls that
// change the disk, in turn. After every kill each file under a name a user or a later
// run would take for a book is complete (the source as it was, or the finished result),
// and the same command run again finishes the work with no failure and nothing left
// over: no hidden temporary file, no "new_" file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <functional>
#include <map>

#include "platform/files.h"
#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;

// What each file holds, by its path below the folder: plain bytes, or an archive's
// member name and inflated content (times differ between runs that recode).
using State = std::map<std::string, std::string>;

State StateOf(const std::string& root) {
    State state;
    if (!fs::is_directory(root)) return state;
    for (const std::string& file : FilesBelow(root)) {
        const std::string bytes = ReadFile(root + file);
        if (file.ends_with(".zip")) {
            const ZipContents zip = ReadZip(bytes);
            state[file] = zip.ok ? "zip " + zip.name + "\n" + zip.content : "broken zip";
        } else {
            state[file] = bytes;
        }
    }
    return state;
}

bool IsTemporary(const std::string& file) {
    const std::string name = fs::path(file).filename().string();
    return name.starts_with("new_") || platform::IsHiddenTemporaryName(name.c_str());
}

struct Scenario {
    const char* label;
    std::vector<std::string> args;
    std::function<void(const std::string& work)> prepare;
    bool other_file_system = false;  // move.sc leads to /dev/shm
};

TEST(KillNine, EveryKillLeavesCompleteFilesAndTheNextRunFinishes) {
    struct stat shm {
    }, tmp{};
    TempDir probe;
    const bool have_shm = stat("/dev/shm", &shm) == 0 && stat(probe.path().c_str(), &tmp) == 0 &&
                          shm.st_dev != tmp.st_dev;
    const std::string book = MakeFb2({});
    const std::string zipped = MakeZip({"x.fb2", book});
    const std::vector<Scenario> scenarios = {
        {"pack",
         {"-z", "book.fb2"},
         [&](const std::string& w) { WriteFile(w + "book.fb2", book); }},
        {"recode",
         {"-u", "book.fb2"},
         [&](const std::string& w) { WriteFile(w + "book.fb2", book); }},
        {"recode zipped",
         {"-u", "x.zip"},
         [&](const std::string& w) { WriteFile(w + "x.zip", zipped); }},
        {"rename zipped",
         {"-r", "x.zip"},
         [&](const std::string& w) { WriteFile(w + "x.zip", zipped); }},
        {"convert",
         {"-t", "book.fb2"},
         [&](const std::string& w) { WriteFile(w + "book.fb2", book); }},
        {"move across file systems",
         {"-m", "book.fb2"},
         [&](const std::string& w) { WriteFile(w + "book.fb2", book); },
         true},
        {"pack and move across file systems",
         {"-zm", "book.fb2"},
         [&](const std::string& w) { WriteFile(w + "book.fb2", book); },
         true},
    };
    const std::string target = "/dev/shm/tomeo-kill-" + std::to_string(getpid()) + "/";
    int kills = 0;
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.label);
        if (s.other_file_system && !have_shm) continue;
        TempDir config;
        fs::create_directories(config / "tomeo");
        if (s.other_file_system) {
            WriteFile(config / "tomeo/move.sc", "$dir = \"" + target + "sub\"\n");
        }
        auto run = [&](const std::string& work, long kill_at) {
            return RunProgram(TOMEO_KILL_RUNNER, s.args, work, config.path(),
                              {"TOMEO_KILL_AT=" + std::to_string(kill_at)});
        };
        // What a run that is not stopped leaves (it also writes the default scripts).
        State source, result, target_result;
        {
            TempDir work;
            fs::remove_all(target);
            s.prepare(work.path());
            source = StateOf(work.path());
            const TomeoRun done = run(work.path(), 0);
            ASSERT_EQ(done.exit_code, 0) << done.err;
            result = StateOf(work.path());
            target_result = StateOf(target);
        }
        for (long n = 1;; ++n) {
            SCOPED_TRACE("killed at call " + std::to_string(n));
            TempDir work;
            fs::remove_all(target);
            s.prepare(work.path());
            const TomeoRun killed = run(work.path(), n);
            if (killed.exit_code != 128 + SIGKILL) {
                EXPECT_EQ(killed.exit_code, 0) << killed.err;
                EXPECT_EQ(StateOf(work.path()), result);
                break;
            }
            ++kills;
            // Every file under a real name is the source as it was or the result.
            for (const auto& [root, expected] :
                 {std::pair{work.path(), &result}, std::pair{target, &target_result}}) {
                for (const auto& [file, content] : StateOf(root)) {
                    if (IsTemporary(file)) continue;
                    const bool as_source = source.contains(file) && source.at(file) == content;
                    const bool as_result =
                        expected->contains(file) && expected->at(file) == content;
                    EXPECT_TRUE(as_source || as_result) << root << file << " is incomplete";
                }
            }
            const TomeoRun again = run(work.path(), 0);
            EXPECT_EQ(again.exit_code, 0) << again.err;
            EXPECT_EQ(again.err, "");
            EXPECT_EQ(StateOf(work.path()), result);
            EXPECT_EQ(StateOf(target), target_result);
            if (HasFailure()) break;  // one report per scenario is enough
        }
    }
    fs::remove_all(target);
    RecordProperty("kills", kills);
    std::printf("kill points tested: %d\n", kills);
}

}  // namespace
}  // namespace tomeo::test
