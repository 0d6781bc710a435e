// Procedural pictures. Each scene paints at a low art resolution in palette colours
// (ordered dithering between ramp neighbours) and is enlarged by a whole factor, so
// the big pictures have the same pixels as the sprites. Sizes and regions follow
// what the game draws: the logo's top 640 x 479, the menu backdrop under a rippling
// reflection of the title from row 110 (row 64 at low resolution), the play-screen
// frame around a 480 x 288 window at (81, 17), and the energy bar's slot.
#include "art_scenes.h"

#include "art_cells.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace art {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Paint {
    const Palette &pal;
    const GlyphSet &glyphs;
    const Ramp *sky, *violet, *stone, *earth, *moss, *ember, *moon, *teal, *night, *dusk, *water, *castle,
        *glyph, *lamp, *blood;
    Rgb ink, shadow;
};

Rgb at_ramp(const Ramp &r, int i) {
    int n = static_cast<int>(r.colours.size());
    return r.colours[std::clamp(i, 0, n - 1)];
}

// ---- painting helpers ---------------------------------------------------------

// Vertical gradient from t0 at row y0 to t1 at row y1 along a ramp.
void gradient(Image &img, const Ramp &r, int y0, int y1, double t0, double t1) {
    for (int y = std::max(0, y0); y < std::min(img.h, y1); ++y) {
        double t = t0 + (t1 - t0) * (y - y0) / std::max(1, y1 - y0 - 1);
        for (int x = 0; x < img.w; ++x) img.set(x, y, dither(r, t, x, y));
    }
}

void stars(Image &img, const Paint &p, int seed, int y_max, double density) {
    for (int y = 0; y < std::min(y_max, img.h); ++y)
        for (int x = 0; x < img.w; ++x) {
            double h = hash01(seed, x, y);
            if (h > density) continue;
            double fade = 1.0 - static_cast<double>(y) / y_max; // fewer near the horizon
            if (hash01(seed + 1, x, y) > fade + 0.2) continue;
            double b = hash01(seed + 2, x, y);
            img.set(x, y, b > 0.8 ? at_ramp(*p.moon, 3) : b > 0.4 ? at_ramp(*p.moon, 1) : at_ramp(*p.sky, 5));
            if (b > 0.97) { // a bright star with a small cross
                Rgb c = at_ramp(*p.sky, 5);
                img.set(x - 1, y, c);
                img.set(x + 1, y, c);
                img.set(x, y - 1, c);
                img.set(x, y + 1, c);
            }
        }
}

void moon(Image &img, const Paint &p, double cx, double cy, double r) {
    // Halo first, then the disc with darker seas.
    for (int y = static_cast<int>(cy - r * 2.2); y <= cy + r * 2.2; ++y)
        for (int x = static_cast<int>(cx - r * 2.2); x <= cx + r * 2.2; ++x) {
            if (!img.inside(x, y)) continue;
            double d = std::hypot(x - cx, y - cy);
            if (d <= r) {
                double sea = value_noise(x * 1.0, y * 1.0, r / 2.5, 91);
                double shade = 0.9 - 0.35 * ((x - cx) + (y - cy)) / (2 * r);
                double t = std::clamp(shade - (sea > 0.6 ? 0.35 : 0.0), 0.0, 1.0);
                img.set(x, y, d > r - 1 ? at_ramp(*p.moon, 0) : dither(*p.moon, t, x, y));
            } else if (d < r * 2.2) {
                double t = 1.0 - (d - r) / (r * 1.2);
                if (t > 0 && bayer(x, y) < t * 0.5) img.set(x, y, at_ramp(*p.sky, d < r * 1.5 ? 4 : 3));
            }
        }
}

// A jagged ridge: everything below its line in colour c.
void ridge(Image &img, int base, double amp, double spacing, int seed, Rgb c, int x0 = 0, int x1 = -1) {
    if (x1 < 0) x1 = img.w;
    for (int x = x0; x < x1; ++x) {
        double n = 0.65 * value_noise(x, 0, spacing, seed) + 0.35 * value_noise(x, 0, spacing / 3, seed + 5);
        int top = base - static_cast<int>(n * amp);
        for (int y = std::max(0, top); y < img.h; ++y) img.set(x, y, c);
    }
}

void rect(Image &img, int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) img.set(x, y, c);
}

// A castle tower standing on `base`: body, crenellations, a pointed roof, lit windows.
void tower(Image &img, const Paint &p, int cx, int base, int w, int h, Rgb body, bool lit) {
    int x0 = cx - w / 2, x1 = cx + w / 2, top = base - h;
    rect(img, x0, top, x1, base, body);
    for (int x = x0 - 2; x <= x1 + 2; ++x)
        if (((x - x0) / 3) % 2 == 0) rect(img, x, top - 4, x, top, body);
    rect(img, x0 - 2, top - 1, x1 + 2, top + 1, body);
    // The roof.
    int roof = w + 6;
    for (int y = 0; y < roof; ++y) {
        int half = (w / 2 + 3) * (roof - y) / roof;
        rect(img, cx - half, top - 5 - y, cx + half, top - 5 - y, body);
    }
    img.set(cx, top - 5 - roof, body);
    img.set(cx, top - 6 - roof, body);
    if (!lit) return;
    for (int wy = top + 6; wy < base - 6; wy += 11)
        for (int wx = x0 + 3; wx + 2 <= x1 - 2; wx += 6) {
            if (hash01(cx, wx, wy) > 0.55) continue;
            rect(img, wx, wy, wx + 1, wy + 3, at_ramp(*p.ember, 3));
            img.set(wx, wy, at_ramp(*p.ember, 4));
        }
}

// A small bat silhouette of span 2s+1 at (x, y), wings up or down.
void bat(Image &img, Rgb c, int x, int y, int s, bool up) {
    img.set(x, y, c);
    img.set(x, y - 1, c);
    img.set(x - 1, y, c);
    img.set(x + 1, y, c);
    for (int i = 1; i <= s; ++i) {
        int dy = up ? -(i * 2 / 3) : (i * 2 / 3) - (i > s / 2 ? (i - s / 2) : 0);
        img.set(x - i, y + dy, c);
        img.set(x + i, y + dy, c);
        if (i == s || i == s / 2) {
            img.set(x - i, y + dy + 1, c);
            img.set(x + i, y + dy + 1, c);
        }
    }
}

void bats(Image &img, Rgb c, int seed, int count, int x0, int y0, int x1, int y1) {
    for (int i = 0; i < count; ++i) {
        int x = x0 + static_cast<int>(hash01(seed, i, 0) * (x1 - x0));
        int y = y0 + static_cast<int>(hash01(seed, i, 1) * (y1 - y0));
        int s = 2 + static_cast<int>(hash01(seed, i, 2) * 3);
        bat(img, c, x, y, s, hash01(seed, i, 3) > 0.5);
    }
}

