// Image helpers, the palette reader and ordered dithering.
#include "art_image.h"

#include "art_text.h"

#include <cmath>
#include <cstdio>

namespace art {

std::string Diag::text() const {
    if (line > 0) return file + ":" + std::to_string(line) + ": " + message;
    if (!file.empty()) return file + ": " + message;
    return message;
}

const Ramp *Palette::ramp(const std::string &ramp_name) const {
    for (const Ramp &r : ramps)
        if (r.name == ramp_name) return &r;
    return nullptr;
}

Rgb Palette::key(char k) const {
    if (k == kMaskKey) return kMask;
    unsigned char u = static_cast<unsigned char>(k);
    return u < 128 ? colour[u] : kMask;
}

const Rgb *Palette::named(const std::string &colour_name) const {
    for (int k = 0; k < 128; ++k)
        if (has[k] && name[k] == colour_name) return &colour[k];
    return nullptr;
}

namespace {

bool parse_byte(const std::string &word, int &value) {
    if (word.empty() || word.size() > 3) return false;
    value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= 255;
}

bool parse_colour_line(const Line &ln, Palette &out, Diag &err) {
    const std::vector<std::string> &w = ln.words;
    if (w.size() != 6) return fail(err, ln, "a colour is \"colour <key> <r> <g> <b> <name>\"");
    if (w[1].size() != 1 || static_cast<unsigned char>(w[1][0]) >= 128 || w[1][0] <= ' ')
        return fail(err, ln, "the key \"" + w[1] + "\" is not one printable character");
    char k = w[1][0];
    if (k == kMaskKey || k == '#')
        return fail(err, ln, std::string("the key '") + k + "' is reserved");
    if (out.has[static_cast<int>(k)])
        return fail(err, ln, std::string("the key '") + k + "' is already the colour " +
                                 out.name[static_cast<int>(k)]);
    int rgb[3];
    for (int i = 0; i < 3; ++i)
        if (!parse_byte(w[2 + i], rgb[i]))
            return fail(err, ln, "\"" + w[2 + i] + "\" is not a colour value from 0 to 255");
    if (rgb[0] == 255 && rgb[1] == 0 && rgb[2] == 255)
        return fail(err, ln, "255 0 255 is the mask colour; it is written '.'");
    out.has[static_cast<int>(k)] = true;
    out.colour[static_cast<int>(k)] = Rgb{static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]),
                                          static_cast<uint8_t>(rgb[2])};
    out.name[static_cast<int>(k)] = w[5];
    return true;
}

bool parse_ramp_line(const Line &ln, Palette &out, Diag &err) {
    const std::vector<std::string> &w = ln.words;
    if (w.size() < 4) return fail(err, ln, "a ramp is \"ramp <name> <key> <key> ...\" with two keys or more");
    if (out.ramp(w[1])) return fail(err, ln, "the ramp " + w[1] + " is defined twice");
    Ramp r;
    r.name = w[1];
    for (size_t i = 2; i < w.size(); ++i) {
        if (w[i].size() != 1) return fail(err, ln, "\"" + w[i] + "\" is not a colour key");
        char k = w[i][0];
        if (static_cast<unsigned char>(k) >= 128 || !out.has[static_cast<int>(k)])
            return fail(err, ln, std::string("the key '") + k + "' is no colour of the palette");
        r.colours.push_back(out.colour[static_cast<int>(k)]);
    }
    out.ramps.push_back(r);
    return true;
}

} // namespace

bool parse_palette(const std::string &file, const std::string &text, Palette &out, Diag &err) {
    out = Palette();
    std::vector<Line> lines = split_lines(file, text);
    for (const Line &ln : lines) {
        if (ln.words.empty()) continue;
        const std::string &d = ln.words[0];
        bool ok;
        if (d == "colour") ok = parse_colour_line(ln, out, err);
        else if (d == "ramp") ok = parse_ramp_line(ln, out, err);
        else ok = fail(err, ln, "\"" + d + "\" is neither colour nor ramp");
        if (!ok) return false;
    }
    return true;
}

bool load_palette(const std::string &path, Palette &out, Diag &err) {
    std::string text;
    if (!read_text_file(path, text, err)) return false;
    return parse_palette(path, text, out, err);
}

double bayer(int x, int y) {
    static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (m[y & 3][x & 3] + 0.5) / 16.0;
}

Rgb dither(const Ramp &ramp, double t, int x, int y) {
    int n = static_cast<int>(ramp.colours.size());
    if (t <= 0) return ramp.colours.front();
    if (t >= 1) return ramp.colours.back();
    double pos = t * (n - 1);
    int i = static_cast<int>(std::floor(pos));
    double frac = pos - i;
    if (frac > bayer(x, y)) ++i;
    if (i >= n) i = n - 1;
    return ramp.colours[i];
}

void blit(const Image &src, Image &dst, int dx, int dy, bool masked) {
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            Rgb c = src.at(x, y);
            if (masked && c == kMask) continue;
            dst.set(dx + x, dy + y, c);
        }
}

Image scale_up(const Image &src, int factor) {
    Image out(src.w * factor, src.h * factor);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) out.px[static_cast<size_t>(y) * out.w + x] = src.at(x / factor, y / factor);
    return out;
}

Image crop(const Image &src, int x, int y, int w, int h) {
    Image out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (src.inside(x + i, y + j)) out.px[static_cast<size_t>(j) * w + i] = src.at(x + i, y + j);
    return out;
}

} // namespace art
