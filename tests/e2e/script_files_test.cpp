// The script files as a user keeps them: linked from elsewhere, large, or unusable. A
// script that is there but cannot be read fails every operation that needs it and is
// never replaced by the default.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class ScriptFilesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(config / "tomeo");
        fs::create_directories(config / "dotfiles");
        WriteFile(work / "a.fb2", MakeFb2({}));
    }
    std::string Script(const std::string& name) const { return config / ("tomeo/" + name); }

    TempDir work, config, home;
};

TEST_F(ScriptFilesEndToEnd, AScriptThatCannotBeReadFailsItsOperationsAndStays) {
    struct Case {
        const char* what;
        std::string switches;
        std::string script;
        std::string report;  // after the file's message, before the script's path
    };
    const Case cases[] = {
        {"dangling link", "-m", "move.sc", "a.fb2 не перемещен."},
        {"link loop", "-r", "rename.sc", "a.fb2 не переименован."},
        {"directory", "-t", "txthdr.sc", "a.fb2 не переконвертирован."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Script(c.script);
        fs::remove(path);  // the default written at the end of the last case
        if (c.switches == "-m") fs::create_symlink("../dotfiles/missing.sc", path);
        if (c.switches == "-r") fs::create_symlink(c.script, path);
        if (c.switches == "-t") fs::create_directory(path);
        const TomeoRun run =
            RunTomeo({c.switches, "a.fb2"}, work.path(), config.path(), home.path());
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err, c.report + " Файл скрипта " + path + " не удалось прочитать.\n");
        EXPECT_EQ(FilesBelow(work.path()), Names{"a.fb2"});
        EXPECT_EQ(FilesBelow(home.path()), Names{});
        EXPECT_TRUE(fs::is_symlink(path) || fs::is_directory(path));
        EXPECT_FALSE(fs::exists(config / "dotfiles/missing.sc"));
        fs::remove(path);
    }
}

TEST_F(ScriptFilesEndToEnd, OnlyTheOperationsNeedingAnUnreadableScriptFail) {
    WriteFile(Script("move.sc"), std::string((16 << 20) + 1, '/'));
    TomeoRun run = RunTomeo({"-r", "a.fb2"}, work.path(), config.path(), home.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FilesBelow(work.path()), Names{"Петров Иван - Книга.fb2"});
    run = RunTomeo({"-m", "*.fb2"}, work.path(), config.path(), home.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "\"Петров Иван - Книга.fb2\" не перемещен. Файл скрипта " +
                           Script("move.sc") + " больше 16 МБ.\n");
    EXPECT_EQ(FilesBelow(work.path()), Names{"Петров Иван - Книга.fb2"});
    EXPECT_EQ(FilesBelow(home.path()), Names{});
    EXPECT_EQ(fs::file_size(Script("move.sc")), (16u << 20) + 1);

    if (geteuid() != 0) {  // root reads every file
        WriteFile(Script("rename.sc"), "$filename = \"x\"\n");
        chmod(Script("rename.sc").c_str(), 0);
        run = RunTomeo({"-r", "*.fb2"}, work.path(), config.path(), home.path());
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err, "\"Петров Иван - Книга.fb2\" не переименован. Файл скрипта " +
                               Script("rename.sc") + " не удалось прочитать.\n");
    }
}

// A long script (here 2 MiB of comment) and scripts linked from the user's dotfiles are
// used as they are; a batch leaves the links as they were.
TEST_F(ScriptFilesEndToEnd, LargeAndLinkedScriptsWork) {
    WriteFile(Script("move.sc"), "// " + std::string(2 << 20, 'c') + "\n$dir = \"~/big/\"\n");
    WriteFile(config / "dotfiles/rename.sc", "$filename = \"linked\"\n");
    fs::create_symlink("../dotfiles/rename.sc", Script("rename.sc"));
    const TomeoRun run = RunTomeo({"-rm", "a.fb2"}, work.path(), config.path(), home.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FilesBelow(home.path()), Names{"big/linked.fb2"});
    EXPECT_TRUE(fs::is_symlink(Script("rename.sc")));
    EXPECT_EQ(ReadFile(config / "dotfiles/rename.sc"), "$filename = \"linked\"\n");
    EXPECT_TRUE(fs::is_regular_file(Script("txthdr.sc")));  // missing: written at exit
}

}  // namespace
}  // namespace tomeo::test
