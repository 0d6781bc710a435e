// The picture tool's in-memory image and palette: true-colour pixels, the one
// palette of the game (colours named by one-character keys, ramps of keys from dark
// to light), ordered dithering onto a ramp, and the error record that names the
// source file and line of a fault.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

inline bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline bool operator!=(Rgb a, Rgb b) { return !(a == b); }

// Pixels of this colour are transparent in every sheet, logo and sprite.
constexpr Rgb kMask{255, 0, 255};
// The key that stands for the mask colour in every pixel grid.
constexpr char kMaskKey = '.';

struct Image {
    int w = 0, h = 0;
    std::vector<Rgb> px;

    Image() = default;
    Image(int width, int height, Rgb fill = kMask)
        : w(width), h(height), px(static_cast<size_t>(width) * height, fill) {}
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Rgb at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    void set(int x, int y, Rgb c) {
        if (inside(x, y)) px[static_cast<size_t>(y) * w + x] = c;
    }
    bool masked(int x, int y) const { return !inside(x, y) || at(x, y) == kMask; }
};

// Where a fault was found and what it is; "file:line: message" when printed.
struct Diag {
    std::string file;
    int line = 0;
    std::string message;
    std::string text() const;
};

struct Ramp {
    std::string name;
    std::vector<Rgb> colours; // dark to light
};

struct Palette {
    bool has[128] = {};
    Rgb colour[128] = {};
    std::string name[128];
    std::vector<Ramp> ramps;

    // Null when the palette has no such ramp.
    const Ramp *ramp(const std::string &ramp_name) const;
    // The colour of a key; the mask colour for '.'.
    Rgb key(char k) const;
    // Null when no colour has that name.
    const Rgb *named(const std::string &colour_name) const;
};

// Reads the palette source. Lines: "colour <key> <r> <g> <b> <name>" and
// "ramp <name> <key> <key> ...". '#' starts a comment.
bool load_palette(const std::string &path, Palette &out, Diag &err);
bool parse_palette(const std::string &file, const std::string &text, Palette &out, Diag &err);

// Ordered (4 x 4 Bayer) dithering: t in [0, 1] along the ramp at pixel (x, y).
Rgb dither(const Ramp &ramp, double t, int x, int y);
// Threshold of the Bayer matrix at (x, y), in (0, 1).
double bayer(int x, int y);

// Copies `src` into `dst` with its top-left at (dx, dy); mask pixels are skipped
// when `masked` is set.
void blit(const Image &src, Image &dst, int dx, int dy, bool masked);
// Nearest-neighbour enlargement by a whole factor.
Image scale_up(const Image &src, int factor);
// The rectangle (x, y, w, h) of `src`.
Image crop(const Image &src, int x, int y, int w, int h);

} // namespace art
