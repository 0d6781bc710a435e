// Map records to and from the file's bytes, field by field, and the ranges the game
// accepts for each field. Shared by the loader and the content tools.
#include "world/map_format.h"

#include <cstring>

namespace {

int8_t sbyte(const uint8_t *p) { return static_cast<int8_t>(*p); }
uint8_t ubyte(int8_t v) { return static_cast<uint8_t>(v); }

void parse_cell(const uint8_t *p, RoomCell &c) {
    c.back_tile = static_cast<int16_t>(read_le16(p));
    c.front_tile = static_cast<int16_t>(read_le16(p + 2));
    c.flags = p[4];
    c.unused = p[5];
}

void write_cell(const RoomCell &c, uint8_t *p) {
    write_le16(p, static_cast<uint16_t>(c.back_tile));
    write_le16(p + 2, static_cast<uint16_t>(c.front_tile));
    p[4] = c.flags;
    p[5] = c.unused;
}

void parse_spawn(const uint8_t *p, ObjectSpawn &s) {
    s.a_column = sbyte(p);
    s.a_row = sbyte(p + 1);
    s.b_column = sbyte(p + 2);
    s.b_row = sbyte(p + 3);
    s.speed = sbyte(p + 4);
    s.sprite = sbyte(p + 5);
}

void write_spawn(const ObjectSpawn &s, uint8_t *p) {
    p[0] = ubyte(s.a_column);
    p[1] = ubyte(s.a_row);
    p[2] = ubyte(s.b_column);
    p[3] = ubyte(s.b_row);
    p[4] = ubyte(s.speed);
    p[5] = ubyte(s.sprite);
}

void parse_spawn_group(const uint8_t *p, ObjectSpawn (&group)[kSpawnsPerGroup]) {
    for (int i = 0; i < kSpawnsPerGroup; ++i) parse_spawn(p + i * kObjectSpawnSize, group[i]);
}

void write_spawn_group(const ObjectSpawn (&group)[kSpawnsPerGroup], uint8_t *p) {
    for (int i = 0; i < kSpawnsPerGroup; ++i) write_spawn(group[i], p + i * kObjectSpawnSize);
}

// Brings `v` into lo..hi; counts a change in `changed`.
int8_t clamp_counted(int8_t v, int lo, int hi, int &changed) {
    if (v < lo) { ++changed; return static_cast<int8_t>(lo); }
    if (v > hi) { ++changed; return static_cast<int8_t>(hi); }
    return v;
}

bool cell_in_room(int column, int row) {
    return column >= 0 && column < kRoomColumns && row >= 0 && row < kRoomRows;
}

// One axis of a track. The object leaves end A towards B by `speed` pixels a frame
// and turns only when it lands exactly on an end, so it must land on B. Speed 0 (or
// ends that share this axis) means no motion on it; a negative speed heads away from
// both ends for good.
bool axis_lands_on_end(int from_cell, int to_cell, int speed) {
    int distance = (to_cell - from_cell) * kTilePixels;
    if (distance < 0) distance = -distance;
    if (distance == 0 || speed == 0) return true;
    return speed > 0 && distance % speed == 0;
}

bool tile_index_valid(int16_t t) { return t == kNoTile || (t >= 0 && t < kTileCount); }

int make_spawn_safe(ObjectSpawn &s) {
    if (s.sprite == kEmptySlot) return 0;
    // A stored sprite is at most 127, so all four frames of a non-negative one exist.
    static_assert(127 + (kAnimationFrames - 1) * kAnimationStride < kTileCount, "frames");
    if (s.sprite >= 0 && spawn_track_stays_in_room(s)) return 0;
    s.sprite = kEmptySlot;
    return 1;
}

} // namespace

void parse_fixed_string(const uint8_t *p, FixedString &out) {
    std::memcpy(out.text, p, sizeof out.text);
    out.mark = p[100];
    out.length = p[101];
}

void write_fixed_string(const FixedString &in, uint8_t *p) {
    std::memcpy(p, in.text, sizeof in.text);
    p[100] = in.mark;
    p[101] = in.length;
}

void parse_map_header(const uint8_t *p, MapHeader &out) {
    parse_fixed_string(p, out.title);
    const uint8_t *q = p + kHeaderPositionsOffset;
    out.start_room_column = sbyte(q);
    out.start_room_row = sbyte(q + 1);
    out.start_cell_column = sbyte(q + 2);
    out.start_cell_row = sbyte(q + 3);
    out.exit_room_column = sbyte(q + 4);
    out.exit_room_row = sbyte(q + 5);
    out.exit_cell_column = sbyte(q + 6);
    out.exit_cell_row = sbyte(q + 7);
}

