// The program as a user starts it: exit codes and messages of the command line.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_tomeo.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

const char* const kInvalid = "Недопустимые параметры командной строки.\n";

TEST(CommandLineEndToEnd, InvalidLinesAreReportedBeforeAnythingIsTouched) {
    test::TempDir dir;
    test::WriteFile(dir / "a.fb2", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-"}, {"-rx", "a.fb2"}, {"-R", "a.fb2"}, {"-r"}, {"-r", "a.fb2", "-u", "b.fb2"}}) {
        const test::TomeoRun run = test::RunTomeo(args, dir.path());
        EXPECT_EQ(run.exit_code, 1) << args[0];
        EXPECT_EQ(run.err, kInvalid) << args[0];
    }
    // Nothing was read or written: no configuration folder, the book untouched.
    EXPECT_FALSE(std::filesystem::exists(dir / "tomeo"));
    EXPECT_EQ(std::filesystem::directory_iterator(dir.path())->path().filename(), "a.fb2");
}

TEST(CommandLineEndToEnd, ValidSwitchesAreAccepted) {
    test::TempDir dir;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"-rrr", "*.fb2"}, {"*.fb2", "-u"}}) {
        const test::TomeoRun run = test::RunTomeo(args, dir.path());
        EXPECT_EQ(run.exit_code, 0) << args[0];
        EXPECT_EQ(run.err.find(kInvalid), std::string::npos) << run.err;
    }
}

TEST(CommandLineEndToEnd, WindowIsNotInThisBuild) {
    test::TempDir dir;
    const test::TomeoRun run = test::RunTomeo({}, dir.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("Окно"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line";
}

}  // namespace
}  // namespace tomeo
