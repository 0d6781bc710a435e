// Map names, the identity table and the music module name, as a table of names. A
// file's own id winning over its name's is in the effect maps' replays.
#include "world/map_identity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct NameRow {
    std::string file_name; // as a map list or a replay gives it
    std::size_t buffer;
    std::string normalised;
    int32_t map_id;
    const char *music; // from the normalised name, in a buffer of the same size
};

const std::string kLong(1000, 'X');

// The id of each shipped level's name is in its replay's golden screens; these are
// the names no replay plays.
const NameRow kNames[] = {
    {"cueva.map", kMapNameSize, "cueva.map", 1, "sfx/cueva.xm"},
    {"CASTLE.MAP", kMapNameSize, "castle.map", 2, "sfx/castle.xm"},
    {"RetSpec.map", kMapNameSize, "retspec.map", 2, "sfx/retspec.xm"},
    {"A.MAP", kMapNameSize, "a.map", 4, "sfx/a.xm"},
    {"vusk.map trailing words", kMapNameSize, "vusk.map", 5, "sfx/vusk.xm"},
    // Any other name is map 0; only A to Z change case.
    {"cueva.ma", kMapNameSize, "cueva.ma", 0, "sfx/cuevaxm"},
    {"cueva.mapx", kMapNameSize, "cueva.mapx", 0, "sfx/cueva.mxm"},
    {"xcueva.map", kMapNameSize, "xcueva.map", 0, "sfx/xcueva.xm"},
    {"A1_\xC9Z.MAP", kMapNameSize, "a1_\xC9z.map", 0, "sfx/a1_\xC9z.xm"},
    {" leading", kMapNameSize, "", 0, "sxm"}, // "sfx/" loses its last three too
    {"abcd", kMapNameSize, "abcd", 0, "sfx/axm"},
    // Cut to the buffer, never past it: the music name is cut first, then shortened.
    {kLong, kMapNameSize, std::string(kMapNameSize - 1, 'x'), 0, nullptr},
    {"ABCDEFGH", 4, "abc", 0, nullptr},
    {"cueva.map", 8, "cueva.m", 0, "sfx/xm"},
    {"cueva.map", 3, "cu", 0, "sf"},
    {"cueva.map", 1, "", 0, ""},
};

TEST(MapIdentity, NamesGiveTheirIdAndTheirMusic) {
    for (const NameRow &r : kNames) {
        char n[kMapNameSize], m[kMapNameSize];
        std::memset(m, 'q', sizeof m);
        normalise_map_name(r.file_name.c_str(), n, r.buffer);
        EXPECT_EQ(std::string(n), r.normalised) << r.file_name;
        if (r.buffer == kMapNameSize) {
            EXPECT_EQ(map_id_for_name(n), r.map_id) << r.file_name;
        }
        if (!r.music) continue;
        music_file_name(r.buffer == kMapNameSize ? n : r.file_name.c_str(), m, r.buffer);
        EXPECT_EQ(std::string(m), r.music) << r.file_name << " in " << r.buffer;
    }
    char n[kMapNameSize];
    normalise_map_name(nullptr, n, sizeof n);
    EXPECT_STREQ(n, "");
    EXPECT_EQ(map_id_for_name(nullptr), 0);
    EXPECT_EQ(map_id_for_name("CUEVA.MAP"), 0) << "the table holds normalised names";
    music_file_name(kLong.c_str(), n, sizeof n);
    EXPECT_EQ(std::string(n), "sfx/" + std::string(248, 'X') + "xm") << "cut to 255, then one shorter";
}

} // namespace