void write_map_header(const MapHeader &in, uint8_t *p) {
    write_fixed_string(in.title, p);
    uint8_t *q = p + kHeaderPositionsOffset;
    q[0] = ubyte(in.start_room_column);
    q[1] = ubyte(in.start_room_row);
    q[2] = ubyte(in.start_cell_column);
    q[3] = ubyte(in.start_cell_row);
    q[4] = ubyte(in.exit_room_column);
    q[5] = ubyte(in.exit_room_row);
    q[6] = ubyte(in.exit_cell_column);
    q[7] = ubyte(in.exit_cell_row);
}

void parse_room_record(const uint8_t *p, RoomRecord &out) {
    out.backdrop = p[0];
    out.unused_1 = p[1];
    parse_spawn_group(p + kRoomEnemiesOffset, out.enemies);
    out.unused_152 = p[kRoomPlatformsOffset - 1];
    parse_spawn_group(p + kRoomPlatformsOffset, out.platforms);
    out.unused_303 = p[kRoomCellsOffset - 1];
    for (int row = 0; row < kRoomRows; ++row)
        for (int col = 0; col < kRoomColumns; ++col)
            parse_cell(p + kRoomCellsOffset + row * kRoomCellRowSize + col * kRoomCellSize,
                       out.cells[row][col]);
}

void write_room_record(const RoomRecord &in, uint8_t *p) {
    p[0] = in.backdrop;
    p[1] = in.unused_1;
    write_spawn_group(in.enemies, p + kRoomEnemiesOffset);
    p[kRoomPlatformsOffset - 1] = in.unused_152;
    write_spawn_group(in.platforms, p + kRoomPlatformsOffset);
    p[kRoomCellsOffset - 1] = in.unused_303;
    for (int row = 0; row < kRoomRows; ++row)
        for (int col = 0; col < kRoomColumns; ++col)
            write_cell(in.cells[row][col],
                       p + kRoomCellsOffset + row * kRoomCellRowSize + col * kRoomCellSize);
}

void parse_placement_record(const uint8_t *p, PlacementRecord &out) {
    out.room_column = sbyte(p);
    out.room_row = sbyte(p + 1);
    out.cell_column = sbyte(p + 2);
    out.cell_row = sbyte(p + 3);
}

void write_placement_record(const PlacementRecord &in, uint8_t *p) {
    p[0] = ubyte(in.room_column);
    p[1] = ubyte(in.room_row);
    p[2] = ubyte(in.cell_column);
    p[3] = ubyte(in.cell_row);
}

bool parse_map_image(const uint8_t *bytes, std::size_t size, MapImage &out) {
    if (!bytes || size < kMapFileSize) return false;
    parse_map_header(bytes + kMapHeaderOffset, out.header);
    for (int r = 0; r < kRoomCount; ++r)
        parse_room_record(bytes + kRoomsOffset + r * kRoomRecordSize, out.rooms[r]);
    for (int i = 0; i < kSwitchCount; ++i)
        parse_placement_record(bytes + kSwitchRecordsOffset + i * kPlacementRecordSize,
                               out.switches[i]);
    for (int i = 0; i < kRefillCount; ++i)
        parse_placement_record(bytes + kRefillRecordsOffset + i * kPlacementRecordSize,
                               out.refills[i]);
    for (int i = 0; i < kTextSlotCount; ++i)
        parse_fixed_string(bytes + kTextSlotsOffset + i * kFixedStringSize, out.text_slots[i]);
    for (int b = 0; b < kBackdropCount; ++b)
        for (int y = 0; y < kBackdropHeight; ++y)
            for (int x = 0; x < kBackdropWidth; ++x)
                out.backdrops[b][y][x] = read_le32(bytes + backdrop_pixel_offset(b, y, x));
    for (int t = 0; t < kTileCount; ++t)
        for (int y = 0; y < kTilePixels; ++y)
            for (int x = 0; x < kTilePixels; ++x) {
                out.room_tiles[t][y][x] = read_le32(bytes + tile_pixel_offset(t, y, x, TileSet::Room));
                out.sprite_tiles[t][y][x] =
                    read_le32(bytes + tile_pixel_offset(t, y, x, TileSet::Sprite));
            }
    out.has_override = size >= kMapFileSizeWithOverride;
    out.map_id_override =
        out.has_override ? static_cast<int32_t>(read_le32(bytes + kMapOverrideOffset)) : 0;
    return true;
}

