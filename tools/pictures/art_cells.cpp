// Procedural cells. Everything is drawn in palette colours with ordered dithering,
// so the generated cells sit beside the hand-drawn grids without a change of style.
#include "art_cells.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool need_ramp(const Palette &pal, const char *name, const Ramp *&out, std::string &why) {
    out = pal.ramp(name);
    if (!out) why = std::string("the palette has no ramp \"") + name + "\"";
    return out != nullptr;
}

bool need_colour(const Palette &pal, const char *name, Rgb &out, std::string &why) {
    const Rgb *c = pal.named(name);
    if (!c) {
        why = std::string("the palette has no colour named \"") + name + "\"";
        return false;
    }
    out = *c;
    return true;
}

Rgb ramp_at(const Ramp &r, int i) {
    int n = static_cast<int>(r.colours.size());
    return r.colours[std::clamp(i, 0, n - 1)];
}

double smooth(double t) { return t * t * (3 - 2 * t); }

} // namespace

double hash01(int seed, int x, int y) {
    uint32_t h = static_cast<uint32_t>(seed) * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / static_cast<double>(0x1000000);
}

double periodic_noise(double x, double y, double spacing, int period, int seed) {
    double gx = x / spacing, gy = y / spacing;
    int ix = static_cast<int>(std::floor(gx)), iy = static_cast<int>(std::floor(gy));
    double fx = smooth(gx - ix), fy = smooth(gy - iy);
    auto at = [&](int i, int j) {
        return hash01(seed, ((i % period) + period) % period, ((j % period) + period) % period);
    };
    double a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

double value_noise(double x, double y, double spacing, int seed) {
    return periodic_noise(x, y, spacing, 1 << 20, seed);
}

bool cell_style(const Palette &pal, CellStyle &out, std::string &why) {
    return need_colour(pal, "ink", out.ink, why) && need_colour(pal, "shadow", out.shadow, why) &&
           need_ramp(pal, "glyph", out.glyph, why) && need_ramp(pal, "plate", out.plate, why) &&
           need_ramp(pal, "rim", out.rim, why);
}

namespace {

// Body, outline and shadow of a glyph placed at (2, 2) of a 16 x 16 cell.
struct GlyphMasks {
    bool body[16][16] = {};
    bool outline[16][16] = {};
    bool shadow[16][16] = {};
};

GlyphMasks glyph_masks(const GlyphBody &g) {
    GlyphMasks m;
    for (int y = 0; y < kGlyphBody; ++y)
        for (int x = 0; x < kGlyphBody; ++x) m.body[y + kGlyphInset][x + kGlyphInset] = g.bit[y][x];
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (m.body[y][x]) continue;
            for (int dy = -1; dy <= 1 && !m.outline[y][x]; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    int yy = y + dy, xx = x + dx;
                    if (yy >= 0 && yy < 16 && xx >= 0 && xx < 16 && m.body[yy][xx]) {
                        m.outline[y][x] = true;
                        break;
                    }
                }
        }
    for (int y = 1; y < 16; ++y)
        for (int x = 1; x < 16; ++x)
            if (!m.body[y][x] && !m.outline[y][x] && (m.outline[y - 1][x - 1] || m.body[y - 1][x - 1]))
                m.shadow[y][x] = true;
    return m;
}

// Fill colour of body pixel (x, y) of a 16-pixel glyph: light on top, warmer
// below, and a highlight along every upper edge.
Rgb glyph_fill(const GlyphMasks &m, const Ramp &ramp, int x, int y) {
    int n = static_cast<int>(ramp.colours.size());
    int row = y - kGlyphInset; // 0..11
    bool top_edge = y == 0 || !m.body[y - 1][x];
    if (top_edge) return ramp.colours[n - 1];
    int i = n - 1 - (row * n) / kGlyphBody;
    return ramp_at(ramp, std::min(i, n - 2));
}

} // namespace

Image styled_glyph(const GlyphBody &body, const CellStyle &style) {
    GlyphMasks m = glyph_masks(body);
    Image out(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (m.body[y][x]) out.set(x, y, glyph_fill(m, *style.glyph, x, y));
            else if (m.outline[y][x]) out.set(x, y, style.ink);
            else if (m.shadow[y][x]) out.set(x, y, style.shadow);
        }
    return out;
}

Image decorated_initial(const GlyphBody &body, const CellStyle &style) {
    GlyphMasks m = glyph_masks(body);
    Image out(16, 16);
    const Ramp &plate = *style.plate;
    const Ramp &rim = *style.rim;
    int pn = static_cast<int>(plate.colours.size());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            // A plate with clipped corners: ink border, a lit rim, a dark gradient inside.
            int cx = std::min(x, 15 - x), cy = std::min(y, 15 - y);
            if (cx + cy < 2) continue;
            Rgb c;
            if (cx == 0 || cy == 0 || cx + cy == 2) c = style.ink;
            else if (cx == 1 || cy == 1) c = (y < 8) ? ramp_at(rim, 99) : ramp_at(rim, 0);
            else c = dither(plate, 0.15 + 0.55 * (1.0 - y / 15.0), x, y);
            out.set(x, y, c);
        }
    // Four studs in the corners of the plate.
    const int studs[4][2] = {{2, 2}, {13, 2}, {2, 13}, {13, 13}};
    for (const auto &s : studs)
        if (!m.body[s[1]][s[0]] && !m.outline[s[1]][s[0]]) out.set(s[0], s[1], ramp_at(rim, 99));
    (void)pn;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (m.body[y][x]) out.set(x, y, glyph_fill(m, *style.glyph, x, y));
            else if (m.outline[y][x]) out.set(x, y, style.ink);
        }
    return out;
}

