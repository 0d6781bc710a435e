// The preview (vespertil-mapview) of a map with a bit of everything, as golden
// screens (tests/goldens/map_tool_tests.txt): every room in its place of the 5 x 5
// grid, backdrops under back cells under the objects under front cells, enemies
// heading left mirrored (platforms never), the door, the pickups and the hero in
// their rooms, the tracks dotted from end A to end B, and the cells the map ids 1
// (front cells from 232) and 2 (back cells from 216, with their overlay) show
// see-through; a room naming a backdrop the map lacks is black.
#include "map_preview.h"

#include "map_test_source.h"

#include "support/golden_screen.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(MapPreview, ShowsEveryRoomWithItsLayersObjectsAndTracks) {
    map_test::SourceDir src;
    std::string text = map_test::minimal_source("backdrop 0 back.pcx\ncell . - -\ncell # 1 - solid\n"
                                                "cell f 10 232\ncell g 220 -\ncell h 30 40\n"
                                                "room 1,1\nbackdrop 0\n|#f.g.h.........|\n");
    for (int i = 0; i < 7; ++i) text += "|...............|\n";
    text += "|#######hhh#####|\n"
            "enemy 7 from 6,1 to 2,1 speed 2\nenemy 7 from 2,3 to 6,3 speed 2\nenemy 4 at 11,3\n"
            "platform 7 from 6,5 to 2,5 speed 2\nplatform 9 from 9,1 to 9,7 speed 1\n"
            "room 3,0\nbackdrop 0\n"
            "raw 13478 05\n"; // room 2,2 names a sixth backdrop, which the game does not have: black
    std::vector<uint8_t> bytes;
    maps::Report report;
    ASSERT_TRUE(src.compile(text, bytes, report)) << report.error;
    auto img = std::make_unique<MapImage>();
    ASSERT_TRUE(parse_map_image(bytes.data(), bytes.size(), *img));
    for (int map_id : {0, 1, 2}) {
        maps::Raster out;
        maps::preview_map(*img, map_id, out);
        OwnedBitmap b = testing_support::make_bitmap(32, out.w, out.h);
        for (int y = 0; y < out.h; ++y)
            for (int x = 0; x < out.w; ++x) putpixel(b.get(), x, y, makecol32(out.at(x, y)[0], out.at(x, y)[1], out.at(x, y)[2]));
        EXPECT_TRUE(testing_support::golden_screen("map_preview_id" + std::to_string(map_id), b.get()));
    }
}

} // namespace