std::size_t serialise_map_image(const MapImage &in, uint8_t *out, std::size_t out_size) {
    std::size_t size = in.has_override ? kMapFileSizeWithOverride : kMapFileSize;
    if (!out || out_size < size) return 0;
    write_map_header(in.header, out + kMapHeaderOffset);
    for (int r = 0; r < kRoomCount; ++r)
        write_room_record(in.rooms[r], out + kRoomsOffset + r * kRoomRecordSize);
    for (int i = 0; i < kSwitchCount; ++i)
        write_placement_record(in.switches[i], out + kSwitchRecordsOffset + i * kPlacementRecordSize);
    for (int i = 0; i < kRefillCount; ++i)
        write_placement_record(in.refills[i], out + kRefillRecordsOffset + i * kPlacementRecordSize);
    for (int i = 0; i < kTextSlotCount; ++i)
        write_fixed_string(in.text_slots[i], out + kTextSlotsOffset + i * kFixedStringSize);
    for (int b = 0; b < kBackdropCount; ++b)
        for (int y = 0; y < kBackdropHeight; ++y)
            for (int x = 0; x < kBackdropWidth; ++x)
                write_le32(out + backdrop_pixel_offset(b, y, x), in.backdrops[b][y][x]);
    for (int t = 0; t < kTileCount; ++t)
        for (int y = 0; y < kTilePixels; ++y)
            for (int x = 0; x < kTilePixels; ++x) {
                write_le32(out + tile_pixel_offset(t, y, x, TileSet::Room), in.room_tiles[t][y][x]);
                write_le32(out + tile_pixel_offset(t, y, x, TileSet::Sprite),
                           in.sprite_tiles[t][y][x]);
            }
    if (in.has_override)
        write_le32(out + kMapOverrideOffset, static_cast<uint32_t>(in.map_id_override));
    return size;
}

bool spawn_track_stays_in_room(const ObjectSpawn &s) {
    return cell_in_room(s.a_column, s.a_row) && cell_in_room(s.b_column, s.b_row) &&
           axis_lands_on_end(s.a_column, s.b_column, s.speed) &&
           axis_lands_on_end(s.a_row, s.b_row, s.speed);
}

int make_header_safe(MapHeader &h) {
    int changed = 0;
    if (h.title.text[kFixedStringMaxLength] != '\0') {
        h.title.text[kFixedStringMaxLength] = '\0';
        ++changed;
    }
    uint8_t text_length = static_cast<uint8_t>(std::strlen(h.title.text));
    if (h.title.length != text_length) {
        h.title.length = text_length;
        ++changed;
    }
    h.start_room_column = clamp_counted(h.start_room_column, 0, kWorldColumns - 1, changed);
    h.start_room_row = clamp_counted(h.start_room_row, 0, kWorldRows - 1, changed);
    h.start_cell_column = clamp_counted(h.start_cell_column, 0, kRoomColumns - 1, changed);
    h.start_cell_row = clamp_counted(h.start_cell_row, 0, kRoomRows - 1, changed);
    h.exit_room_column = clamp_counted(h.exit_room_column, 0, kWorldColumns - 1, changed);
    h.exit_room_row = clamp_counted(h.exit_room_row, 0, kWorldRows - 1, changed);
    h.exit_cell_column = clamp_counted(h.exit_cell_column, 0, kRoomColumns - 1, changed);
    // The door is two cells high; its lower cell must lie in the room as well.
    h.exit_cell_row = clamp_counted(h.exit_cell_row, 0, kRoomRows - 2, changed);
    return changed;
}

int make_room_safe(RoomRecord &r) {
    int changed = 0;
    if (r.backdrop >= kBackdropCount && r.backdrop != kNoBackdrop) {
        r.backdrop = kNoBackdrop;
        ++changed;
    }
    for (int i = 0; i < kSpawnsPerGroup; ++i) {
        changed += make_spawn_safe(r.enemies[i]);
        changed += make_spawn_safe(r.platforms[i]);
    }
    for (auto &row : r.cells)
        for (RoomCell &c : row) {
            if (!tile_index_valid(c.back_tile)) { c.back_tile = kNoTile; ++changed; }
            if (!tile_index_valid(c.front_tile)) { c.front_tile = kNoTile; ++changed; }
        }
    return changed;
}

int make_placement_safe(PlacementRecord &r) {
    int changed = 0;
    r.room_column = clamp_counted(r.room_column, 0, kWorldColumns - 1, changed);
    r.room_row = clamp_counted(r.room_row, 0, kWorldRows - 1, changed);
    r.cell_column = clamp_counted(r.cell_column, 0, kRoomColumns - 1, changed);
    r.cell_row = clamp_counted(r.cell_row, 0, kRoomRows - 1, changed);
    return changed;
}

void fill_placement(const PlacementRecord &r, PickupPlacement &entry) {
    entry.room = static_cast<uint8_t>(r.room_row * kWorldColumns + r.room_column);
    entry.present = 1;
    entry.cell_column = r.cell_column;
    entry.cell_row = r.cell_row;
}
