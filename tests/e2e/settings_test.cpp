// A batch run reads the settings but never writes them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/run_tomeo.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

TEST(SettingsEndToEnd, ABatchCreatesNoSettingsFile) {
    test::TempDir work, config;
    test::WriteFile(work / "a.txt", "text");
    const test::TomeoRun run = test::RunTomeo({"-r", "*.nothing"}, work.path(), config.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(config / "tomeo/settings.ini"));
}

TEST(SettingsEndToEnd, ABatchLeavesTheSettingsFileAsItWas) {
    test::TempDir work, config;
    std::filesystem::create_directory(config / "tomeo");
    for (const std::string text :
         {"; mine\n[Tomeo]\nparam_a=459043\nparam_d=/usr/bin/fbreader\n", "\x01\xFF damaged"}) {
        const std::string path = config / "tomeo/settings.ini";
        test::WriteFile(path, text);
        struct stat before {};
        ASSERT_EQ(stat(path.c_str(), &before), 0);
        const test::TomeoRun run = test::RunTomeo({"-z", "*.nothing"}, work.path(), config.path());
        EXPECT_EQ(run.exit_code, 0) << run.err;
        struct stat after {};
        ASSERT_EQ(stat(path.c_str(), &after), 0);
        EXPECT_EQ(test::ReadFile(path), text);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    }
}

}  // namespace
}  // namespace tomeo