// Mirrors rows [horizon - depth, horizon) below the horizon, darkened and rippled.
void reflect(Image &img, const Paint &p, int horizon, int y_end) {
    Image src = img;
    for (int y = horizon; y < std::min(y_end, img.h); ++y) {
        int k = y - horizon;
        // The water shows the whole sky above it, squeezed towards the viewer.
        int sy = horizon - 1 - (k * horizon) / std::max(1, y_end - horizon);
        if (sy < 0) sy = 0;
        int shift = static_cast<int>(std::lround(std::sin(k * 0.9) * (1 + k / 25.0)));
        for (int x = 0; x < img.w; ++x) {
            Rgb c = src.at(std::clamp(x + shift, 0, img.w - 1), sy);
            // Map the reflected colour onto the water ramp by its brightness.
            double lum = (0.3 * c.r + 0.59 * c.g + 0.11 * c.b) / 255.0;
            double t = std::clamp(lum * 1.1 + 0.05 - k * 0.002, 0.0, 1.0);
            Rgb w = dither(*p.water, t, x, y);
            if (c == p.ink) w = p.ink;
            // Moon and lamp light keep a little of their colour on the water.
            if (lum > 0.6) w = at_ramp(*p.moon, lum > 0.8 ? 1 : 0);
            if (c.r > 200 && c.b < 100) w = at_ramp(*p.ember, 2);
            img.set(x, y, w);
        }
        // Ripple lines.
        if (k % 4 == 1)
            for (int x = 0; x < img.w; ++x)
                if (value_noise(x, y, 5.0, 13) > 0.74) img.set(x, y, at_ramp(*p.water, 3));
    }
}

// ---- big text -------------------------------------------------------------------

// Draws `text` with glyph bodies enlarged `s` times (one body pixel = s x s) at
// (x, y) on `img`, with an outline of `o` pixels and a shadow of `o` below right.
// `fill` runs from its light end at the top of the letters to its dark end below.
void big_text(Image &img, const Paint &p, const char *text, int x, int y, int s, int o, int advance,
              const Ramp &fill) {
    int len = static_cast<int>(std::strlen(text));
    int w = advance * s * len + 2 * o + 2, h = kGlyphBody * s + 2 * o + o + 2;
    std::vector<uint8_t> body(static_cast<size_t>(w) * h, 0);
    auto B = [&](int xx, int yy) -> uint8_t & { return body[static_cast<size_t>(yy) * w + xx]; };
    for (int i = 0; i < len; ++i) {
        const GlyphBody &g = p.glyphs.body[static_cast<unsigned char>(text[i])];
        if (!g.defined) continue;
        for (int gy = 0; gy < kGlyphBody; ++gy)
            for (int gx = 0; gx < kGlyphBody; ++gx)
                if (g.bit[gy][gx])
                    for (int yy = 0; yy < s; ++yy)
                        for (int xx = 0; xx < s; ++xx) B(o + 1 + i * advance * s + gx * s + xx, o + 1 + gy * s + yy) = 1;
    }
    // 2 = outline, 3 = shadow.
    std::vector<uint8_t> mark = body;
    auto M = [&](int xx, int yy) -> uint8_t & { return mark[static_cast<size_t>(yy) * w + xx]; };
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx) {
            if (B(xx, yy)) continue;
            bool near = false, shadow = false;
            for (int dy = -o; dy <= o && !near; ++dy)
                for (int dx = -o; dx <= o; ++dx) {
                    int ax = xx + dx, ay = yy + dy;
                    if (ax >= 0 && ay >= 0 && ax < w && ay < h && B(ax, ay)) {
                        near = true;
                        break;
                    }
                }
            if (!near) {
                int ax = xx - o, ay = yy - o;
                shadow = ax >= 0 && ay >= 0 && B(ax, ay);
                for (int d = 1; d <= o && !shadow; ++d) {
                    ax = xx - d - o;
                    ay = yy - d - o;
                    if (ax >= 0 && ay >= 0 && B(ax, ay)) shadow = true;
                }
            }
            M(xx, yy) = near ? 2 : shadow ? 3 : 0;
        }
    int n = static_cast<int>(fill.colours.size());
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx) {
            uint8_t m = M(xx, yy);
            if (!m) continue;
            Rgb c;
            if (m == 1) {
                double t = 1.0 - static_cast<double>(yy - o - 1) / (kGlyphBody * s);
                bool top_edge = yy > 0 && !B(xx, yy - 1);
                bool top_zone = yy >= s && !B(xx, yy - s);
                c = top_edge ? fill.colours[n - 1] : top_zone ? at_ramp(fill, n - 2) : dither(fill, t * 0.85, xx, yy);
            } else {
                c = m == 2 ? p.ink : p.shadow;
            }
            img.set(x + xx - o - 1, y + yy - o - 1, c);
        }
}

int big_text_width(const char *text, int s, int advance) {
    return static_cast<int>(std::strlen(text)) * advance * s - (advance - 10) * s;
}

// ---- scenes -------------------------------------------------------------------

// The title over the menu's sky, at screen size: full resolution 640 x 480 or low
// 320 x 200. Only the letters are drawn; everything else stays masked.
Image title_layer(const Paint &p, int w, int h, bool low) {
    Image layer(w, h);
    const char *title = "VESPERTIL";
    const Ramp &fill = *p.pal.ramp("title");
    if (low) {
        int s = 2, adv = 11;
        int tw = big_text_width(title, s, adv);
        big_text(layer, p, title, (w - tw) / 2 - s, 64 - 2 - kGlyphBody * s - 4, s, 1, adv, fill);
    } else {
        int s = 5, adv = 11;
        int tw = big_text_width(title, s, adv);
        big_text(layer, p, title, (w - tw) / 2 - s, 110 - 2 - kGlyphBody * s - 6, s, 2, adv, fill);
    }
    return layer;
}

