// The promises of the map loader (load_map_file) on map files built from any input
// (the layout of fuzz/map_input.h; bits 2-3 of the shape byte choose the bitmaps'
// depth, 16, 32, 24 or 15, and bits 4-5 their sizes: as the game makes them,
// smaller, larger, or none; see make_set), loaded into memory bitmaps.
//
// What world/map_format.h and map_file.h promise: a file shorter than a map is
// refused with nothing written anywhere; otherwise every value is inside its range,
// every value that already was reaches the game unchanged, bytes without a range are
// kept, the override is taken exactly when four bytes follow, and sampled pixels
// hold the stored colours in the bitmap's depth, with nothing written beyond them.
#include "support/promise.h"

#include "fuzz_support.h"
#include "map_input.h"

#include "core/byte_order.h"
#include "world/map_file.h"

#include <allegro.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The first promise this input broke; the checks go on, which costs nothing.
std::string finding;
#define CHECK(condition, ...)                                                        \
    do {                                                                             \
        if (!(condition) && finding.empty()) finding = broken(__VA_ARGS__);          \
    } while (0)

constexpr int kDepths[] = {16, 32, 24, 15};
constexpr int kSizeKinds = 4; // as made by the game, smaller, larger, none

struct BitmapSet {
    BITMAP *backdrops[kBackdropCount] = {};
    CellSet room_tiles = {};
    CellSet sprite_tiles = {};
};

struct Target {
    std::vector<uint8_t> image; // the whole file, pixels filled once
    std::string path;            // the scratch map file
    BitmapSet sets[sizeof kDepths / sizeof kDepths[0]][kSizeKinds];
};

Target *target;

// The pixels are the same for every input, so converting all 300,000 of them each
// time would only slow the search through the records: a set holds three of the
// five backdrops and one cell in seventeen (the last included), the others null,
// which still passes through every path of the pixel writer.
bool slot_filled(int index, int count) {
    return count == kBackdropCount ? index % 2 == 0 : index % 17 == 0 || index == count - 1;
}

void make_set(BitmapSet &set, int depth, int kind) {
    // Backdrops' and cells' width and height: as the game makes them, smaller, larger.
    static const int sizes[][4] = {{240, 144, 16, 16}, {100, 50, 9, 5}, {300, 200, 20, 18}};
    if (kind == 3) return; // no bitmaps at all: the records alone
    const int *size = sizes[kind];
    for (int b = 0; b < kBackdropCount; ++b)
        if (slot_filled(b, kBackdropCount)) set.backdrops[b] = create_bitmap_ex(depth, size[0], size[1]);
    for (int i = 0; i < kCellCount; ++i)
        if (slot_filled(i, kCellCount)) {
            set.room_tiles[i] = create_bitmap_ex(depth, size[2], size[3]);
            set.sprite_tiles[i] = create_bitmap_ex(depth, size[2], size[3]);
        }
}

// The value a bitmap of `bmp`'s depth must hold for a stored pixel `v`.
int expected_colour(BITMAP *bmp, uint32_t v) {
    int depth = bitmap_color_depth(bmp);
    if (depth == 16) return static_cast<int>(v & 0xFFFF);
    if (is_map_mask_pixel(v)) return bitmap_mask_color(bmp);
    Rgb8 c = rgb_from_map_pixel(v);
    return makecol_depth(depth, c.r, c.g, c.b);
}

// Put where the check looks before each load. A loaded pixel may happen to hold the
// same value, which can only hide a fault, never report a false one.
constexpr int kSentinel = 0x5A5A;

// The corners and one point inside what the loader writes of a bitmap, then the
// points just beyond it where the bitmap is larger (x -1 where it is not): marked
// before the load, so the check can see what was written and what was not.
struct Probe {
    int x, y;
};
constexpr int kProbes = 7, kWrittenProbes = 5;

void probes_of(BITMAP *bmp, int stored_w, int stored_h, uint32_t salt, Probe out[kProbes]) {
    int w = bmp->w < stored_w ? bmp->w : stored_w;
    int h = bmp->h < stored_h ? bmp->h : stored_h;
    out[0] = {0, 0};
    out[1] = {w - 1, 0};
    out[2] = {0, h - 1};
    out[3] = {w - 1, h - 1};
    out[4] = {static_cast<int>(salt % static_cast<uint32_t>(w)),
              static_cast<int>((salt / 7) % static_cast<uint32_t>(h))};
    out[5] = {bmp->w > stored_w ? stored_w : -1, 0};
    out[6] = {bmp->h > stored_h ? 0 : -1, stored_h};
}

