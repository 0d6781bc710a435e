// The generated pictures and sheets, read with the game's own loaders (load_pcx,
// load_jpg, cut_tile_sheet): the size the game reads, the mask colour where it
// draws through, the same colours at 16 and 32 bits, and the cells and columns the
// game gives a meaning.
#include "support/test_support.h"
#include "ui/jpeg.h"
#include "ui/text.h"
#include "world/tile_sheet.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using testing_support::BitmapPtr;

const std::string kGame = VESPERTIL_TEST_GAME_DIR;
const std::string kSheets = VESPERTIL_TEST_SHEETS_DIR;

// Loads with the game's colour conversion at the given depth.
BitmapPtr load_at(int depth, const std::string &path) {
    set_color_depth(depth);
    set_color_conversion(COLORCONV_TOTAL);
    PALETTE pal;
    std::string lower = path;
    for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool jpeg = lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".jpg") == 0;
    return BitmapPtr(jpeg ? load_jpg(path.c_str(), pal) : load_pcx(path.c_str(), pal));
}

struct Picture {
    const char *file;
    int w, h;
    bool masked; // has transparent (mask colour) parts
};

const Picture kPictures[] = {
    {"GFX/ZENTIX.JPG", 640, 480, false},       {"GFX/enddemo_1.jpg", 640, 480, false},
    {"GFX/enddemo_1_baja.jpg", 320, 200, false}, {"GFX/enddemo_2.jpg", 640, 480, false},
    {"GFX/enddemo_2_baja.jpg", 320, 200, false}, {"GFX/fondo_menu.jpg", 640, 480, false},
    {"GFX/fondo_menu_baja.pcx", 320, 200, false}, {"GFX/rotulo.pcx", 640, 193, true},
    {"GFX/rotulo_baja.pcx", 320, 72, true},      {"GFX/MARCO.PCX", 640, 400, false},
    {"GFX/MARCO_BAJA.PCX", 320, 200, false},     {"GFX/VIDA_FULL.PCX", 205, 16, false},
    {"GFX/VIDA_EMPTY.PCX", 205, 16, false},      {"GFX/VIDA_FULL_BAJA.PCX", 102, 8, false},
    {"GFX/VIDA_EMPTY_BAJA.PCX", 102, 8, false},  {"GFX/menu_spr.pcx", 384, 160, true},
};

// The sheets and room backdrops the map compiler reads.
const Picture kSheets_[] = {
    {"cueva_tiles.pcx", 384, 160, true},     {"cueva_sprites.pcx", 384, 160, true},
    {"vusk_tiles.pcx", 384, 160, true},      {"vusk_sprites.pcx", 384, 160, true},
    {"cueva_back_deep.pcx", 240, 144, false}, {"cueva_back_lake.pcx", 240, 144, false},
    {"cueva_back_mouth.pcx", 240, 144, false}, {"vusk_back_sky.pcx", 240, 144, false},
    {"vusk_back_hall.pcx", 240, 144, false},  {"vusk_back_storm.pcx", 240, 144, false},
};

int mask_pixels(BITMAP *b) {
    int n = 0, mask = bitmap_mask_color(b);
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x) n += getpixel(b, x, y) == mask;
    return n;
}

// At 16 and 32 bits: the size the game reads; the mask colour in the pictures drawn
// through, never in those drawn whole; a PCX read at 16 bits holds exactly the
// 16-bit form of each colour read at 32.
TEST(Pictures, EveryPictureHasItsSizeMaskAndColoursAtBothDepths) {
    std::vector<std::pair<std::string, Picture>> all;
    for (const Picture &p : kPictures) all.push_back({kGame + "/" + p.file, p});
    for (const Picture &p : kSheets_) all.push_back({kSheets + "/" + p.file, p});
    for (const auto &[path, p] : all) {
        BitmapPtr b32 = load_at(32, path), b16 = load_at(16, path);
        ASSERT_TRUE(b32 && b16) << path;
        for (BITMAP *b : {b16.get(), b32.get()}) {
            EXPECT_EQ(b->w, p.w) << p.file;
            EXPECT_EQ(b->h, p.h) << p.file;
        }
        EXPECT_EQ(bitmap_color_depth(b16.get()), 16) << p.file;
        if (path.find(".jpg") != std::string::npos || path.find(".JPG") != std::string::npos) continue;
        const int masked = mask_pixels(b16.get());
        if (p.masked) {
            EXPECT_GT(masked, 0) << p.file << " should have transparent parts";
            EXPECT_LT(masked, p.w * p.h) << p.file << " is empty";
        } else {
            EXPECT_EQ(masked, 0) << p.file << " is drawn whole and must not show the mask colour";
        }
        int bad = 0;
        for (int y = 0; y < b32->h; ++y)
            for (int x = 0; x < b32->w; ++x) {
                const int c = getpixel(b32.get(), x, y);
                bad += getpixel(b16.get(), x, y) != makecol16(getr32(c), getg32(c), getb32(c));
            }
        EXPECT_EQ(bad, 0) << p.file;
    }
}

