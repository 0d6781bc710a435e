// Levels played from replay files named in an environment variable, for the
// whole-road test alone: it drives the real binary from the menu through every level
// of the game to the end pictures, and no keyboard could play both levels the same
// way each time, nor in seconds. The variable leaves the game's command line as
// players know it; without it nothing here is used.
#pragma once

#include "level/play.h"
#include "level/replay_file.h"

#include <string>

// "/abs/cueva_complete.replay:/abs/vusk_complete.replay": one replay a level, in the
// order the levels are played.
constexpr const char *kLevelReplaysVariable = "VESPERTIL_LEVEL_REPLAYS";

// The paths of the list not yet taken: the variable's own text, never copied.
struct ReplayList {
    const char *rest = nullptr; // null once every path has been taken
};

// A list over `text`; null or empty text is a list of no paths.
ReplayList replay_list(const char *text);

// Takes the next path of the list into `path`; false when none is left. An empty
// path (two ':' in a row) is a path like any other, which no file has.
bool next_replay_path(ReplayList &list, std::string &path);

// Reads the replay at `path` for a run of `map_name` (a file in MAP/). Refused, false
// with `error` saying why, when the file is not a replay, when it names another map,
// or when the map file is missing or no longer the one it was recorded on.
bool load_level_replay(const std::string &path, const char *map_name, ReplayScript &out,
                       std::string &error);

// Plays the map of `script` with its keys and without pacing (the replay tool's runs
// and the whole-road test's alike); the keyboard and the pace from before come back
// when the level ends. Observer and outcome as play_level_observed, both optional.
LevelResult play_level_replayed(const ReplayScript &script, const LevelObserver *observer = nullptr,
                        LevelOutcome *outcome = nullptr);
