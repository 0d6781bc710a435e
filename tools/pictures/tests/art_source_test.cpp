// The picture tool's readers: faults in a source are refused with the file, the line
// and what is wrong; good sources give the cells they describe.
#include "art_image.h"
#include "art_sheet.h"
#include "art_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const char *kPalette =
    "colour 0 8 6 16 ink\n"
    "colour 1 20 16 34 shadow\n"
    "colour a 200 10 10 red\n"
    "colour b 10 200 10 green\n"
    "colour c 10 10 200 blue\n"
    "colour d 250 250 250 light\n"
    "ramp glyph a b c d\n"
    "ramp plate a b\n"
    "ramp rim c d\n"
    "ramp stone 0 a b c\n"
    "ramp meter a b c\n"
    "ramp ember a b c d\n";

art::Palette palette() {
    art::Palette pal;
    art::Diag err;
    EXPECT_TRUE(art::parse_palette("pal.txt", kPalette, pal, err)) << err.text();
    return pal;
}

std::string grid(int rows, int cols, char fill) {
    std::string s;
    for (int r = 0; r < rows; ++r) s += std::string(static_cast<size_t>(cols), fill) + "\n";
    return s;
}

struct Built {
    bool ok;
    art::Diag err;
    std::unique_ptr<art::Sheet> sheet;
};

Built build(const std::string &text) {
    Built b{false, {}, std::make_unique<art::Sheet>()};
    b.ok = art::build_sheet_text("recipe.txt", text, palette(), *b.sheet, b.err);
    return b;
}

TEST(Palette, ReadsColoursAndRamps) {
    art::Palette pal = palette();
    EXPECT_EQ(pal.key('a'), (art::Rgb{200, 10, 10}));
    EXPECT_EQ(pal.key('.'), art::kMask);
    ASSERT_NE(pal.ramp("glyph"), nullptr);
    EXPECT_EQ(pal.ramp("glyph")->colours.size(), 4u);
    ASSERT_NE(pal.named("ink"), nullptr);
    EXPECT_EQ(*pal.named("ink"), (art::Rgb{8, 6, 16}));
}

TEST(Palette, RefusesFaultsWithTheirLine) {
    struct Case {
        const char *text;
        int line;
        const char *words;
    } cases[] = {
        {"colour a 1 2 3 x\ncolour a 4 5 6 y\n", 2, "already"},
        {"colour a 1 2 300 x\n", 1, "300"},
        {"colour . 1 2 3 x\n", 1, "reserved"},
        {"colour a 255 0 255 x\n", 1, "mask"},
        {"colour a 1 2 3 x\nramp r a z\n", 2, "'z'"},
        {"\n\ncolor a 1 2 3 x\n", 3, "color"},
    };
    for (const Case &c : cases) {
        art::Palette pal;
        art::Diag err;
        EXPECT_FALSE(art::parse_palette("p.txt", c.text, pal, err)) << c.text;
        EXPECT_EQ(err.line, c.line) << c.text;
        EXPECT_NE(err.text().find(c.words), std::string::npos) << err.text();
        EXPECT_EQ(err.text().rfind("p.txt:", 0), 0u) << err.text();
    }
}

TEST(Recipe, GridCellsLandAtTheirSheetPosition) {
    // Cell 25 is the second cell of the second row; a 2x1 block covers 25 and 26.
    std::string row = std::string(16, 'a') + std::string(16, 'b');
    std::string text = "cells 25 2x1\n";
    for (int i = 0; i < 16; ++i) text += row + "\n";
    Built b = build(text);
    ASSERT_TRUE(b.ok) << b.err.text();
    EXPECT_EQ(b.sheet->image.at(16, 16), (art::Rgb{200, 10, 10}));
    EXPECT_EQ(b.sheet->image.at(47, 31), (art::Rgb{10, 200, 10}));
    EXPECT_EQ(b.sheet->image.at(15, 16), art::kMask);
    EXPECT_TRUE(b.sheet->drawn[25] && b.sheet->drawn[26]);
    EXPECT_FALSE(b.sheet->drawn[24]);
}

TEST(Recipe, DerivedCellsMirrorShiftAndRecolour) {
    std::string text = "cells 0 1x1\n";
    for (int y = 0; y < 16; ++y) text += "a" + std::string(15, '.') + "\n";
    text += "mirror 1 0\nshift 2 0 3 0\nrecolour 3 0 ab\nflip 4 0\n";
    Built b = build(text);
    ASSERT_TRUE(b.ok) << b.err.text();
    const art::Image &s = b.sheet->image;
    EXPECT_EQ(s.at(16 + 15, 5), (art::Rgb{200, 10, 10})); // mirrored to the right edge
    EXPECT_EQ(s.at(16, 5), art::kMask);
    EXPECT_EQ(s.at(32 + 3, 5), (art::Rgb{200, 10, 10})); // moved 3 right
    EXPECT_EQ(s.at(32, 5), art::kMask);
    EXPECT_EQ(s.at(48, 5), (art::Rgb{10, 200, 10})); // red became green
}