// The bar is drawn as the full picture's first w columns and the empty picture's
// rest: every column must show the difference, or the level would be unreadable.
TEST(Pictures, EnergyBarsDifferInEveryColumn) {
    for (const char *suffix : {"", "_BAJA"}) {
        BitmapPtr full = load_at(16, kGame + "/GFX/VIDA_FULL" + suffix + ".PCX");
        BitmapPtr empty = load_at(16, kGame + "/GFX/VIDA_EMPTY" + suffix + ".PCX");
        ASSERT_TRUE(full && empty);
        for (int x = 0; x < full->w; ++x) {
            int differ = 0;
            for (int y = 0; y < full->h; ++y) differ += getpixel(full.get(), x, y) != getpixel(empty.get(), x, y);
            EXPECT_GT(differ, full->h / 2) << suffix << " column " << x;
        }
    }
}

// The menu lays the title upside down from row 64 (low resolution): row y of the
// title picture lands on row 136 - y, the mirror of backdrop row y - 8 about row 64.
// Every letter pixel of the title must match the title painted in the backdrop's sky.
TEST(Pictures, TitleMirrorsTheTitleInTheBackdropSky) {
    BitmapPtr title = load_at(32, kGame + "/GFX/rotulo_baja.pcx");
    BitmapPtr sky = load_at(32, kGame + "/GFX/fondo_menu_baja.pcx");
    ASSERT_TRUE(title && sky);
    int letters = 0, mismatched = 0;
    for (int y = 0; y < title->h; ++y)
        for (int x = 0; x < title->w; ++x) {
            int c = getpixel(title.get(), x, y);
            if (c == bitmap_mask_color(title.get())) continue;
            ++letters;
            ASSERT_GE(y - 8, 0) << "the title reaches above the backdrop's sky";
            mismatched += getpixel(sky.get(), x, y - 8) != c;
        }
    EXPECT_GT(letters, 1000);
    EXPECT_EQ(mismatched, 0);
}

// ---- cells --------------------------------------------------------------------

struct Cells {
    BITMAP *cell[kCellCount] = {};
    Cells() {
        for (BITMAP *&c : cell) c = create_bitmap_ex(16, kCellSize, kCellSize);
    }
    ~Cells() {
        for (BITMAP *c : cell) destroy_bitmap(c);
    }
    bool load(const std::string &path) {
        set_color_depth(16);
        set_color_conversion(COLORCONV_TOTAL);
        return cut_tile_sheet(path.c_str(), cell) == 1;
    }
    int opaque(int n) const {
        int k = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) k += getpixel(cell[n], x, y) != bitmap_mask_color(cell[n]);
        return k;
    }
    bool same(int a, const Cells &o, int b) const {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (getpixel(cell[a], x, y) != getpixel(o.cell[b], x, y)) return false;
        return true;
    }
    bool mirrored(int a, int b) const {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (getpixel(cell[a], x, y) != getpixel(cell[b], 15 - x, y)) return false;
        return true;
    }
};

std::vector<int> glyph_cells() {
    std::vector<int> cells;
    for (int c = 0; c < kGlyphMapSize; ++c)
        if (glyph_map.cell[c]) cells.push_back(glyph_map.cell[c]);
    return cells;
}

TEST(MenuSheet, EveryCharacterOfTheFontHasALegibleGlyph) {
    Cells menu;
    ASSERT_TRUE(menu.load(kGame + "/GFX/menu_spr.pcx"));
    int ink = makecol16(8, 6, 16);
    std::vector<int> cells = glyph_cells();
    EXPECT_EQ(cells.size(), 53u); // 44 glyphs and 9 initials
    for (int n : cells) {
        EXPECT_GT(menu.opaque(n), 20) << "cell " << n;
        int outline = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) outline += getpixel(menu.cell[n], x, y) == ink;
        EXPECT_GT(outline, 10) << "cell " << n << " needs a dark outline";
    }
    for (size_t i = 0; i < cells.size(); ++i)
        for (size_t j = i + 1; j < cells.size(); ++j)
            EXPECT_FALSE(menu.same(cells[i], menu, cells[j])) << cells[i] << " and " << cells[j] << " look alike";
    // Glyphs have transparent surroundings; the initials are whole plates.
    for (char c : std::string("ABCZ019.!"))
        EXPECT_LT(menu.opaque(glyph_cell(static_cast<unsigned char>(c))), 200) << c;
    // The two selection bars are whole, different tiles.
    EXPECT_EQ(menu.opaque(168), 256);
    EXPECT_EQ(menu.opaque(169), 256);
    EXPECT_FALSE(menu.same(168, menu, 169));
}

TEST(MenuSheet, DialFramesGrowWithTheVolume) {
    Cells menu;
    ASSERT_TRUE(menu.load(kGame + "/GFX/menu_spr.pcx"));
    // Pixels of frame f that differ from frame 0: more for every step up.
    int last = -1;
    for (int f = 0; f < 16; ++f) {
        int base = (f / 8) * 72 + (f % 8) * 3, base0 = 0;
        int differ = 0;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                int n = base + 24 * r + c, n0 = base0 + 24 * r + c;
                EXPECT_GT(menu.opaque(n), 0) << "dial cell " << n;
                for (int y = 0; y < 16; ++y)
                    for (int x = 0; x < 16; ++x) differ += getpixel(menu.cell[n], x, y) != getpixel(menu.cell[n0], x, y);
            }
        if (f > 0) {
            EXPECT_GT(differ, last) << "frame " << f;
        }
        last = differ;
    }
}

