// The bitmap font as one golden screen: a line for each kind of character (capitals,
// the decorated initials, the N with tilde, digits and punctuation, codes without a
// glyph), a line from another cell set with a hole in it, a centred title, and lines
// cut by the bitmap's edge and by a clip rectangle. (The menu panel is in every menu
// screen's golden, in both styles.)
#include "support/golden_screen.h"
#include "support/test_support.h"
#include "ui/text.h"

#include <allegro.h>
#include <gtest/gtest.h>

namespace {

using testing_support::golden_screen;

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