void mark(BITMAP *bmp, int stored_w, int stored_h, uint32_t salt) {
    if (!bmp) return;
    Probe p[kProbes];
    probes_of(bmp, stored_w, stored_h, salt, p);
    for (const Probe &q : p)
        if (q.x >= 0) putpixel(bmp, q.x, q.y, kSentinel);
}

// `pixel_offset(x, y)`: where the stored value of (x, y) lies in the file.
template <typename Where>
void check_bitmap(BITMAP *bmp, int stored_w, int stored_h, uint32_t salt, bool loaded,
                  const uint8_t *file, Where pixel_offset, const char *what, int index) {
    if (!bmp) return;
    Probe p[kProbes];
    probes_of(bmp, stored_w, stored_h, salt, p);
    for (int i = 0; i < kProbes; ++i) {
        if (p[i].x < 0) continue;
        int got = getpixel(bmp, p[i].x, p[i].y);
        int want = loaded && i < kWrittenProbes
                       ? expected_colour(bmp, read_le32(file + pixel_offset(p[i].x, p[i].y)))
                       : kSentinel;
        CHECK(got == want, "%s %d pixel (%d, %d) at %d bits is %#x, not %#x", what, index,
              p[i].x, p[i].y, bitmap_color_depth(bmp), got, want);
    }
}

template <typename Each>
void for_each_bitmap(const BitmapSet &set, Each each) {
    for (int b = 0; b < kBackdropCount; ++b)
        each(set.backdrops[b], kBackdropWidth, kBackdropHeight, "backdrop", b, [b](int x, int y) {
            return backdrop_pixel_offset(b, y, x);
        });
    for (int t = 0; t < kTileCount; ++t) {
        each(set.room_tiles[t], kTilePixels, kTilePixels, "room tile", t, [t](int x, int y) {
            return tile_pixel_offset(t, y, x, TileSet::Room);
        });
        each(set.sprite_tiles[t], kTilePixels, kTilePixels, "sprite tile", t, [t](int x, int y) {
            return tile_pixel_offset(t, y, x, TileSet::Sprite);
        });
    }
}

// ---- The records -------------------------------------------------------------------

int8_t sbyte(const uint8_t *p) { return static_cast<int8_t>(*p); }

bool within(int v, int lo, int hi) { return v >= lo && v <= hi; }

// A value with a range: inside it, and unchanged when it was inside already.
void check_ranged(int got, int stored, int lo, int hi, const char *what, int index) {
    CHECK(within(got, lo, hi), "%s %d is %d, outside %d..%d", what, index, got, lo, hi);
    if (within(stored, lo, hi))
        CHECK(got == stored, "%s %d was %d, in range, and became %d", what, index, stored, got);
}

void check_header(const MapHeader &h, const uint8_t *raw) {
    CHECK(h.title.text[kFixedStringMaxLength] == '\0', "title without its end");
    CHECK(h.title.length == std::strlen(h.title.text), "title length %d for %zu characters",
               h.title.length, std::strlen(h.title.text));
    CHECK(std::memcmp(h.title.text, raw, kFixedStringMaxLength) == 0,
               "title characters changed");
    CHECK(h.title.mark == raw[100], "title mark byte changed");
    const uint8_t *q = raw + kHeaderPositionsOffset;
    check_ranged(h.start_room_column, sbyte(q), 0, kWorldColumns - 1, "start room column", 0);
    check_ranged(h.start_room_row, sbyte(q + 1), 0, kWorldRows - 1, "start room row", 0);
    check_ranged(h.start_cell_column, sbyte(q + 2), 0, kRoomColumns - 1, "start cell column", 0);
    check_ranged(h.start_cell_row, sbyte(q + 3), 0, kRoomRows - 1, "start cell row", 0);
    check_ranged(h.exit_room_column, sbyte(q + 4), 0, kWorldColumns - 1, "exit room column", 0);
    check_ranged(h.exit_room_row, sbyte(q + 5), 0, kWorldRows - 1, "exit room row", 0);
    check_ranged(h.exit_cell_column, sbyte(q + 6), 0, kRoomColumns - 1, "exit cell column", 0);
    // The door's lower cell is row + 1, inside the room as well.
    check_ranged(h.exit_cell_row, sbyte(q + 7), 0, kRoomRows - 2, "exit cell row", 0);
}

