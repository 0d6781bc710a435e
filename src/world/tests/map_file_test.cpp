// The map loader on files built byte by byte here: what it makes of a value out of its
// range, the colours at each depth, and opening by name. Any file at all keeps the
// promises of fuzz/promises/map_file_promise.cpp: every value in its range and one in
// range unchanged, the bytes nothing reads kept, the tracks an object may keep, and
// what the file's length decides (override, refusal with nothing written). Where each
// field lies is proven by the game's maps: a field read from the wrong place changes
// every replay's trace, one written to the wrong place every map's digest.
#include "world/map_file.h"
#include "world/map_identity.h"

#include "map_bytes.h"
#include "map_targets.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using map_bytes::MapBytes;
using namespace map_bytes;
using testing_support::TempDir;

namespace {

class MapLoad : public ::testing::Test, protected MapTargets {
protected:
    TempDir dir;

    // Records as no loader would leave them, so a write is seen.
    void SetUp() override {
        std::memset(&header, 0xAB, sizeof header);
        std::memset(rooms, 0xAB, sizeof rooms);
        std::memset(switches, 0xAB, sizeof switches);
        std::memset(refills, 0xAB, sizeof refills);
        make_bitmaps(16);
    }
    int16_t load(const std::vector<uint8_t> &bytes) {
        testing_support::write_file(dir.file("test.map"), bytes);
        return load_file(dir.file("test.map").c_str());
    }
};

struct ByteRow {
    const char *what;
    std::size_t at;
    std::vector<uint8_t> bytes; // put at `at` in an otherwise zero map
    std::function<int(const MapTargets &)> field;
    int expected;
};

#define FIELD(expr) [](const MapTargets &m) { return static_cast<int>(m.expr); }

// What the loader makes of a value out of its range, where any value inside it would
// pass the promise: a clamp to the nearer edge, not another value in range, and a
// tile or backdrop out of range as none at all. Bytes are signed.
const ByteRow kByteRows[] = {
    {"start room column 5", 102, {5}, FIELD(header.start_room_column), 4},
    {"start room row -1", 103, {0xFF}, FIELD(header.start_room_row), 0},
    {"start cell column 15", 104, {15}, FIELD(header.start_cell_column), 14},
    {"start cell row -128", 105, {0x80}, FIELD(header.start_cell_row), 0},
    {"exit room column 100", 106, {100}, FIELD(header.exit_room_column), 4},
    {"exit cell row 8: the door's upper cell", 109, {8}, FIELD(header.exit_cell_row), 7},
    {"backdrop 5", room_at(7), {5}, FIELD(rooms[7].backdrop), kNoBackdrop},
    {"tile 240", cell_at(3, 0, 0), {240, 0}, FIELD(rooms[3].cells[0][0].back_tile), kNoTile},
    {"tile -2", cell_at(3, 0, 0), {0, 0, 0xFE, 0xFF}, FIELD(rooms[3].cells[0][0].front_tile), kNoTile},
    {"switch cell 15, 9", switch_at(1), {7, 5, 15, 9},
     FIELD(switches[1].cell_column * 100 + m.switches[1].cell_row), 1408},
    {"refill cell -20, -9", refill_at(24), {0xFD, 0xFF, 0xEC, 0xF7},
     FIELD(refills[24].cell_column * 100 + m.refills[24].cell_row), 0},
};

TEST_F(MapLoad, AValueOutOfItsRange) {
    for (const ByteRow &r : kByteRows) {
        MapBytes map;
        for (std::size_t i = 0; i < r.bytes.size(); ++i) map.put8(r.at + i, r.bytes[i]);
        SetUp();
        ASSERT_EQ(load(map.bytes), 1) << r.what;
        EXPECT_EQ(r.field(*this), r.expected) << r.what;
    }
}

// How a stored 5-6-5 colour reads as red, green and blue. That every depth's bitmaps
// hold the stored colours so read, and magenta as their mask colour, is the map-file
// promise's, over seeds loaded at 15, 16, 24 and 32 bits.
TEST_F(MapLoad, TheStoredColoursRead) {
    const struct {
        uint32_t stored;
        int r, g, b;
    } colours[] = {{0xF800, 255, 0, 0},        {0x07E0, 0, 255, 0},     {0x001F, 0, 0, 255},
                   {0xFFFF, 255, 255, 255},    {0x8410, 132, 130, 132}, {0xFFFF0821u, 8, 4, 8}};
    MapBytes map;
    for (int i = 0; i < 6; ++i) map.put32(backdrop_pixel_at(4, 234 + i, 143), colours[i].stored);
    make_bitmaps(24);
    ASSERT_EQ(load(map.bytes), 1);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(getpixel(backdrops[4], 234 + i, 143), makecol_depth(24, colours[i].r, colours[i].g, colours[i].b))
            << "colour " << i;
}

TEST_F(MapLoad, ByNameFromMapCutToTheTextRecord) {
    TempDir cwd(true);
    testing_support::make_dirs("MAP");
    MapBytes map;
    map.put_text(0, "VUSK");
    testing_support::write_file("MAP/vusk.map", map.bytes);
    ASSERT_EQ(load_named("vusk.map"), 1);
    EXPECT_STREQ(header.title.text, "VUSK");
    // "MAP\" and 95 characters fill the 99 a FixedString holds.
    const std::string kept(95, 'n');
    testing_support::write_file("MAP/" + kept, map.bytes);
    EXPECT_EQ(load_named((kept + std::string(400, 'z')).c_str()), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_named("other.map"), 0);
    EXPECT_EQ(load_file(cwd.path().c_str()), 0) << "a directory";
    testing::internal::GetCapturedStderr();
}

} // namespace
