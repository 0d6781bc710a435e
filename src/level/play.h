// Playing one map from start to finish: set-up, the level-intro panel, the room loop
// and its frames, clean-up. Returns a LevelResult (level/rules.h).
#pragma once

#include "core/platform.h"
#include "level/rules.h"

#include <cstdint>

// Watches a level run from outside: the replay tool records and traces through this.
struct LevelObserver {
    void *context = nullptr;
    // Every key record the level consumed, in order: each poll of the intro panel,
    // then one per frame from the second frame on (the record that closed the panel
    // is also the first frame's keys, so it is passed once).
    void (*keys_used)(void *context, KeyRecord keys) = nullptr;
    // After each frame's rules and presentation; `frame` counts from 1, `events` are
    // what the frame's rules reported.
    void (*frame_done)(void *context, int frame, const PlayState &state,
                       const FrameEvents &events) = nullptr;
};

LevelResult play_level(const char *map_name);
LevelResult play_level_observed(const char *map_name, const LevelObserver *observer,
                        LevelOutcome *outcome);
