// Every shipped map: the game would correct none of it, and it loads by its name.
// (Its bytes are held by content/tests/generated.hashes; whether the hero can reach
// everything is the level check's part, what is drawn the map looks' golden screens',
// the decompiler's round trip its promise's.)
#include "support/test_support.h"
#include "world/map_file.h"
#include "world/tests/map_targets.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

using testing_support::read_file;

namespace {

const std::string kGameDir = VESPERTIL_GAME_DIR;

std::vector<std::string> map_names() {
    std::vector<std::string> names;
    const std::string list = VESPERTIL_MAP_NAMES;
    for (std::size_t start = 0, comma; start < list.size(); start = comma + 1) {
        comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        names.push_back(list.substr(start, comma - start));
    }
    return names;
}

// A map as the game loads it, from the game directory.
struct LoadedMap : MapTargets {
    bool load(const std::string &name) {
        make_bitmaps(16);
        char old_dir[4096];
        if (!getcwd(old_dir, sizeof old_dir) || chdir(kGameDir.c_str()) != 0) return false;
        const int16_t ok = load_named((name + ".map").c_str());
        return chdir(old_dir) == 0 && ok == 1;
    }
};

class EveryMap : public ::testing::TestWithParam<std::string> {
protected:
    LoadedMap map;
    void SetUp() override { ASSERT_TRUE(map.load(GetParam())) << GetParam(); }
};

TEST_P(EveryMap, HoldsNothingTheGameWouldCorrect) {
    const std::vector<unsigned char> bytes = read_file(kGameDir + "/MAP/" + GetParam() + ".map");
    auto image = std::make_unique<MapImage>();
    ASSERT_TRUE(parse_map_image(bytes.data(), bytes.size(), *image));
    int corrected = make_header_safe(image->header);
    for (RoomRecord &r : image->rooms) corrected += make_room_safe(r);
    for (PlacementRecord &p : image->switches) corrected += make_placement_safe(p);
    for (PlacementRecord &p : image->refills) corrected += make_placement_safe(p);
    EXPECT_EQ(corrected, 0) << "fields the game would change or objects it would drop";
    EXPECT_GT(map.header.title.length, 0);
}

INSTANTIATE_TEST_SUITE_P(GeneratedMaps, EveryMap, ::testing::ValuesIn(map_names()));

} // namespace