// Night over the lake: sky, moon, the cliffs with the cave on the left and the
// tower on the right, all mirrored in the water below the horizon.
Image night_lake(const Paint &p, int w, int h, int horizon, int seed, bool title_space) {
    Image img(w, h);
    gradient(img, *p.sky, 0, horizon, 0.0, 0.55);
    stars(img, p, seed, horizon, 0.012);
    if (title_space) moon(img, p, w * 0.93, horizon * 0.3, std::max(5.0, w / 45.0));
    else moon(img, p, w * 0.8, horizon * 0.35, std::max(5.0, w / 40.0));
    bats(img, p.ink, seed + 3, w / 40, w / 12, horizon / 6, w - w / 12, horizon * 2 / 3);
    Rgb far = at_ramp(*p.sky, 2), mid = at_ramp(*p.violet, 0);
    ridge(img, horizon, horizon * 0.35, w / 6.0, seed + 10, far);
    ridge(img, horizon, horizon * 0.22, w / 9.0, seed + 11, mid);
    // The cliff of the cave, on the left, with its dark mouth.
    for (int x = 0; x < w / 4; ++x) {
        double t = 1.0 - static_cast<double>(x) / (w / 4);
        int top = horizon - static_cast<int>(t * t * horizon * 0.7) -
                  static_cast<int>(value_noise(x, 0, 5, seed + 20) * 6);
        for (int y = std::max(0, top); y < horizon; ++y) img.set(x, y, p.shadow);
    }
    int mx = w / 10, mw = std::max(6, w / 24);
    for (int y = horizon - mw; y < horizon; ++y)
        for (int x = mx - mw; x <= mx + mw; ++x)
            if (std::hypot(x - mx, (y - horizon) * 1.3) < mw) img.set(x, y, p.ink);
    // The tower on its rock, on the right.
    int tx = w * 7 / 8;
    ridge(img, horizon, horizon * 0.18, 6.0, seed + 30, p.shadow, tx - w / 12, tx + w / 12);
    tower(img, p, tx, horizon - horizon / 8, std::max(8, w / 26), horizon / 2, p.shadow, true);
    tower(img, p, tx - w / 28, horizon - horizon / 10, std::max(6, w / 40), horizon / 3, p.shadow, true);
    reflect(img, p, horizon, h);
    // The near shore at the bottom.
    ridge(img, h, h * 0.06, w / 8.0, seed + 40, p.ink);
    return img;
}

bool scene_menu_backdrop(const Paint &p, int w, int h, Image &out, std::string &why) {
    bool low = w == 320 && h == 200;
    if (!low && !(w == 640 && h == 480)) {
        why = "the menu backdrop is 640 x 480 or 320 x 200";
        return false;
    }
    // The sky and the lake, then the title in the sky; the menu lays the title's
    // rippling reflection over the water itself.
    Image art = low ? night_lake(p, 320, 200, 64, 5, true) : scale_up(night_lake(p, 320, 240, 55, 5, true), 2);
    blit(title_layer(p, w, h, low), art, 0, 0, true);
    out = art;
    return true;
}

bool scene_title(const Paint &p, int w, int h, Image &out, std::string &why) {
    bool low = w == 320 && h == 72;
    if (!low && !(w == 640 && h == 193)) {
        why = "the menu title is 640 x 193 or 320 x 72";
        return false;
    }
    // Upside down on the screen, row y of this picture lands on row 303 - y (low:
    // 136 - y), the mirror of row y - 83 (y - 8) of the backdrop's title.
    Image layer = low ? title_layer(p, 320, 200, true) : title_layer(p, 640, 480, false);
    out = crop(layer, 0, low ? -8 : -83, w, h);
    return true;
}

bool scene_splash(const Paint &p, int w, int h, Image &out, std::string &why) {
    if (w != 640 || h != 480) {
        why = "the logo is 640 x 480";
        return false;
    }
    Image art(320, 240);
    gradient(art, *p.night, 0, 240, 0.0, 0.9);
    stars(art, p, 21, 240, 0.01);
    moon(art, p, 160, 92, 46);
    // A great bat across the moon.
    Image emblem(96, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x) {
            double u = (x - 47.5) / 48.0, v = (y - 20.0) / 24.0; // u -1..1
            double au = std::fabs(u);
            double top = -0.55 + 0.9 * au * au - 0.18 * std::sin(au * kPi * 3.0);
            double scallop = 0.25 * std::fabs(std::sin(au * kPi * 3.0));
            double bottom = 0.25 + 0.4 * (1 - au) - scallop;
            bool wing = v > top && v < bottom && au < 0.98;
            bool body = au < 0.09 && v > -0.75 && v < 0.8;
            bool ear = au > 0.03 && au < 0.09 && v > -0.95 && v < -0.6;
            if (wing || body || ear) emblem.set(x, y, p.ink);
        }
    blit(emblem, art, 160 - 48, 70, true);
    Image big = scale_up(art, 2);
    const char *name = "VESPERTIL";
    int s = 4, adv = 11;
    int tw = big_text_width(name, s, adv);
    big_text(big, p, name, (640 - tw) / 2 - s, 330, s, 2, adv, *p.pal.ramp("title"));
    // The last row is left dark: the game shows the top 640 x 479.
    out = big;
    return true;
}

void stone_wall(Image &img, const Paint &p, int seed) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            int row = y / 8, shift = (row % 2) * 8;
            bool seam = y % 8 == 7 || (x + shift) % 16 == 15;
            double t = 0.25 + 0.25 * hash01(seed, (x + shift) / 16, row) + 0.12 * (value_noise(x, y, 3, seed) - 0.5);
            if (y % 8 == 0 || (x + shift) % 16 == 0) t += 0.12;
            img.set(x, y, seam ? p.ink : dither(*p.castle, t, x, y));
        }
}

// A bevelled recess: ink, then a dark and a lit edge round [x0, x1] x [y0, y1].
void recess(Image &img, const Paint &p, int x0, int y0, int x1, int y1, int width) {
    for (int i = 1; i <= width; ++i) {
        Rgb lit = at_ramp(*p.castle, 5 - i), dark = at_ramp(*p.castle, 1);
        for (int x = x0 - i; x <= x1 + i; ++x) {
            img.set(x, y0 - i, i == 1 ? p.ink : dark);
            img.set(x, y1 + i, i == 1 ? p.ink : lit);
        }
        for (int y = y0 - i; y <= y1 + i; ++y) {
            img.set(x0 - i, y, i == 1 ? p.ink : dark);
            img.set(x1 + i, y, i == 1 ? p.ink : lit);
        }
    }
}

bool scene_frame(const Paint &p, int w, int h, Image &out, std::string &why) {
    bool low = w == 320 && h == 200;
    if (!low && !(w == 640 && h == 400)) {
        why = "the play-screen frame is 640 x 400 or 320 x 200";
        return false;
    }
    // Window of the room view and slot of the energy bar, in this picture.
    int wx = low ? 40 : 81, wy = low ? 8 : 17, ww = low ? 240 : 480, wh = low ? 144 : 288;
    int bx = low ? 45 : 90, by = low ? 170 : 341, bw = low ? 102 : 205, bh = low ? 8 : 16;
    Image art(low ? 320 : 320, low ? 200 : 200);
    stone_wall(art, p, 9);
    // Moss creeping in from the bottom and ivy in the corners.
    for (int x = 0; x < art.w; ++x) {
        int d = static_cast<int>(value_noise(x, 0, 7, 4) * 7);
        for (int y = art.h - 1 - d; y < art.h; ++y)
            if (bayer(x, y) < 0.7) art.set(x, y, dither(*p.moss, 0.3 + 0.4 * value_noise(x, y, 2, 5), x, y));
    }
    bats(art, p.ink, 77, 4, 290, 20, 316, 120);
    Image img = low ? art : scale_up(art, 2);
    int f = low ? 1 : 2;
    recess(img, p, wx, wy, wx + ww - 1, wy + wh - 1, 3 * f);
    rect(img, wx, wy, wx + ww - 1, wy + wh - 1, p.ink);
    recess(img, p, bx, by, bx + bw - 1, by + bh - 1, 2 * f);
    rect(img, bx, by, bx + bw - 1, by + bh - 1, p.ink);
    // A lamp beside the bar: the light the hero lives on.
    int lx = bx - 14 * f, ly = by + bh / 2;
    for (int y = -6 * f; y <= 6 * f; ++y)
        for (int x = -5 * f; x <= 5 * f; ++x) {
            double d = std::hypot(x / 1.0, y * 0.85);
            if (d <= 4.5 * f) img.set(lx + x, ly + y, d > 3.6 * f ? p.ink : dither(*p.lamp, 1.0 - d / (4.5 * f), lx + x, ly + y));
        }
    out = img;
    return true;
}