bool dial_frame(const Palette &pal, int f, Image &out, std::string &why) {
    const Ramp *stone, *meter, *ember;
    Rgb ink, shadow;
    if (!need_ramp(pal, "stone", stone, why) || !need_ramp(pal, "meter", meter, why) ||
        !need_ramp(pal, "ember", ember, why) || !need_colour(pal, "ink", ink, why) ||
        !need_colour(pal, "shadow", shadow, why))
        return false;
    constexpr int kSegments = 15;
    constexpr double kSweep = 1.5 * kPi; // 270 degrees, clockwise on the screen
    constexpr double kStart = 0.75 * kPi; // from the lower left
    out = Image(48, 48);
    const double cx = 23.5, cy = 23.5;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            double dx = x - cx, dy = y - cy;
            double r = std::sqrt(dx * dx + dy * dy);
            // With y pointing down, atan2 grows clockwise on the screen.
            double rel = std::fmod(std::atan2(dy, dx) - kStart + 4 * kPi, 2 * kPi);
            if (r > 23.6) continue;
            if (r > 22.7) {
                out.set(x, y, ink);
            } else if (r <= 13.5) {
                // The knob, lit from the upper left.
                double light = 0.55 - (dx + dy) / 40.0 - r / 60.0;
                out.set(x, y, r > 12.6 ? ink : dither(*stone, light, x, y));
            } else if (r <= 15.0) {
                out.set(x, y, shadow);
            } else if (rel <= kSweep && r >= 16.5 && r <= 21.8) {
                double pos = rel / kSweep * kSegments;
                int seg = std::min(static_cast<int>(pos), kSegments - 1);
                double frac = pos - seg;
                if (frac < 0.22) out.set(x, y, ink);
                else if (seg < f) out.set(x, y, ramp_at(*meter, seg * static_cast<int>(meter->colours.size()) / kSegments));
                else out.set(x, y, ramp_at(*stone, 2));
            } else {
                // The plate the knob and the ring sit on.
                out.set(x, y, r < 16.5 || r > 21.8 ? ink : ramp_at(*stone, 1));
            }
        }
    // The pointer shows the same level as the ring.
    double ang = kStart + kSweep * (f / 15.0);
    for (double t = 2.0; t <= 11.0; t += 0.25) {
        int px = static_cast<int>(std::lround(cx + std::cos(ang) * t));
        int py = static_cast<int>(std::lround(cy + std::sin(ang) * t));
        out.set(px, py, ramp_at(*ember, t > 8 ? 99 : 3));
        out.set(px + 1, py, ramp_at(*ember, 2));
    }
    out.set(23, 23, ink);
    out.set(24, 24, ink);
    return true;
}

Image glow_picture(const Ramp &ramp, int variant) {
    Image out(32, 32);
    const double radius = 13.0 + (variant % 2) * 1.5 + (variant == 2 ? 1.0 : 0.0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            double dx = x - 15.5, dy = y - 15.5;
            double r = std::sqrt(dx * dx + dy * dy);
            double flicker = (value_noise(x + variant * 37, y, 5.0, 71) - 0.5) * 2.5;
            double t = 1.0 - (r + flicker) / radius;
            if (t <= 0) continue;
            if (t < 0.25 && bayer(x, y) > t * 4) continue; // a dithered fringe
            out.set(x, y, dither(ramp, 0.2 + 0.8 * t, x + variant, y));
        }
    return out;
}

Image drifter_picture(const Ramp &ramp) {
    Image out(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            double u = (x - 15.5) / 15.0, v = (y - 15.5) / 15.0;
            double au = std::fabs(u);
            // Wings: a band that rises to the tips, scalloped below.
            double top = -0.5 + 0.55 * au * au;
            double bottom = 0.4 - 0.22 * std::fabs(std::sin(au * kPi * 2.5)) - 0.15 * au;
            bool wing = au < 0.95 && v > top && v < bottom;
            bool body = au < 0.14 && v > -0.55 && v < 0.45;
            bool ear = au > 0.05 && au < 0.14 && v > -0.7 && v <= -0.55;
            double mist = value_noise(x, y, 4.0, 29);
            if (!(wing || body || ear)) {
                // A thin haze round the shape.
                double d = std::hypot(u, v * 1.6);
                if (d < 0.9 && mist > 0.55 && bayer(x, y) < 0.3) out.set(x, y, ramp.colours.front());
                continue;
            }
            out.set(x, y, dither(ramp, 0.35 + 0.6 * (1.0 - std::hypot(u, v)) + 0.2 * (mist - 0.5), x, y));
        }
    return out;
}

