#include "window/layout.h"

#include <algorithm>

namespace tomeo {

namespace {

// Sizes in dialog units.
constexpr std::int32_t kRowHeight = 12;  // fields and buttons
constexpr std::int32_t kButtonWidth = 65;
constexpr std::int32_t kLabelHeight = 8;
constexpr std::int32_t kLabelWidth = 38;
constexpr std::int32_t kExtensionWidth = 13;
constexpr std::int32_t kPanelHeight = 92;
constexpr std::int32_t kMinimumListHeight = 51;

// Pixels.
constexpr std::int32_t kMargin = 3;
constexpr std::int32_t kRowGap = 6;
constexpr std::int32_t kLabelX = 4;
constexpr std::int32_t kFieldGap = 9;       // right of the labels' width
constexpr std::int32_t kExtensionGap = 10;  // between the extension text and the button
constexpr std::int32_t kFieldToExtension = 3;
// The operation buttons' left edges: k * button width + offset.
constexpr std::int32_t kButtonOffsets[] = {3, 33, 63, 70, 100};

std::int32_t Scale(std::int32_t units, std::int32_t base, std::int32_t divisor) {
    return (units * base + divisor / 2) / divisor;
}

bool Meets(const Rect& a, const Rect& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

}  // namespace

std::int32_t DialogUnits::x(std::int32_t units) const {
    return Scale(units, char_width, 4);
}
std::int32_t DialogUnits::y(std::int32_t units) const {
    return Scale(units, char_height, 8);
}

MainLayout LayOutMainWindow(const DialogUnits& units, std::int32_t width, std::int32_t height) {
    const std::int32_t r = units.y(kRowHeight);
    const std::int32_t b = units.x(kButtonWidth);
    const std::int32_t label_height = units.y(kLabelHeight);
    const std::int32_t label_width = units.x(kLabelWidth);
    const std::int32_t extension_width = units.x(kExtensionWidth);

    MainLayout layout{};
    auto at = [&layout](Control control) -> Rect& {
        return layout[static_cast<std::size_t>(control)];
    };
    const std::int32_t panel_height = units.y(kPanelHeight);
    at(Control::Panel) = {kMargin, height - panel_height - kMargin, width - 2 * kMargin,
                          panel_height};
    const std::int32_t dir_y = at(Control::Panel).y - r - kRowGap;
    const std::int32_t name_y = dir_y - r - kRowGap;
    const std::int32_t buttons_y = name_y - r - kRowGap;

    const std::int32_t button_x = width - b - kMargin;
    at(Control::Rename) = {button_x, name_y, b, r};
    at(Control::Move) = {button_x, dir_y, b, r};

    const std::int32_t label_dy = (r - label_height) / 2;
    at(Control::NameLabel) = {kLabelX, name_y + label_dy, label_width, label_height};
    at(Control::DirLabel) = {kLabelX, dir_y + label_dy, label_width, label_height};
    const std::int32_t extension_x = button_x - kExtensionGap - extension_width;
    at(Control::Extension) = {extension_x, name_y + label_dy, extension_width, label_height};
    const std::int32_t field_x = label_width + kFieldGap;
    const std::int32_t field_width = extension_x - kFieldToExtension - field_x;
    at(Control::NameField) = {field_x, name_y, field_width, r};
    at(Control::DirField) = {field_x, dir_y, field_width, r};

    const Control row[] = {Control::Open, Control::Pack, Control::DosToWin, Control::Utf8ToWin,
                           Control::Fb2ToTxt};
    for (std::int32_t k = 0; k < 5; ++k) {
        at(row[k]) = {k * b + kButtonOffsets[k], buttons_y, b, r};
    }
    at(Control::List) = {kMargin, 0, width - 2 * kMargin, buttons_y - kRowGap};
    return layout;
}

Size MinimumClientSize(const DialogUnits& units) {
    const std::int32_t b = units.x(kButtonWidth);
    const std::int32_t r = units.y(kRowHeight);
    // The row of five buttons with a margin on either side; the panel, the three rows
    // with their gaps and margins, and the list's least height.
    return {5 * b + kButtonOffsets[4] + kMargin, units.y(kPanelHeight) + 3 * r +
                                                     units.y(kMinimumListHeight) + kMargin +
                                                     3 * kRowGap + kRowGap};
}

Rect PlaceOnScreens(const Rect& stored, const std::vector<Rect>& screens, const Rect& primary) {
    for (const Rect& screen : screens) {
        if (Meets(stored, screen)) return stored;
    }
    Rect placed = stored;
    placed.width = std::min(stored.width, primary.width);
    placed.height = std::min(stored.height, primary.height);
    placed.x = primary.x + (primary.width - placed.width) / 2;
    placed.y = primary.y + (primary.height - placed.height) / 2;
    return placed;
}

}  // namespace tomeo
