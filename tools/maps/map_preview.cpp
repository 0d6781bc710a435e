// Drawing the preview: each room into a 240 x 144 view in the game's order, then the
// views side by side with a gap.
#include "map_preview.h"

#include <climits>
#include <cstdlib>
#include <vector>

namespace maps {

namespace {

constexpr int kNever = kTileCount; // a threshold no cell reaches
constexpr int kTransAlpha = 64;    // the game's one translucency level, of 256

// Sprite cells the renderer uses.
constexpr int kHeroCell = 0;
constexpr int kDoorTopCell = 2;
constexpr int kDoorBottomCell = 26;
constexpr int kSwitchCell = 192;
constexpr int kRefillCell = 193;

// How a map id draws its cells.
struct CellLook {
    bool back_overlay;          // back cells from 216: translucent, then cell + 6 over it
    int front_translucent_from; // front cells from this number are translucent
    bool front_overlay;         // the front overlays and late platforms of map id 6
};

struct LookEntry {
    int32_t first_id, last_id;
    CellLook look;
};

constexpr CellLook kPlainLook{false, kNever, false};
constexpr LookEntry kLooks[] = {
    {1, 1, {false, 232, false}},      {2, 2, {true, 216, false}},  {4, 4, {true, 216, false}},
    {6, 6, {false, kNever, true}},    {9, 9, {true, 216, false}},  {22, 22, {true, 216, false}},
    {98, INT32_MAX, {true, 216, false}},
};

// Map id 6: the overlay drawn over front cells 235 to 239 (-1 for none).
constexpr int kFrontOverlayFirst = 235;
constexpr int kFrontOverlay[] = {49, 50, 48, -1, 51};

CellLook look_of(int32_t map_id) {
    for (const LookEntry &e : kLooks)
        if (map_id >= e.first_id && map_id <= e.last_id) return e.look;
    return kPlainLook;
}

using Tile = uint32_t[kTilePixels][kTilePixels];

struct View {
    Rgb8 px[kBackdropHeight][kBackdropWidth];