bool scene_bar(const Paint &p, int w, int h, bool full, Image &out, std::string &why) {
    if (!((w == 205 && h == 16) || (w == 102 && h == 8))) {
        why = "an energy bar is 205 x 16 or 102 x 8";
        return false;
    }
    out = Image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double v = static_cast<double>(y) / (h - 1);
            Rgb c;
            if (full) {
                // Deep red on the left warming to gold on the right, lit from above.
                double t = 0.15 + 0.75 * x / (w - 1) + (0.35 - v) * 0.5;
                c = dither(*p.lamp, std::clamp(t, 0.0, 1.0), x, y);
                if (y == 0 || y == h - 1) c = at_ramp(*p.ember, y == 0 ? 3 : 0);
                if (y == 1 && x % 2 == 0) c = at_ramp(*p.ember, 5);
            } else {
                double t = 0.25 - v * 0.2;
                c = dither(*p.stone, t, x, y);
                if (y == 0) c = p.ink;
                if ((x % 12) == 11) c = p.ink; // empty segments
            }
            out.set(x, y, c);
        }
    return true;
}

bool scene_end(const Paint &p, int w, int h, int which, Image &out, std::string &why) {
    bool low = w == 320 && h == 200;
    if (!low && !(w == 640 && h == 480)) {
        why = "an end picture is 640 x 480 or 320 x 200";
        return false;
    }
    int aw = 320, ah = low ? 200 : 240;
    Image art(aw, ah);
    int horizon = ah * 2 / 3;
    if (which == 1) {
        // Dawn: the night gives way, the bats fly home to the cave.
        gradient(art, *p.dusk, 0, horizon, 0.0, 0.9);
        for (int y = horizon - 30; y < horizon; ++y)
            for (int x = 0; x < aw; ++x)
                if (bayer(x, y) < (y - (horizon - 30)) / 30.0) art.set(x, y, dither(*p.ember, 0.2 + 0.5 * (y - horizon + 30) / 30.0, x, y));
        for (int y = horizon - 22; y < horizon; ++y)
            for (int x = aw / 2 - 22; x <= aw / 2 + 22; ++x)
                if (std::hypot(x - aw / 2, y - horizon) < 20) art.set(x, y, dither(*p.ember, 0.95 - std::hypot(x - aw / 2, y - horizon) / 60.0, x, y));
        ridge(art, horizon, 40, 40, 3, at_ramp(*p.violet, 1));
        ridge(art, horizon + 4, 24, 25, 4, p.shadow);
        tower(art, p, aw * 3 / 4, horizon - 10, 14, 70, p.ink, false);
        bats(art, p.ink, 12, 14, 20, 20, aw - 20, horizon - 40);
        rect(art, 0, horizon + 4, aw - 1, ah - 1, p.ink);
        ridge(art, horizon + 8, 10, 20, 8, p.ink);
        out = low ? art : scale_up(art, 2);
    } else {
        gradient(art, *p.night, 0, ah, 0.1, 0.9);
        stars(art, p, 33, ah, 0.012);
        moon(art, p, aw / 2, ah * 0.3, 22);
        ridge(art, ah, ah * 0.25, 30, 6, p.ink);
        out = low ? art : scale_up(art, 2);
        const char *words = "FIN - END - FINE - ENDE";
        int s = low ? 1 : 2, adv = 11;
        int tw = big_text_width(words, s, adv);
        big_text(out, p, words, (w - tw) / 2 - s, low ? h * 3 / 5 : h * 3 / 5, s, 1, adv, *p.glyph);
    }
    return true;
}

// ---- the desktop's icon (square, 16 to 256 pixels) -------------------------------

// Whether (u, v), both -1..1 across the bat's span, is on a bat with spread wings:
// body and head, two ears, and wings whose lower edge falls in three scallops.
bool on_bat(double u, double v) {
    const double au = std::fabs(u);
    const auto sq = [](double a) { return a * a; };
    if (sq(u / 0.13) + sq((v - 0.05) / 0.3) <= 1) return true;
    if (sq(u / 0.12) + sq((v + 0.24) / 0.12) <= 1) return true;
    if (v <= -0.28 && v >= -0.44 + 2.5 * std::fabs(au - 0.07)) return true;
    if (au < 0.1 || au > 0.96) return false;
    const double top = au < 0.55 ? -0.15 - 0.25 * (au - 0.1) / 0.45 : -0.4 + 0.3 * (au - 0.55) / 0.41;
    const double bottom = 0.2 - 0.3 * (au - 0.1) / 0.86 - 0.13 * std::fabs(std::sin(3 * kPi * (au - 0.1) / 0.86));
    return v >= top && v <= bottom;
}

// The night sky, the moon and a bat flying across it, painted at up to 64 art
// pixels a side and enlarged by a whole factor.
bool scene_icon(const Paint &p, int w, int h, Image &out, std::string &why) {
    const int art_size = w > 64 ? 64 : w;
    if (w != h || w < 16 || w > 256 || w % art_size != 0) {
        why = "an icon is square, 16 to 256 pixels, and above 64 a multiple of 64";
        return false;
    }
    const int n = art_size;
    Image art(n, n);
    gradient(art, *p.sky, 0, n, 0.85, 0.35); // light enough behind the bat at 16 pixels
    moon(art, p, n * 0.72, n * 0.28, n * 0.15);
    const double cx = n * 0.47, cy = n * 0.6, span = n * 0.47;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (on_bat((x + 0.5 - cx) / span, (y + 0.5 - cy) / span)) art.set(x, y, p.ink);
    const int eye_y = static_cast<int>(cy - 0.25 * span);
    for (int side : {-1, 1}) art.set(static_cast<int>(cx + side * 0.05 * span), eye_y, at_ramp(*p.ember, 4));
    out = scale_up(art, w / n);
    return true;
}

// ---- room backdrops (240 x 144, one art pixel a pixel) --------------------------

