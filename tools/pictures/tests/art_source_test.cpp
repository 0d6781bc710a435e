// The picture tool's readers: faults in a source are refused with the file, the line
// and what is wrong (palette_errors.txt, sheet_errors.txt); good sources give the
// cells they describe.
#include "art_image.h"
#include "art_sheet.h"

#include "../../common/tests/case_table.h"
#include "../../common/tests/tool_promises.h"
#include "support/corpus_seeds.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

INSTANTIATE_TEST_SUITE_P(Pictures, CorpusSeed,
                         seeds_of({{"art_palette", art_palette_promise}, {"art_sheet", art_sheet_promise}}),
                         seed_name);

const char *kPalette = "colour 0 8 6 16 ink\ncolour 1 20 16 34 shadow\ncolour a 200 10 10 red\n"
                       "colour b 10 200 10 green\ncolour c 10 10 200 blue\ncolour d 250 250 250 light\n"
                       "ramp glyph a b c d\nramp plate a b\nramp rim c d\nramp stone 0 a b c\n"
                       "ramp meter a b c\nramp ember a b c d\n";
const art::Rgb kInk{8, 6, 16}, kRed{200, 10, 10}, kGreen{10, 200, 10};

art::Palette palette() {
    art::Palette pal;
    art::Diag err;
    EXPECT_TRUE(art::parse_palette("pal.txt", kPalette, pal, err)) << err.text();
    return pal;
}

struct Built {
    bool ok;
    art::Diag err;
    std::unique_ptr<art::Sheet> sheet;
    art::Image cell(int n) const { return art::cell_image(sheet->image, n); }
};

Built build(const std::string &text) {
    Built b{false, {}, std::make_unique<art::Sheet>()};
    b.ok = art::build_sheet_text("recipe.txt", text, palette(), *b.sheet, b.err);
    return b;
}

TEST(Palette, ReadsColoursAndRamps) {
    art::Palette pal = palette();
    EXPECT_EQ(pal.key('a'), kRed);
    EXPECT_EQ(pal.key('.'), art::kMask);
    ASSERT_NE(pal.ramp("glyph"), nullptr);
    EXPECT_EQ(pal.ramp("glyph")->colours, (std::vector<art::Rgb>{kRed, kGreen, {10, 10, 200}, {250, 250, 250}}));
    ASSERT_NE(pal.named("ink"), nullptr);
    EXPECT_EQ(*pal.named("ink"), kInk);
}

class PaletteErrors : public ::testing::TestWithParam<TextCase> {};

TEST_P(PaletteErrors, NameTheFileTheLineAndTheFault) {
    art::Palette pal;
    art::Diag err;
    EXPECT_FALSE(art::parse_palette("p.txt", GetParam().text, pal, err));
    EXPECT_TRUE(says(err.text(), "p.txt", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, PaletteErrors, ::testing::ValuesIn(read_cases(__FILE__, "palette_errors.txt")),
                         case_name);

class SheetErrors : public ::testing::TestWithParam<TextCase> {};

TEST_P(SheetErrors, NameTheFileTheLineAndTheFault) {
    Built b = build(GetParam().text);
    EXPECT_FALSE(b.ok);
    EXPECT_TRUE(says(b.err.text(), "recipe.txt", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, SheetErrors, ::testing::ValuesIn(read_cases(__FILE__, "sheet_errors.txt")),
                         case_name);

TEST(Sheet, GridCellsLandAtTheirPlaceAndDerivedCellsMirrorShiftAndRecolour) {
    // Cell 25 is the second cell of the second row; a 2x1 block covers 25 and 26.
    std::string text = "cells 25 2x1\n";
    for (int i = 0; i < 16; ++i) text += std::string(16, 'a') + std::string(16, 'b') + "\n";
    text += "cells 0 1x1\n";
    for (int y = 0; y < 16; ++y) text += "a" + std::string(15, '.') + "\n";
    text += "mirror 1 0\nshift 2 0 3 0\nrecolour 3 0 ab\nflip 4 0\n";
    Built b = build(text);
    ASSERT_TRUE(b.ok) << b.err.text();
    const art::Image &s = b.sheet->image;
    EXPECT_EQ(s.at(16, 16), kRed);
    EXPECT_EQ(s.at(47, 31), kGreen);
    EXPECT_EQ(s.at(15, 16), art::kMask);
    EXPECT_TRUE(b.sheet->drawn[25] && b.sheet->drawn[26]);
    EXPECT_FALSE(b.sheet->drawn[24]);
    EXPECT_EQ(s.at(16 + 15, 5), kRed); // mirrored to the right edge
    EXPECT_EQ(s.at(16, 5), art::kMask);
    EXPECT_EQ(s.at(32 + 3, 5), kRed); // moved 3 right
    EXPECT_EQ(s.at(32, 5), art::kMask);
    EXPECT_EQ(s.at(48, 5), kGreen); // red became green
}

TEST(Sheet, AGlyphGetsAnOutlineAndKeepsTheRestMasked) {
    // A 2 x 2 body in the middle of the 12 x 12 grid.
    std::string text = "glyph 233 .\n";
    for (int y = 0; y < 12; ++y) text += (y == 5 || y == 6) ? ".....##.....\n" : "............\n";
    Built b = build(text);
    ASSERT_TRUE(b.ok) << b.err.text();
    art::Image cell = b.cell(233);
    // Body at (7..8, 7..8) of the cell, ringed by ink on all eight sides.
    for (int y = 6; y <= 9; ++y)
        for (int x = 6; x <= 9; ++x) {
            bool body = x >= 7 && x <= 8 && y >= 7 && y <= 8;
            EXPECT_EQ(cell.at(x, y) == kInk, !body) << x << "," << y;
            EXPECT_NE(cell.at(x, y), art::kMask);
        }
    EXPECT_EQ(cell.at(0, 0), art::kMask);
    EXPECT_EQ(cell.at(3, 12), art::kMask);
}

TEST(Sheet, DialFramesFillTheirBlocks) {
    Built b = build("dial 0\n");
    ASSERT_TRUE(b.ok) << b.err.text();
    for (int n = 0; n < 144; ++n) EXPECT_TRUE(b.sheet->drawn[n]) << n;
    EXPECT_FALSE(b.sheet->drawn[144]);
}

TEST(Sheet, GroundCellsShowTheirExposedEdges) {
    Built b = build("ground 0 rock stone - 4\n");
    ASSERT_TRUE(b.ok) << b.err.text();
    art::Image inner = b.cell(0), top = b.cell(1), all = b.cell(15); // no edge, the top, every edge
    for (int x = 0; x < 16; ++x) {
        EXPECT_NE(inner.at(x, 0), kInk);
        EXPECT_EQ(top.at(x, 0), kInk);
    }
    EXPECT_EQ(all.at(0, 0), art::kMask); // rounded corner
    EXPECT_EQ(all.at(8, 15), kInk);
    EXPECT_EQ(all.at(0, 8), kInk);
    // An inner cell is opaque everywhere: solid ground has no holes.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_NE(inner.at(x, y), art::kMask);
}

TEST(Sheet, IncludeReadsBesideTheIncludingFile) {
    Built b = build("include sub/glyphs.txt\n");
    EXPECT_FALSE(b.ok);
    EXPECT_NE(b.err.message.find("sub/glyphs.txt"), std::string::npos);
}

} // namespace
