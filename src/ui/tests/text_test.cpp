// Pixel tests of the bitmap font on memory bitmaps. Each cell of the test's cell set
// is painted in a colour that names its number, with one mask-coloured pixel at
// (5, 5), so a test can read back which glyph was drawn where.
#include "ui/text.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <vector>

using testing_support::BitmapPtr;
using testing_support::make_bitmap;

namespace {

constexpr int kNone = -1;

class GlyphTextTest : public ::testing::Test {
protected:
    std::vector<BitmapPtr> owned;
    CellSet menu_cells = {};
    CellSet map_cells = {};
    BitmapPtr dest = make_bitmap(32, 400, 48);
    int background = makecol32(10, 20, 30);

    void SetUp() override {
        paint(menu_cells, 99);
        paint(map_cells, 77);
        clear_to_color(dest.get(), background);
    }

    void paint(CellSet &cells, int blue) {
        for (int n = 0; n < kCellCount; ++n) {
            owned.push_back(make_bitmap(32, 16, 16));
            cells[n] = owned.back().get();
            clear_to_color(cells[n], makecol32(n, 255 - n, blue));
            putpixel(cells[n], 5, 5, bitmap_mask_color(cells[n]));
        }
    }

    // The cell drawn with its top-left corner at (x, y), kNone for background.
    int cell_at(int x, int y, int blue = 99) {
        int p = getpixel(dest.get(), x + 1, y + 1);
        if (p == background) return kNone;
        int n = getr32(p);
        EXPECT_EQ(getg32(p), 255 - n);
        EXPECT_EQ(getb32(p), blue);
        // The glyph is the same over its whole square, except its masked pixel.
        EXPECT_EQ(getpixel(dest.get(), x + 15, y + 15), p);
        EXPECT_EQ(getpixel(dest.get(), x + 5, y + 5), background);
        return n;
    }

    void expect_cells(int x, int y, const std::vector<int> &cells) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            EXPECT_EQ(cell_at(x + 16 * static_cast<int>(i), y), cells[i]) << "character " << i;
    }

    int changed_pixels() {
        int n = 0;
        for (int y = 0; y < dest->h; ++y)
            for (int x = 0; x < dest->w; ++x) n += getpixel(dest.get(), x, y) != background;
        return n;
    }
};

TEST_F(GlyphTextTest, WordIsDrawnSixteenPixelsApart) {
    glyph_text(dest.get(), 20, 8, "CUEVA", menu_cells);
    expect_cells(20, 8, {196, 215, 198, 218, 194});
    EXPECT_EQ(changed_pixels(), 5 * (256 - 1));
}

TEST_F(GlyphTextTest, LowerCaseInitialSelectsTheDecoratedGlyph) {
    glyph_text(dest.get(), 0, 0, "sET UP", menu_cells);
    expect_cells(0, 0, {147, 198, 214, kNone, 215, 210});
}

TEST_F(GlyphTextTest, EveryInitialHasItsCell) {
    glyph_text(dest.get(), 0, 0, "jfcsplezk", menu_cells);
    expect_cells(0, 0, {144, 145, 146, 147, 148, 149, 150, 151, 152});
}

TEST_F(GlyphTextTest, LowerCaseNIsTheNWithTilde) {
    glyph_text(dest.get(), 0, 16, "ESPAnOL", menu_cells);
    expect_cells(0, 16, {198, 213, 210, 194, 208, 209, 205});
}

TEST_F(GlyphTextTest, DigitsAndPunctuation) {
    glyph_text(dest.get(), 0, 0, "0189.,:-@?!", menu_cells);
    expect_cells(0, 0, {223, 224, 231, 232, 233, 234, 235, 236, 237, 238, 239});
}

