// Cutting a 384 x 160 picture into the 240 cells of a CellSet.
#pragma once

#include "core/cell_set.h"

#include <cstdint>

// Loads the PCX picture `file_name` and copies cell i from column i mod 24 and row
// i / 24 of the sheet into the caller's 16 x 16 bitmap cells[i] (null cells are
// skipped; a sheet smaller than 384 x 160 fills only what it covers), converting to
// each cell's colour depth. Returns 1, or 0 when the picture cannot be loaded or its
// data ends early, in which case the cells keep what they held. Nothing is kept.
int16_t cut_tile_sheet(const char *file_name, const CellSet &cells);
