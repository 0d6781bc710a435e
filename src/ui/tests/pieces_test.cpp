// The menus' drawing pieces as golden screens (neither has code of its own for a
// depth). The panel: dim and bright panels over a striped picture (the inside
// darkens what lies under it), the smallest panel, one hanging over every edge of
// the bitmap, each corner drawn on its own in the ramp of the last panel, and a
// solid fill drawn after a panel. The bitmap font: a line for each kind of character
// (capitals, the decorated initials, the N with tilde, digits and punctuation, codes
// without a glyph), a line from another cell set with a hole in it, a centred title,
// and lines cut by the bitmap's edge and by a clip rectangle.
#include "support/golden_screen.h"
#include "support/test_support.h"
#include "ui/panel.h"
#include "ui/text.h"

#include <allegro.h>
#include <gtest/gtest.h>

namespace {

using testing_support::golden_screen;

TEST(Panel, Panels) {
    set_trans_blender(0, 0, 0, 64);
    OwnedBitmap b = testing_support::make_bitmap(32, 160, 96);
    for (int x = 0; x < b->w; ++x)
        vline(b.get(), x, 0, b->h - 1,
              makecol32(x % 3 ? 240 : 0, x % 5 ? 200 : 96, (x * 7) & 255));
    draw_panel(b.get(), -3, -2, 40, 30, kPanelBright); // over the top-left edges
    draw_panel(b.get(), 46, 4, 97, 40, kPanelDim);
    draw_panel(b.get(), 104, 6, 114, 16, kPanelDim); // ten apart: one pixel inside
    draw_panel(b.get(), 120, 60, 163, 99, kPanelBright); // over the bottom-right edges
    rectfill(b.get(), 60, 20, 66, 26, makecol32(255, 0, 0)); // solid again
    for (int16_t style : {kPanelDim, kPanelBright}) {
        draw_panel(b.get(), 0, 40 + 20 * style, 19, 59 + 20 * style, style);
        for (int corner = 0; corner <= 5; ++corner) // 0 and 5 draw nothing
            draw_panel_corner(b.get(), 24 + 8 * corner, 50 + 20 * style, corner);
    }
    EXPECT_TRUE(golden_screen("panels_32", b.get()));
}

TEST(GlyphText, Lines) {
    testing_support::NumberedCells menu(32, 0), map(32, 1);
    OwnedBitmap dest = testing_support::make_bitmap(32, 400, 224);
    clear_to_color(dest.get(), makecol32(10, 20, 30));
    const char *lines[] = {"CUEVA sET UP", "jfcsplezk", "ESPAnOL", "0189.,:-@?!",
                           "gIOCARE", "\xC9" "A\x7F" "B#\xFF" "C", ""};
    int y = 8;
    for (const char *line : lines) {
        glyph_text(dest.get(), 8, static_cast<int16_t>(y), line, menu.cells);
        y += 18;
    }
    glyph_text(dest.get(), 8, 8, nullptr, menu.cells); // draws nothing
    BITMAP *hole = map.cells[194];
    map.cells[194] = nullptr;                           // a hole in the set is skipped
    glyph_text(dest.get(), 8, static_cast<int16_t>(y), "ZAZ", map.cells);
    map.cells[194] = hole;                              // the set still owns it
    glyph_text(dest.get(), 200 - 8 * 8, static_cast<int16_t>(y + 18), "LA CUEVA", menu.cells);
    glyph_text(dest.get(), -8, -4, "AB", menu.cells);           // cut at the top-left edge
    glyph_text(dest.get(), 360, 216, "XYZ", menu.cells);        // and at the bottom right
    set_clip_rect(dest.get(), 0, 0, 39, dest->h - 1);
    glyph_text(dest.get(), 0, 186, "ABCDEFGHIJ", menu.cells);   // cut by the clip rectangle
    set_clip_rect(dest.get(), 0, 0, dest->w - 1, dest->h - 1);
    EXPECT_TRUE(golden_screen("glyph_text", dest.get()));
}

} // namespace
