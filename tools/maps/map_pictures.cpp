// PCX reading and writing for the map tools, and the cutting of sheets into the map
// file's tile order.
#include "map_pictures.h"

#include "core/file_limits.h"
#include "core/owners.h"

#include <allegro.h>

#include <cstdio>

namespace maps {

namespace {

constexpr std::size_t kPcxHeaderBytes = 128;
constexpr unsigned char kNoColour = 255; // never a 6-bit palette value

} // namespace

bool read_pcx_pixels(const std::string &path, Pixels &out, std::string &why) {
    // The library's loader allocates whatever size the header declares: the header
    // is checked first, as the game checks its own pictures.
    uint8_t header[kPcxHeaderBytes];
    std::size_t got = 0;
    if (std::FILE *f = std::fopen(path.c_str(), "rb")) {
        got = std::fread(header, 1, sizeof header, f);
        std::fclose(f);
    }
    if (const char *problem = pcx_header_problem(header, got)) {
        why = problem;
        return false;
    }
    // Load in the file's own depth: a conversion to the default 8-bit depth would
    // lose colours.
    int old_conversion = get_color_conversion();
    set_color_conversion(COLORCONV_NONE);
    // The loader sets only the colours the file gives (0..63 each): an entry it
    // leaves alone keeps this mark, so a pixel of a colour the file lacks is seen.
    PALETTE pal;
    for (RGB &c : pal) c = RGB{kNoColour, kNoColour, kNoColour, 0};
    OwnedBitmap bmp(load_pcx(path.c_str(), pal));
    set_color_conversion(old_conversion);
    if (!bmp) {
        why = "is not a PCX picture that can be read";
        return false;
    }
    int depth = bitmap_color_depth(bmp.get());
    if (depth != 8 && depth != 24) {
        why = "is a PCX of " + std::to_string(depth) + " bits a pixel; 8 or 24 are read";
        return false;
    }
    out.w = bmp->w;
    out.h = bmp->h;
    out.v.assign(static_cast<std::size_t>(out.w) * out.h, 0);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            int c = getpixel(bmp.get(), x, y);
            int r, g, b;
            if (depth == 8) {
                if (pal[c].r == kNoColour) {
                    why = "uses colour " + std::to_string(c) + ", which its palette does not give";
                    return false;
                }
                r = _rgb_scale_6[pal[c].r];
                g = _rgb_scale_6[pal[c].g];
                b = _rgb_scale_6[pal[c].b];
            } else {
                r = getr24(c);
                g = getg24(c);
                b = getb24(c);
            }
            out.v[static_cast<std::size_t>(y) * out.w + x] = map_pixel_from_rgb(r, g, b);
        }
    return true;
}

Pixels as_read_back(const Pixels &in) {
    Pixels out = in;
    for (uint32_t &p : out.v) p &= 0xFFFF;
    return out;
}

bool write_pcx_pixels(const std::string &path, const Pixels &in, std::string &why) {
    OwnedBitmap bmp(create_bitmap_ex(24, in.w, in.h));
    if (!bmp) {
        why = "no memory for the picture";
        return false;
    }
    for (int y = 0; y < in.h; ++y)
        for (int x = 0; x < in.w; ++x) {
            Rgb8 c = rgb_from_map_pixel(in.at(x, y));
            putpixel(bmp.get(), x, y, makecol24(c.r, c.g, c.b));
        }
    PALETTE pal = {};
    if (save_pcx(path.c_str(), bmp.get(), pal) != 0) {
        why = "cannot be written";
        return false;
    }
    return true;
}

Pixels sheet_of(const uint32_t (&tiles)[kTileCount][kTilePixels][kTilePixels]) {
    Pixels s;
    s.w = kSheetPixelsWide;
    s.h = kSheetPixelsHigh;
    s.v.assign(static_cast<std::size_t>(s.w) * s.h, 0);
    for (int t = 0; t < kTileCount; ++t) {
        int x0 = (t % kAnimationStride) * kTilePixels;
        int y0 = (t / kAnimationStride) * kTilePixels;
        for (int y = 0; y < kTilePixels; ++y)
            for (int x = 0; x < kTilePixels; ++x)
                s.v[static_cast<std::size_t>(y0 + y) * s.w + x0 + x] = tiles[t][y][x];
    }
    return s;
}

void put_sheet(const Pixels &sheet, uint32_t (&tiles)[kTileCount][kTilePixels][kTilePixels]) {
    for (int t = 0; t < kTileCount; ++t) {
        int x0 = (t % kAnimationStride) * kTilePixels;
        int y0 = (t / kAnimationStride) * kTilePixels;
        for (int y = 0; y < kTilePixels; ++y)
            for (int x = 0; x < kTilePixels; ++x) tiles[t][y][x] = sheet.at(x0 + x, y0 + y);
    }
}

Pixels backdrop_of(const uint32_t (&backdrop)[kBackdropHeight][kBackdropWidth]) {
    Pixels p;
    p.w = kBackdropWidth;
    p.h = kBackdropHeight;
    p.v.reserve(static_cast<std::size_t>(p.w) * p.h);
    for (const auto &row : backdrop)
        for (uint32_t v : row) p.v.push_back(v);
    return p;
}

void put_backdrop(const Pixels &picture, uint32_t (&backdrop)[kBackdropHeight][kBackdropWidth]) {
    for (int y = 0; y < kBackdropHeight; ++y)
        for (int x = 0; x < kBackdropWidth; ++x) backdrop[y][x] = picture.at(x, y);
}

} // namespace maps
