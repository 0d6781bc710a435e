// The tile-sheet cutter: one picture, 240 blits, nothing kept.
#include "world/tile_sheet.h"

#include "core/paths.h"

#include <allegro.h>

int16_t cut_tile_sheet(const char *file_name, const CellSet &cells) {
    PALETTE palette; // the sheets are true-colour; the palette is not used
    BITMAP *sheet = data_load_pcx(file_name, palette);
    if (!sheet) return 0;
    for (int i = 0; i < kCellCount; ++i) {
        if (!cells[i]) continue;
        int sx = kCellSize * (i % kSheetColumns);
        int sy = kCellSize * (i / kSheetColumns);
        blit(sheet, cells[i], sx, sy, 0, 0, kCellSize, kCellSize);
    }
    destroy_bitmap(sheet);
    return 1;
}
