// The menu panel: darkened inside, five bevel rings, rounded corners.
#include "ui/panel.h"

#include <allegro.h>

namespace {

struct PanelRgb {
    int r, g, b;
};

// Ring colours, outermost first: light in the middle ring, bluer towards both edges,
// so the frame looks raised.
constexpr PanelRgb kDimRamp[kPanelRings] = {
    {64, 64, 128}, {96, 96, 128}, {128, 128, 128}, {96, 96, 128}, {64, 64, 128},
};
constexpr PanelRgb kBrightRamp[kPanelRings] = {
    {128, 128, 255}, {192, 192, 255}, {255, 255, 255}, {192, 192, 255}, {128, 128, 255},
};

// The top-left corner: ring number plus one, 0 for no pixel. The three zeros leave
// the corner pixel and its two neighbours as they were, which rounds the corner; the
// last row and column carry on the straight rings of the sides.
constexpr int kCornerSize = 5;
constexpr uint8_t kCornerPattern[kCornerSize][kCornerSize] = {
    {0, 0, 1, 1, 1},
    {0, 1, 2, 2, 2},
    {1, 2, 2, 3, 3},
    {1, 2, 3, 4, 4},
    {1, 2, 3, 4, 5},
};

// The ramp of the last draw_panel. The corners are public and drawn on their own
// too, so they take their colours from here rather than from an argument.
const PanelRgb *panel_ramp = kDimRamp;

int ring_colour(BITMAP *dest, int ring) {
    const PanelRgb &c = panel_ramp[ring];
    return makecol_depth(bitmap_color_depth(dest), c.r, c.g, c.b);
}

} // namespace

void draw_panel(BITMAP *dest, int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t style) {
    panel_ramp = style == kPanelBright ? kBrightRamp : kDimRamp;
    const int edge = kCornerSize;

    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    rectfill(dest, x1 + edge, y1 + edge, x2 - edge, y2 - edge,
             makecol_depth(bitmap_color_depth(dest), 0, 0, 0));
    drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);

    for (int i = 0; i < kPanelRings; ++i) {
        const int colour = ring_colour(dest, i);
        vline(dest, x1 + i, y1 + edge, y2 - edge, colour);
        vline(dest, x2 - i, y1 + edge, y2 - edge, colour);
        hline(dest, x1 + edge, y1 + i, x2 - edge, colour);
        hline(dest, x1 + edge, y2 - i, x2 - edge, colour);
    }

    const int far = kCornerSize - 1;
    draw_panel_corner(dest, x1, y1, kCornerTopLeft);
    draw_panel_corner(dest, x2 - far, y1, kCornerTopRight);
    draw_panel_corner(dest, x1, y2 - far, kCornerBottomLeft);
    draw_panel_corner(dest, x2 - far, y2 - far, kCornerBottomRight);
}

void draw_panel_corner(BITMAP *dest, int x, int y, int corner) {
    if (corner < kCornerTopLeft || corner > kCornerBottomRight) return;
    // The right-hand corners mirror the pattern's columns, the bottom ones its rows.
    const bool mirror_x = corner == kCornerTopRight || corner == kCornerBottomRight;
    const bool mirror_y = corner == kCornerBottomLeft || corner == kCornerBottomRight;
    const int far = kCornerSize - 1;
    for (int r = 0; r < kCornerSize; ++r)
        for (int c = 0; c < kCornerSize; ++c) {
            const int v = kCornerPattern[r][c];
            if (v == 0) continue;
            putpixel(dest, mirror_x ? x + far - c : x + c, mirror_y ? y + far - r : y + r,
                     ring_colour(dest, v - 1));
        }
}
