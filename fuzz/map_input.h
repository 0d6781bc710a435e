// The input layout of the fuzz targets that read whole map files (the game's loader
// and the tools' decompiler). A map file is 1.2 MB, nearly all of it pixels, so an
// input holds only what the records part and the file's length are made of, and
// the pixel area is painted once by the target:
//
//   byte 0      shape: bits 0-1 the length (0 exact, 1 with a map-id override taken
//               from the input's last 4 bytes, 2 with 1 to 3 stray bytes, 3 cut
//               short); bits 2-7 are the target's own
//   bytes 1-3   a number: how many stray bytes, or where a short file is cut
//   then        the records, in this order (missing bytes are zero): header,
//               switches, refills, text slots, rooms 0 to 24 — the small records
//               first, so a short input reaches every kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct MapInput {
    uint8_t shape;
    uint32_t number;
    std::size_t length; // of the file the input makes
};

// A whole map image (with room for an override and stray bytes), its pixel area
// painted: every colour component exercised and the mask colour every seventh
// pixel; with `noisy_high_halves`, random high halves, which the game ignores and
// the tools keep (the decompiler as one raw line each: megabytes of text).
std::vector<uint8_t> painted_map_image(bool noisy_high_halves);

// Writes the records part and the bytes after the fixed part of `image` from the
// input; the first `result.length` bytes of `image` are then the map file.
MapInput take_map_input(const uint8_t *data, std::size_t size, std::vector<uint8_t> &image);
