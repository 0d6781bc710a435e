// The preview: where each room lands, the order of the layers, the mirrored enemy,
// the map ids' translucent cells, and the tracks.
#include "map_preview.h"
#include "map_source.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr uint32_t kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F, kWhite = 0xFFFF;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream &operator<<(std::ostream &os, const Rgb &c) {
    return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

Rgb of(uint32_t v) {
    Rgb8 c = rgb_from_map_pixel(v);
    return Rgb{c.r, c.g, c.b};
}

Rgb of(Rgb8 c) { return Rgb{c.r, c.g, c.b}; }

class MapPreviewTest : public ::testing::Test {
protected:
    std::unique_ptr<MapImage> img = std::make_unique<MapImage>();
    maps::Raster out;

    void SetUp() override {
        maps::blank_map_image(*img);
        for (auto &t : img->room_tiles) fill(t, kMapMaskColour);
        for (auto &t : img->sprite_tiles) fill(t, kMapMaskColour);
        // Start and exit far away from the rooms the tests look at.
        img->header.start_room_column = img->header.exit_room_column = 4;
        img->header.start_room_row = img->header.exit_room_row = 4;
        img->header.exit_cell_column = 14;
        img->header.start_cell_column = 14;
        for (PlacementRecord &p : img->switches) p = PlacementRecord{4, 4, 0, 0};
        for (PlacementRecord &p : img->refills) p = PlacementRecord{4, 4, 0, 0};
    }

    static void fill(uint32_t (&t)[kTilePixels][kTilePixels], uint32_t v) {
        for (auto &row : t)
            for (uint32_t &p : row) p = v;
    }

    Rgb at(int room_column, int room_row, int x, int y) const {
        const uint8_t *p = out.at(maps::preview_room_x(room_column) + x, maps::preview_room_y(room_row) + y);
        return Rgb{p[0], p[1], p[2]};
    }

    void draw(int32_t map_id = 0) { maps::preview_map(*img, map_id, out); }
};

TEST_F(MapPreviewTest, RoomsLieInAFiveByFiveGridWithAGap) {
    for (uint32_t &p : img->backdrops[1][0]) p = kRed;
    img->rooms[1].backdrop = 1; // room 1,0
    draw();
    EXPECT_EQ(out.w, 5 * 240 + 4 * 2);
    EXPECT_EQ(out.h, 5 * 144 + 4 * 2);
    EXPECT_EQ(out.rgb.size(), static_cast<std::size_t>(out.w) * out.h * 3);
    EXPECT_EQ(at(1, 0, 0, 0), of(kRed));
    EXPECT_EQ(at(1, 0, 239, 0), of(kRed));
    EXPECT_EQ(at(0, 0, 0, 0), (Rgb{0, 0, 0})); // no backdrop: black
    const uint8_t *gap = out.at(241, 0);
    EXPECT_EQ((Rgb{gap[0], gap[1], gap[2]}), of(maps::kGapColour));
    const uint8_t *below = out.at(0, 145);
    EXPECT_EQ((Rgb{below[0], below[1], below[2]}), of(maps::kGapColour));
    EXPECT_EQ(maps::preview_room_y(4), 4 * 146);
}

TEST_F(MapPreviewTest, LayersInTheGamesOrder) {
    RoomRecord &r = img->rooms[6]; // room 1,1
    r.backdrop = 0;
    for (auto &row : img->backdrops[0])
        for (uint32_t &p : row) p = kBlue;
    fill(img->room_tiles[10], kGreen);
    img->room_tiles[10][0][0] = kMapMaskColour; // the backdrop shows through here
    fill(img->room_tiles[20], kMapMaskColour);
    img->room_tiles[20][8][8] = kWhite;
    fill(img->sprite_tiles[4], kRed);
    r.cells[2][3].back_tile = 10;
    r.cells[2][3].front_tile = 20;
    r.enemies[0] = ObjectSpawn{3, 2, 3, 2, 0, 4}; // standing on that cell
    draw();
    EXPECT_EQ(at(1, 1, 48, 32), of(kRed));        // the enemy over the back cell
    EXPECT_EQ(at(1, 1, 48 + 8, 32 + 8), of(kWhite)); // the front cell over the enemy
    EXPECT_EQ(at(1, 1, 47, 32), of(kBlue));
    r.enemies[0].sprite = kEmptySlot;
    draw();
    EXPECT_EQ(at(1, 1, 49, 32), of(kGreen));
    EXPECT_EQ(at(1, 1, 48, 32), of(kBlue)); // the back cell's mask pixel
}

