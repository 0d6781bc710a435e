// The process-wide settings record, zero-filled until start-up reads or creates it.
#include "core/game_config.h"

GameConfig game_config = {};
