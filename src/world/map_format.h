// The map file: one definition of its records and byte layout, shared by the game's
// loader and the content tools (map compiler and decompiler). Nothing here draws or
// needs Allegro; the records are plain data and every byte of the file is parsed and
// written field by field, little-endian.
//
// File layout (1,211,594 bytes, optionally 4 more):
//
//   offset     size     content
//   0          110      MapHeader
//   110        27,850   RoomRecord[25], room index = row * 5 + column
//   27,960     100      PlacementRecord[25], the switches
//   28,060     100      PlacementRecord[25], the energy refills
//   28,160     714      seven text slots in the FixedString layout (the game keeps none)
//   28,874     691,200  five backdrops of 240 x 144, rows top to bottom, one u32 a pixel
//   720,074    491,520  tiles 0..239, rows 0..15, columns 0..15, two u32 a pixel:
//                       first the room tile's pixel, then the sprite tile's
//   1,211,594  4        optional int32 map id override
//
// Pixel values: the colour is 16-bit 5-6-5 red-green-blue in the low 16 bits of each
// u32 (the high 16 bits are written 0 and ignored); magenta 0xF81F is the mask
// colour (transparent in tiles).
//
// What the loader guarantees to everything after it (see make_header_safe,
// make_room_safe and make_placement_safe, which the loader applies):
//   - header: title.text[99] is NUL and title.length == strlen(title.text); start
//     and exit rooms are 0..4 x 0..4; the start cell is 0..14 x 0..8; the exit door
//     cell is 0..14 x 0..7 (the door's lower cell, row + 1, is inside the room too).
//   - rooms: backdrop is 0..4 or kNoBackdrop; every back and front tile is kNoTile
//     or 0..239; the flags byte and the unread bytes are as stored.
//   - object spawns: a slot is empty (sprite kEmptySlot) or has its sprite in
//     0..127, so sprite + 72 (the fourth animation frame) is a cell below 240, both
//     ends inside the room (0..14 x 0..8), and a track the object really travels
//     end to end: on each axis where the ends differ, the speed is 0 (the object
//     stands at end A) or positive and a whole divisor of the distance in pixels, so
//     the object lands on each end and never leaves the room. An object that fails any of this is dropped (its
//     slot made empty); the other bytes of the slot are kept as stored.
//   - switches and refills: room 0..24 (built from room column and row clamped to
//     0..4), cell column 0..14, cell row 0..8, present 1.
// Any value that already lay inside these ranges reaches the game unchanged.
#pragma once

#include "core/byte_order.h"
#include "core/fixed_string.h"

#include <cstddef>
#include <cstdint>

// ---- World and room limits -------------------------------------------------------

constexpr int kWorldColumns = 5;
constexpr int kWorldRows = 5;
constexpr int kRoomCount = kWorldColumns * kWorldRows; // 25
constexpr int kRoomColumns = 15; // cells across a room
constexpr int kRoomRows = 9;     // cells down a room
constexpr int kTilePixels = 16;  // a cell is 16 x 16 pixels
constexpr int kSpawnsPerGroup = 25;
constexpr int kSwitchCount = 25;
constexpr int kRefillCount = 25;
constexpr int kTextSlotCount = 7;
constexpr int kBackdropCount = 5;
constexpr int kBackdropWidth = kRoomColumns * kTilePixels; // 240
constexpr int kBackdropHeight = kRoomRows * kTilePixels;   // 144
constexpr int kTileCount = 240;
constexpr int kAnimationFrames = 4;   // an object's frames lie 24 cells apart
constexpr int kAnimationStride = 24;

constexpr uint8_t kNoBackdrop = 255;
constexpr int16_t kNoTile = -1;
constexpr int8_t kEmptySlot = -1;

constexpr uint16_t kMapMaskColour = 0xF81F; // magenta in 5-6-5

// Bits of RoomCell::flags as the hero and platform rules read them.
enum CellFlag : uint8_t {
    kCellSolid = 0x01,
    kCellHarmful = 0x02,
    kCellConveyorRight = 0x04,
    kCellConveyorLeft = 0x08,
    kCellLedge = 0x10,
};

// ---- Records ----------------------------------------------------------------------
// The records have exactly the file's layout (checked below), but they are still
// read and written field by field, never as a block of memory.

struct MapHeader {
    FixedString title;
    int8_t start_room_column;
    int8_t start_room_row;
    int8_t start_cell_column; // hero x = value * 4096
    int8_t start_cell_row;    // hero y = value * 4096
    int8_t exit_room_column;
    int8_t exit_room_row;
    int8_t exit_cell_column; // the door: this cell and the one below
    int8_t exit_cell_row;
};

struct RoomCell {
    int16_t back_tile;  // room_tiles index or kNoTile
    int16_t front_tile; // drawn over the hero and the objects; kNoTile for none
    uint8_t flags;      // CellFlag bits
    uint8_t unused;     // not read by the game; kept for tools
};

