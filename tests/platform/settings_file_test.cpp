#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "core/charset.h"
#include "platform/settings_file.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/sys_hook.h"
#include "tests/support/temp_dir.h"

namespace tomeo::platform {
namespace {

using test::W;

std::string Value(const IniSection& values, const char* key) {
    const std::string* v = FindIniValue(values, key);
    return v == nullptr ? "<absent>" : *v;
}

TEST(ParseIniSection, ReadsOnlyItsSection) {
    const std::string text =
        "\xEF\xBB\xBF; comment\r\n"
        "top=outside\n"
        "[Other]\n"
        "param_a=1\n"
        "  [ tomeo ]  \r\n"
        "param_a = 291\r\n"
        "# another comment\n"
        "PARAM_D=  /usr/bin/fbreader  \n"
        "param_e=\"  spaced  \"\n"
        "param_f=\"\n"
        "no equals sign\n"
        "=no key\n"
        "param_o=/home/anna/Тексты\n"
        "param_n=1\n"
        "param_n=2\n"
        "bad=\xC3\x28\n"
        "chinese=日本\n"
        "[Later]\n"
        "param_m=5";
    const IniSection values = ParseIniSection(text, "Tomeo");
    EXPECT_EQ(Value(values, "param_a"), "291");
    EXPECT_EQ(Value(values, "param_d"), "/usr/bin/fbreader");
    EXPECT_EQ(Value(values, "param_e"), "  spaced  ");
    EXPECT_EQ(Value(values, "param_f"), "\"");
    EXPECT_EQ(Value(values, "param_o"), W("/home/anna/Тексты"));
    EXPECT_EQ(Value(values, "param_n"), "2");
    EXPECT_EQ(Value(values, "bad"), "<absent>");
    EXPECT_EQ(Value(values, "chinese"), "<absent>");
    EXPECT_EQ(Value(values, "param_m"), "<absent>");
    EXPECT_EQ(Value(values, "top"), "<absent>");
    EXPECT_EQ(values.size(), 6u);
}

TEST(FormatIniSection, RoundTripsEveryWritableValue) {
    const IniSection values = {
        {"plain", "value"},
        {"empty", ""},
        {"cyrillic", W("Книги Ёж")},
        {"spaces", "  both sides "},
        {"quoted", "\"in quotes\""},
        {"quote_start", "\"x"},
        {"quote_end", "x\""},
        {"equals", "a=b;c#d"},
        {"tab", "\tx"},
    };
    const std::string text = FormatIniSection("Tomeo", values);
    EXPECT_TRUE(text.starts_with("[Tomeo]\nplain=value\n")) << text;
    const IniSection back = ParseIniSection(text, "Tomeo");
    ASSERT_EQ(back.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(back[i].key, values[i].key);
        EXPECT_EQ(back[i].value, values[i].value) << values[i].key;
    }
}

TEST(FormatIniSection, LeavesOutValuesWithLineBreaks) {
    const std::string text = FormatIniSection("Tomeo", {{"a", "1\n[x]"}, {"b", "2"}});
    EXPECT_EQ(text, "[Tomeo]\nb=2\n");
}

TEST(WriteIniFile, ReplacesTheFileAndLeavesNothingBeside) {
    test::TempDir dir;
    const std::string path = dir / "settings.ini";
    test::WriteFile(path, "[Tomeo]\nold=1\n");
    ASSERT_TRUE(WriteIniFile(path.c_str(), "Tomeo", {{"new", "2"}}));
    EXPECT_EQ(test::ReadFile(path), "[Tomeo]\nnew=2\n");
    EXPECT_EQ(Value(ReadIniFile(path.c_str(), "Tomeo"), "new"), "2");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

// settings.ini kept among the user's dotfiles, linked into the configuration folder.
TEST(WriteIniFile, ASymbolicLinkIsWrittenThrough) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "dotfiles");
    std::filesystem::create_directories(dir / "tomeo");
    test::WriteFile(dir / "dotfiles/settings.ini", "[Tomeo]\nold=1\n");
    const std::string path = dir / "tomeo/settings.ini";
    std::filesystem::create_symlink("../dotfiles/settings.ini", path);
    ASSERT_TRUE(WriteIniFile(path.c_str(), "Tomeo", {{"new", "2"}}));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(test::ReadFile(dir / "dotfiles/settings.ini"), "[Tomeo]\nnew=2\n");
    EXPECT_EQ(Value(ReadIniFile(path.c_str(), "Tomeo"), "new"), "2");
    for (const char* folder : {"dotfiles", "tomeo"}) {
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir / folder)) {
            (void)entry;
            ++files;
        }
        EXPECT_EQ(files, 1) << folder;
    }
}

TEST(WriteIniFile, AFailureAtAnyStepKeepsTheOldFile) {
    for (SysOp op : {SysOp::Open, SysOp::Write, SysOp::Fsync, SysOp::Close, SysOp::Rename}) {
        test::TempDir dir;
        const std::string path = dir / "settings.ini";
        test::WriteFile(path, "[Tomeo]\nold=1\n");
        bool written = true;
        {
            test::ScopedSysCallHook failing([op](SysOp seen, int& error) {
                error = ENOSPC;
                return seen == op;
            });
            written = WriteIniFile(path.c_str(), "Tomeo", {{"new", "2"}});
        }
        EXPECT_FALSE(written) << static_cast<int>(op);
        EXPECT_EQ(test::ReadFile(path), "[Tomeo]\nold=1\n") << static_cast<int>(op);
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            (void)entry;
            ++files;
        }
        EXPECT_EQ(files, 1) << "a temporary file was left, step " << static_cast<int>(op);
    }
}

TEST(ReadIniFile, MissingOrOversizedFilesGiveNothing) {
    test::TempDir dir;
    EXPECT_TRUE(ReadIniFile((dir / "none.ini").c_str(), "Tomeo").empty());
    std::string huge = "[Tomeo]\na=1\n";
    huge.append(2 << 20, ';');
    test::WriteFile(dir / "huge.ini", huge);
    EXPECT_TRUE(ReadIniFile((dir / "huge.ini").c_str(), "Tomeo").empty());
    EXPECT_TRUE(ReadIniFile(dir.path().c_str(), "Tomeo").empty());  // a directory
}

}  // namespace
}  // namespace tomeo::platform
