#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "batch/cmdline.h"
#include "core/operations.h"

namespace tomeo {
namespace {

CommandLine Parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv{"tomeo"};
    argv.insert(argv.end(), args);
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(ParseCommandLine, InvalidLines) {
    for (auto args : {std::initializer_list<const char*>{"-"},
                      {"-rx", "a.fb2"},
                      {"-R", "a.fb2"},
                      {"-r"},
                      {"-r", "a.fb2", "-u", "b.fb2"},
                      {"a.fb2", "-", "b.fb2"},
                      {"-r", "-"},
                      {"--x"},
                      {"---", "a.fb2"},
                      {"--helpx"},
                      {"-hr", "a.fb2"},
                      {"-r", "--"},
                      {"-r", "a.fb2", "-u", "--", "b.fb2"}}) {
        EXPECT_FALSE(Parse(args).valid) << *args.begin();
    }
}

TEST(ParseCommandLine, HelpAndVersionBeforeTheEndOfTheSwitches) {
    const struct {
        std::initializer_list<const char*> args;
        bool help, version;
    } cases[] = {
        {{"--help"}, true, false},
        {{"-h"}, true, false},
        {{"--version"}, false, true},
        {{"-r", "a.fb2", "-h"}, true, false},
        {{"-x", "--version"}, false, true},      // wherever they stand, before anything invalid
        {{"--version", "--help"}, false, true},  // the first of them counts
        {{"--", "--help"}, false, false},        // a file named "--help"
        {{"-H"}, false, false},
    };
    for (const auto& c : cases) {
        const CommandLine cl = Parse(c.args);
        EXPECT_EQ(cl.help, c.help) << *c.args.begin();
        EXPECT_EQ(cl.version, c.version) << *c.args.begin();
    }
    EXPECT_TRUE(Parse({"--", "--help"}).valid);
    EXPECT_FALSE(Parse({"-H"}).valid);
}

TEST(ParseCommandLine, DoubleDashEndsTheSwitches) {
    const CommandLine cl = Parse({"-r", "--", "-a.fb2", "--", "-u"});
    ASSERT_TRUE(cl.valid);
    EXPECT_EQ(cl.operations, OP_RENAME);
    EXPECT_EQ(cl.first_file, 3);
    EXPECT_EQ(cl.end_of_switches, 2);
    const bool files[] = {false, false, false, true, true, true};
    for (int i = 1; i < 6; ++i) EXPECT_EQ(cl.is_file(i), files[i]) << i;

    const CommandLine window = Parse({"--", "-r"});
    ASSERT_TRUE(window.valid);
    EXPECT_FALSE(window.batch_mode());
    EXPECT_EQ(window.first_file, 2);

    const CommandLine after = Parse({"a.fb2", "-z", "--"});
    ASSERT_TRUE(after.valid);
    EXPECT_EQ(after.operations, OP_ZIP);
    EXPECT_FALSE(after.is_file(3));
}

TEST(ParseCommandLine, LettersAddTheirFlags) {
    const CommandLine all = Parse({"-rmzutd", "x"});
    ASSERT_TRUE(all.valid);
    EXPECT_EQ(all.operations, OP_RENAME | OP_MOVE | OP_ZIP | OP_UTF8 | OP_TOTEXT | OP_DOS);
    const CommandLine repeated = Parse({"-rrr", "a.fb2"});
    ASSERT_TRUE(repeated.valid);
    EXPECT_EQ(repeated.operations, OP_RENAME);
    EXPECT_EQ(repeated.first_file, 2);
}

TEST(ParseCommandLine, SwitchMayFollowTheFiles) {
    const CommandLine cl = Parse({"a.fb2", "-u"});
    ASSERT_TRUE(cl.valid);
    EXPECT_EQ(cl.operations, OP_UTF8);
    EXPECT_EQ(cl.first_file, 1);
    EXPECT_TRUE(cl.batch_mode());
}

TEST(ParseCommandLine, WindowModeWithAndWithoutFile) {
    const CommandLine none = Parse({});
    EXPECT_TRUE(none.valid);
    EXPECT_FALSE(none.batch_mode());
    EXPECT_EQ(none.first_file, -1);
    const CommandLine file = Parse({"a.fb2", "b.fb2"});
    EXPECT_TRUE(file.valid);
    EXPECT_FALSE(file.batch_mode());
    EXPECT_EQ(file.first_file, 1);
}

TEST(ParseCommandLine, ArgumentsArriveInWindows1251) {
    const CommandLine cl =
        Parse({"-r", "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0.fb2", "\xE4\xB8\x80.fb2"});
    ASSERT_TRUE(cl.valid);
    EXPECT_EQ(cl.arguments[2], "\xCA\xED\xE8\xE3\xE0.fb2");  // Книга.fb2
    EXPECT_EQ(cl.arguments[3], "\x98.fb2") << "no Windows-1251 form: names no file";
}

TEST(SplitBatchArgument, DirectoryAndPattern) {
    WSTR dir, pattern;
    SplitBatchArgument("*.zip", "/home/u", dir, pattern);
    EXPECT_STREQ(dir.c_str(), "/home/u/");
    EXPECT_STREQ(pattern.c_str(), "*.zip");

    SplitBatchArgument("/books/new/*.fb2", "/home/u/", dir, pattern);
    EXPECT_STREQ(dir.c_str(), "/books/new/");
    EXPECT_STREQ(pattern.c_str(), "*.fb2");

    SplitBatchArgument("sub/dir/book.txt", "/home/u/", dir, pattern);
    EXPECT_STREQ(dir.c_str(), "/home/u/sub/dir/") << "a relative directory is made absolute";
    EXPECT_STREQ(pattern.c_str(), "book.txt");

    SplitBatchArgument("/books/", "/x/", dir, pattern);
    EXPECT_STREQ(dir.c_str(), "/books/");
    EXPECT_STREQ(pattern.c_str(), "");
}

}  // namespace
}  // namespace tomeo
