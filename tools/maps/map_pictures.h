// Pictures in and out of a map: the generated PCX sheets and backdrops become the
// map file's 5-6-5 pixel values, and the decompiler writes those values back out as
// 24-bit PCX files that read back to the very same values. Needs Allegro installed
// (SYSTEM_NONE is enough).
#pragma once

#include "world/map_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace maps {

struct Pixels {
    int w = 0;
    int h = 0;
    std::vector<uint32_t> v; // row by row, map pixel values (5-6-5 in the low 16 bits)

    uint32_t at(int x, int y) const { return v[static_cast<std::size_t>(y) * w + x]; }
};

// The stored value of an 8-bit colour: each channel cut to its top bits, as the
// game's 16-bit screen does. Magenta (255, 0, 255) becomes the mask 0xF81F.
constexpr uint32_t map_pixel_from_rgb(int r, int g, int b) {
    return static_cast<uint32_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

static_assert(map_pixel_from_rgb(255, 0, 255) == kMapMaskColour, "magenta is the mask");

// Reads an 8-bit (palette) or 24-bit PCX. False with `why` when it cannot be read:
// a header the game's own check refuses (core/file_limits.h: beyond 640 x 480), a
// depth other than 8 or 24 bits, or a pixel whose colour the palette lacks.
bool read_pcx_pixels(const std::string &path, Pixels &out, std::string &why);

// What writing `in` to a PCX and reading it back gives: the low 16 bits of each value.
Pixels as_read_back(const Pixels &in);

// Writes `in` as a 24-bit PCX at exactly `path` (the caller chooses a part-file name
// and renames it when everything is written).
bool write_pcx_pixels(const std::string &path, const Pixels &in, std::string &why);

// ---- Sheets and backdrops inside a MapImage -------------------------------------------

Pixels sheet_of(const uint32_t (&tiles)[kTileCount][kTilePixels][kTilePixels]);
void put_sheet(const Pixels &sheet, uint32_t (&tiles)[kTileCount][kTilePixels][kTilePixels]);
Pixels backdrop_of(const uint32_t (&backdrop)[kBackdropHeight][kBackdropWidth]);
void put_backdrop(const Pixels &picture, uint32_t (&backdrop)[kBackdropHeight][kBackdropWidth]);

constexpr int kSheetPixelsWide = kTilePixels * kAnimationStride;             // 384
constexpr int kSheetPixelsHigh = kTilePixels * (kTileCount / kAnimationStride); // 160

} // namespace maps
