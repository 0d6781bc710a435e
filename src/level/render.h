// Drawing one room into the 240 x 144 room view: backdrop, back cells, exit door,
// switches and refills, enemies, platforms, the hero, front cells. How a map looks
// beyond that is chosen by its map id through one table (map_look), read here only.
#pragma once

#include "core/cell_set.h"
#include "level/hero.h"
#include "level/objects.h"
#include "world/map_format.h"

#include <cstdint>

struct BITMAP;

// How the cells of a map are drawn.
enum class BackCellRule : uint8_t {
    Masked,          // every back cell drawn solid
    TranslucentHigh, // cells from 216 up translucent, with the solid cell six on over them
};
enum class FrontCellRule : uint8_t {
    Masked,          // every front cell drawn solid
    Threshold,       // cells from `front_threshold` up translucent
    OverlayHigh,     // cells from 235 up translucent with a solid overlay cell
};

// What one map id turns on. Ids not in the table look like map id 0.
struct MapLook {
    int32_t map_id;
    BackCellRule back;
    FrontCellRule front;
    int16_t front_threshold;    // for FrontCellRule::Threshold
    bool platforms_over_front;  // platforms drawn after the front cells
};

constexpr int16_t kTranslucentFrom = 216;
constexpr int16_t kMistTranslucentFrom = 232;
constexpr int16_t kOverlayFrontFrom = 235;
constexpr int kBackOverlayOffset = 6; // a translucent back cell's solid overlay lies 6 on

constexpr MapLook kPlainLook = {0, BackCellRule::Masked, FrontCellRule::Masked, 0, false};

constexpr MapLook kMapLooks[] = {
    kPlainLook,
    {1, BackCellRule::Masked, FrontCellRule::Threshold, kMistTranslucentFrom, false},
    {2, BackCellRule::TranslucentHigh, FrontCellRule::Threshold, kTranslucentFrom, false},
    {3, BackCellRule::Masked, FrontCellRule::Masked, 0, false},
    {4, BackCellRule::TranslucentHigh, FrontCellRule::Threshold, kTranslucentFrom, false},
    {5, BackCellRule::Masked, FrontCellRule::Masked, 0, false},
    {6, BackCellRule::Masked, FrontCellRule::OverlayHigh, kOverlayFrontFrom, true},
    {9, BackCellRule::TranslucentHigh, FrontCellRule::Threshold, kTranslucentFrom, false},
    {22, BackCellRule::TranslucentHigh, FrontCellRule::Threshold, kTranslucentFrom, false},
};
// Map ids from 98 up share the translucent cells of the zooming dream screens.
constexpr MapLook kDreamLook = {98, BackCellRule::TranslucentHigh, FrontCellRule::Threshold,
                                kTranslucentFrom, false};

constexpr MapLook map_look(int32_t map_id) {
    if (map_id >= kDreamLook.map_id) return MapLook{map_id, kDreamLook.back, kDreamLook.front,
                                                    kDreamLook.front_threshold, false};
    for (const MapLook &look : kMapLooks)
        if (look.map_id == map_id) return look;
    return kPlainLook;
}

// Sprite cells the renderer draws from a map's sprite_tiles.
constexpr int kDoorClosedCell = 2;    // over 26
constexpr int kDoorOpenCell = 50;     // over 74
constexpr int kSwitchCell = 192;      // thrown: 216
constexpr int kRefillCell = 193;      // taken: 217
constexpr int kTakenOffset = 24;
constexpr int kHeroJumpCell = 72;
constexpr int kHeroFallCell = 96;     // + walk phase

// The hero's picture from his state: facing plus the falling, jumping or walking frame.
int hero_picture(const HeroState &hero);

// Draws the room `room_index` into `view` (240 x 144). `rooms` is not const: some
// looks animate cells in the room records themselves.
void render_room(const HeroState &hero, const ObjectGroup &enemies, const ObjectGroup &platforms,
                 RoomRecord (&rooms)[kRoomCount], const SwitchPlacement (&switches)[kSwitchCount],
                 const RefillPlacement (&refills)[kRefillCount], uint8_t room_index,
                 const CellSet &room_tiles, const CellSet &sprite_tiles,
                 BITMAP *const (&backdrops)[kBackdropCount], BITMAP *view,
                 const MapHeader &header);