void cave_columns(Image &img, const Paint &p, int seed, Rgb c, double spacing, double width) {
    for (int x = 0; x < img.w; ++x) {
        double n = value_noise(x, 0, spacing, seed);
        if (n < 1.0 - width) continue;
        for (int y = 0; y < img.h; ++y) {
            double wob = value_noise(x, y, 9, seed + 1);
            if (n - wob * 0.1 > 1.0 - width) img.set(x, y, c);
        }
    }
    (void)p;
}

// Noise that repeats every `w` columns, for a sky that scrolls round: the two ends
// of the strip blend into each other.
double wrapped_noise(int w, double x, double y, double spacing, int seed) {
    return ((w - x) * value_noise(x, y, spacing, seed) + x * value_noise(x - w, y, spacing, seed)) / w;
}

// Bands of cloud across a sky that scrolls round: `lit` is the colour of their
// lower rims, from a light low in the sky.
void drifting_clouds(Image &img, const Ramp &body, Rgb lit, int seed, double cover) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            double c = 0.65 * wrapped_noise(img.w, x, y * 3.0, 48, seed) +
                       0.35 * wrapped_noise(img.w, x, y * 2.0, 14, seed + 1);
            if (c < 1.0 - cover) continue;
            double below = 0.65 * wrapped_noise(img.w, x, (y + 2) * 3.0, 48, seed) +
                           0.35 * wrapped_noise(img.w, x, (y + 2) * 2.0, 14, seed + 1);
            img.set(x, y, below < 1.0 - cover ? lit : dither(body, (c - 1.0 + cover) / cover * 1.6, x, y));
        }
}

// A dream's pale moons, some whole, some only rings.
void dream_moons(Image &img, const Paint &p, int seed, int count) {
    for (int i = 0; i < count; ++i) {
        double cx = hash01(seed, i, 0) * img.w, cy = 12 + hash01(seed, i, 1) * (img.h - 40);
        double r = 3 + hash01(seed, i, 2) * 12;
        bool ring = hash01(seed, i, 3) > 0.5;
        for (int y = static_cast<int>(cy - r - 1); y <= cy + r + 1; ++y)
            for (int x = static_cast<int>(cx - r - 1); x <= cx + r + 1; ++x) {
                double d = std::hypot(x - cx, y - cy);
                if (d > r || (ring && d < r - 1.5)) continue;
                img.set(x, y, ring ? at_ramp(*p.violet, 3) : dither(*p.violet, 0.5 + 0.5 * (cx - x) / r, x, y));
            }
    }
}

// A floor of squares running to a far horizon, for the dreams' lower halves.
void checker_floor(Image &img, const Ramp &r, int horizon) {
    for (int y = horizon; y < img.h; ++y) {
        double depth = 240.0 / (y - horizon + 4);
        for (int x = 0; x < img.w; ++x) {
            double u = (x - img.w / 2) * depth / 60.0, v = depth;
            bool dark = (static_cast<int>(std::floor(u)) + static_cast<int>(std::floor(v / 2))) % 2 != 0;
            double fade = std::min(1.0, (y - horizon) / 50.0);
            img.set(x, y, dither(r, dark ? 0.05 * fade : 0.15 + 0.3 * fade, x, y));
        }
    }
}

// Drifting cloud banks in one ramp over whatever is painted: `cover` is the share
// of sky they hide.
void clouds(Image &img, const Ramp &r, int seed, double cover, double squash) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            double c = value_noise(x, y * squash, 30, seed) * 0.7 + value_noise(x, y * squash, 10, seed + 1) * 0.3;
            if (c > 1.0 - cover) img.set(x, y, dither(r, (c - 1.0 + cover) / cover, x, y));
        }
}

// Faint points of light in the dark (glow-worms, motes): `count` of them, half
// with a dimmer halo.
void motes(Image &img, const Ramp &r, int seed, int count, int y0, int y1) {
    for (int i = 0; i < count; ++i) {
        int x = static_cast<int>(hash01(seed, i, 0) * img.w);
        int y = y0 + static_cast<int>(hash01(seed, i, 1) * (y1 - y0));
        int n = static_cast<int>(r.colours.size());
        img.set(x, y, at_ramp(r, n - 1 - (i % 2)));
        if (i % 2) continue;
        img.set(x - 1, y, at_ramp(r, n / 2));
        img.set(x + 1, y, at_ramp(r, n / 2));
    }
}

// Hanging roots or weed stems: wavering lines from row `from` toward row `to`.
void strands(Image &img, Rgb c, int seed, int count, int from, int to) {
    for (int i = 0; i < count; ++i) {
        double x = hash01(seed, i, 0) * img.w;
        int len = static_cast<int>((0.4 + 0.6 * hash01(seed, i, 1)) * (to - from));
        int step = to > from ? 1 : -1;
        for (int k = 0; k < std::abs(len); ++k) {
            int y = from + k * step;
            img.set(static_cast<int>(x + 3 * std::sin(k * 0.15 + i)), y, c);
        }
    }
}

// The sky behind the glass castle's panes.
void castle_night(Image &img, const Paint &p) {
    const int h = img.h;
    gradient(img, *p.sky, 0, h, 0.05, 0.65);
    stars(img, p, 71, h, 0.02);
    moon(img, p, 186, 30, 11);
    ridge(img, 120, 34, 46, 72, at_ramp(*p.sky, 1));
    for (int k = 0; k < 3; ++k) tower(img, p, 40 + k * 34, 132, 12 + 4 * (k % 2), 40 + 14 * k, at_ramp(*p.night, 1), true);
    ridge(img, 144, 16, 30, 73, p.ink);
}

// A violet dusk with banks of cloud.
void castle_dusk(Image &img, const Paint &p) {
    const int h = img.h;
    gradient(img, *p.dusk, 0, h, 0.1, 0.95);
    stars(img, p, 74, 50, 0.01);
    clouds(img, *p.violet, 75, 0.35, 2.4);
    ridge(img, 144, 22, 36, 76, at_ramp(*p.night, 1));
}

// Far rock barely seen, and glow-worms.
void demo_dark(Image &img, const Paint &p) {
    const int h = img.h;
    gradient(img, *p.pal.ramp("cavewall"), 0, h, 0.22, 0.0);
    cave_columns(img, p, 81, at_ramp(*p.earth, 0), 26, 0.3);
    motes(img, *p.teal, 82, 30, 0, h / 2);
}

// Roots hanging in the dark over still air.
void demo_roots(Image &img, const Paint &p) {
    const int h = img.h;
    gradient(img, *p.pal.ramp("cavewall"), 0, h, 0.05, 0.25);
    strands(img, at_ramp(*p.earth, 1), 83, 40, 0, h);
    strands(img, at_ramp(*p.earth, 2), 84, 14, 0, h / 2);
    motes(img, *p.ember, 85, 12, h / 2, h);
}

