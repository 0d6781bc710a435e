// The map loader. The file is read whole in one call into a static buffer, checked
// for length before anything is handed over, parsed record by record with the shared
// layout of world/map_format.h, and its pixels are written row by row through each
// bitmap's line addresses.
#include "world/map_file.h"

#include "core/fixed_string.h"
#include "core/paths.h"
#include "world/map_identity.h"

#include <allegro.h>

#include <cstdio>

namespace {

// The whole file and its optional override. Static so that a level start allocates
// nothing; the loader is only ever called from the game's one thread.
uint8_t file_image[kMapFileSizeWithOverride];

// Reads up to sizeof file_image bytes of `path`; returns how many, 0 on any failure.
std::size_t read_map_bytes(const char *path) {
    if (!path) return 0;
    FILE *f = data_fopen(path, "rb");
    if (!f) return 0;
    std::size_t got = std::fread(file_image, 1, sizeof file_image, f);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    return failed ? 0 : got;
}

// Stored 5-6-5 values to the colours of one true-colour depth, one table per
// component so that a pixel costs three look-ups.
struct PixelConverter {
    uint32_t red[32];
    uint32_t green[64];
    uint32_t blue[32];
    uint32_t mask;
    uint32_t operator()(uint32_t v) const {
        uint32_t c = red[(v >> 11) & 31] | green[(v >> 5) & 63] | blue[v & 31];
        return is_map_mask_pixel(v) ? mask : c; // a select, not a branch
    }
};

void make_converter(int depth, PixelConverter &c) {
    for (uint32_t i = 0; i < 32; ++i) {
        Rgb8 rb = rgb_from_map_pixel((i << 11) | i);
        c.red[i] = static_cast<uint32_t>(makecol_depth(depth, rb.r, 0, 0));
        c.blue[i] = static_cast<uint32_t>(makecol_depth(depth, 0, 0, rb.b));
    }
    for (uint32_t i = 0; i < 64; ++i) {
        Rgb8 g = rgb_from_map_pixel(i << 5);
        c.green[i] = static_cast<uint32_t>(makecol_depth(depth, 0, g.g, 0));
    }
    c.mask = depth == 24 ? MASK_COLOR_24 : MASK_COLOR_32;
}

struct Converters {
    PixelConverter depth24;
    PixelConverter depth32;
};

// Depths the game never uses (8, 15): slow but correct.
void put_row_by_pixel(BITMAP *bmp, int y, const uint8_t *src, int count, std::size_t stride) {
    int depth = bitmap_color_depth(bmp);
    for (int x = 0; x < count; ++x) {
        uint32_t v = read_le32(src + x * stride);
        Rgb8 c = rgb_from_map_pixel(v);
        putpixel(bmp, x, y,
                 is_map_mask_pixel(v) ? bitmap_mask_color(bmp) : makecol_depth(depth, c.r, c.g, c.b));
    }
}

// Writes `count` stored pixels, `stride` bytes apart in the file, as row y of `bmp`.
void put_row(BITMAP *bmp, int y, const uint8_t *src, int count, std::size_t stride,
             const Converters &conv) {
    if (y >= bmp->h) return;
    if (count > bmp->w) count = bmp->w;
    int depth = bitmap_color_depth(bmp);
    if (depth != 16 && depth != 24 && depth != 32) {
        put_row_by_pixel(bmp, y, src, count, stride);
        return;
    }
    uintptr_t line = bmp_write_line(bmp, y);
    if (depth == 16) {
        for (int x = 0; x < count; ++x) bmp_write16(line + x * 2, read_le16(src + x * stride));
    } else if (depth == 32) {
        for (int x = 0; x < count; ++x)
            bmp_write32(line + x * 4, conv.depth32(read_le32(src + x * stride)));
    } else {
        for (int x = 0; x < count; ++x)
            bmp_write24(line + x * 3, conv.depth24(read_le32(src + x * stride)));
    }
    bmp_unwrite_line(bmp);
}

void put_backdrops(BITMAP *const (&backdrops)[kBackdropCount], const Converters &conv) {
    for (int b = 0; b < kBackdropCount; ++b) {
        BITMAP *bmp = backdrops[b];
        if (!bmp) continue;
        acquire_bitmap(bmp);
        for (int y = 0; y < kBackdropHeight; ++y)
            put_row(bmp, y, file_image + backdrop_pixel_offset(b, y, 0), kBackdropWidth, 4, conv);
        release_bitmap(bmp);
    }
}

// The two tile sets are stored interleaved, pixel by pixel: every 8 bytes hold a
// room-tile value and then a sprite-tile value.
void put_tile_set(const CellSet &cells, TileSet set, const Converters &conv) {
    for (int t = 0; t < kTileCount; ++t) {
        BITMAP *bmp = cells[t];
        if (!bmp) continue;
        acquire_bitmap(bmp);
        for (int y = 0; y < kTilePixels; ++y)
            put_row(bmp, y, file_image + tile_pixel_offset(t, y, 0, set), kTilePixels, 8, conv);
        release_bitmap(bmp);
    }
}

void take_placements(std::size_t offset, PickupPlacement *entries, int count) {
    for (int i = 0; i < count; ++i) {
        PlacementRecord r;
        parse_placement_record(file_image + offset + i * kPlacementRecordSize, r);
        make_placement_safe(r);
        fill_placement(r, entries[i]);
    }
}

} // namespace

