// The top-level loop between the main menu and the levels.
#include "shell/top_level.h"

#include "level/play.h"
#include "level/rules.h"
#include "menus/main_menu.h"

// Plays the sequence from its first level; true when every level was completed.
static bool play_the_game(PlayLevelFn play) {
    for (const char *level : kGameLevels)
        if (play(level) != kLevelCompleted) return false;
    return true;
}

void run_top_level(MainMenuFn menu, PlayLevelFn play) {
    for (;;) {
        const int32_t result = menu();
        if (result == kMenuLeave) return;
        if (result == kMenuPlayGame && play_the_game(play)) return;
    }
}

void run_top_level() { run_top_level(main_menu, play_level); }
