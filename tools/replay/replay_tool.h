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

// The last line of a run: "result R frames F switches S energy E", R being the level's
// result code or "unfinished".
std::string outcome_line(const LevelOutcome &outcome);

// One trace line: frame, room column and row, x, y, walk phase, falling, jumping,
// jump step, jump kind, facing, energy, switches.
std::string trace_line(int frame, const PlayState &state);

} // namespace replay_tool
