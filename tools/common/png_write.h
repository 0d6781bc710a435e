// A small PNG writer for the map preview: 8-bit RGB, one IDAT chunk compressed with
// our own deflate (fixed Huffman codes, greedy matching over a 32 KB window), so the
// tools need no image library. Flat pixel art compresses well with this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace maps {

struct Raster {
    int w = 0;
    int h = 0;
    std::vector<uint8_t> rgb; // w * h * 3 bytes, rows top to bottom

    uint8_t *at(int x, int y) { return &rgb[(static_cast<std::size_t>(y) * w + x) * 3]; }
    const uint8_t *at(int x, int y) const {
        return &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
    }
};

// A zlib stream (RFC 1950) holding `data` compressed with deflate (RFC 1951).
std::vector<uint8_t> zlib_compress(const std::vector<uint8_t> &data);

uint32_t crc32_of(const uint8_t *p, std::size_t n, uint32_t crc = 0);
uint32_t adler32_of(const uint8_t *p, std::size_t n);

// The bytes of a PNG file showing `img`.
std::vector<uint8_t> encode_png(const Raster &img);

} // namespace maps