// The object a spawn makes travels end to end inside the room: both ends in it and,
// on each axis where they differ, a speed of 0 or one that divides the distance.
bool track_is_sound(const uint8_t *raw) {
    int a_col = sbyte(raw), a_row = sbyte(raw + 1), b_col = sbyte(raw + 2), b_row = sbyte(raw + 3);
    int speed = sbyte(raw + 4);
    auto in_room = [](int c, int r) {
        return within(c, 0, kRoomColumns - 1) && within(r, 0, kRoomRows - 1);
    };
    auto axis_ok = [speed](int from, int to) {
        int distance = (to > from ? to - from : from - to) * kTilePixels;
        return distance == 0 || speed == 0 || (speed > 0 && distance % speed == 0);
    };
    return in_room(a_col, a_row) && in_room(b_col, b_row) && axis_ok(a_col, b_col) &&
           axis_ok(a_row, b_row);
}

void check_spawn(const ObjectSpawn &s, const uint8_t *raw, const char *what, int index) {
    CHECK(s.a_column == sbyte(raw) && s.a_row == sbyte(raw + 1) &&
                   s.b_column == sbyte(raw + 2) && s.b_row == sbyte(raw + 3) &&
                   s.speed == sbyte(raw + 4),
               "%s %d: a byte other than the sprite changed", what, index);
    int stored = sbyte(raw + 5);
    if (s.sprite == kEmptySlot) {
        CHECK(stored == kEmptySlot || stored < 0 || !track_is_sound(raw),
                   "%s %d: a sound object (sprite %d) was dropped", what, index, stored);
        return;
    }
    CHECK(s.sprite == stored, "%s %d: sprite %d became %d", what, index, stored, s.sprite);
    CHECK(within(s.sprite, 0, 127), "%s %d: sprite %d kept", what, index, s.sprite);
    CHECK(s.sprite + (kAnimationFrames - 1) * kAnimationStride < kTileCount,
               "%s %d: last frame of sprite %d outside the set", what, index, s.sprite);
    CHECK(track_is_sound(raw), "%s %d: an object that leaves its track was kept", what,
               index);
}

void check_room(const RoomRecord &r, const uint8_t *raw, int index) {
    CHECK(r.backdrop < kBackdropCount || r.backdrop == kNoBackdrop, "room %d backdrop %d",
               index, r.backdrop);
    if (raw[0] < kBackdropCount || raw[0] == kNoBackdrop)
        CHECK(r.backdrop == raw[0], "room %d backdrop %d became %d", index, raw[0],
                   r.backdrop);
    CHECK(r.unused_1 == raw[1] && r.unused_152 == raw[152] && r.unused_303 == raw[303],
               "room %d: unread bytes changed", index);
    for (int i = 0; i < kSpawnsPerGroup; ++i) {
        check_spawn(r.enemies[i], raw + kRoomEnemiesOffset + i * kObjectSpawnSize, "enemy",
                    index * kSpawnsPerGroup + i);
        check_spawn(r.platforms[i], raw + kRoomPlatformsOffset + i * kObjectSpawnSize,
                    "platform", index * kSpawnsPerGroup + i);
    }
    for (int row = 0; row < kRoomRows; ++row)
        for (int col = 0; col < kRoomColumns; ++col) {
            const RoomCell &c = r.cells[row][col];
            const uint8_t *p = raw + kRoomCellsOffset + row * kRoomCellRowSize + col * kRoomCellSize;
            const int cell = (index * kRoomRows + row) * kRoomColumns + col;
            for (int layer = 0; layer < 2; ++layer) {
                int got = layer ? c.front_tile : c.back_tile;
                int stored = static_cast<int16_t>(read_le16(p + 2 * layer));
                const char *what = layer ? "front tile of cell" : "back tile of cell";
                if (got != kNoTile) check_ranged(got, stored, 0, kTileCount - 1, what, cell);
                else if (stored != kNoTile)
                    CHECK(!within(stored, 0, kTileCount - 1), "%s %d: tile %d dropped", what,
                               cell, stored);
            }
            CHECK(c.flags == p[4] && c.unused == p[5], "cell %d: flags or spare changed",
                       cell);
        }
}

