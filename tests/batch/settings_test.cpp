#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "batch/settings.h"
#include "tests/batch/scan_test_support.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

using test::W;

// The settings read from a file holding these lines below [Tomeo].
Settings Read(const std::string& lines) {
    test::TempDir dir;
    test::WriteFile(dir / "settings.ini", "[Tomeo]\n" + lines);
    Settings s;
    LoadSettings(s, (dir / "settings.ini").c_str());
    return s;
}

void ExpectDefaults(const Settings& s) {
    EXPECT_EQ(s.text_next, 1);
    EXPECT_EQ(s.fb2_next, 1);
    EXPECT_EQ(s.rtf_next, 1);
    EXPECT_FALSE(s.menu_txt || s.menu_fb2 || s.menu_rtf);
    EXPECT_STREQ(s.viewer_txt.c_str(), "");
    EXPECT_STREQ(s.viewer_fb2.c_str(), "");
    EXPECT_STREQ(s.viewer_rtf.c_str(), "");
    EXPECT_EQ(s.window_left, 40);
    EXPECT_EQ(s.window_top, 20);
    EXPECT_EQ(s.window_right - s.window_left, 720);
    EXPECT_EQ(s.window_bottom - s.window_top, 560);
    EXPECT_FALSE(s.window_maximized);
    const std::int32_t widths[] = {248, 84, 84, 110, 150};
    for (int i = 0; i < kColumnCount; ++i) EXPECT_EQ(s.column_widths[i], widths[i]) << i;
    EXPECT_EQ(s.paragraph_form, 1);
    EXPECT_EQ(s.paragraph_indent, 1);
    EXPECT_EQ(s.text_packing, 3);
    EXPECT_STREQ(s.text_dir.c_str(), "");
}

TEST(Settings, AMissingFileGivesTheDefaultsAndCreatesNothing) {
    test::TempDir dir;
    Settings s;
    s.text_next = NEXT_AFTER_RECODE;
    s.viewer_txt.assign("stale");
    LoadSettings(s, (dir / "tomeo/settings.ini").c_str());
    ExpectDefaults(s);
    EXPECT_FALSE(std::filesystem::exists(dir / "tomeo"));
    LoadSettings(s, "");
    ExpectDefaults(s);
}

TEST(Settings, ADamagedFileGivesTheDefaults) {
    ExpectDefaults(Read(std::string("\x00\xFF\xFE garbage \x01\n=\n[[[\n", 21)));
    ExpectDefaults(
        Read("param_a=abc\nparam_i=-5\nparam_h=1e3\nparam_k=0x10\nparam_m=\n"
             "param_n=99999999999\nparam_p=12 34\nparam_d=\xC3\x28\n"));
}

TEST(Settings, GeneralBitsAsStored) {
    struct Case {
        const char* param_a;
        int text, fb2, rtf;
        bool txt_menu, fb2_menu, rtf_menu;
    };
    const Case cases[] = {
        {"459043", 3, 2, 1, true, true, true},    // 0x00070123
        {"7", 1, 1, 1, false, false, false},      // text operation out of range
        {"768", 1, 1, 1, true, true, true},       // bits 8-11 hold 3
        {"512", 1, 1, 1, false, false, false},    // bits 8-11 hold 2
        {"8771", 3, 4, 2, false, false, false},   // 0x2243: 2 at bits 8-11
        {"12611", 3, 4, 1, false, false, false},  // 0x3143: RTF 3 is out of range
        {"65536", 1, 1, 1, true, false, false},    {"262144", 1, 1, 1, false, false, true},
        {"4294967295", 1, 1, 1, true, true, true},
    };
    for (const Case& c : cases) {
        const Settings s = Read(std::string("param_a=") + c.param_a + "\n");
        EXPECT_EQ(s.text_next, c.text) << c.param_a;
        EXPECT_EQ(s.fb2_next, c.fb2) << c.param_a;
        EXPECT_EQ(s.rtf_next, c.rtf) << c.param_a;
        EXPECT_EQ(s.menu_txt, c.txt_menu) << c.param_a;
        EXPECT_EQ(s.menu_fb2, c.fb2_menu) << c.param_a;
        EXPECT_EQ(s.menu_rtf, c.rtf_menu) << c.param_a;
    }
}

TEST(Settings, AllMenusFromBits8To11AreWrittenAsBits16To18) {
    Settings s = Read("param_a=768\n");
    const platform::IniSection values = SettingsToValues(s);
    EXPECT_EQ(*platform::FindIniValue(values, "param_a"), std::to_string(0x71011));
}

TEST(Settings, WindowPlaceCountsOnlyWithItsEdges) {
    // param_h: maximized, left 100, top 50; param_i: right 900, bottom 700.
    const std::string h = std::to_string(0x80000000u | 100u << 16 | 50u);
    const std::string i = std::to_string(900u << 16 | 700u);
    Settings s = Read("param_h=" + h + "\nparam_i=" + i + "\n");
    EXPECT_TRUE(s.window_maximized);
    EXPECT_EQ(s.window_left, 100);
    EXPECT_EQ(s.window_top, 50);
    EXPECT_EQ(s.window_right, 900);
    EXPECT_EQ(s.window_bottom, 700);

    s = Read("param_h=" + h + "\nparam_i=0\n");
    ExpectDefaults(s);

    // A left edge below zero is a signed 15-bit field; right is a signed 16-bit one.
    s = Read("param_h=" + std::to_string(0x7FF6u << 16 | 5u) +
             "\nparam_i=" + std::to_string(0xFFF0u << 16 | 65535u) + "\n");
    EXPECT_FALSE(s.window_maximized);
    EXPECT_EQ(s.window_left, -10);
    EXPECT_EQ(s.window_top, 5);
    EXPECT_EQ(s.window_right, -16);
    EXPECT_EQ(s.window_bottom, 65535);
}