struct ObjectSpawn {
    int8_t a_column; // end A, where the object starts
    int8_t a_row;
    int8_t b_column; // end B
    int8_t b_row;
    int8_t speed;  // pixels per frame
    int8_t sprite; // first sprite_tiles cell; kEmptySlot = no object
};

struct RoomRecord {
    uint8_t backdrop; // 0..4 or kNoBackdrop
    uint8_t unused_1;
    ObjectSpawn enemies[kSpawnsPerGroup];
    uint8_t unused_152;
    ObjectSpawn platforms[kSpawnsPerGroup];
    uint8_t unused_303;
    RoomCell cells[kRoomRows][kRoomColumns]; // [row][column]
};

// A switch or refill as the file stores it.
struct PlacementRecord {
    int8_t room_column;
    int8_t room_row;
    int8_t cell_column;
    int8_t cell_row;
};

// A switch or refill as the level plays with it, built by the loader.
struct PickupPlacement {
    uint8_t room;    // room row * 5 + room column
    uint8_t spare;   // left as the caller had it
    int16_t present; // 1 until thrown or taken
    int16_t cell_column;
    int16_t cell_row;
};
using SwitchPlacement = PickupPlacement;
using RefillPlacement = PickupPlacement;

// ---- Byte layout ------------------------------------------------------------------

constexpr std::size_t kFixedStringSize = 102;
constexpr std::size_t kMapHeaderSize = 110;
constexpr std::size_t kHeaderPositionsOffset = 102; // start room column, then 7 sbytes
constexpr std::size_t kRoomCellSize = 6;
constexpr std::size_t kObjectSpawnSize = 6;
constexpr std::size_t kPlacementRecordSize = 4;
constexpr std::size_t kRoomEnemiesOffset = 2;
constexpr std::size_t kRoomPlatformsOffset = 153;
constexpr std::size_t kRoomCellsOffset = 304;
constexpr std::size_t kRoomCellRowSize = kRoomColumns * kRoomCellSize; // 90
constexpr std::size_t kRoomRecordSize = kRoomCellsOffset + kRoomRows * kRoomCellRowSize;

constexpr std::size_t kMapHeaderOffset = 0;
constexpr std::size_t kRoomsOffset = kMapHeaderOffset + kMapHeaderSize;
constexpr std::size_t kSwitchRecordsOffset = kRoomsOffset + kRoomCount * kRoomRecordSize;
constexpr std::size_t kRefillRecordsOffset =
    kSwitchRecordsOffset + kSwitchCount * kPlacementRecordSize;
constexpr std::size_t kTextSlotsOffset =
    kRefillRecordsOffset + kRefillCount * kPlacementRecordSize;
constexpr std::size_t kBackdropPixelsOffset =
    kTextSlotsOffset + kTextSlotCount * kFixedStringSize;
constexpr std::size_t kBackdropPixelsSize =
    std::size_t{kBackdropCount} * kBackdropHeight * kBackdropWidth * 4;
constexpr std::size_t kTilePixelsOffset = kBackdropPixelsOffset + kBackdropPixelsSize;
constexpr std::size_t kTilePixelsSize = std::size_t{kTileCount} * kTilePixels * kTilePixels * 8;
constexpr std::size_t kMapFileSize = kTilePixelsOffset + kTilePixelsSize;
constexpr std::size_t kMapOverrideOffset = kMapFileSize;
constexpr std::size_t kMapFileSizeWithOverride = kMapFileSize + 4;

static_assert(sizeof(FixedString) == kFixedStringSize, "text slot size");
static_assert(sizeof(MapHeader) == 110 && kMapHeaderSize == 110, "MapHeader is 110 bytes");
static_assert(offsetof(MapHeader, start_room_column) == kHeaderPositionsOffset, "header");
static_assert(offsetof(MapHeader, exit_cell_row) == 109, "header: exit door row at 109");
static_assert(sizeof(RoomCell) == 6 && kRoomCellSize == 6, "RoomCell is 6 bytes");
static_assert(offsetof(RoomCell, front_tile) == 2 && offsetof(RoomCell, flags) == 4,
              "RoomCell fields");
static_assert(sizeof(ObjectSpawn) == 6 && kObjectSpawnSize == 6, "ObjectSpawn is 6 bytes");
static_assert(offsetof(ObjectSpawn, sprite) == 5, "ObjectSpawn: sprite at 5");
static_assert(sizeof(PlacementRecord) == 4, "placement record is 4 bytes");
static_assert(sizeof(RoomRecord) == 1114 && kRoomRecordSize == 1114, "RoomRecord is 1114 bytes");
static_assert(offsetof(RoomRecord, enemies) == kRoomEnemiesOffset, "room: enemies at 2");
static_assert(offsetof(RoomRecord, unused_152) == 152, "room: byte 152");
static_assert(offsetof(RoomRecord, platforms) == kRoomPlatformsOffset, "room: platforms at 153");
static_assert(offsetof(RoomRecord, unused_303) == 303, "room: byte 303");
static_assert(offsetof(RoomRecord, cells) == kRoomCellsOffset, "room: cells at 304");
static_assert(sizeof(PickupPlacement) == 8, "runtime placement entry is 8 bytes");
static_assert(kSwitchRecordsOffset == 27960 && kRefillRecordsOffset == 28060, "placements");
static_assert(kTextSlotsOffset == 28160 && kBackdropPixelsOffset == 28874, "text, backdrops");
static_assert(kTilePixelsOffset == 720074, "tiles");
static_assert(kMapFileSize == 1211594, "a map file is 1,211,594 bytes");

