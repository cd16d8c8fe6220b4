#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/charset.h"
#include "core/resources.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

std::string AsString(const WBUF& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.length());
}

// The form the build gives a readable UTF-8 text of resources/.
std::string ConvertedSource(const char* file) {
    const std::string utf8 = test::ReadFile(std::string(TOMEO_SOURCE_DIR) + "/resources/" + file);
    std::string out, line;
    for (char c : utf8 + (utf8.ends_with('\n') ? "" : "\n")) {
        if (c != '\n') {
            line += c;
            continue;
        }
        std::string converted;
        EXPECT_TRUE(utf8_to_cp1251(line, converted)) << file;
        out += converted + "\r\n";
        line.clear();
    }
    return out;
}

TEST(Resources, DefaultScriptsInflateToTheirSources) {
    const std::pair<const char*, const char*> scripts[] = {
        {"DATA_3", "rename.sc"}, {"DATA_4", "move.sc"}, {"DATA_5", "txthdr.sc"}};
    for (auto [name, file] : scripts) {
        WBUF buffer;
        ASSERT_TRUE(LoadResourceFile(buffer, name)) << name;
        const std::string text = AsString(buffer);
        EXPECT_EQ(text, ConvertedSource(file)) << name;
        EXPECT_EQ(text.find('\0'), std::string::npos) << name;
        EXPECT_EQ(buffer.capacity(), buffer.length()) << "resized to exactly the length";
    }
}

TEST(Resources, MoveScriptHasCrLfLineEnds) {
    WBUF buffer;
    ASSERT_TRUE(LoadResourceFile(buffer, "DATA_4"));
    const std::string text = AsString(buffer);
    EXPECT_TRUE(text.ends_with("\r\n"));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_EQ(text[i - 1], '\r') << "at " << i;
        }
    }
    EXPECT_NE(text.find("$dir = \"~/books/\""), std::string::npos);
}

TEST(Resources, HelpPageIsWindows1251) {
    WBUF buffer;
    ASSERT_TRUE(LoadResourceFile(buffer, "HELP_2"));
    const std::string text = AsString(buffer);
    EXPECT_NE(text.find("charset=\"windows-1251\""), std::string::npos);
    EXPECT_NE(text.find(cp1251("Командная строка").c_str()), std::string::npos);
}

TEST(Resources, MissingNameLeavesTheBufferAsItWas) {
    WBUF buffer;
    buffer.init(10);
    buffer.set_length(3);
    EXPECT_FALSE(LoadResourceFile(buffer, "DATA_9"));
    EXPECT_FALSE(LoadResourceFile(buffer, "data_3")) << "names are exact";
    EXPECT_EQ(buffer.capacity(), 10);
    EXPECT_EQ(buffer.length(), 3);
}

TEST(Wbuf, ReserveAndResize) {
    WBUF buffer;
    EXPECT_EQ(buffer.data(), nullptr);
    buffer.reserve(100);
    EXPECT_EQ(buffer.capacity(), 100);
    buffer.reserve(50);
    EXPECT_EQ(buffer.capacity(), 100) << "a smaller reserve changes nothing";
    buffer.reserve(101);
    EXPECT_EQ(buffer.capacity(), 101) << "a larger one grows it to that size";
    std::memcpy(buffer.data(), "abcdef", 6);
    buffer.set_length(6);
    buffer.resize(4);
    EXPECT_EQ(buffer.length(), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), 4), "abcd");
    buffer.release();
    EXPECT_EQ(buffer.capacity(), 0);
    EXPECT_EQ(buffer.data(), nullptr);
}

}  // namespace
}  // namespace tomeo