TEST_F(MapPreviewTest, EnemiesHeadingLeftAreMirroredPlatformsNever) {
    fill(img->sprite_tiles[7], kMapMaskColour);
    img->sprite_tiles[7][5][0] = kRed; // a pixel at the left edge
    RoomRecord &r = img->rooms[0];
    r.enemies[0] = ObjectSpawn{6, 1, 2, 1, 2, 7};   // from 6 to 2: heading left
    r.enemies[1] = ObjectSpawn{2, 3, 6, 3, 2, 7};   // heading right
    r.platforms[0] = ObjectSpawn{6, 5, 2, 5, 2, 7}; // heading left
    draw();
    EXPECT_EQ(at(0, 0, 96 + 15, 16 + 5), of(kRed));
    EXPECT_EQ(at(0, 0, 32, 48 + 5), of(kRed));
    EXPECT_EQ(at(0, 0, 96, 80 + 5), of(kRed));
    EXPECT_EQ(at(0, 0, 96 + 15, 80 + 5), (Rgb{0, 0, 0}));
}

TEST_F(MapPreviewTest, DoorPickupsAndHeroInTheirRooms) {
    fill(img->sprite_tiles[2], kRed);
    fill(img->sprite_tiles[26], kGreen);
    fill(img->sprite_tiles[192], kBlue);
    fill(img->sprite_tiles[193], kWhite);
    fill(img->sprite_tiles[0], 0x7BEF);
    img->header.exit_room_column = 2;
    img->header.exit_room_row = 3;
    img->header.exit_cell_column = 5;
    img->header.exit_cell_row = 6;
    img->header.start_room_column = 0;
    img->header.start_room_row = 1;
    img->header.start_cell_column = 1;
    img->header.start_cell_row = 7;
    img->switches[3] = PlacementRecord{3, 2, 4, 4};
    img->refills[9] = PlacementRecord{3, 2, 10, 7};
    draw();
    EXPECT_EQ(at(2, 3, 80, 96), of(kRed));
    EXPECT_EQ(at(2, 3, 80, 112), of(kGreen));
    EXPECT_EQ(at(3, 3, 80, 96), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(3, 2, 64, 64), of(kBlue));
    EXPECT_EQ(at(3, 2, 160, 112), of(kWhite));
    EXPECT_EQ(at(0, 1, 16, 112), of(0x7BEF));
}

TEST_F(MapPreviewTest, TranslucentCellsFollowTheMapId) {
    RoomRecord &r = img->rooms[0];
    r.backdrop = 0;
    for (auto &row : img->backdrops[0])
        for (uint32_t &p : row) p = kBlue;
    fill(img->room_tiles[232], kWhite);
    r.cells[0][0].front_tile = 232;
    fill(img->room_tiles[220], kRed);
    fill(img->room_tiles[226], kMapMaskColour);
    img->room_tiles[226][0][0] = kGreen; // the overlay six cells on
    r.cells[0][1].back_tile = 220;

    Rgb blue = of(kBlue), white = of(kWhite), red = of(kRed);
    auto blend = [](Rgb d, Rgb s) {
        return Rgb{d.r + (s.r - d.r) * 64 / 256, d.g + (s.g - d.g) * 64 / 256,
                   d.b + (s.b - d.b) * 64 / 256};
    };
    draw(0); // a map of its own: every cell solid
    EXPECT_EQ(at(0, 0, 4, 4), white);
    EXPECT_EQ(at(0, 0, 20, 4), red);
    draw(1); // the cave: front cells from 232 see-through
    EXPECT_EQ(at(0, 0, 4, 4), blend(blue, white));
    EXPECT_EQ(at(0, 0, 20, 4), red);
    draw(2); // the castle: back cells from 216 see-through with an overlay
    EXPECT_EQ(at(0, 0, 20, 4), blend(blue, red));
    EXPECT_EQ(at(0, 0, 16, 0), of(kGreen));
    EXPECT_EQ(at(0, 0, 4, 4), blend(blue, white));
    draw(99);
    EXPECT_EQ(at(0, 0, 20, 4), blend(blue, red));
}

TEST_F(MapPreviewTest, TracksAreDottedFromEndAToEndB) {
    img->rooms[0].enemies[0] = ObjectSpawn{2, 3, 6, 3, 2, 4};
    img->rooms[0].platforms[0] = ObjectSpawn{9, 1, 9, 7, 1, 5};
    img->rooms[0].enemies[1] = ObjectSpawn{1, 1, 1, 1, 0, 4}; // standing: no track
    draw();
    Rgb enemy = of(maps::kEnemyTrackColour), platform = of(maps::kPlatformTrackColour);
    EXPECT_EQ(at(0, 0, 40, 56), enemy);  // the middle of end A
    EXPECT_EQ(at(0, 0, 41, 56), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(0, 0, 43, 56), enemy);  // every third pixel
    EXPECT_EQ(at(0, 0, 105, 57), enemy); // the dot at end B
    EXPECT_EQ(at(0, 0, 152, 27), platform);
    EXPECT_EQ(at(0, 0, 152, 26), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(0, 0, 24, 24), (Rgb{0, 0, 0}));
}

} // namespace
