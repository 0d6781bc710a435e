// A set of 240 cells of 16 x 16 pixels, numbered row by row as on a 384 x 160 sheet
// with 24 cells to a row: the cell below cell n is n + 24. Glyphs, tiles and sprites
// are all drawn from cell sets.
#pragma once

struct BITMAP;

constexpr int kCellSize = 16;
constexpr int kCellCount = 240;
constexpr int kSheetColumns = 24;
constexpr int kSheetWidth = kCellSize * kSheetColumns; // 384
constexpr int kSheetHeight = kCellSize * (kCellCount / kSheetColumns); // 160

typedef BITMAP *CellSet[kCellCount];
