// The room renderer: every layer of a room, in the order the player sees them
// stacked, into the room view the frame then shows. What each map id adds is read
// from its MapLook; the effects themselves are drawn by effects.cpp.
#include "level/render.h"

#include <allegro.h>

namespace {

bool valid_cell(int cell) { return cell >= 0 && cell < kCellCount; }

// A cell of a set at (x, y), skipped when its number is out of range or it is missing.
void masked_cell(const CellSet &cells, int cell, BITMAP *view, int x, int y) {
    if (!valid_cell(cell) || !cells[cell]) return;
    masked_blit(cells[cell], view, 0, 0, x, y, kCellSize, kCellSize);
}

void translucent_cell(const CellSet &cells, int cell, BITMAP *view, int x, int y) {
    if (!valid_cell(cell) || !cells[cell]) return;
    draw_trans_sprite(view, cells[cell], x, y);
}

// The room's backdrop picture, or null for a room without one.
BITMAP *backdrop_of(const RoomRecord &room, BITMAP *const (&backdrops)[kBackdropCount]) {
    return room.backdrop < kBackdropCount ? backdrops[room.backdrop] : nullptr;
}

void draw_plain_backdrop(BITMAP *picture, BITMAP *view) {
    if (picture)
        blit(picture, view, 0, 0, 0, 0, kBackdropWidth, kBackdropHeight);
    else
        rectfill(view, 0, 0, kBackdropWidth - 1, kBackdropHeight - 1, 0);
}

// The dream screens come first, then the waving rooms, then the other rules.
void draw_backdrop(const MapLook &look, EffectState &fx, BITMAP *picture, int column, int row,
                   BITMAP *view) {
    switch (look.backdrop) {
    case BackdropRule::Trail:
    case BackdropRule::TrailStill:
        draw_trail_backdrop(fx, picture, look.backdrop == BackdropRule::Trail, view);
        return;
    case BackdropRule::Scroll:
    case BackdropRule::Plain:
        break;
    }
    if (waves_in(look.wave, column, row))
        draw_waving_backdrop(fx, picture, view);
    else if (look.backdrop == BackdropRule::Scroll)
        draw_scrolling_backdrop(fx, picture, view);
    else
        draw_plain_backdrop(picture, view);
}

void draw_back_cell(const MapLook &look, const CellSet &tiles, int t, BITMAP *view, int x, int y) {
    if (look.back == BackCellRule::TranslucentHigh && t >= kTranslucentFrom) {
        // A see-through cell with its solid part six cells on; cells whose overlay
        // would lie past the sheet are drawn see-through alone.
        translucent_cell(tiles, t, view, x, y);
        masked_cell(tiles, t + kBackOverlayOffset, view, x, y);
        return;
    }
    masked_cell(tiles, t, view, x, y);
}

// The solid cell laid over each see-through front cell from 235 up; 238 has none.
constexpr int kFrontOverlay[] = {49, 50, 48, -1, 51};

void draw_front_cell(const MapLook &look, const CellSet &tiles, int t, BITMAP *view, int x, int y) {
    switch (look.front) {
    case FrontCellRule::Masked:
        masked_cell(tiles, t, view, x, y);
        return;
    case FrontCellRule::Threshold:
        if (t >= look.front_threshold)
            translucent_cell(tiles, t, view, x, y);
        else
            masked_cell(tiles, t, view, x, y);
        return;
    case FrontCellRule::OverlayHigh:
        if (t < kOverlayFrontFrom) {
            masked_cell(tiles, t, view, x, y);
            return;
        }
        translucent_cell(tiles, t, view, x, y);
        if (t - kOverlayFrontFrom < static_cast<int>(sizeof kFrontOverlay / sizeof kFrontOverlay[0]))
            masked_cell(tiles, kFrontOverlay[t - kOverlayFrontFrom], view, x, y);
        return;
    }
}

template <typename DrawCell>
void draw_cells(RoomRecord &room, bool front, DrawCell draw) {
    for (int row = 0; row < kRoomRows; ++row) {
        for (int col = 0; col < kRoomColumns; ++col) {
            RoomCell &c = room.cells[row][col];
            int16_t &t = front ? c.front_tile : c.back_tile;
            if (t != kNoTile) draw(t, col * kTilePixels, row * kTilePixels);
        }
    }
}

void draw_door(const MapHeader &header, int room_index, int switches_thrown,
               const CellSet &sprites, BITMAP *view) {
    if (room_index_of(header.exit_room_column, header.exit_room_row) != room_index) return;
    int top = switches_thrown >= kSwitchCount ? kDoorOpenCell : kDoorClosedCell;
    int x = header.exit_cell_column * kTilePixels;
    int y = header.exit_cell_row * kTilePixels;
    masked_cell(sprites, top, view, x, y);
    masked_cell(sprites, top + kAnimationStride, view, x, y + kTilePixels);
}

void draw_pickup(const PickupPlacement &p, int room_index, int cell, const CellSet &sprites,
                 BITMAP *view) {
    if (p.room != room_index) return;
    masked_cell(sprites, p.present ? cell : cell + kTakenOffset, view,
                p.cell_column * kTilePixels, p.cell_row * kTilePixels);
}

void draw_object(const MovingObject &o, bool may_mirror, const CellSet &sprites, BITMAP *view) {
    if (!object_active(o)) return;
    int cell = o.sprite + o.frame;
    if (!valid_cell(cell) || !sprites[cell]) return;
    if (may_mirror && o.vx < 0)
        draw_sprite_h_flip(view, sprites[cell], o.x, o.y);
    else
        draw_sprite(view, sprites[cell], o.x, o.y);
}

void draw_group(const ObjectGroup &group, bool may_mirror, const CellSet &sprites, BITMAP *view) {
    for (const MovingObject &o : group) draw_object(o, may_mirror, sprites, view);
}

} // namespace

