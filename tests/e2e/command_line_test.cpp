// The program as a user starts it: exit codes and messages of the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
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

// The number of characters of a UTF-8 text.
std::size_t Columns(const std::string& utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

TEST(CommandLineEndToEnd, HelpAndVersionGoToStandardOutputAndTouchNothing) {
    test::TempDir dir;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"-r", "a.fb2", "--help"}, {"-x", "-h"}}) {
        const test::TomeoRun run = test::RunTomeo(args, dir.path());
        EXPECT_EQ(run.exit_code, 0) << args[0];
        EXPECT_EQ(run.err, "") << args[0];
        EXPECT_TRUE(run.out.starts_with("Использование:\n")) << run.out;
        for (const char* part : {"rename.sc", "~/.config/tomeo/", "Код завершения", "--"}) {
            EXPECT_NE(run.out.find(part), std::string::npos) << part;
        }
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(Columns(line), 79u) << line;
        }
    }
    const test::TomeoRun version = test::RunTomeo({"--version"}, dir.path());
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.err, "");
    EXPECT_TRUE(std::regex_match(version.out, std::regex("Tomeo [0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << version.out;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no configuration folder";
}

TEST(CommandLineEndToEnd, DoubleDashLetsABookNameBeginWithADash) {
    test::TempDir dir;
    const std::string book = test::MakeFb2({});
    test::WriteFile(dir / "-книга.fb2", book);
    test::TomeoRun run = test::RunTomeo({"-r", "-книга.fb2"}, dir.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, kInvalid) << "without \"--\" it is a second switch argument";

    run = test::RunTomeo({"-r", "--", "-книга.fb2"}, dir.path());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(test::ReadFile(dir / "Петров Иван - Книга.fb2"), book);
    EXPECT_FALSE(test::FileExists(dir / "-книга.fb2"));
}

}  // namespace
}  // namespace tomeo