TEST_F(GlyphTextTest, UnmappedCharactersLeaveAnEmptyCellAndKeepPositions) {
    glyph_text(dest.get(), 0, 0, "gIOCARE", menu_cells);
    expect_cells(0, 0, {kNone, 202, 209, 196, 194, 212, 198});
    clear_to_color(dest.get(), background);
    glyph_text(dest.get(), 0, 0, "\xC9" "A\x7F" "B#\xFF" "C", menu_cells);
    expect_cells(0, 0, {kNone, 194, kNone, 195, kNone, kNone, 196});
}

TEST_F(GlyphTextTest, EmptyOrMissingTextDrawsNothing) {
    glyph_text(dest.get(), 0, 0, "", menu_cells);
    glyph_text(dest.get(), 0, 0, nullptr, menu_cells);
    glyph_text(dest.get(), 0, 0, "   ", menu_cells);
    EXPECT_EQ(changed_pixels(), 0);
}

TEST_F(GlyphTextTest, DrawsFromTheCellSetItIsGiven) {
    glyph_text(dest.get(), 0, 0, "Z", map_cells);
    EXPECT_EQ(cell_at(0, 0, 77), 222);
    map_cells[194] = nullptr; // a hole in the set is skipped, not followed
    glyph_text(dest.get(), 16, 0, "AZ", map_cells);
    EXPECT_EQ(cell_at(16, 0), kNone);
    EXPECT_EQ(cell_at(32, 0, 77), 222);
}

TEST_F(GlyphTextTest, CentringAtXMinusEightTimesLength) {
    const char *title = "LA CUEVA";
    const int centre = 200, length = 8;
    glyph_text(dest.get(), static_cast<int16_t>(centre - 8 * length), 12, title, menu_cells);
    int left = dest->w, right = -1;
    for (int x = 0; x < dest->w; ++x)
        if (getpixel(dest.get(), x, 20) != background) {
            if (x < left) left = x;
            right = x;
        }
    EXPECT_EQ(left, 136);
    EXPECT_EQ(right, 263);
    EXPECT_EQ(centre - left, right + 1 - centre);
}

TEST_F(GlyphTextTest, TextIsCutByTheClipRectangle) {
    glyph_text(dest.get(), -8, -4, "AB", menu_cells);
    EXPECT_EQ(getr32(getpixel(dest.get(), 0, 0)), 194); // right half of A
    EXPECT_EQ(getr32(getpixel(dest.get(), 8, 11)), 195);
    EXPECT_EQ(getpixel(dest.get(), 0, 12), background);

    clear_to_color(dest.get(), background);
    set_clip_rect(dest.get(), 0, 0, 39, 47);
    glyph_text(dest.get(), 0, 40, "ABCDEFGHIJ", menu_cells);
    set_clip_rect(dest.get(), 0, 0, dest->w - 1, dest->h - 1);
    EXPECT_EQ(getr32(getpixel(dest.get(), 39, 47)), 196);
    EXPECT_EQ(getpixel(dest.get(), 40, 40), background);
    EXPECT_EQ(changed_pixels(), 40 * 8 - 3); // rows 40..47 of A, B, C less their masked pixels
}

TEST(GlyphMapTable, OnlyTheListedCodesHaveCells) {
    int mapped = 0;
    bool used[kCellCount] = {};
    for (int c = 0; c < kGlyphMapSize; ++c) {
        int cell = glyph_cell(static_cast<unsigned char>(c));
        if (cell == 0) continue;
        ++mapped;
        EXPECT_FALSE(used[cell]) << "cell " << cell << " twice";
        used[cell] = true;
    }
    EXPECT_EQ(mapped, 26 + 10 + 7 + 9 + 1); // capitals, digits, punctuation, initials, n
    for (int cell : {192, 193, 216, 217}) EXPECT_FALSE(used[cell]) << cell;
    for (char c : {' ', '"', '/', ';', '[', '\\', '_', '`', '{', '~', 'a', 'g', 'm', 'y'})
        EXPECT_EQ(glyph_cell(static_cast<unsigned char>(c)), 0) << c;
    EXPECT_EQ(glyph_cell(200), 0);
}

} // namespace
