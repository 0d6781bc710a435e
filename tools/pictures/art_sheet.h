// Sheets of 240 cells (384 x 160, 24 cells of 16 x 16 to a row) built from a text
// recipe: pixel grids, glyph bodies styled with an outline, copies, mirrors and
// recolourings of other cells, and procedural cells (dials, glow, tiles).
#pragma once

#include "art_image.h"

#include <string>

namespace art {

constexpr int kCell = 16;
constexpr int kColumns = 24;
constexpr int kRows = 10;
constexpr int kCells = kColumns * kRows;
constexpr int kSheetW = kCell * kColumns;
constexpr int kSheetH = kCell * kRows;

// A glyph's shape: 12 x 12 body pixels, placed at (2, 2) of its cell; the outline
// and the shadow around it are added by the style.
constexpr int kGlyphBody = 12;
constexpr int kGlyphInset = 2;

struct GlyphBody {
    bool defined = false;
    bool bit[kGlyphBody][kGlyphBody] = {};
};

struct GlyphSet {
    GlyphBody body[128]; // indexed by the character the game's text uses for it
};

// The game's character-to-cell table for its bitmap font: the cell of a character,
// or 0 when the character has no glyph.
int glyph_cell(char c);

// Cell of the top-left of dial frame f (0..15) for a dial whose frame 0 is at `first`.
int dial_frame_cell(int first, int f);

struct Sheet {
    Image image{kSheetW, kSheetH};
    bool drawn[kCells] = {};
    GlyphSet glyphs;
};

// Builds the sheet of `recipe_path`; false with `err` naming the file and line of
// the first fault.
bool build_sheet(const std::string &recipe_path, const Palette &pal, Sheet &out, Diag &err);
bool build_sheet_text(const std::string &file, const std::string &text, const Palette &pal,
                      Sheet &out, Diag &err);

// The 16 x 16 picture of cell n of a sheet image.
Image cell_image(const Image &sheet, int n);

// Styles a glyph body into a 16 x 16 cell picture (outline, shadow, lit fill).
Image render_glyph_cell(const GlyphBody &body, const Palette &pal);

} // namespace art