    void put(int x, int y, Rgb8 c) {
        if (x >= 0 && x < kBackdropWidth && y >= 0 && y < kBackdropHeight) px[y][x] = c;
    }
};

enum class Draw { Masked, Mirrored, Translucent };

void draw_tile(View &v, const Tile &t, int x0, int y0, Draw how) {
    for (int y = 0; y < kTilePixels; ++y)
        for (int x = 0; x < kTilePixels; ++x) {
            uint32_t p = t[y][how == Draw::Mirrored ? kTilePixels - 1 - x : x];
            if (is_map_mask_pixel(p)) continue;
            Rgb8 c = rgb_from_map_pixel(p);
            int px = x0 + x, py = y0 + y;
            if (how == Draw::Translucent && px >= 0 && px < kBackdropWidth && py >= 0 &&
                py < kBackdropHeight) {
                Rgb8 d = v.px[py][px];
                c = Rgb8{d.r + (c.r - d.r) * kTransAlpha / 256, d.g + (c.g - d.g) * kTransAlpha / 256,
                         d.b + (c.b - d.b) * kTransAlpha / 256};
            }
            v.put(px, py, c);
        }
}

void draw_backdrop(View &v, const MapImage &img, uint8_t b) {
    for (int y = 0; y < kBackdropHeight; ++y)
        for (int x = 0; x < kBackdropWidth; ++x)
            v.px[y][x] = b < kBackdropCount ? rgb_from_map_pixel(img.backdrops[b][y][x]) : Rgb8{0, 0, 0};
}

void draw_back_cells(View &v, const MapImage &img, const RoomRecord &r, const CellLook &look) {
    for (int row = 0; row < kRoomRows; ++row)
        for (int col = 0; col < kRoomColumns; ++col) {
            int t = r.cells[row][col].back_tile;
            if (t == kNoTile) continue;
            if (look.back_overlay && t >= 216) {
                draw_tile(v, img.room_tiles[t], col * kTilePixels, row * kTilePixels, Draw::Translucent);
                if (t + 6 < kTileCount)
                    draw_tile(v, img.room_tiles[t + 6], col * kTilePixels, row * kTilePixels, Draw::Masked);
            } else {
                draw_tile(v, img.room_tiles[t], col * kTilePixels, row * kTilePixels, Draw::Masked);
            }
        }
}

void draw_front_cells(View &v, const MapImage &img, const RoomRecord &r, const CellLook &look) {
    for (int row = 0; row < kRoomRows; ++row)
        for (int col = 0; col < kRoomColumns; ++col) {
            int t = r.cells[row][col].front_tile;
            if (t == kNoTile) continue;
            int x = col * kTilePixels, y = row * kTilePixels;
            if (look.front_overlay && t >= kFrontOverlayFirst) {
                draw_tile(v, img.room_tiles[t], x, y, Draw::Translucent);
                int over = kFrontOverlay[t - kFrontOverlayFirst];
                if (over >= 0) draw_tile(v, img.room_tiles[over], x, y, Draw::Masked);
            } else {
                draw_tile(v, img.room_tiles[t], x, y,
                          t >= look.front_translucent_from ? Draw::Translucent : Draw::Masked);
            }
        }
}

int sign(int v) { return (v > 0) - (v < 0); }

void draw_objects(View &v, const MapImage &img, const ObjectSpawn (&group)[kSpawnsPerGroup],
                  bool may_mirror) {
    for (const ObjectSpawn &s : group) {
        if (s.sprite == kEmptySlot) continue;
        int vx = s.speed * sign(s.b_column - s.a_column);
        Draw how = may_mirror && vx < 0 ? Draw::Mirrored : Draw::Masked;
        draw_tile(v, img.sprite_tiles[s.sprite], s.a_column * kTilePixels, s.a_row * kTilePixels, how);
    }
}

void draw_placements(View &v, const MapImage &img, int room) {
    for (int i = 0; i < kSwitchCount; ++i) {
        const PlacementRecord &s = img.switches[i];
        if (s.room_row * kWorldColumns + s.room_column == room)
            draw_tile(v, img.sprite_tiles[kSwitchCell], s.cell_column * kTilePixels,
                      s.cell_row * kTilePixels, Draw::Masked);
        const PlacementRecord &r = img.refills[i];
        if (r.room_row * kWorldColumns + r.room_column == room)
            draw_tile(v, img.sprite_tiles[kRefillCell], r.cell_column * kTilePixels,
                      r.cell_row * kTilePixels, Draw::Masked);
    }
}

// A dotted line between the middles of the two ends, and a dot at end B.
void draw_tracks(View &v, const ObjectSpawn (&group)[kSpawnsPerGroup], Rgb8 colour) {
    for (const ObjectSpawn &s : group) {
        if (s.sprite == kEmptySlot || (s.a_column == s.b_column && s.a_row == s.b_row)) continue;
        int x0 = s.a_column * kTilePixels + 8, y0 = s.a_row * kTilePixels + 8;
        int x1 = s.b_column * kTilePixels + 8, y1 = s.b_row * kTilePixels + 8;
        int steps = std::abs(x1 - x0) > std::abs(y1 - y0) ? std::abs(x1 - x0) : std::abs(y1 - y0);
        for (int i = 0; i <= steps; i += 3)
            v.put(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, colour);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) v.put(x1 + dx, y1 + dy, colour);
    }
}

void draw_room(View &v, const MapImage &img, int room, const CellLook &look) {
    const RoomRecord &r = img.rooms[room];
    const MapHeader &h = img.header;
    int column = room % kWorldColumns, row = room / kWorldColumns;
    draw_backdrop(v, img, r.backdrop);
    draw_back_cells(v, img, r, look);
    if (h.exit_room_column == column && h.exit_room_row == row) {
        draw_tile(v, img.sprite_tiles[kDoorTopCell], h.exit_cell_column * kTilePixels,
                  h.exit_cell_row * kTilePixels, Draw::Masked);
        draw_tile(v, img.sprite_tiles[kDoorBottomCell], h.exit_cell_column * kTilePixels,
                  (h.exit_cell_row + 1) * kTilePixels, Draw::Masked);
    }
    draw_placements(v, img, room);
    draw_objects(v, img, r.enemies, true);
    if (!look.front_overlay) draw_objects(v, img, r.platforms, false);
    if (h.start_room_column == column && h.start_room_row == row)
        draw_tile(v, img.sprite_tiles[kHeroCell], h.start_cell_column * kTilePixels,
                  h.start_cell_row * kTilePixels, Draw::Masked);
    draw_front_cells(v, img, r, look);
    if (look.front_overlay) draw_objects(v, img, r.platforms, false);
    draw_tracks(v, r.enemies, kEnemyTrackColour);
    draw_tracks(v, r.platforms, kPlatformTrackColour);
}

} // namespace

void preview_map(const MapImage &img, int32_t map_id, Raster &out) {
    out.w = kPreviewWidth;
    out.h = kPreviewHeight;
    out.rgb.assign(static_cast<std::size_t>(out.w) * out.h * 3, 0);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            uint8_t *p = out.at(x, y);
            p[0] = static_cast<uint8_t>(kGapColour.r);
            p[1] = static_cast<uint8_t>(kGapColour.g);
            p[2] = static_cast<uint8_t>(kGapColour.b);
        }
    CellLook look = look_of(map_id);
    std::vector<View> views(1);
    View &v = views[0];
    for (int room = 0; room < kRoomCount; ++room) {
        draw_room(v, img, room, look);
        int ox = preview_room_x(room % kWorldColumns), oy = preview_room_y(room / kWorldColumns);
        for (int y = 0; y < kBackdropHeight; ++y)
            for (int x = 0; x < kBackdropWidth; ++x) {
                uint8_t *p = out.at(ox + x, oy + y);
                p[0] = static_cast<uint8_t>(v.px[y][x].r);
                p[1] = static_cast<uint8_t>(v.px[y][x].g);
                p[2] = static_cast<uint8_t>(v.px[y][x].b);
            }
    }
}

} // namespace maps
