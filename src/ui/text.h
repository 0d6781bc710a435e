// The bitmap font: every text the player sees is drawn with glyph_text, one 16 x 16
// cell a character, from whatever cell set the caller holds (the menu sprite sheet
// or a map's sprite_tiles). There is no font object and no colour: the glyphs carry
// the colours painted in the sheet.
#pragma once

#include "core/cell_set.h"

#include <cstdint>

// Character codes 0..126 have an entry; any other code draws nothing.
constexpr int kGlyphMapSize = 127;
constexpr int kGlyphAdvance = 16;

// Cell number of each character code, 0 for none. Capitals, digits and the listed
// punctuation have their glyphs; the lower-case letters j f c s p l e z k select the
// decorated initials of menu entries ("jUGAR", "sET UP"); "n" is the Spanish N with
// tilde ("ESPAnOL").
struct GlyphMap {
    uint8_t cell[kGlyphMapSize];
};

constexpr GlyphMap make_glyph_map() {
    GlyphMap m{};
    for (int c = 'A'; c <= 'N'; ++c) m.cell[c] = static_cast<uint8_t>(194 + (c - 'A'));
    m.cell[static_cast<int>('n')] = 208;
    for (int c = 'O'; c <= 'U'; ++c) m.cell[c] = static_cast<uint8_t>(209 + (c - 'O'));
    for (int c = 'V'; c <= 'Z'; ++c) m.cell[c] = static_cast<uint8_t>(218 + (c - 'V'));
    for (int c = '0'; c <= '9'; ++c) m.cell[c] = static_cast<uint8_t>(223 + (c - '0'));
    const char punctuation[] = ".,:-@?!";
    for (int i = 0; punctuation[i]; ++i)
        m.cell[static_cast<int>(punctuation[i])] = static_cast<uint8_t>(233 + i);
    const char initials[] = "jfcsplezk"; // sheet row 6, cells 144 to 152
    for (int i = 0; initials[i]; ++i)
        m.cell[static_cast<int>(initials[i])] = static_cast<uint8_t>(144 + i);
    return m;
}

inline constexpr GlyphMap glyph_map = make_glyph_map();

// The cell of character code `c` (taken as unsigned), 0 when it has none.
constexpr int glyph_cell(unsigned char c) { return c < kGlyphMapSize ? glyph_map.cell[c] : 0; }

// Draws `text` with its first cell's top-left corner at (x, y), character i at
// x + 16 * i, each glyph as a masked sprite; characters without a glyph leave their
// cell empty. Clipping is `dest`'s clip rectangle. A text of length L is centred on
// column X by passing x = X - 8 * L.
void glyph_text(BITMAP *dest, int16_t x, int16_t y, const char *text, const CellSet &glyphs);
