// Every shipped map: the game would correct none of it. (Its bytes are held by
// content/tests/generated.hashes; that it loads by its name and plays, by its winning
// replay's golden trace; whether the hero can reach everything is the level check's
// part, what is drawn the map looks' golden screens', the decompiler's round trip its
// promise's.)
#include "support/test_support.h"
#include "world/map_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

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

class EveryMap : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryMap, HoldsNothingTheGameWouldCorrect) {
    const std::vector<unsigned char> bytes = testing_support::read_file(VESPERTIL_GAME_DIR "/MAP/" + GetParam() + ".map");
    auto image = std::make_unique<MapImage>();
    ASSERT_TRUE(parse_map_image(bytes.data(), bytes.size(), *image));
    int corrected = make_header_safe(image->header);
    for (RoomRecord &r : image->rooms) corrected += make_room_safe(r);
    for (PlacementRecord &p : image->switches) corrected += make_placement_safe(p);
    for (PlacementRecord &p : image->refills) corrected += make_placement_safe(p);
    EXPECT_EQ(corrected, 0) << "fields the game would change or objects it would drop";
}

INSTANTIATE_TEST_SUITE_P(GeneratedMaps, EveryMap, ::testing::ValuesIn(map_names()));

} // namespace
