// The sheet recipe reader. One directive a line; pixel grids follow their directive
// on the next lines. Every cell may be drawn once, and every fault is reported with
// the file and line where it was found.
#include "art_sheet.h"

#include "art_cells.h"
#include "art_text.h"

#include <cctype>
#include <memory>

namespace art {

int glyph_cell(char c) {
    if (c >= 'A' && c <= 'N') return 194 + (c - 'A');
    if (c == 'n') return 208; // the Spanish N with tilde
    if (c >= 'O' && c <= 'U') return 209 + (c - 'O');
    if (c >= 'V' && c <= 'Z') return 218 + (c - 'V');
    if (c >= '0' && c <= '9') return 223 + (c - '0');
    switch (c) {
    case '.': return 233;
    case ',': return 234;
    case ':': return 235;
    case '-': return 236;
    case '@': return 237;
    case '?': return 238;
    case '!': return 239;
    // Lower-case first letters of menu entries select decorated initials.
    case 'j': return 144;
    case 'f': return 145;
    case 'c': return 146;
    case 's': return 147;
    case 'p': return 148;
    case 'l': return 149;
    case 'e': return 150;
    case 'z': return 151;
    case 'k': return 152;
    default: return 0;
    }
}

int dial_frame_cell(int first, int f) { return first + (f / 8) * 72 + (f % 8) * 3; }

Image cell_image(const Image &sheet, int n) {
    return crop(sheet, (n % kColumns) * kCell, (n / kColumns) * kCell, kCell, kCell);
}

namespace {

constexpr int kMaxIncludeDepth = 8;

struct Reader {
    Reader(const Palette &p, Sheet &s, Diag &e) : pal(p), sheet(s), err(e) {}
    const Palette &pal;
    Sheet &sheet;
    Diag &err;
    CellStyle style;
    bool style_ready = false;
    std::string style_why;
    // Where each cell was drawn, for the "drawn twice" message.
    std::string where[kCells];
};

bool parse_cell_number(const Line &ln, const std::string &w, int &n, Diag &err) {
    if (!parse_int(w, 0, kCells - 1, n)) return fail(err, ln, "\"" + w + "\" is not a cell number from 0 to 239");
    return true;
}

// Claims cell n for drawing; refuses a cell drawn before.
bool claim(Reader &rd, const Line &ln, int n) {
    if (n < 0 || n >= kCells) return fail(rd.err, ln, "cell " + std::to_string(n) + " lies outside the sheet");
    if (rd.sheet.drawn[n])
        return fail(rd.err, ln, "cell " + std::to_string(n) + " was already drawn at " + rd.where[n]);
    rd.sheet.drawn[n] = true;
    rd.where[n] = ln.file + ":" + std::to_string(ln.number);
    return true;
}

void put_cell(Sheet &s, int n, const Image &img, int ox = 0, int oy = 0) {
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x)
            s.image.set((n % kColumns) * kCell + x, (n / kColumns) * kCell + y, img.at(ox + x, oy + y));
}

// Claims and draws a block of w x h cells from `img` with its top-left cell at n.
bool put_block(Reader &rd, const Line &ln, int n, int w, int h, const Image &img) {
    if (n % kColumns + w > kColumns || n / kColumns + h > kRows)
        return fail(rd.err, ln, "a block of " + std::to_string(w) + "x" + std::to_string(h) + " cells at cell " +
                                    std::to_string(n) + " runs off the sheet");
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            if (!claim(rd, ln, n + c + kColumns * r)) return false;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) put_cell(rd.sheet, n + c + kColumns * r, img, c * kCell, r * kCell);
    return true;
}

bool need_style(Reader &rd, const Line &ln) {
    if (!rd.style_ready) {
        if (!cell_style(rd.pal, rd.style, rd.style_why)) return fail(rd.err, ln, rd.style_why);
        rd.style_ready = true;
    }
    return true;
}

bool need_ramp(Reader &rd, const Line &ln, const std::string &name, const Ramp *&out) {
    out = rd.pal.ramp(name);
    if (!out) return fail(rd.err, ln, "the palette has no ramp \"" + name + "\"");
    return true;
}

bool need_words(Reader &rd, const Line &ln, size_t count, const char *form) {
    if (ln.words.size() != count) return fail(rd.err, ln, std::string("expected \"") + form + "\"");
    return true;
}

