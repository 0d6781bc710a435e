// Map names, the identity table and the music module name.
#include "world/map_identity.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string normalised(const char *name, std::size_t size = kMapNameSize) {
    char out[kMapNameSize];
    normalise_map_name(name, out, size);
    return out;
}

std::string music(const char *name, std::size_t size = kMapNameSize) {
    char out[kMapNameSize];
    music_file_name(name, out, size);
    return out;
}

int32_t id_of(const char *file_name) {
    char n[kMapNameSize];
    normalise_map_name(file_name, n, sizeof n);
    return map_id_for_name(n);
}

TEST(MapName, CutAtTheFirstSpaceAndLowerCased) {
    EXPECT_EQ(normalised("Cueva.map extra words"), "cueva.map");
    EXPECT_EQ(normalised("CASTLE.MAP"), "castle.map");
    EXPECT_EQ(normalised(" leading"), "");
    EXPECT_EQ(normalised(nullptr), "");
    // Only A to Z change: digits, punctuation and 8-bit letters stay.
    EXPECT_EQ(normalised("A1_\xC9Z.MAP"), "a1_\xC9z.map");
}

TEST(MapName, LongNamesAreCutToTheBuffer) {
    std::string longer(1000, 'X');
    std::string n = normalised(longer.c_str());
    EXPECT_EQ(n.size(), kMapNameSize - 1);
    EXPECT_EQ(normalised("ABCDEFGH", 4), "abc");
    char one[1] = {'q'};
    normalise_map_name("ABC", one, 1);
    EXPECT_EQ(one[0], '\0');
}

TEST(MapIdentity, EveryTableNameGivesItsId) {
    EXPECT_EQ(id_of("cueva.map"), 1);
    EXPECT_EQ(id_of("CASTLE.MAP"), 2);
    EXPECT_EQ(id_of("RetSpec.map"), 2);
    EXPECT_EQ(id_of("demo.map"), 3);
    EXPECT_EQ(id_of("Pachin.map"), 4);
    EXPECT_EQ(id_of("A.MAP"), 4);
    EXPECT_EQ(id_of("vusk.map trailing"), 5);
    EXPECT_EQ(id_of("SALEM.map"), 6);
    EXPECT_EQ(id_of("ciudad.map"), 22);
}

TEST(MapIdentity, AnyOtherNameIsZero) {
    EXPECT_EQ(id_of("cueva.ma"), 0);
    EXPECT_EQ(id_of("cueva.mapx"), 0);
    EXPECT_EQ(id_of("xcueva.map"), 0);
    EXPECT_EQ(id_of("b.map"), 0);
    EXPECT_EQ(id_of(""), 0);
    EXPECT_EQ(map_id_for_name(nullptr), 0);
    EXPECT_EQ(map_id_for_name("CUEVA.MAP"), 0); // the table holds normalised names
}

TEST(MapIdentity, OverrideAppliesOnlyWhenPresent) {
    world.map_id = 5;
    world.map_id_override = 98;
    world.map_id_override_present = 0;
    apply_map_id_override();
    EXPECT_EQ(world.map_id, 5);
    world.map_id_override_present = 1;
    apply_map_id_override();
    EXPECT_EQ(world.map_id, 98);
}

TEST(MusicName, LastThreeCharactersBecomeXm) {
    EXPECT_EQ(music("cueva.map"), "sfx/cueva.xm");
    EXPECT_EQ(music("ciudad.map"), "sfx/ciudad.xm");
    EXPECT_EQ(music("abcd"), "sfx/axm");
    EXPECT_EQ(music(""), "sxm"); // the rule taken literally: "sfx/" loses "fx/"
}

TEST(MusicName, NeverOverflowsItsBuffer) {
    std::string longer(600, 'm');
    std::string m = music(longer.c_str());
    EXPECT_EQ(m.size(), kMapNameSize - 2); // cut to 255, then one shorter
    EXPECT_EQ(m.substr(m.size() - 2), "xm");
    EXPECT_EQ(music("cueva.map", 8), "sfx/xm"); // "sfx/cue" cut first
    EXPECT_EQ(music("cueva.map", 3), "sf");
    char one[1] = {'q'};
    music_file_name("cueva.map", one, 1);
    EXPECT_EQ(one[0], '\0') << "room for the end of the text only";
}

} // namespace
