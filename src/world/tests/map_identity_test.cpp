// Map names, the identity table and the music module name, as a table of names. A
// file's own id winning over its name's is in the effect maps' replays.
#include "world/map_identity.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameRow {
    std::string file_name; // as a map list or a replay gives it
    std::string normalised;
    int32_t map_id;
    std::string music; // from the normalised name
};

const std::string kLong(1000, 'X');

// The id of each shipped level's name is in its replay's golden screens; these are
// the names no replay plays. The game keeps both names in buffers of kMapNameSize.
const NameRow kNames[] = {
    {"cueva.map", "cueva.map", 1, "sfx/cueva.xm"},
    {"CASTLE.MAP", "castle.map", 2, "sfx/castle.xm"},
    {"RetSpec.map", "retspec.map", 2, "sfx/retspec.xm"},
    {"A.MAP", "a.map", 4, "sfx/a.xm"},
    {"vusk.map trailing words", "vusk.map", 5, "sfx/vusk.xm"},
    // Any other name is map 0; only A to Z change case.
    {"cueva.ma", "cueva.ma", 0, "sfx/cuevaxm"},
    {"cueva.mapx", "cueva.mapx", 0, "sfx/cueva.mxm"},
    {"xcueva.map", "xcueva.map", 0, "sfx/xcueva.xm"},
    {"A1_\xC9Z.MAP", "a1_\xC9z.map", 0, "sfx/a1_\xC9z.xm"},
    {" leading", "", 0, "sxm"}, // "sfx/" loses its last three too
    {"abcd", "abcd", 0, "sfx/axm"},
    // Cut to the buffer, never past it: the music name is cut first, then shortened.
    {kLong, std::string(kMapNameSize - 1, 'x'), 0, "sfx/" + std::string(kMapNameSize - 8, 'x') + "xm"},
};

TEST(MapIdentity, NamesGiveTheirIdAndTheirMusic) {
    for (const NameRow &r : kNames) {
        char n[kMapNameSize], m[kMapNameSize];
        normalise_map_name(r.file_name.c_str(), n, sizeof n);
        music_file_name(n, m, sizeof m);
        EXPECT_EQ(std::string(n), r.normalised) << r.file_name;
        EXPECT_EQ(map_id_for_name(n), r.map_id) << r.file_name;
        EXPECT_EQ(std::string(m), r.music) << r.file_name;
    }
}

} // namespace
