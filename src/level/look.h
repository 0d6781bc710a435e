// How each map looks: one constexpr table from map id to the rules for drawing its
// cells and backdrop and the effects it turns on. The level run looks its map up once
// and hands the look to the renderer and to the effects' set-up.
#pragma once

#include "world/map_format.h"

#include <cstdint>

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

// What lies behind a room's cells.
enum class BackdropRule : uint8_t {
    Plain,      // the room's backdrop, or black
    Scroll,     // the backdrop drifts right a pixel a frame; none keeps the last picture
    Trail,      // translucent over the last frame, then shrunk over itself, wobbling
    TrailStill, // the same with the shrunken copy held still
};

// The rooms whose backdrop waves: rows `row` (or any, kAnyRow), columns from
// `first_column` to `last_column` (none when first is past last).
struct WaveRooms {
    int8_t row;
    int8_t first_column, last_column;
};
constexpr int8_t kAnyRow = -1;
constexpr WaveRooms kNoWave = {kAnyRow, 1, 0};

constexpr bool waves_in(const WaveRooms &w, int column, int row) {
    return (w.row == kAnyRow || w.row == row) && column >= w.first_column &&
           column <= w.last_column;
}

// The drawn extras a map id turns on.
enum MapEffect : uint16_t {
    kNoEffects = 0,
    kHeroLight = 1 << 0,     // a flickering glow round the hero
    kSparks = 1 << 1,        // two trails of sparks beside him
    kDrifters = 1 << 2,      // translucent shapes drifting over everything
    kRain = 1 << 3,          // rain with wind and lightning in the upper rows, two loops
    kTorches = 1 << 4,       // torch front cells flicker through their four frames
    kSmallWobble = 1 << 5,   // a gentle wave table at every room entry
};

// What one map id turns on. Ids not in the table look like map id 0.
struct MapLook {
    int32_t map_id;
    BackCellRule back;
    FrontCellRule front;
    int16_t front_threshold;    // for FrontCellRule::Threshold
    bool platforms_over_front;  // platforms drawn after the front cells
    BackdropRule backdrop;
    WaveRooms wave;
    uint16_t effects;           // MapEffect bits
};

constexpr int16_t kTranslucentFrom = 216;
constexpr int16_t kMistTranslucentFrom = 232;
constexpr int16_t kOverlayFrontFrom = 235;
constexpr int kBackOverlayOffset = 6; // a translucent back cell's solid overlay lies 6 on

constexpr auto kMasked = BackCellRule::Masked;
constexpr auto kSeeThroughBack = BackCellRule::TranslucentHigh;
constexpr auto kSolidFront = FrontCellRule::Masked;
constexpr auto kThresholdFront = FrontCellRule::Threshold;
constexpr auto kOverlayFront = FrontCellRule::OverlayHigh;

constexpr MapLook kPlainLook = {0, kMasked, kSolidFront, 0, false,
                                BackdropRule::Plain, kNoWave, kNoEffects};

constexpr MapLook kMapLooks[] = {
    kPlainLook,
    {1, kMasked, kThresholdFront, kMistTranslucentFrom, false, BackdropRule::Plain, kNoWave,
     kHeroLight},
    {2, kSeeThroughBack, kThresholdFront, kTranslucentFrom, false, BackdropRule::Plain, kNoWave,
     kNoEffects},
    {3, kMasked, kSolidFront, 0, false, BackdropRule::Plain, kNoWave, kHeroLight},
    {4, kSeeThroughBack, kThresholdFront, kTranslucentFrom, false, BackdropRule::Plain,
     WaveRooms{3, 2, kWorldColumns - 1}, kSparks},
    {5, kMasked, kSolidFront, 0, false, BackdropRule::Plain,
     WaveRooms{kAnyRow, kWorldColumns - 1, kWorldColumns - 1}, kNoEffects},
    {6, kMasked, kOverlayFront, kOverlayFrontFrom, true, BackdropRule::Plain, kNoWave,
     kDrifters},
    {9, kSeeThroughBack, kThresholdFront, kTranslucentFrom, false, BackdropRule::Scroll, kNoWave,
     kTorches},
    {22, kSeeThroughBack, kThresholdFront, kTranslucentFrom, false, BackdropRule::Plain, kNoWave,
     kRain},
    {98, kSeeThroughBack, kThresholdFront, kTranslucentFrom, false, BackdropRule::TrailStill,
     kNoWave, kNoEffects},
    {99, kSeeThroughBack, kThresholdFront, kTranslucentFrom, false, BackdropRule::Trail, kNoWave,
     kSmallWobble},
};
// Map ids past 99 keep the dream screens' see-through cells over a plain backdrop.
constexpr MapLook kDreamCellsLook = {100, kSeeThroughBack, kThresholdFront, kTranslucentFrom,
                                     false, BackdropRule::Plain, kNoWave, kNoEffects};

constexpr MapLook map_look(int32_t map_id) {
    for (const MapLook &look : kMapLooks)
        if (look.map_id == map_id) return look;
    if (map_id >= kDreamCellsLook.map_id) {
        MapLook look = kDreamCellsLook;
        look.map_id = map_id;
        return look;
    }
    return kPlainLook;
}

constexpr bool has_effect(const MapLook &look, MapEffect e) { return (look.effects & e) != 0; }