// The next `rows` lines after line index i, each exactly `cols` characters.
bool take_rows(Reader &rd, const std::vector<Line> &lines, size_t &i, int rows, int cols,
               std::vector<const Line *> &out) {
    const Line &head = lines[i];
    out.clear();
    for (int r = 0; r < rows; ++r) {
        if (i + 1 >= lines.size() || lines[i + 1].raw.empty())
            return fail(rd.err, head, "the grid has " + std::to_string(r) + " rows; it needs " + std::to_string(rows));
        const Line &row = lines[++i];
        if (static_cast<int>(row.raw.size()) != cols)
            return fail(rd.err, row, "a grid row is " + std::to_string(cols) + " characters long; this one has " +
                                         std::to_string(row.raw.size()));
        out.push_back(&row);
    }
    return true;
}

bool do_cells(Reader &rd, const std::vector<Line> &lines, size_t &i) {
    const Line &ln = lines[i];
    if (!need_words(rd, ln, 3, "cells <first cell> <columns>x<rows>")) return false;
    int n;
    if (!parse_cell_number(ln, ln.words[1], n, rd.err)) return false;
    const std::string &size = ln.words[2];
    size_t x = size.find('x');
    int w, h;
    if (x == std::string::npos || !parse_int(size.substr(0, x), 1, kColumns, w) ||
        !parse_int(size.substr(x + 1), 1, kRows, h))
        return fail(rd.err, ln, "\"" + size + "\" is not a block size such as 1x1 or 2x2");
    std::vector<const Line *> rows;
    if (!take_rows(rd, lines, i, h * kCell, w * kCell, rows)) return false;
    Image img(w * kCell, h * kCell);
    for (int y = 0; y < h * kCell; ++y)
        for (int xx = 0; xx < w * kCell; ++xx) {
            char k = rows[y]->raw[xx];
            unsigned char u = static_cast<unsigned char>(k);
            if (k != kMaskKey && (u >= 128 || !rd.pal.has[u]))
                return fail(rd.err, *rows[y], std::string("column ") + std::to_string(xx + 1) + ": '" + k +
                                                  "' is no colour of the palette");
            img.set(xx, y, rd.pal.key(k));
        }
    return put_block(rd, ln, n, w, h, img);
}

bool do_glyph(Reader &rd, const std::vector<Line> &lines, size_t &i) {
    const Line &ln = lines[i];
    if (!need_words(rd, ln, 3, "glyph <cell> <character>")) return false;
    int n;
    if (!parse_cell_number(ln, ln.words[1], n, rd.err)) return false;
    if (ln.words[2].size() != 1) return fail(rd.err, ln, "\"" + ln.words[2] + "\" is not one character");
    char c = ln.words[2][0];
    int expected = glyph_cell(c);
    if (expected == 0 || (c >= 'a' && c <= 'z' && c != 'n'))
        return fail(rd.err, ln, std::string("the game's text has no glyph for '") + c + "'");
    if (expected != n)
        return fail(rd.err, ln, std::string("the game draws '") + c + "' from cell " + std::to_string(expected) +
                                    ", not " + std::to_string(n));
    GlyphBody &g = rd.sheet.glyphs.body[static_cast<unsigned char>(c)];
    if (g.defined) return fail(rd.err, ln, std::string("the glyph '") + c + "' is defined twice");
    std::vector<const Line *> rows;
    if (!take_rows(rd, lines, i, kGlyphBody, kGlyphBody, rows)) return false;
    for (int y = 0; y < kGlyphBody; ++y)
        for (int x = 0; x < kGlyphBody; ++x) {
            char k = rows[y]->raw[x];
            if (k != '#' && k != '.')
                return fail(rd.err, *rows[y], std::string("column ") + std::to_string(x + 1) + ": '" + k +
                                                  "' in a glyph; a glyph body is drawn with '#' and '.'");
            g.bit[y][x] = k == '#';
        }
    g.defined = true;
    if (!need_style(rd, ln) || !claim(rd, ln, n)) return false;
    put_cell(rd.sheet, n, styled_glyph(g, rd.style));
    return true;
}