constexpr uint8_t kSpareMark = 0xC3;

void check_placements(const PickupPlacement *entries, const uint8_t *raw, int count,
                      const char *what) {
    for (int i = 0; i < count; ++i) {
        const uint8_t *p = raw + i * kPlacementRecordSize;
        const PickupPlacement &e = entries[i];
        auto clamp = [](int v, int hi) { return v < 0 ? 0 : v > hi ? hi : v; };
        int room = clamp(sbyte(p + 1), kWorldRows - 1) * kWorldColumns +
                   clamp(sbyte(p), kWorldColumns - 1);
        CHECK(e.room == room, "%s %d: room %d, not %d", what, i, e.room, room);
        CHECK(e.present == 1, "%s %d: present %d", what, i, e.present);
        CHECK(e.spare == kSpareMark, "%s %d: spare byte written", what, i);
        check_ranged(e.cell_column, sbyte(p + 2), 0, kRoomColumns - 1, "cell column of", i);
        check_ranged(e.cell_row, sbyte(p + 3), 0, kRoomRows - 1, "cell row of", i);
    }
}

// The records as the loader found them, to see that a refused file wrote nothing.
struct Records {
    MapHeader header;
    RoomRecord rooms[kRoomCount];
    SwitchPlacement switches[kSwitchCount];
    RefillPlacement refills[kRefillCount];
};

Target *make_target() {
    Target *t = new Target;
    t->image = painted_map_image(true);
    t->path = fuzz_scratch_path("fuzz.map");
    for (std::size_t d = 0; d < sizeof kDepths / sizeof kDepths[0]; ++d)
        for (int k = 0; k < kSizeKinds; ++k) make_set(t->sets[d][k], kDepths[d], k);
    return t;
}

} // namespace

std::string map_file_promise(const uint8_t *data, std::size_t size) {
    if (!target) target = make_target();
    finding.clear();
    const MapInput in = take_map_input(data, size, target->image);
    const uint8_t shape = in.shape;
    const uint32_t number = in.number;
    const std::size_t length = in.length;
    fuzz_write_file(target->path, target->image.data(), length);

    const BitmapSet &set = target->sets[(shape >> 2) & 3][(shape >> 4) & 3];
    const uint32_t salt = number * 2654435761u + static_cast<uint32_t>(size);
    for_each_bitmap(set, [salt](BITMAP *b, int w, int h, const char *, int, auto) { mark(b, w, h, salt); });

    static Records before, after;
    std::memset(&after, 0xA7, sizeof after);
    for (auto &e : after.switches) e.spare = kSpareMark;
    for (auto &e : after.refills) e.spare = kSpareMark;
    before = after;

    const MapLoad loaded = load_map_file(target->path.c_str(), after.header, after.rooms,
                                         after.switches, after.refills, set.backdrops,
                                         set.room_tiles, set.sprite_tiles);

    const bool whole = length >= kMapFileSize;
    CHECK(loaded.loaded == (whole ? 1 : 0), "a file of %zu bytes gave %d", length, loaded.loaded);
    const uint8_t *file = target->image.data();
    for_each_bitmap(set, [&](BITMAP *b, int w, int h, const char *what, int index, auto where) {
        check_bitmap(b, w, h, salt, whole, file, where, what, index);
    });
    if (!whole) {
        CHECK(std::memcmp(&before, &after, sizeof before) == 0,
                   "a refused file changed the records");
        CHECK(!loaded.file_id.present, "a refused file gave a map id");
        return finding;
    }
    check_header(after.header, file + kMapHeaderOffset);
    for (int r = 0; r < kRoomCount; ++r)
        check_room(after.rooms[r], file + kRoomsOffset + r * kRoomRecordSize, r);
    check_placements(after.switches, file + kSwitchRecordsOffset, kSwitchCount, "switch");
    check_placements(after.refills, file + kRefillRecordsOffset, kRefillCount, "refill");
    const bool has_override = length >= kMapFileSizeWithOverride;
    CHECK(loaded.file_id.present == has_override, "map id present %d for a file of %zu bytes",
          loaded.file_id.present, length);
    if (has_override)
        CHECK(loaded.file_id.map_id == static_cast<int32_t>(read_le32(file + kMapOverrideOffset)),
                   "map id %d is not the file's", loaded.file_id.map_id);
    return finding;
}