// A night garden round a pool.
void pachin_garden(Image &img, const Paint &p) {
    const int h = img.h;
    gradient(img, *p.night, 0, 96, 0.15, 0.75);
    stars(img, p, 91, 96, 0.02);
    moon(img, p, 60, 26, 9);
    ridge(img, 96, 20, 24, 92, at_ramp(*p.moss, 1));
    reflect(img, p, 96, h);
}

// Under the water: light from above, weed, bubbles.
void pachin_deep(Image &img, const Paint &p) {
    const int w = img.w, h = img.h;
    gradient(img, *p.water, 0, h, 0.85, 0.1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (value_noise(x + y * 0.5, 0, 18, 93) > 0.7 && bayer(x, y) < 0.5 - y / 300.0)
                img.set(x, y, at_ramp(*p.water, 4));
    strands(img, at_ramp(*p.moss, 2), 94, 24, h - 1, h / 3);
    motes(img, *p.moon, 95, 26, 10, h - 10);
}

// The haunted village of salem.map: roofs and the meeting house's spire under a
// low moon, the graveyard in its fog, and the meeting house's dark panelled hall.
void village_roofs(Image &img, const Paint &p, int base, int seed, Rgb c) {
    for (int x0 = -10, i = 0; x0 < img.w; x0 += 26 + static_cast<int>(hash01(seed, i, 0) * 16), ++i) {
        int wide = 18 + static_cast<int>(hash01(seed, i, 1) * 12), tall = 14 + static_cast<int>(hash01(seed, i, 2) * 16);
        rect(img, x0, base - tall, x0 + wide, img.h - 1, c);
        for (int y = 0; y < wide / 2 + 2; ++y) rect(img, x0 + y - 2, base - tall - y, x0 + wide - y + 2, base - tall - y, c);
        if (hash01(seed, i, 3) < 0.6) rect(img, x0 + 5, base - tall + 5, x0 + 7, base - tall + 8, at_ramp(*p.ember, 3));
    }
}

void fog_bands(Image &img, const Paint &p, int y0, int y1, int seed) {
    for (int y = y0; y < std::min(y1, img.h); ++y)
        for (int x = 0; x < img.w; ++x) {
            double f = value_noise(x, y * 3.0, 30, seed) * (y - y0) / std::max(1, y1 - y0);
            if (f > 0.25 && bayer(x, y) < f) img.set(x, y, at_ramp(*p.violet, f > 0.5 ? 4 : 3));
        }
}

void salem_village(Image &img, const Paint &p) {
    gradient(img, *p.dusk, 0, img.h, 0.1, 0.75);
    stars(img, p, 66, 70, 0.01);
    moon(img, p, 190, 30, 11);
    ridge(img, 110, 20, 60, 67, at_ramp(*p.violet, 1));
    tower(img, p, 70, 112, 14, 44, at_ramp(*p.violet, 0), true);
    village_roofs(img, p, 125, 68, p.ink);
    fog_bands(img, p, 96, img.h, 69);
}

void salem_graveyard(Image &img, const Paint &p) {
    gradient(img, *p.sky, 0, img.h, 0.05, 0.45);
    moon(img, p, 40, 28, 16);
    for (int k = 0; k < 4; ++k) { // bare trees, a trunk and crooked branches
        int x = 30 + k * 60 + static_cast<int>(hash01(71, k, 0) * 20), top = 40 + static_cast<int>(hash01(71, k, 1) * 30);
        rect(img, x, top, x + 2, img.h - 1, p.ink);
        for (int b = 0; b < 5; ++b) {
            int by = top + b * 9, dir = (b % 2) ? 1 : -1, len = 8 + static_cast<int>(hash01(72, k, b) * 10);
            for (int i = 0; i < len; ++i) img.set(x + 1 + dir * i, by - i / 2, p.ink);
        }
    }
    for (int i = 0; i < 14; ++i) { // the stones on the rise
        int x = static_cast<int>(hash01(73, i, 0) * img.w), y = 112 + static_cast<int>(hash01(73, i, 1) * 14);
        rect(img, x, y, x + 4, y + 8, at_ramp(*p.castle, 2));
        rect(img, x + 1, y - 1, x + 3, y - 1, at_ramp(*p.castle, 2));
    }
    ridge(img, 132, 8, 50, 74, p.ink);
    fog_bands(img, p, 70, img.h, 75);
    bats(img, p.ink, 76, 3, 120, 15, 230, 60);
}

void salem_hall(Image &img, const Paint &p) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            bool seam = x % 20 == 0 || y % 48 == 47;
            double t = 0.3 + 0.3 * value_noise(x * 0.3, y * 3.0, 6, 81) + 0.15 * hash01(82, x / 20, y / 48);
            img.set(x, y, seam ? p.ink : dither(*p.earth, t, x, y));
        }
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            if (img.at(x, y) != p.ink && bayer(x, y) < 0.5) img.set(x, y, at_ramp(*p.earth, 1));
    for (int k = 0; k < 2; ++k) { // two tall windows full of fog
        int x0 = 50 + k * 120;
        rect(img, x0 - 1, 19, x0 + 21, 81, p.ink);
        for (int y = 20; y < 80; ++y)
            for (int x = x0; x < x0 + 20; ++x) img.set(x, y, dither(*p.violet, 0.4 + 0.6 * (y - 20) / 60.0, x, y));
        rect(img, x0 + 10, 20, x0 + 10, 80, p.ink);
        rect(img, x0, 50, x0 + 20, 50, p.ink);
    }
}

// The city of ciudad.map in its storm: towers of lit windows under a torn sky,
// a street of wet brick, and the drain under the streets (the bottom row, no rain).
void city_blocks(Image &img, const Paint &p, int base, int seed, Rgb body, double lit) {
    for (int x0 = -6, i = 0; x0 < img.w; x0 += 20 + static_cast<int>(hash01(seed, i, 0) * 18), ++i) {
        int wide = 16 + static_cast<int>(hash01(seed, i, 1) * 14), top = base - 30 - static_cast<int>(hash01(seed, i, 2) * 60);
        rect(img, x0, top, x0 + wide, img.h - 1, body);
        if (hash01(seed, i, 3) < 0.3) rect(img, x0 + wide / 2, top - 10, x0 + wide / 2, top, body);
        for (int y = top + 4; y < img.h - 2; y += 6)
            for (int x = x0 + 3; x + 1 < x0 + wide - 2; x += 4)
                if (hash01(seed + 1, x, y) < lit) rect(img, x, y, x + 1, y + 2, at_ramp(*p.ember, 2 + (x + y) % 3));
    }
}

void city_storm(Image &img, const Paint &p) {
    gradient(img, *p.night, 0, img.h, 0.3, 1.0);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < img.w; ++x) {
            double c = value_noise(x, y * 2.5, 26, 91) * 0.7 + value_noise(x, y * 2, 8, 92) * 0.3;
            if (c > 0.5) img.set(x, y, dither(*p.sky, 0.3 + (c - 0.5) * 1.6, x, y));
        }
    for (int i = 0, x = 170, y = 0; y < 60; ++i, y += 3) { // a fork of lightning far off
        x += static_cast<int>(hash01(93, i, 0) * 7) - 3;
        rect(img, x, y, x, y + 3, at_ramp(*p.moon, 2));
    }
    city_blocks(img, p, 150, 94, at_ramp(*p.sky, 1), 0.15);
    city_blocks(img, p, 160, 95, p.ink, 0.3);
}

