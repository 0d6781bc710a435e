// Menu panels: a box whose inside darkens what lies under it, framed by a five-pixel
// bevel with rounded corners. The menus draw one per entry (bright for the selected
// one), and the level reuses it for its own boxes.
#pragma once

#include <cstdint>

struct BITMAP;

// Styles of draw_panel. Callers usually pass the result of comparing an entry with
// the selection, so 1 is bright and anything else dim.
constexpr int16_t kPanelDim = 0;
constexpr int16_t kPanelBright = 1;

// Corners of draw_panel_corner.
constexpr int kCornerTopLeft = 1;
constexpr int kCornerTopRight = 2;
constexpr int kCornerBottomLeft = 3;
constexpr int kCornerBottomRight = 4;

// The five rings of the bevel, 0 outermost; the corner square is 5 x 5.
constexpr int kPanelRings = 5;

// (x1, y1) and (x2, y2) are inclusive corners with x1 < x2 and y1 < y2; the bevel
// takes five pixels on each side. The inside is blended at the translucency set once
// at start-up (set_trans_blender(0, 0, 0, 64)), keeping about three quarters of the
// brightness, so text drawn underneath stays readable. Sets the panel colour ramp
// that draw_panel_corner uses.
void draw_panel(BITMAP *dest, int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t style);

// One rounded 5 x 5 corner whose top-left is (x, y), in the colour ramp of the last
// draw_panel (dim before the first). Corners other than 1 to 4 draw nothing.
void draw_panel_corner(BITMAP *dest, int x, int y, int corner);
