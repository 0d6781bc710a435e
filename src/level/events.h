// What happened in one frame of play, as the rules report it. The rules never play a
// sound: they add an event, and one step of the frame (cues.cpp) turns the events
// into samples. Unit tests and replays read the events instead.
#pragma once

#include <cstdint>

enum class LevelEvent : uint8_t {
    JumpStarted,   // a jump key started a jump
    FallCueDue,    // sixth frame of a fall: the falling cue starts (once a fall)
    HeldUp,        // the hero is held up this frame: the falling cue stops
    Landed,        // held up again after a fall whose falling cue started
    EnemyContact,  // an enemy touches the hero: the enemy cue restarts
    HarmfulCell,   // the hero is on a harmful cell: the enemy cue starts once more
    SwitchThrown,
    RefillTaken,
};

struct EventRecord {
    LevelEvent kind;
    int16_t pan; // the hero's pixel x + 8 when it happened
};

// Enough for every event of the busiest frame: four of the hero's, 25 contacts, 25
// switches, 25 refills and a harmful cell.
constexpr int kMaxFrameEvents = 96;

struct FrameEvents {
    int count = 0;
    EventRecord list[kMaxFrameEvents];
    bool energy_changed = false; // the energy bar must be drawn again
};

inline void add_event(FrameEvents &ev, LevelEvent kind, int pan) {
    if (ev.count < kMaxFrameEvents) ev.list[ev.count++] = EventRecord{kind, static_cast<int16_t>(pan)};
}

inline int count_events(const FrameEvents &ev, LevelEvent kind) {
    int n = 0;
    for (int i = 0; i < ev.count; ++i) n += ev.list[i].kind == kind;
    return n;
}
