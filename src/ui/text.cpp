// Drawing text from a cell set, one glyph a character.
#include "ui/text.h"

#include <allegro.h>

static_assert(glyph_cell('A') == 194 && glyph_cell('N') == 207 && glyph_cell('O') == 209 &&
                  glyph_cell('U') == 215 && glyph_cell('V') == 218 && glyph_cell('Z') == 222,
              "capitals skip cell 208 (the N with tilde) and cells 216, 217");
static_assert(glyph_cell('!') == 239 && glyph_cell('k') == 152 && glyph_cell(' ') == 0,
              "last punctuation and last initial");

void glyph_text(BITMAP *dest, int16_t x, int16_t y, const char *text, const CellSet &glyphs) {
    if (!dest || !text) return;
    for (int i = 0; text[i] != '\0'; ++i) {
        int cell = glyph_cell(static_cast<unsigned char>(text[i]));
        if (cell == 0 || !glyphs[cell]) continue;
        draw_sprite(dest, glyphs[cell], x + kGlyphAdvance * i, y);
    }
}