void city_street(Image &img, const Paint &p) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            int row = y / 6, shift = (row % 2) * 6;
            bool seam = y % 6 == 5 || (x + shift) % 12 == 11;
            // Dark and wet, so that the rooms' red brick stands out in front of it.
            double t = 0.1 + 0.25 * hash01(96, (x + shift) / 12, row);
            img.set(x, y, seam || bayer(x, y) < 0.4 ? p.ink : dither(*p.blood, t, x, y));
        }
    for (int k = 0; k < 3; ++k) { // lit windows in the wall across the street
        int x0 = 24 + k * 80;
        for (int r = 0; r < 2; ++r) {
            int y0 = 16 + r * 56;
            rect(img, x0 - 1, y0 - 1, x0 + 30, y0 + 36, p.ink);
            for (int y = y0; y < y0 + 36; ++y)
                for (int x = x0; x < x0 + 30; ++x)
                    img.set(x, y, hash01(97, k, r) < 0.5 ? dither(*p.lamp, 0.3 + 0.4 * (y - y0) / 36.0, x, y)
                                                         : dither(*p.sky, 0.2, x, y));
            rect(img, x0 + 14, y0, x0 + 15, y0 + 35, p.ink);
            rect(img, x0, y0 + 17, x0 + 29, y0 + 18, p.ink);
        }
    }
}

void city_drain(Image &img, const Paint &p) {
    gradient(img, *p.castle, 0, img.h, 0.35, 0.05);
    for (int y = 0; y < img.h; ++y) // the vault's ribs
        for (int x = 0; x < img.w; ++x)
            if (x % 48 < 6) img.set(x, y, dither(*p.castle, 0.5 - 0.3 * (x % 48) / 6.0, x, y));
    for (int x = 0; x < img.w; ++x) { // water running along the bottom
        for (int y = 120; y < img.h; ++y) img.set(x, y, dither(*p.water, 0.3 + 0.3 * value_noise(x, y * 4.0, 9, 98), x, y));
    }
    for (int i = 0; i < 30; ++i) { // drips from the vault
        int x = static_cast<int>(hash01(99, i, 0) * img.w), y = static_cast<int>(hash01(99, i, 1) * 110);
        img.set(x, y, at_ramp(*p.teal, 2));
        img.set(x, y + 1, at_ramp(*p.teal, 1));
    }
}

void cave_deep(Image &img, const Paint &p) {
    const int w = img.w, h = img.h;
    gradient(img, *p.pal.ramp("cavewall"), 0, h, 0.45, 0.05);
    cave_columns(img, p, 4, at_ramp(*p.earth, 1), 30, 0.35);
    cave_columns(img, p, 8, at_ramp(*p.earth, 0), 22, 0.3);
    for (int i = 0; i < 40; ++i) { // glints of crystal in the far rock
        int x = static_cast<int>(hash01(17, i, 0) * w), y = static_cast<int>(hash01(17, i, 1) * h);
        img.set(x, y, at_ramp(*p.teal, 2 + (i % 2)));
    }
}

void cave_lake(Image &img, const Paint &p) {
    const int w = img.w, h = img.h;
    gradient(img, *p.pal.ramp("cavewall"), 0, 90, 0.35, 0.1);
    cave_columns(img, p, 12, at_ramp(*p.earth, 1), 26, 0.3);
    for (int x = 0; x < w; ++x) {
        int top = static_cast<int>(value_noise(x, 0, 14, 3) * 14);
        for (int y = 0; y < top; ++y) img.set(x, y, p.ink);
    }
    for (int i = 0; i < 8; ++i) {
        int x = 20 + i * 28 + static_cast<int>(hash01(5, i, 0) * 10), y = 60 + static_cast<int>(hash01(5, i, 1) * 24);
        for (int k = 0; k < 6; ++k) img.set(x + (k % 3) - 1, y - k, at_ramp(*p.teal, 3 - k / 2));
    }
    reflect(img, p, 90, h);
}

void cave_mouth(Image &img, const Paint &p) {
    const int w = img.w, h = img.h;
    gradient(img, *p.sky, 0, h, 0.0, 0.5);
    stars(img, p, 44, h, 0.015);
    moon(img, p, 170, 40, 10);
    ridge(img, 120, 40, 40, 9, at_ramp(*p.sky, 2));
    // The rim of the cave, open in the middle.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double dx = (x - 120) / 105.0, dy = (y - 100) / 95.0;
            double edge = 1.0 + 0.08 * (value_noise(x, y, 7, 2) - 0.5);
            if (dx * dx + dy * dy > edge * edge) img.set(x, y, dx * dx + dy * dy > edge * edge * 1.12 ? p.ink : at_ramp(*p.earth, 1));
        }
}

void tower_sky(Image &img, const Paint &p) {
    const int h = img.h;
    gradient(img, *p.sky, 0, h, 0.0, 0.6);
    stars(img, p, 51, h, 0.015);
    moon(img, p, 60, 36, 14);
    ridge(img, 130, 50, 50, 21, at_ramp(*p.sky, 2));
    ridge(img, 144, 30, 30, 22, at_ramp(*p.violet, 0));
    bats(img, p.ink, 9, 5, 100, 20, 230, 80);
}

void tower_hall(Image &img, const Paint &p) {
    const int w = img.w, h = img.h;
    stone_wall(img, p, 31);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgb c = img.at(x, y);
            // Darken the hall so that the rooms' cells stand out in front of it.
            if (c != p.ink && bayer(x, y) < 0.55) img.set(x, y, at_ramp(*p.castle, 1));
        }
    for (int k = 0; k < 3; ++k) {
        int cx = 40 + k * 80, top = 30, bottom = 100, half = 12;
        for (int y = top - half; y <= bottom; ++y)
            for (int x = cx - half; x <= cx + half; ++x) {
                bool inside = y >= top ? true : std::hypot(x - cx, y - top) <= half;
                if (!inside) continue;
                bool frame = std::abs(x - cx) >= half - 1 || y == bottom || (y < top && std::hypot(x - cx, y - top) > half - 1.5);
                img.set(x, y, frame ? p.ink : dither(*p.sky, 0.15 + 0.3 * (y - top + half) / (bottom - top + half), x, y));
            }
        for (int y = top - half; y <= bottom; ++y) img.set(cx, y, p.ink);
        for (int x = cx - half; x <= cx + half; ++x) img.set(x, (top + bottom) / 2, p.ink);
        img.set(cx + 6, top + 6, at_ramp(*p.moon, 2));
    }
}

