// The main window's layout rules, in pixels for two fonts.
#include <gtest/gtest.h>

#include <cstdlib>

#include "window/layout.h"

namespace tomeo {
namespace {

// Tahoma 8 on Windows (5 by 13) and a common Linux desktop font (7 by 17).
constexpr DialogUnits kFonts[] = {{5, 13}, {7, 17}};

TEST(Layout, DialogUnitsScaleWithTheFont) {
    EXPECT_EQ(kFonts[0].x(65), 81);  // 65 * 5 / 4 = 81.25
    EXPECT_EQ(kFonts[0].y(12), 20);  // 12 * 13 / 8 = 19.5
    EXPECT_EQ(kFonts[1].x(65), 114);
    EXPECT_EQ(kFonts[1].y(92), 196);  // 195.5
}

TEST(Layout, MarginsAndRowsAtSeveralSizes) {
    for (const DialogUnits& font : kFonts) {
        const Size least = MinimumClientSize(font);
        for (const Size size :
             {least, Size{least.width + 1, least.height + 1}, Size{800, 600}, Size{1920, 1040}}) {
            SCOPED_TRACE(testing::Message()
                         << font.char_width << " " << size.width << "x" << size.height);
            const MainLayout l = LayOutMainWindow(font, size.width, size.height);
            const Rect& list = RectOf(l, Control::List);
            const Rect& panel = RectOf(l, Control::Panel);
            // The list and the panel keep 3 pixels from the edges.
            EXPECT_EQ(list.x, 3);
            EXPECT_EQ(list.y, 0);
            EXPECT_EQ(size.width - list.right(), 3);
            EXPECT_EQ(panel.x, 3);
            EXPECT_EQ(size.width - panel.right(), 3);
            EXPECT_EQ(size.height - panel.bottom(), 3);
            EXPECT_EQ(panel.height, font.y(92));
            // Rows from the bottom up, 6 pixels apart, the list 6 above the buttons.
            const Rect& dir = RectOf(l, Control::DirField);
            const Rect& name = RectOf(l, Control::NameField);
            const Rect& open = RectOf(l, Control::Open);
            EXPECT_EQ(panel.y - dir.bottom(), 6);
            EXPECT_EQ(dir.y - name.bottom(), 6);
            EXPECT_EQ(name.y - open.bottom(), 6);
            EXPECT_EQ(open.y - list.bottom(), 6);
            EXPECT_EQ(RectOf(l, Control::Move).y, dir.y);
            EXPECT_EQ(RectOf(l, Control::Rename).y, name.y);
            // The buttons on the right keep 3 pixels; the extension text sits 10 pixels
            // left of "Переименовать" and the fields end 3 pixels before it.
            const Rect& rename = RectOf(l, Control::Rename);
            const Rect& extension = RectOf(l, Control::Extension);
            EXPECT_EQ(size.width - rename.right(), 3);
            EXPECT_EQ(rename.x - extension.right(), 10);
            EXPECT_EQ(extension.x - name.right(), 3);
            EXPECT_EQ(dir.right(), name.right());
            EXPECT_EQ(name.x, font.x(38) + 9);
            // Labels centred on their rows.
            const Rect& label = RectOf(l, Control::DirLabel);
            EXPECT_EQ(label.x, 4);
            EXPECT_LE(std::abs((label.y + label.bottom()) - (dir.y + dir.bottom())), 1);
            // The button row: left edges at 3, b + 33, 2b + 63, 3b + 70, 4b + 100.
            const std::int32_t b = font.x(65);
            const Control row[] = {Control::Open, Control::Pack, Control::DosToWin,
                                   Control::Utf8ToWin, Control::Fb2ToTxt};
            const std::int32_t left[] = {3, b + 33, 2 * b + 63, 3 * b + 70, 4 * b + 100};
            for (int k = 0; k < 5; ++k) {
                EXPECT_EQ(RectOf(l, row[k]).x, left[k]);
                EXPECT_EQ(RectOf(l, row[k]).width, b);
                EXPECT_EQ(RectOf(l, row[k]).y, open.y);
            }
        }
    }
}

TEST(Layout, MinimumSizeFitsTheButtonsAndAListOf51Units) {
    for (const DialogUnits& font : kFonts) {
        const Size least = MinimumClientSize(font);
        const std::int32_t b = font.x(65);
        EXPECT_EQ(least.width, 5 * b + 103);
        EXPECT_EQ(least.height, font.y(12) * 3 + font.y(51) + font.y(92) + 27);
        const MainLayout l = LayOutMainWindow(font, least.width, least.height);
        EXPECT_EQ(RectOf(l, Control::List).height, font.y(51));
        EXPECT_EQ(least.width - RectOf(l, Control::Fb2ToTxt).right(), 3);
        // Nothing overlaps in the row of fields at the least width.
        EXPECT_GT(RectOf(l, Control::NameField).width, 0);
    }
}

TEST(Layout, ARectangleOnNoScreenMovesOntoThePrimaryOne) {
    const Rect primary{0, 0, 1920, 1040};
    const std::vector<Rect> screens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const Rect on_second{2000, 100, 700, 500};
    EXPECT_EQ(PlaceOnScreens(on_second, screens, primary), on_second);
    const Rect partly{-100, -20, 700, 500};
    EXPECT_EQ(PlaceOnScreens(partly, screens, primary), partly);
    // The second monitor has been unplugged.
    EXPECT_EQ(PlaceOnScreens(on_second, {screens[0]}, primary), (Rect{610, 270, 700, 500}));
    // Larger than the screen: shrunk to it.
    EXPECT_EQ(PlaceOnScreens({5000, 5000, 3000, 2000}, screens, primary), primary);
}

}  // namespace
}  // namespace tomeo
