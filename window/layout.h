// Where the main window's controls go, in pixels, for a client area of a given size.
// Sizes are given in dialog units, which scale with the window's font: a horizontal unit
// is a quarter of the font's average character width, a vertical unit an eighth of its
// character height. Plain pixel distances (the 3-pixel margins, the gaps) stay pixels.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "window/window_controls.h"

namespace tomeo {

struct Rect {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    std::int32_t right() const { return x + width; }    // one past the last pixel
    std::int32_t bottom() const { return y + height; }  // one past the last pixel
    bool operator==(const Rect&) const = default;
};

struct Size {
    std::int32_t width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

// The font's base units: its average character width and its character height, pixels.
struct DialogUnits {
    std::int32_t char_width = 0;
    std::int32_t char_height = 0;
    // Dialog units to pixels, rounded to the nearest.
    std::int32_t x(std::int32_t units) const;
    std::int32_t y(std::int32_t units) const;
};

// The rectangle of every control (index: Control) in a client area of width by height
// pixels (the area below the menu bar).
using MainLayout = std::array<Rect, kControlCount>;
MainLayout LayOutMainWindow(const DialogUnits& units, std::int32_t width, std::int32_t height);

inline const Rect& RectOf(const MainLayout& layout, Control control) {
    return layout[static_cast<std::size_t>(control)];
}

// The smallest client area (below the menu bar): every button of the row fits with its
// margins, and the list keeps 51 vertical units.
Size MinimumClientSize(const DialogUnits& units);

// A stored window rectangle that meets no screen any more (a monitor since unplugged)
// is moved onto the primary screen's available area, keeping its size as far as it fits;
// one that meets a screen is kept as it is.
Rect PlaceOnScreens(const Rect& stored, const std::vector<Rect>& screens, const Rect& primary);

}  // namespace tomeo