bool do_initial(Reader &rd, const Line &ln) {
    if (!need_words(rd, ln, 3, "initial <cell> <lower-case letter>")) return false;
    int n;
    if (!parse_cell_number(ln, ln.words[1], n, rd.err)) return false;
    char c = ln.words[2].size() == 1 ? ln.words[2][0] : 0;
    if (!(c >= 'a' && c <= 'z') || c == 'n' || glyph_cell(c) == 0)
        return fail(rd.err, ln, "\"" + ln.words[2] + "\" selects no decorated initial");
    if (glyph_cell(c) != n)
        return fail(rd.err, ln, std::string("the game draws the initial '") + c + "' from cell " +
                                    std::to_string(glyph_cell(c)) + ", not " + std::to_string(n));
    char capital = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const GlyphBody &g = rd.sheet.glyphs.body[static_cast<unsigned char>(capital)];
    if (!g.defined) return fail(rd.err, ln, std::string("the glyph '") + capital + "' must be defined before its initial");
    if (!need_style(rd, ln) || !claim(rd, ln, n)) return false;
    put_cell(rd.sheet, n, decorated_initial(g, rd.style));
    return true;
}

// mirror, flip, copy, shift and recolour: a new cell made from one drawn before.
bool do_derived(Reader &rd, const Line &ln) {
    const std::string &d = ln.words[0];
    if (ln.words.size() < 3) return fail(rd.err, ln, "expected \"" + d + " <new cell> <drawn cell> ...\"");
    int dst, src;
    if (!parse_cell_number(ln, ln.words[1], dst, rd.err) || !parse_cell_number(ln, ln.words[2], src, rd.err))
        return false;
    if (!rd.sheet.drawn[src]) return fail(rd.err, ln, "cell " + std::to_string(src) + " has not been drawn yet");
    Image from = cell_image(rd.sheet.image, src);
    Image to(kCell, kCell);
    if (d == "mirror" || d == "flip" || d == "copy") {
        if (ln.words.size() != 3) return fail(rd.err, ln, "expected \"" + d + " <new cell> <drawn cell>\"");
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) {
                int sx = d == "mirror" ? kCell - 1 - x : x;
                int sy = d == "flip" ? kCell - 1 - y : y;
                to.set(x, y, from.at(sx, sy));
            }
    } else if (d == "shift") {
        int dx, dy;
        if (ln.words.size() != 5 || !parse_int(ln.words[3], -15, 15, dx) || !parse_int(ln.words[4], -15, 15, dy))
            return fail(rd.err, ln, "expected \"shift <new cell> <drawn cell> <dx> <dy>\" with moves of -15 to 15");
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x)
                if (from.inside(x - dx, y - dy)) to.set(x, y, from.at(x - dx, y - dy));
    } else { // recolour
        if (ln.words.size() < 4) return fail(rd.err, ln, "expected \"recolour <new cell> <drawn cell> <ab> ...\"");
        to = from;
        for (size_t w = 3; w < ln.words.size(); ++w) {
            const std::string &p = ln.words[w];
            if (p.size() != 2) return fail(rd.err, ln, "\"" + p + "\" is not a pair of colour keys such as ab");
            for (char k : p)
                if (k != kMaskKey && (static_cast<unsigned char>(k) >= 128 || !rd.pal.has[static_cast<unsigned char>(k)]))
                    return fail(rd.err, ln, std::string("'") + k + "' is no colour of the palette");
            Rgb a = rd.pal.key(p[0]), b = rd.pal.key(p[1]);
            for (int y = 0; y < kCell; ++y)
                for (int x = 0; x < kCell; ++x)
                    if (from.at(x, y) == a) to.set(x, y, b);
        }
    }
    if (!claim(rd, ln, dst)) return false;
    put_cell(rd.sheet, dst, to);
    return true;
}

bool do_dial(Reader &rd, const Line &ln) {
    if (!need_words(rd, ln, 2, "dial <cell of frame 0>")) return false;
    int first;
    if (!parse_cell_number(ln, ln.words[1], first, rd.err)) return false;
    if (first % kColumns != 0 || dial_frame_cell(first, 15) + 2 + 2 * kColumns >= kCells)
        return fail(rd.err, ln, "the 16 dial frames need six whole rows from the start of a row");
    for (int f = 0; f < 16; ++f) {
        Image frame;
        std::string why;
        if (!dial_frame(rd.pal, f, frame, why)) return fail(rd.err, ln, why);
        if (!put_block(rd, ln, dial_frame_cell(first, f), 3, 3, frame)) return false;
    }
    return true;
}

