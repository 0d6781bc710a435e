// The top-level loop between the main menu and the levels.
#include "shell/top_level.h"

#include "level/level_replays.h"
#include "level/play.h"
#include "level/rules.h"
#include "menus/main_menu.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// Plays the sequence from its first level; true when every level was completed.
static bool play_the_game(PlayLevelFn play) {
    for (const char *level : kGameLevels)
        if (play(level) != LevelResult::Completed) return false;
    return true;
}

void run_top_level(MainMenuFn menu, PlayLevelFn play) {
    for (;;) {
        const int32_t result = menu();
        if (result == kMenuLeave) return;
        if (result == kMenuPlayGame && play_the_game(play)) return;
    }
}

// The replays of the whole-road test, taken one a level (level/level_replays.h).
static ReplayList road_replays;

// A refused replay ends the game at once, with a status of its own: the test that set
// the variable learns it from the status and the message, not from a level waiting
// for keys that never come.
static LevelResult play_level_from_road_replays(const char *map_name) {
    std::string path, error;
    if (!next_replay_path(road_replays, path)) {
        fprintf(stderr, "vespertil: %s: no replay left in %s, played from the keyboard\n",
                map_name, kLevelReplaysVariable);
        return play_level(map_name);
    }
    ReplayScript script;
    if (!load_level_replay(path, map_name, script, error)) {
        fprintf(stderr, "vespertil: %s: replay refused: %s\n", kLevelReplaysVariable,
                error.c_str());
        exit(kExitReplayRefused);
    }
    return play_level_replayed(script);
}

void run_top_level() {
    const char *replays = getenv(kLevelReplaysVariable);
    if (!replays || !*replays) {
        run_top_level(main_menu, play_level);
        return;
    }
    road_replays = replay_list(replays);
    run_top_level(main_menu, play_level_from_road_replays);
}
