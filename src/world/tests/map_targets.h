// What a map file loads into: the caller's records and the bitmaps its pixels go to,
// made at one colour depth and owned here. Shared by the loader tests, the checks of
// the generated maps and the load benchmark.
#pragma once

#include "world/map_file.h"

#include "support/test_support.h"

#include <allegro.h>

#include <cstdint>
#include <vector>

struct MapTargets {
    MapHeader header;
    RoomRecord rooms[kRoomCount];
    SwitchPlacement switches[kSwitchCount];
    RefillPlacement refills[kRefillCount];
    std::vector<OwnedBitmap> owned;
    BITMAP *backdrops[kBackdropCount] = {};
    CellSet room_tiles = {};
    CellSet sprite_tiles = {};

    // Fresh backdrops and cells of the game's sizes at `depth`.
    void make_bitmaps(int depth) {
        owned.clear();
        for (BITMAP *&b : backdrops) b = keep(testing_support::make_bitmap(depth, kBackdropWidth, kBackdropHeight));
        for (int i = 0; i < kTileCount; ++i) {
            room_tiles[i] = keep(testing_support::make_bitmap(depth, kTilePixels, kTilePixels));
            sprite_tiles[i] = keep(testing_support::make_bitmap(depth, kTilePixels, kTilePixels));
        }
    }

    BITMAP *keep(OwnedBitmap b) {
        owned.push_back(std::move(b));
        return owned.back().get();
    }

    int16_t load_file(const char *path) {
        return load_map_file(path, header, rooms, switches, refills, backdrops, room_tiles,
                             sprite_tiles).loaded;
    }
    int16_t load_named(const char *name) {
        return load_map(name, header, rooms, switches, refills, backdrops, room_tiles,
                        sprite_tiles).loaded;
    }
};