// The four glow pictures: quadrants at first + v (top left), + 24 (bottom left),
// + 48 (top right) and + 72 (bottom right), as the renderer puts them round the hero.
bool do_glow(Reader &rd, const Line &ln) {
    if (!need_words(rd, ln, 3, "glow <first cell> <ramp>")) return false;
    int first;
    const Ramp *ramp;
    if (!parse_cell_number(ln, ln.words[1], first, rd.err) || !need_ramp(rd, ln, ln.words[2], ramp)) return false;
    if (first % kColumns + 4 > kColumns || first + 3 + 72 >= kCells)
        return fail(rd.err, ln, "the glow needs four columns and four rows from its first cell");
    for (int v = 0; v < 4; ++v) {
        Image g = glow_picture(*ramp, v);
        const int quad[4][3] = {{0, 0, 0}, {kColumns, 0, 16}, {2 * kColumns, 16, 0}, {3 * kColumns, 16, 16}};
        for (const auto &q : quad) {
            int n = first + v + q[0];
            if (!claim(rd, ln, n)) return false;
            put_cell(rd.sheet, n, g, q[1], q[2]);
        }
    }
    return true;
}

// A drifting 32 x 32 shape in cells n, n + 1 (top) and n + 24, n + 25 (bottom).
bool do_drifter(Reader &rd, const Line &ln) {
    if (!need_words(rd, ln, 3, "drifter <cell> <ramp>")) return false;
    int n;
    const Ramp *ramp;
    if (!parse_cell_number(ln, ln.words[1], n, rd.err) || !need_ramp(rd, ln, ln.words[2], ramp)) return false;
    return put_block(rd, ln, n, 2, 2, drifter_picture(*ramp));
}

bool do_stripes(Reader &rd, const Line &ln) {
    if (!need_words(rd, ln, 4, "stripes <cell> <ramp> <slope 1 or -1>")) return false;
    int n, slope;
    const Ramp *ramp;
    if (!parse_cell_number(ln, ln.words[1], n, rd.err) || !need_ramp(rd, ln, ln.words[2], ramp)) return false;
    if (!parse_int(ln.words[3], -1, 1, slope) || slope == 0) return fail(rd.err, ln, "the slope is 1 or -1");
    if (ramp->colours.size() < 4) return fail(rd.err, ln, "stripes need a ramp of four colours or more");
    if (!claim(rd, ln, n)) return false;
    put_cell(rd.sheet, n, stripes(*ramp, slope));
    return true;
}

bool parse_material(Reader &rd, const Line &ln, const std::string &w, Material &m) {
    if (!material_from_name(w, m)) return fail(rd.err, ln, "\"" + w + "\" is no material (rock, brick, block)");
    return true;
}

bool parse_edges(Reader &rd, const Line &ln, const std::string &w, int &edges) {
    edges = 0;
    if (w == "-") return true;
    for (char c : w) {
        int bit = c == 't' ? kEdgeTop : c == 'b' ? kEdgeBottom : c == 'l' ? kEdgeLeft : c == 'r' ? kEdgeRight : 0;
        if (!bit || (edges & bit)) return fail(rd.err, ln, "\"" + w + "\" is not a set of edges from t, b, l, r (or -)");
        edges |= bit;
    }
    return true;
}

// ground <first> <material> <ramp> <top ramp|-> <seed>: 16 cells, first + edge bits.
// tile <cell> <material> <ramp> <top ramp|-> <seed> <edges>: one of them.
bool do_ground(Reader &rd, const Line &ln) {
    bool one = ln.words[0] == "tile";
    if (!need_words(rd, ln, one ? 7 : 6,
                    one ? "tile <cell> <material> <ramp> <top ramp or -> <seed> <edges>"
                        : "ground <first cell> <material> <ramp> <top ramp or -> <seed>"))
        return false;
    int n, seed, edges = 0;
    Material m;
    const Ramp *body, *top = nullptr;
    if (!parse_cell_number(ln, ln.words[1], n, rd.err) || !parse_material(rd, ln, ln.words[2], m) ||
        !need_ramp(rd, ln, ln.words[3], body))
        return false;
    if (ln.words[4] != "-" && !need_ramp(rd, ln, ln.words[4], top)) return false;
    if (!parse_int(ln.words[5], 0, 99999, seed)) return fail(rd.err, ln, "the seed is a number from 0 to 99999");
    if (one && !parse_edges(rd, ln, ln.words[6], edges)) return false;
    if (body->colours.size() < 4) return fail(rd.err, ln, "ground needs a ramp of four colours or more");
    const Rgb *ink = rd.pal.named("ink");
    if (!ink) return fail(rd.err, ln, "the palette has no colour named \"ink\"");
    if (one) {
        if (!claim(rd, ln, n)) return false;
        put_cell(rd.sheet, n, ground_tile(m, *body, top, *ink, seed, edges));
        return true;
    }
    if (n % kColumns + 16 > kColumns) return fail(rd.err, ln, "the 16 ground cells must fit in one row");
    for (int e = 0; e < 16; ++e) {
        if (!claim(rd, ln, n + e)) return false;
        put_cell(rd.sheet, n + e, ground_tile(m, *body, top, *ink, seed, e));
    }
    return true;
}