Image stripes(const Ramp &ramp, int slope) {
    static const int band[8] = {0, 0, 1, 2, 3, 3, 2, 1};
    Image out(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            int k = ((x + slope * y) % 8 + 8) % 8;
            out.set(x, y, ramp_at(ramp, band[k]));
        }
    return out;
}

bool material_from_name(const std::string &name, Material &out) {
    if (name == "rock") out = Material::Rock;
    else if (name == "brick") out = Material::Brick;
    else if (name == "block") out = Material::Block;
    else return false;
    return true;
}

namespace {

// Brightness (0..1) of the material at (x, y), before edges; seamless in 16.
double material_tone(Material m, int seed, int x, int y, bool &seam) {
    seam = false;
    switch (m) {
    case Material::Rock: {
        double n = 0.6 * periodic_noise(x, y, 4.0, 4, seed) + 0.4 * periodic_noise(x, y, 2.0, 8, seed + 1);
        if (std::fabs(n - 0.5) < 0.025) seam = true; // thin cracks
        return 0.2 + 0.55 * n;
    }
    case Material::Brick: {
        int row = y / 4;
        int shift = (row % 2) * 4;
        int bx = ((x + shift) / 8) % 2;
        if (y % 4 == 3 || (x + shift) % 8 == 7) {
            seam = true;
            return 0;
        }
        double base = 0.3 + 0.3 * hash01(seed, bx + 2 * row, row);
        bool lit = y % 4 == 0 || (x + shift) % 8 == 0;
        return base + (lit ? 0.2 : 0) + 0.1 * (periodic_noise(x, y, 2.0, 8, seed) - 0.5);
    }
    case Material::Block: {
        if (x == 15 || y == 15) {
            seam = true;
            return 0;
        }
        double t = 0.45 + 0.15 * (periodic_noise(x, y, 4.0, 4, seed) - 0.5);
        if (x == 0 || y == 0) t += 0.25;
        if (x == 14 || y == 14) t -= 0.2;
        return t;
    }
    }
    return 0.5;
}

} // namespace

Image ground_tile(Material material, const Ramp &body, const Ramp *top, Rgb ink, int seed, int edges) {
    Image out(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool seam;
            double t = material_tone(material, seed, x, y, seam);
            // Exposed sides catch the light above and fall into shadow below.
            if ((edges & kEdgeTop) && y <= 2) t += (3 - y) * 0.12;
            if ((edges & kEdgeLeft) && x <= 1) t += 0.1;
            if ((edges & kEdgeBottom) && y >= 13) t -= (y - 12) * 0.1;
            if ((edges & kEdgeRight) && x >= 14) t -= 0.12;
            Rgb c = seam ? ramp_at(body, 1) : dither(body, std::clamp(t, 0.0, 1.0), x, y);
            out.set(x, y, c);
        }
    if (top && (edges & kEdgeTop)) {
        // A growth over the top edge, hanging down unevenly.
        for (int x = 0; x < 16; ++x) {
            int depth = 2 + static_cast<int>(hash01(seed + 7, x / 2, 0) * 3.0);
            if (hash01(seed + 9, x, 1) > 0.8) depth += 2;
            for (int y = 1; y <= depth && y < 16; ++y) {
                double t = 1.0 - (y - 1) / static_cast<double>(depth + 1);
                out.set(x, y, y == depth ? ramp_at(*top, 0) : dither(*top, 0.2 + 0.8 * t, x, y));
            }
        }
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool on_edge = ((edges & kEdgeTop) && y == 0) || ((edges & kEdgeBottom) && y == 15) ||
                           ((edges & kEdgeLeft) && x == 0) || ((edges & kEdgeRight) && x == 15);
            if (on_edge) out.set(x, y, ink);
        }
    // Rounded outer corners where two exposed sides meet.
    auto corner = [&](int bits, int cx, int cy, int sx, int sy) {
        if ((edges & bits) != bits) return;
        out.set(cx, cy, kMask);
        out.set(cx + sx, cy, kMask);
        out.set(cx, cy + sy, kMask);
        out.set(cx + sx, cy + sy, ink);
    };
    corner(kEdgeTop | kEdgeLeft, 0, 0, 1, 1);
    corner(kEdgeTop | kEdgeRight, 15, 0, -1, 1);
    corner(kEdgeBottom | kEdgeLeft, 0, 15, 1, -1);
    corner(kEdgeBottom | kEdgeRight, 15, 15, -1, -1);
    return out;
}

Image back_wall(Material material, const Ramp &body, int seed) {
    Image out(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool seam;
            double t = material_tone(material, seed, x, y, seam);
            out.set(x, y, seam ? ramp_at(body, 0) : dither(body, std::clamp(t * 0.45, 0.0, 1.0), x, y));
        }
    return out;
}

} // namespace art
