// The replay tool's work, apart from its command line: checking a replay against its
// map, playing it headless with traces and screen shots, and recording a new one.
#pragma once

#include "core/platform.h"
#include "level/play.h"
#include "level/rules.h"

#include <cstdio>
#include <string>
#include <vector>

namespace replay_tool {

struct PlayOptions {
    std::string replay_path;
    std::string game_dir = ".";
    std::string trace_path;  // empty: no trace
    std::string shots_dir;   // empty: no shots
    int shots_every = 1;
    int shot_at = 0;         // not 0: the one frame to shoot (tests: a differing screen)
    std::string golden_path; // empty: no golden trace (tests/replays/README.md)
    bool pad = false;        // the keys held on a scripted gamepad instead
};

struct RecordOptions {
    std::string out_path;
    std::string map_name;
    std::string game_dir = ".";
};

// Exit statuses.
constexpr int kExitRan = 0;
constexpr int kExitFailed = 1;   // the run itself could not be made (no window, ...)
constexpr int kExitRefused = 2;  // a bad command line, replay or map

// Plays a replay headless and prints "result R frames F switches S energy E" to `out`
// as its last line; messages go to `err`.
int play_replay(const PlayOptions &options, FILE *out, FILE *err);

// Opens a window, plays `map_name` with the keyboard at the real pace, and writes the
// replay of what was played.
int record_replay(const RecordOptions &options, FILE *out, FILE *err);

// One trace line: frame, room column and row, x, y, walk phase, falling, jumping,
// jump step, jump kind, facing, energy, switches.
std::string trace_line(int frame, const PlayState &state);

// A golden trace line: the trace line, a hash of every moving object, the frame's
// events (a letter each, "-" for none) and, every kGoldenScreenEvery frames, a hash of
// the screen's colours ("-" between).
constexpr int kGoldenScreenEvery = 25;
std::string golden_line(int frame, const PlayState &state, const FrameEvents &events,
                        BITMAP *screen_bitmap);

// 32-bit FNV-1a, fed byte by byte; the golden hashes.
struct Fnv {
    uint32_t h = 2166136261u;
    void byte(uint32_t b) { h = (h ^ (b & 0xFF)) * 16777619u; }
    void word(int v) { byte(static_cast<uint32_t>(v)); byte(static_cast<uint32_t>(v) >> 8); }
};
uint32_t objects_hash(const PlayState &state);
uint32_t screen_hash(BITMAP *bmp); // of the colours, whatever the depth

} // namespace replay_tool