bool do_backwall(Reader &rd, const Line &ln) {
    if (!need_words(rd, ln, 5, "backwall <cell> <material> <ramp> <seed>")) return false;
    int n, seed;
    Material m;
    const Ramp *body;
    if (!parse_cell_number(ln, ln.words[1], n, rd.err) || !parse_material(rd, ln, ln.words[2], m) ||
        !need_ramp(rd, ln, ln.words[3], body))
        return false;
    if (!parse_int(ln.words[4], 0, 99999, seed)) return fail(rd.err, ln, "the seed is a number from 0 to 99999");
    if (!claim(rd, ln, n)) return false;
    put_cell(rd.sheet, n, back_wall(m, *body, seed));
    return true;
}

std::string directory_of(const std::string &path) {
    size_t s = path.rfind('/');
    return s == std::string::npos ? std::string() : path.substr(0, s + 1);
}

bool run(Reader &rd, const std::string &file, const std::string &text, int depth);

bool do_include(Reader &rd, const Line &ln, int depth) {
    if (!need_words(rd, ln, 2, "include <file>")) return false;
    if (depth >= kMaxIncludeDepth) return fail(rd.err, ln, "includes nest too deep (a file includes itself?)");
    std::string path = ln.words[1][0] == '/' ? ln.words[1] : directory_of(ln.file) + ln.words[1];
    std::string text;
    Diag open_err;
    if (!read_text_file(path, text, open_err)) return fail(rd.err, ln, "cannot open " + path);
    return run(rd, path, text, depth + 1);
}

bool run(Reader &rd, const std::string &file, const std::string &text, int depth) {
    std::vector<Line> lines = split_lines(file, text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line &ln = lines[i];
        if (ln.words.empty()) continue;
        const std::string &d = ln.words[0];
        bool ok;
        if (d == "include") ok = do_include(rd, ln, depth);
        else if (d == "cells") ok = do_cells(rd, lines, i);
        else if (d == "glyph") ok = do_glyph(rd, lines, i);
        else if (d == "initial") ok = do_initial(rd, ln);
        else if (d == "mirror" || d == "flip" || d == "copy" || d == "shift" || d == "recolour") ok = do_derived(rd, ln);
        else if (d == "dial") ok = do_dial(rd, ln);
        else if (d == "glow") ok = do_glow(rd, ln);
        else if (d == "drifter") ok = do_drifter(rd, ln);
        else if (d == "stripes") ok = do_stripes(rd, ln);
        else if (d == "ground" || d == "tile") ok = do_ground(rd, ln);
        else if (d == "backwall") ok = do_backwall(rd, ln);
        else ok = fail(rd.err, ln, "unknown directive \"" + d + "\"");
        if (!ok) return false;
    }
    return true;
}

} // namespace

bool build_sheet_text(const std::string &file, const std::string &text, const Palette &pal, Sheet &out,
                      Diag &err) {
    out = Sheet();
    auto rd = std::make_unique<Reader>(pal, out, err);
    return run(*rd, file, text, 0);
}

bool build_sheet(const std::string &recipe_path, const Palette &pal, Sheet &out, Diag &err) {
    std::string text;
    if (!read_text_file(recipe_path, text, err)) return false;
    return build_sheet_text(recipe_path, text, pal, out, err);
}

Image render_glyph_cell(const GlyphBody &body, const Palette &pal) {
    CellStyle style;
    std::string why;
    if (!cell_style(pal, style, why)) return Image(kCell, kCell);
    return styled_glyph(body, style);
}

} // namespace art