// Where pixel (x, y) of a backdrop is stored.
constexpr std::size_t backdrop_pixel_offset(int backdrop, int y, int x) {
    return kBackdropPixelsOffset +
           ((static_cast<std::size_t>(backdrop) * kBackdropHeight + y) * kBackdropWidth + x) * 4;
}

enum class TileSet { Room = 0, Sprite = 1 };

// Where pixel (x, y) of a tile of one of the two sets is stored.
constexpr std::size_t tile_pixel_offset(int tile, int y, int x, TileSet set) {
    return kTilePixelsOffset +
           ((static_cast<std::size_t>(tile) * kTilePixels + y) * kTilePixels + x) * 8 +
           (set == TileSet::Sprite ? 4 : 0);
}

static_assert(backdrop_pixel_offset(4, 143, 239) + 4 == kTilePixelsOffset, "backdrops end");
static_assert(tile_pixel_offset(239, 15, 15, TileSet::Sprite) + 4 == kMapFileSize, "tiles end");

// ---- Records from and to bytes (exact: every byte kept, nothing judged) -------------
// `p` points at the record's first byte.

void parse_fixed_string(const uint8_t *p, FixedString &out);
void write_fixed_string(const FixedString &in, uint8_t *p);
void parse_map_header(const uint8_t *p, MapHeader &out);
void write_map_header(const MapHeader &in, uint8_t *p);
void parse_room_record(const uint8_t *p, RoomRecord &out);
void write_room_record(const RoomRecord &in, uint8_t *p);
void parse_placement_record(const uint8_t *p, PlacementRecord &out);
void write_placement_record(const PlacementRecord &in, uint8_t *p);

// ---- The whole file, for the tools ------------------------------------------------
// About 1.2 MB: allocate it, don't put it on the stack.

struct MapImage {
    MapHeader header;
    RoomRecord rooms[kRoomCount];
    PlacementRecord switches[kSwitchCount];
    PlacementRecord refills[kRefillCount];
    FixedString text_slots[kTextSlotCount];
    uint32_t backdrops[kBackdropCount][kBackdropHeight][kBackdropWidth];
    uint32_t room_tiles[kTileCount][kTilePixels][kTilePixels];
    uint32_t sprite_tiles[kTileCount][kTilePixels][kTilePixels];
    bool has_override;
    int32_t map_id_override;
};

// False (and `out` untouched) when `size` is below kMapFileSize. The override is
// taken when at least 4 bytes follow the fixed part; 1 to 3 stray bytes are ignored.
bool parse_map_image(const uint8_t *bytes, std::size_t size, MapImage &out);

// Writes kMapFileSize bytes, or kMapFileSizeWithOverride when `has_override`; returns
// the count, or 0 when `out_size` is too small.
std::size_t serialise_map_image(const MapImage &in, uint8_t *out, std::size_t out_size);

// ---- What the game accepts --------------------------------------------------------
// Each function brings one record within the ranges promised at the top of this file
// and returns how many fields it had to change (0 for a sound record), so a tool can
// report a map that the game would correct.

// True when an object built from `s` travels between its two ends for good and stays
// in the room (see the guarantees above). The sprite is not judged here.
bool spawn_track_stays_in_room(const ObjectSpawn &s);

int make_header_safe(MapHeader &h);
int make_room_safe(RoomRecord &r);
int make_placement_safe(PlacementRecord &r);

// The runtime entry for a placement record: room = row * 5 + column, present = 1,
// cells sign-extended; `entry.spare` is left as it was.
void fill_placement(const PlacementRecord &r, PickupPlacement &entry);

// ---- Colours ----------------------------------------------------------------------

// The 8-bit red, green and blue of a stored 5-6-5 value (low 16 bits), each scaled so
// that the top value is 255.
struct Rgb8 {
    int r, g, b;
};
constexpr Rgb8 rgb_from_map_pixel(uint32_t v) {
    int r5 = static_cast<int>((v >> 11) & 31);
    int g6 = static_cast<int>((v >> 5) & 63);
    int b5 = static_cast<int>(v & 31);
    return Rgb8{(r5 << 3) | (r5 >> 2), (g6 << 2) | (g6 >> 4), (b5 << 3) | (b5 >> 2)};
}
constexpr bool is_map_mask_pixel(uint32_t v) { return (v & 0xFFFF) == kMapMaskColour; }