class SpriteSheet : public testing::TestWithParam<const char *> {};

TEST_P(SpriteSheet, HoldsEveryPictureTheRendererDraws) {
    Cells spr, menu;
    ASSERT_TRUE(spr.load(kSheets + "/" + GetParam()));
    ASSERT_TRUE(menu.load(kGame + "/GFX/menu_spr.pcx"));
    // The title is written with the same glyphs at the same cells.
    for (int n = 194; n < 240; ++n)
        if (n != 216 && n != 217) {
            EXPECT_TRUE(spr.same(n, menu, n)) << "glyph cell " << n;
        }
    // Hero: walking 0/24/48, jumping 72, falling 96..168; facing left is the mirror in the next cell.
    for (int n : {0, 24, 48, 72, 96, 120, 144, 168}) {
        EXPECT_GT(spr.opaque(n), 40) << "hero cell " << n;
        EXPECT_TRUE(spr.mirrored(n, n + 1)) << "hero cell " << n + 1;
    }
    EXPECT_FALSE(spr.same(0, spr, 24));
    EXPECT_FALSE(spr.same(0, spr, 72));
    EXPECT_FALSE(spr.same(72, spr, 96));
    // Door closed (2 over 26) and open (50 over 74).
    for (int n : {2, 26, 50, 74}) EXPECT_GT(spr.opaque(n), 100) << "door cell " << n;
    EXPECT_FALSE(spr.same(26, spr, 74));
    // Switch and refill, and their thrown and taken pictures below them.
    for (int n : {192, 193, 216, 217}) EXPECT_GT(spr.opaque(n), 10) << "cell " << n;
    EXPECT_FALSE(spr.same(192, spr, 216));
    EXPECT_FALSE(spr.same(193, spr, 217));
    // Enemies and platforms: four frames each, 24 apart.
    for (int first : {4, 5, 6, 12, 13})
        for (int k = 0; k < 4; ++k) EXPECT_GT(spr.opaque(first + 24 * k), 10) << "object cell " << first + 24 * k;
    // The hero's light: four 32 x 32 pictures in quadrants 98+r, 122+r, 146+r, 170+r.
    for (int r = 0; r < 4; ++r)
        for (int q : {98, 122, 146, 170}) EXPECT_GT(spr.opaque(q + r), 40) << "glow cell " << q + r;
    // The drifting shape, 32 x 32 in 166, 167 over 190, 191.
    for (int n : {166, 167, 190, 191}) EXPECT_GT(spr.opaque(n), 20) << "drifter cell " << n;
}

INSTANTIATE_TEST_SUITE_P(Themes, SpriteSheet, testing::Values("cueva_sprites.pcx", "vusk_sprites.pcx"));

class TileSheet : public testing::TestWithParam<const char *> {};

TEST_P(TileSheet, HoldsGroundEdgesAndTheNamedCells) {
    Cells t;
    ASSERT_TRUE(t.load(kSheets + "/" + GetParam()));
    int ink = makecol16(8, 6, 16);
    for (int base : {0, 24}) {
        // Cell base + 0 is inner ground: whole. Each edge bit adds an outline on that side.
        EXPECT_EQ(t.opaque(base), 256) << base;
        for (int e = 1; e < 16; ++e) {
            int n = base + e;
            EXPECT_EQ(getpixel(t.cell[n], 8, 0) == ink, (e & 1) != 0) << "top of " << n;
            EXPECT_EQ(getpixel(t.cell[n], 8, 15) == ink, (e & 2) != 0) << "bottom of " << n;
            EXPECT_EQ(getpixel(t.cell[n], 0, 8) == ink, (e & 4) != 0) << "left of " << n;
            EXPECT_EQ(getpixel(t.cell[n], 15, 8) == ink, (e & 8) != 0) << "right of " << n;
        }
    }
    // Ledges, ladder, chain, root, spikes, lava, water, conveyors, rollers, torch frames.
    for (int n : {48, 49, 50, 51, 52, 53, 54, 55, 56, 72, 73, 74, 75, 76, 77, 97, 98, 99, 100, 96, 120, 144, 168})
        EXPECT_GT(t.opaque(n), 10) << "cell " << n;
    EXPECT_TRUE(t.mirrored(97, 98)); // the left conveyor shows its arrows the other way
    for (int n : {42, 43, 44, 45}) EXPECT_EQ(t.opaque(n), 256) << "back wall " << n;
    for (int n = 232; std::string(GetParam()) == "cueva_tiles.pcx" && n <= 235; ++n)
        EXPECT_GT(t.opaque(n), 30) << "translucent front cell " << n;
}

INSTANTIATE_TEST_SUITE_P(Themes, TileSheet, testing::Values("cueva_tiles.pcx", "vusk_tiles.pcx"));

} // namespace