TEST(Settings, ColumnWidthsCountOnlyWhenStored) {
    Settings s = Read("param_k=" + std::to_string(300u << 16 | 90u) +
                      "\nparam_l=" + std::to_string(70u << 16 | 120u) +
                      "\nparam_p=" + std::to_string(200u << 16) + "\n");
    const std::int32_t widths[] = {300, 90, 70, 120, 200};
    for (int c = 0; c < kColumnCount; ++c) EXPECT_EQ(s.column_widths[c], widths[c]) << c;

    s = Read("param_l=" + std::to_string(70u << 16 | 120u) + "\n");  // param_k absent
    EXPECT_EQ(s.column_widths[2], 84);
    EXPECT_EQ(s.column_widths[3], 110);
}

TEST(Settings, ParagraphAndPacking) {
    Settings s = Read("param_m=" + std::to_string(2u | 12u << 2) + "\nparam_n=1\n");
    EXPECT_EQ(s.paragraph_form, 2);
    EXPECT_EQ(s.paragraph_indent, 12);
    EXPECT_EQ(s.text_packing, 1);
    s = Read("param_m=0\nparam_n=0\n");
    EXPECT_EQ(s.paragraph_form, 1);
    EXPECT_EQ(s.paragraph_indent, 1);
    EXPECT_EQ(s.text_packing, 3);
    s = Read("param_n=258\n");  // the low byte
    EXPECT_EQ(s.text_packing, 2);
}

TEST(Settings, TextsOf252BytesOrMoreReadAsEmpty) {
    const std::string fits(251, 'v');
    const std::string too_long(252, 'v');
    const Settings s =
        Read("param_d=" + fits + "\nparam_e=" + too_long + "\nparam_o=" + std::string(126, 'x') +
             "Ё" + "\n");  // 127 bytes in Windows-1251
    EXPECT_EQ(s.viewer_txt.c_str(), fits);
    EXPECT_STREQ(s.viewer_fb2.c_str(), "");
    EXPECT_EQ(s.text_dir.c_str(), std::string(126, 'x') + W("Ё"));
}

TEST(Settings, EveryValueSurvivesSaveAndLoad) {
    test::TempDir dir;
    const std::string path = dir / "config/tomeo/settings.ini";
    Settings out;
    out.text_next = NEXT_AFTER_RECODE;
    out.fb2_next = NEXT_AFTER_CONVERT;
    out.rtf_next = NEXT_AFTER_PACK;
    out.menu_txt = true;
    out.menu_rtf = true;
    out.viewer_txt.assign(W("/usr/bin/Читалка --full").c_str());
    out.viewer_fb2.assign(" /opt/fb reader ");
    out.viewer_rtf.assign("\"quoted\"");
    out.window_left = -300;
    out.window_top = 12;
    out.window_right = 1900;
    out.window_bottom = 1000;
    out.window_maximized = true;
    const std::int32_t widths[] = {400, 60, 61, 200, 1};
    for (int c = 0; c < kColumnCount; ++c) out.column_widths[c] = widths[c];
    out.paragraph_form = PARAGRAPH_SEVERAL_LINES;
    out.paragraph_indent = 99;
    out.text_packing = TEXT_IN_ZIP;
    out.text_dir.assign(W("/home/anna/Тексты/").c_str());
    ASSERT_TRUE(SaveSettings(out, path.c_str()));  // the folders are made

    Settings in;
    LoadSettings(in, path.c_str());
    EXPECT_EQ(in.text_next, 3);
    EXPECT_EQ(in.fb2_next, 4);
    EXPECT_EQ(in.rtf_next, 2);
    EXPECT_TRUE(in.menu_txt);
    EXPECT_FALSE(in.menu_fb2);
    EXPECT_TRUE(in.menu_rtf);
    EXPECT_STREQ(in.viewer_txt.c_str(), out.viewer_txt.c_str());
    EXPECT_STREQ(in.viewer_fb2.c_str(), out.viewer_fb2.c_str());
    EXPECT_STREQ(in.viewer_rtf.c_str(), out.viewer_rtf.c_str());
    EXPECT_EQ(in.window_left, -300);
    EXPECT_EQ(in.window_top, 12);
    EXPECT_EQ(in.window_right, 1900);
    EXPECT_EQ(in.window_bottom, 1000);
    EXPECT_TRUE(in.window_maximized);
    for (int c = 0; c < kColumnCount; ++c) EXPECT_EQ(in.column_widths[c], widths[c]) << c;
    EXPECT_EQ(in.paragraph_form, 2);
    EXPECT_EQ(in.paragraph_indent, 99);
    EXPECT_EQ(in.text_packing, 2);
    EXPECT_STREQ(in.text_dir.c_str(), out.text_dir.c_str());

    const std::string text = test::ReadFile(path);
    EXPECT_TRUE(text.starts_with("[Tomeo]\nparam_a=335939\nparam_d=/usr/bin/Читалка --full\n"))
        << text;
}

TEST(Settings, EdgesOutsideTheirFieldsAreClampedNotSpilled) {
    Settings out;
    out.window_left = -20000;  // beyond the 15-bit field
    out.window_top = -5;       // the top edge is unsigned
    out.window_right = 40000;
    out.window_bottom = 70000;
    out.window_maximized = false;
    Settings in;
    SettingsFromValues(SettingsToValues(out), in);
    EXPECT_FALSE(in.window_maximized);
    EXPECT_EQ(in.window_left, -16384);
    EXPECT_EQ(in.window_top, 0);
    EXPECT_EQ(in.window_right, 32767);
    EXPECT_EQ(in.window_bottom, 65535);
}

}  // namespace
}  // namespace tomeo
