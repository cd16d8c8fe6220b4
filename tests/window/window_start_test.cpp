// Window-mode start-up through the program's entry, with a window that only remembers
// where it was started; the settings are saved once after a window run, never by a batch.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/app.h"
#include "core/charset.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

class FakeWindow : public WindowMode {
public:
    explicit FakeWindow(std::string settings_file) : settings_file_(std::move(settings_file)) {}
    int Run(Globals&, RunBuffers& run, const char* start_dir, const char* start_name) override {
        ++runs;
        dir = cp1251_to_utf8(start_dir);
        name = cp1251_to_utf8(start_name);
        saved_before_close = std::filesystem::exists(settings_file_);
        run.settings.text_next = NEXT_AFTER_RECODE;  // the user changed a setting
        return 0;
    }
    int runs = 0;
    std::string dir, name;
    bool saved_before_close = false;

private:
    std::string settings_file_;
};

class WindowStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        setenv("HOME", config.path().c_str(), 1);
        ASSERT_EQ(chdir(work.path().c_str()), 0);
    }
    void TearDown() override { EXPECT_EQ(chdir("/"), 0); }

    // Runs tomeo with the arguments (UTF-8) on a fresh fake window.
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), "tomeo");
        std::vector<const char*> argv;
        for (const std::string& a : args) argv.push_back(a.c_str());
        Globals globals;
        window = std::make_unique<FakeWindow>(settings_file);
        return RunTomeo(static_cast<int>(argv.size()), argv.data(), globals, window.get());
    }

    test::TempDir work, config;
    std::string settings_file = config / "tomeo/settings.ini";
    std::unique_ptr<FakeWindow> window;
};

TEST_F(WindowStartTest, StartDirectoryAndName) {
    struct Case {
        std::vector<std::string> args;
        std::string dir;  // relative to the working directory unless absolute
        std::string name;
    };
    const Case cases[] = {
        {{}, "", ""},
        {{"a.fb2"}, "", "a.fb2"},
        {{"a.fb2", "b.fb2"}, "", "a.fb2"},  // further files are ignored
        {{"книги/Повесть.fb2"}, "книги/", "Повесть.fb2"},
        {{"книги/../книги/./x.txt"}, "книги/", "x.txt"},
        {{"книги/"}, "книги/", ""},
        {{"/usr/share/doc/x.fb2"}, "/usr/share/doc/", "x.fb2"},
        {{"--", "-a.fb2"}, "", "-a.fb2"},
    };
    std::filesystem::create_directory(work / "книги");
    for (const Case& c : cases) {
        std::filesystem::remove(settings_file);
        EXPECT_EQ(Run(c.args), 0);
        ASSERT_EQ(window->runs, 1);
        const std::string expected_dir = c.dir.starts_with('/') ? c.dir : work / c.dir;
        EXPECT_EQ(window->dir, expected_dir) << c.args.size();
        EXPECT_EQ(window->name, c.name);
        EXPECT_FALSE(window->saved_before_close);
        EXPECT_TRUE(std::filesystem::exists(settings_file));
    }
}

TEST_F(WindowStartTest, OnlyAWindowRunSavesTheSettings) {
    EXPECT_EQ(Run({"-r", "*.nothing"}), 0);
    EXPECT_EQ(window->runs, 0);
    EXPECT_FALSE(std::filesystem::exists(settings_file));

    EXPECT_EQ(Run({}), 0);
    Settings saved;
    LoadSettings(saved, settings_file.c_str());
    EXPECT_EQ(saved.text_next, NEXT_AFTER_RECODE);

    EXPECT_EQ(Run({"-"}), 1);  // invalid: no window
    EXPECT_EQ(window->runs, 0);
}

}  // namespace
}  // namespace tomeo