TEST(Recipe, RefusesFaultsWithFileAndLine) {
    std::string good_cell = "cells 3 1x1\n" + grid(16, 16, 'a');
    struct Case {
        std::string text;
        int line;
        const char *words;
    } cases[] = {
        {"cells 0 1x1\n" + grid(15, 16, 'a'), 1, "15 rows"},
        {"cells 0 1x1\n" + grid(3, 16, 'a') + std::string(15, 'a') + "\n" + grid(12, 16, 'a'), 5, "has 15"},
        {"cells 0 1x1\n" + grid(2, 16, 'a') + "aaaaaaaaaaaazaaa\n" + grid(13, 16, 'a'), 4, "column 13"},
        {good_cell + good_cell, 18, "already drawn at recipe.txt:1"},
        {"cells 23 2x1\n" + grid(16, 32, 'a'), 1, "runs off"},
        {"cells 240 1x1\n", 1, "240"},
        {"mirror 1 0\n", 1, "not been drawn"},
        {"glyph 195 A\n" + grid(12, 12, '#'), 1, "194"},
        {"glyph 194 A\n" + grid(11, 12, '#') + "###x########\n", 13, "'x'"},
        {"glyph 170 g\n", 1, "no glyph"},
        {"initial 144 j\n", 1, "before its initial"},
        {"\n# note\nsplat 1\n", 3, "unknown directive"},
        {"include nowhere.txt\n", 1, "cannot open"},
        {"stripes 5 nothing 1\n", 1, "no ramp"},
        {"ground 10 rock stone - 1\n", 1, "one row"},
        {"tile 10 rock stone - 1 tx\n", 1, "edges"},
        {"dial 1\n", 1, "whole rows"},
    };
    for (const Case &c : cases) {
        Built b = build(c.text);
        EXPECT_FALSE(b.ok) << c.text;
        EXPECT_EQ(b.err.line, c.line) << b.err.text();
        EXPECT_EQ(b.err.file, "recipe.txt") << b.err.text();
        EXPECT_NE(b.err.message.find(c.words), std::string::npos) << b.err.text();
    }
}

TEST(Recipe, GlyphGetsAnOutlineAndKeepsTheRestMasked) {
    // A 2 x 2 body in the middle of the 12 x 12 grid.
    std::string text = "glyph 233 .\n";
    for (int y = 0; y < 12; ++y) text += (y == 5 || y == 6) ? ".....##.....\n" : "............\n";
    Built b = build(text);
    ASSERT_TRUE(b.ok) << b.err.text();
    art::Image cell = art::cell_image(b.sheet->image, 233);
    art::Rgb ink{8, 6, 16};
    // Body at (7..8, 7..8) of the cell, ringed by ink on all eight sides.
    for (int y = 6; y <= 9; ++y)
        for (int x = 6; x <= 9; ++x) {
            bool body = x >= 7 && x <= 8 && y >= 7 && y <= 8;
            if (body) EXPECT_NE(cell.at(x, y), ink);
            else EXPECT_EQ(cell.at(x, y), ink) << x << "," << y;
            EXPECT_NE(cell.at(x, y), art::kMask);
        }
    EXPECT_EQ(cell.at(0, 0), art::kMask);
    EXPECT_EQ(cell.at(3, 12), art::kMask);
}

TEST(Recipe, DialFramesFillTheirThreeByThreeBlocks) {
    Built b = build("dial 0\n");
    ASSERT_TRUE(b.ok) << b.err.text();
    for (int n = 0; n < 144; ++n) EXPECT_TRUE(b.sheet->drawn[n]) << n;
    EXPECT_FALSE(b.sheet->drawn[144]);
    EXPECT_EQ(art::dial_frame_cell(0, 15), 93);
    EXPECT_EQ(art::dial_frame_cell(0, 8), 72);
}

TEST(Recipe, GroundCellsShowTheirExposedEdges) {
    Built b = build("ground 0 rock stone - 4\n");
    ASSERT_TRUE(b.ok) << b.err.text();
    art::Rgb ink{8, 6, 16};
    art::Image inner = art::cell_image(b.sheet->image, 0);
    art::Image top = art::cell_image(b.sheet->image, 1);   // top edge exposed
    art::Image all = art::cell_image(b.sheet->image, 15);  // every edge exposed
    int inner_ink = 0;
    for (int x = 0; x < 16; ++x) inner_ink += inner.at(x, 0) == ink;
    EXPECT_EQ(inner_ink, 0);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(top.at(x, 0), ink);
    EXPECT_EQ(all.at(0, 0), art::kMask); // rounded corner
    EXPECT_EQ(all.at(8, 15), ink);
    EXPECT_EQ(all.at(0, 8), ink);
    // An inner cell is opaque everywhere: solid ground has no holes.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_NE(inner.at(x, y), art::kMask);
}

TEST(Recipe, IncludeReadsBesideTheIncludingFile) {
    // A missing include names the path it tried, resolved beside the recipe.
    Built b = build("include sub/glyphs.txt\n");
    EXPECT_FALSE(b.ok);
    EXPECT_NE(b.err.message.find("sub/glyphs.txt"), std::string::npos);
}

} // namespace