void tower_storm(Image &img, const Paint &p) {
    const int w = img.w, h = img.h;
    gradient(img, *p.night, 0, h, 0.2, 0.9);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double c = value_noise(x, y * 2.2, 28, 61) * 0.7 + value_noise(x, y * 2, 9, 62) * 0.3;
            if (c > 0.55) img.set(x, y, dither(*p.violet, (c - 0.55) * 2.0, x, y));
        }
    ridge(img, 144, 26, 40, 63, p.ink);
}

void battlement_dusk(Image &img, const Paint &p) {
    const int h = img.h;
    // After sunset: dark overhead, violet lower down, clouds with burning rims.
    gradient(img, *p.dusk, 0, h, 0.0, 0.75);
    drifting_clouds(img, *p.night, at_ramp(*p.ember, 2), 71, 0.35);
    bats(img, p.ink, 72, 3, 10, 30, 230, 100);
}

void battlement_night(Image &img, const Paint &p) {
    const int h = img.h;
    gradient(img, *p.sky, 0, h, 0.0, 0.45);
    stars(img, p, 73, h, 0.012);
    drifting_clouds(img, *p.night, at_ramp(*p.sky, 4), 74, 0.4);
}

void dream_moons_room(Image &img, const Paint &p) {
    const int h = img.h;
    gradient(img, *p.dusk, 0, h, 0.25, 0.0);
    dream_moons(img, p, 81, 7);
}

void dream_floor(Image &img, const Paint &p) {
    gradient(img, *p.night, 0, 70, 0.0, 0.5);
    dream_moons(img, p, 82, 3);
    checker_floor(img, *p.violet, 70);
}

void dream_tunnel(Image &img, const Paint &p) {
    const int w = img.w, h = img.h;
    // Frames within frames, falling away to a far light.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double d = std::max(std::abs(x - w / 2.0) / (w / 2.0), std::abs(y - h / 2.0) / (h / 2.0));
            double ring = std::sqrt(d) * 9.0;
            bool line = ring - std::floor(ring) < 0.12;
            img.set(x, y, dither(*p.teal, line ? 0.3 * d + 0.05 : 0.12 * (1.0 - d), x, y));
        }
}

void dream_spiral(Image &img, const Paint &p) {
    const int w = img.w, h = img.h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double dx = x - w / 2.0, dy = (y - h / 2.0) * 1.2;
            double turn = std::atan2(dy, dx) / (2 * kPi) + std::sqrt(std::hypot(dx, dy)) / 3.0;
            double band = turn - std::floor(turn);
            img.set(x, y, dither(*p.teal, band < 0.5 ? 0.0 : 0.15, x, y));
        }
}

// Every room backdrop, by the name a sheet recipe gives it: a new room is a row here.
struct RoomPainter {
    const char *name;
    void (*paint)(Image &, const Paint &);
};
const RoomPainter kRooms[] = {
    {"cave_deep", cave_deep},
    {"cave_lake", cave_lake},
    {"cave_mouth", cave_mouth},
    {"tower_sky", tower_sky},
    {"tower_hall", tower_hall},
    {"tower_storm", tower_storm},
    {"battlement_dusk", battlement_dusk},
    {"battlement_night", battlement_night},
    {"dream_moons", dream_moons_room},
    {"dream_floor", dream_floor},
    {"dream_tunnel", dream_tunnel},
    {"dream_spiral", dream_spiral},
    {"castle_night", castle_night},
    {"castle_dusk", castle_dusk},
    {"demo_dark", demo_dark},
    {"demo_roots", demo_roots},
    {"pachin_garden", pachin_garden},
    {"pachin_deep", pachin_deep},
    {"salem_village", salem_village},
    {"salem_graveyard", salem_graveyard},
    {"salem_hall", salem_hall},
    {"city_storm", city_storm},
    {"city_street", city_street},
    {"city_drain", city_drain},
};

bool scene_room(const Paint &p, const std::string &name, int w, int h, Image &out, std::string &why) {
    for (const RoomPainter &r : kRooms) {
        if (name != r.name) continue;
        if (w != 240 || h != 144) {
            why = "a room backdrop is 240 x 144";
            return false;
        }
        Image img(w, h);
        r.paint(img, p);
        out = img;
        return true;
    }
    why = "no scene named \"" + name + "\"";
    return false;
}

bool need(const Palette &pal, const char *name, const Ramp *&r, std::string &why) {
    r = pal.ramp(name);
    if (!r) why = std::string("the palette has no ramp \"") + name + "\"";
    return r != nullptr;
}

} // namespace

bool render_scene(const std::string &name, int w, int h, const Palette &pal, const GlyphSet &glyphs,
                  Image &out, std::string &why) {
    Paint p{pal, glyphs, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}, {}};
    const Ramp *title, *cavewall;
    if (!need(pal, "sky", p.sky, why) || !need(pal, "violet", p.violet, why) || !need(pal, "stone", p.stone, why) ||
        !need(pal, "earth", p.earth, why) || !need(pal, "moss", p.moss, why) || !need(pal, "ember", p.ember, why) ||
        !need(pal, "moon", p.moon, why) || !need(pal, "teal", p.teal, why) || !need(pal, "night", p.night, why) ||
        !need(pal, "dusk", p.dusk, why) || !need(pal, "water", p.water, why) || !need(pal, "castle", p.castle, why) ||
        !need(pal, "glyph", p.glyph, why) || !need(pal, "lamp", p.lamp, why) || !need(pal, "blood", p.blood, why) ||
        !need(pal, "title", title, why) || !need(pal, "cavewall", cavewall, why))
        return false;
    const Rgb *ink = pal.named("ink"), *shadow = pal.named("shadow");
    if (!ink || !shadow) {
        why = "the palette needs the colours \"ink\" and \"shadow\"";
        return false;
    }
    p.ink = *ink;
    p.shadow = *shadow;
    for (char c : std::string("VESPRTIL")) {
        if (!glyphs.body[static_cast<unsigned char>(c)].defined && (name == "splash" || name == "menu_backdrop" || name == "title")) {
            why = std::string("the glyph source has no '") + c + "'";
            return false;
        }
    }
    if (name == "splash") return scene_splash(p, w, h, out, why);
    if (name == "menu_backdrop") return scene_menu_backdrop(p, w, h, out, why);
    if (name == "title") return scene_title(p, w, h, out, why);
    if (name == "frame") return scene_frame(p, w, h, out, why);
    if (name == "bar_full") return scene_bar(p, w, h, true, out, why);
    if (name == "bar_empty") return scene_bar(p, w, h, false, out, why);
    if (name == "end_1") return scene_end(p, w, h, 1, out, why);
    if (name == "end_2") return scene_end(p, w, h, 2, out, why);
    if (name == "icon") return scene_icon(p, w, h, out, why);
    return scene_room(p, name, w, h, out, why);
}

} // namespace art