MapLoad load_map(const char *name, MapHeader &header, RoomRecord (&rooms)[kRoomCount],
                 SwitchPlacement (&switches)[kSwitchCount],
                 RefillPlacement (&refills)[kRefillCount],
                 BITMAP *const (&backdrops)[kBackdropCount], const CellSet &room_tiles,
                 const CellSet &sprite_tiles) {
    FixedString path = fixed_concat_text("MAP\\", name);
    return load_map_file(path.text, header, rooms, switches, refills, backdrops, room_tiles,
                         sprite_tiles);
}

MapLoad load_map_file(const char *path, MapHeader &header, RoomRecord (&rooms)[kRoomCount],
                      SwitchPlacement (&switches)[kSwitchCount],
                      RefillPlacement (&refills)[kRefillCount],
                      BITMAP *const (&backdrops)[kBackdropCount], const CellSet &room_tiles,
                      const CellSet &sprite_tiles) {
    std::size_t size = read_map_bytes(path);
    if (size < kMapFileSize) { // missing, unreadable or cut short: refused whole
        report_data_problem(path, size == 0 ? "cannot be read" : "is shorter than a map file");
        return MapLoad{0, FileMapId{false, 0}};
    }

    parse_map_header(file_image + kMapHeaderOffset, header);
    make_header_safe(header);
    for (int r = 0; r < kRoomCount; ++r) {
        parse_room_record(file_image + kRoomsOffset + r * kRoomRecordSize, rooms[r]);
        make_room_safe(rooms[r]);
    }
    take_placements(kSwitchRecordsOffset, switches, kSwitchCount);
    take_placements(kRefillRecordsOffset, refills, kRefillCount);
    // The seven text slots are read past: the game keeps none of them.

    static Converters conv; // about 1 KB of tables: kept off the stack
    make_converter(24, conv.depth24);
    make_converter(32, conv.depth32);
    put_backdrops(backdrops, conv);
    put_tile_set(room_tiles, TileSet::Room, conv);
    put_tile_set(sprite_tiles, TileSet::Sprite, conv);

    // Fewer than four bytes past the fixed part cannot hold an id.
    MapLoad load{1, FileMapId{false, 0}};
    if (size >= kMapFileSizeWithOverride) {
        load.file_id.present = true;
        load.file_id.map_id = static_cast<int32_t>(read_le32(file_image + kMapOverrideOffset));
    }
    return load;
}
