// Loading a map file for a level run: the header, the rooms, the switches and refills
// into the caller's records, and the backdrop and tile pixels into the caller's
// bitmaps. What the records hold afterwards is promised in world/map_format.h.
#pragma once

#include "core/cell_set.h"
#include "world/map_format.h"
#include "world/map_identity.h"

#include <cstdint>

struct BITMAP;

// What a load hands back: `loaded` 1 when the file was read whole, else 0; on 1,
// the map id the file carries, when at least 4 bytes follow its fixed part.
struct MapLoad {
    int16_t loaded;
    FileMapId file_id;
};

// Loads "MAP\" + `name` (the map's file name; the path is cut to the 99 characters a
// FixedString holds). See load_map_file.
MapLoad load_map(const char *name, MapHeader &header, RoomRecord (&rooms)[kRoomCount],
                 SwitchPlacement (&switches)[kSwitchCount],
                 RefillPlacement (&refills)[kRefillCount],
                 BITMAP *const (&backdrops)[kBackdropCount], const CellSet &room_tiles,
                 const CellSet &sprite_tiles);

// Loaded 1 when the file at `path` was read whole, 0 when it cannot be opened or is
// shorter than kMapFileSize; on 0 nothing has been written anywhere and no file id is
// present.
//
// On 1: every record is filled and made safe; each switch and refill entry gets room,
// present = 1 and its cells (its spare byte is left alone); the file id is present,
// holding the file's value, when at least 4 bytes follow the fixed part.
//
// Pixels go into the caller's bitmaps (5 of 240 x 144, 2 x 240 of 16 x 16; null ones
// are skipped, smaller ones get what fits) in each bitmap's own depth: at 16 bits
// the stored low 16 bits unchanged; at 24 and 32 bits the 5-6-5 colour converted,
// magenta 0xF81F becoming the bitmap's mask colour.
MapLoad load_map_file(const char *path, MapHeader &header, RoomRecord (&rooms)[kRoomCount],
                      SwitchPlacement (&switches)[kSwitchCount],
                      RefillPlacement (&refills)[kRefillCount],
                      BITMAP *const (&backdrops)[kBackdropCount], const CellSet &room_tiles,
                      const CellSet &sprite_tiles);
