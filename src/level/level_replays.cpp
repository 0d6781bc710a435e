// Levels played from a list of replay files: the whole-road test's key source.
#include "level/level_replays.h"

#include <cstring>
#include <utility>

ReplayList replay_list(const char *text) {
    ReplayList list;
    if (text && *text) list.rest = text;
    return list;
}

bool next_replay_path(ReplayList &list, std::string &path) {
    if (!list.rest) return false;
    const char *end = std::strchr(list.rest, ':');
    if (end) {
        path.assign(list.rest, end);
        list.rest = end + 1;
    } else {
        path = list.rest;
        list.rest = nullptr;
    }
    return true;
}

bool load_level_replay(const std::string &path, const char *map_name, ReplayScript &out,
                       std::string &error) {
    ReplayScript script;
    if (!read_replay_file(path.c_str(), script, error)) return false;
    if (script.map_name != map_name) {
        error = path + ": recorded on " + script.map_name + ", not on " + map_name;
        return false;
    }
    char map_path[kMaxDataPath];
    uint8_t digest[kSha256Bytes];
    if (!replay_map_digest(script.map_name, map_path, digest)) {
        error = path + ": the map MAP/" + script.map_name + " is missing";
        return false;
    }
    if (std::memcmp(digest, script.map_sha256, sizeof digest) != 0) {
        error = path + ": recorded on a different " + map_path + " (its SHA-256 differs)";
        return false;
    }
    out = std::move(script);
    return true;
}

LevelResult play_level_replayed(const ReplayScript &script, const LevelObserver *observer,
                        LevelOutcome *outcome) {
    const Pacing pacing = platform.pacing;
    platform.pacing = Pacing::Immediate;
    input_begin_replay(script.frames.data(), static_cast<int>(script.frames.size()));
    const LevelResult result = play_level_observed(script.map_name.c_str(), observer, outcome);
    input_use_keyboard();
    platform.pacing = pacing;
    return result;
}
