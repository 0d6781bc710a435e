// Drawing one room into the 240 x 144 room view: backdrop, back cells, exit door,
// switches and refills, enemies, platforms, the hero, front cells, and the map's
// effects, all with the look the level run holds (level/look.h).
#pragma once

#include "core/cell_set.h"
#include "level/effects.h"
#include "level/look.h"
#include "level/rules.h"
#include "world/map_format.h"

struct BITMAP;

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

// Everything a room's picture is drawn from, the look included. `map` is not const: the torches of map id 9 step through their frames in
// the room records themselves.
struct RoomScene {
    const MapLook &look;
    LevelMap &map;
    const PlayState &state; // the hero, both groups and the room the frame started in
    const CellSet &room_tiles, &sprite_tiles;
    BITMAP *const (&backdrops)[kBackdropCount];
    BITMAP *view;           // 240 x 144
    EffectState &fx;
};

// Draws the room the frame started in into the view, moving the effects on by a frame.
void render_room(const RoomScene &scene);
