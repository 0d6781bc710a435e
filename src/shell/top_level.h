// The top-level loop: the main menu, and the game's fixed sequence of levels when
// the menu asks for play.
#pragma once

#include "level/rules.h"

#include <cstdint>

// The levels of the game, played one after the other.
constexpr const char *kGameLevels[] = {"cueva.map", "vusk.map"};

// How a level is played: play_level in the game, something scripted in tests.
typedef LevelResult (*PlayLevelFn)(const char *map_name);
typedef int32_t (*MainMenuFn)();

// Runs the menu until the player leaves it or completes every level of the
// sequence. Only the menu result 9 starts play; the next level follows only a
// completed one, and anything else goes back to the menu.
void run_top_level(MainMenuFn menu, PlayLevelFn play);
// Without the variable of level/level_replays.h every level is played from the
// keyboard; with it, each level of the sequence takes the next replay of its list,
// and a replay that is refused ends the game with kExitReplayRefused.
void run_top_level();

constexpr int kExitReplayRefused = 3;