int hero_picture(const HeroState &hero) {
    int base;
    if (hero.falling == 1)
        base = kHeroFallCell + hero.walk_phase;
    else if (hero.jumping == 1)
        base = kHeroJumpCell;
    else if (hero.walk_phase == 0 || hero.walk_phase == 2 * kWalkPhaseStep)
        base = 0;
    else if (hero.walk_phase == kWalkPhaseStep)
        base = kWalkPhaseStep;
    else
        base = 2 * kWalkPhaseStep;
    return base + hero.facing;
}

void render_room(const RoomScene &scene) {
    const uint8_t room_index = static_cast<uint8_t>(frame_room_index(scene.state));
    BITMAP *view = scene.view;
    if (!view || room_index >= kRoomCount) return;
    const MapLook &look = scene.look;
    const HeroState &hero = scene.state.hero;
    const CellSet &room_tiles = scene.room_tiles, &sprite_tiles = scene.sprite_tiles;
    EffectState &fx = scene.fx;
    RoomRecord &room = scene.map.rooms[room_index];
    const int column = room_index % kWorldColumns, row = room_index / kWorldColumns;

    if (has_effect(look, kRain)) trigger_lightning(fx, row);
    draw_backdrop(look, fx, backdrop_of(room, scene.backdrops), column, row, view);
    draw_cells(room, false, [&](int16_t &t, int x, int y) {
        draw_back_cell(look, room_tiles, t, view, x, y);
    });
    draw_door(scene.map.header, room_index, hero.switches_thrown, sprite_tiles, view);
    for (int i = 0; i < kSwitchCount; ++i) {
        draw_pickup(scene.map.switches[i], room_index, kSwitchCell, sprite_tiles, view);
        draw_pickup(scene.map.refills[i], room_index, kRefillCell, sprite_tiles, view);
    }
    draw_group(scene.state.enemies, true, sprite_tiles, view);
    if (!look.platforms_over_front) draw_group(scene.state.platforms, false, sprite_tiles, view);
    if (has_effect(look, kHeroLight)) draw_hero_light(hero, sprite_tiles, view);
    if (has_effect(look, kSparks)) draw_sparks(fx, hero, sprite_tiles, view);

    int picture = hero_picture(hero);
    if (valid_cell(picture) && sprite_tiles[picture])
        draw_sprite(view, sprite_tiles[picture], hero.x >> 8, hero.y >> 8);

    const bool torches = has_effect(look, kTorches);
    draw_cells(room, true, [&](int16_t &t, int x, int y) {
        draw_front_cell(look, room_tiles, torches ? animate_torch(fx, t) : t, view, x, y);
    });
    if (look.platforms_over_front) draw_group(scene.state.platforms, false, sprite_tiles, view);
    if (has_effect(look, kDrifters)) draw_drifters(fx, sprite_tiles, view);
    if (has_effect(look, kRain) && row < kRainRows) draw_rain(fx, view);
    draw_lightning_flash(fx, view);
}
