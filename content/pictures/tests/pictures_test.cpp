// The generated pictures and sheets, read with the game's own loaders (load_pcx,
// load_jpg): the size the game reads, the mask colour where it draws through, the
// same colours at 16 and 32 bits. What the cells look like is the golden screens'
// part (every menu screen and map look).
#include "support/test_support.h"
#include "ui/jpeg.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kGame = VESPERTIL_TEST_GAME_DIR;
const std::string kSheets = VESPERTIL_TEST_SHEETS_DIR;

// Loads with the game's colour conversion at the given depth.
OwnedBitmap load_at(int depth, const std::string &path) {
    set_color_depth(depth);
    set_color_conversion(COLORCONV_TOTAL);
    PALETTE pal;
    std::string lower = path;
    for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool jpeg = lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".jpg") == 0;
    return OwnedBitmap(jpeg ? load_jpg(path.c_str(), pal) : load_pcx(path.c_str(), pal));
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
    {"castle_back_night.pcx", 240, 144, false}, {"castle_back_dusk.pcx", 240, 144, false},
    {"demo_back_dark.pcx", 240, 144, false},  {"demo_back_roots.pcx", 240, 144, false},
    {"pachin_back_garden.pcx", 240, 144, false}, {"pachin_back_deep.pcx", 240, 144, false},
    {"salem_tiles.pcx", 384, 160, true},      {"ciudad_tiles.pcx", 384, 160, true},
    {"salem_back_village.pcx", 240, 144, false}, {"salem_back_graveyard.pcx", 240, 144, false},
    {"salem_back_hall.pcx", 240, 144, false}, {"ciudad_back_storm.pcx", 240, 144, false},
    {"ciudad_back_street.pcx", 240, 144, false}, {"ciudad_back_drain.pcx", 240, 144, false},
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
        OwnedBitmap b32 = load_at(32, path), b16 = load_at(16, path);
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

} // namespace
