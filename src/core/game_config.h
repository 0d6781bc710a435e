// The player's persistent choices: one process-wide record, which is also the exact
// 28-byte image of the settings file. Start-up fills it; the set-up menu changes it;
// everything else reads it when it starts.
#pragma once

#include <cstdint>

enum RenderMode : int32_t {
    kRenderOwnSize = 0,   // kept while the screen is 320 x 200: the view is shown unscaled
    kRenderScanLines = 1, // doubled, every second row darkened
    kRenderDoubled = 2,   // doubled plainly
};

enum Language : int32_t {
    kSpanish = 0,
    kEnglish = 1,
    kFrench = 2,
    kItalian = 3,
    kGerman = 4,
    kLanguageCount = 5,
};

struct GameConfig {
    int32_t low_resolution; // 0: 640 x 480, 1: 320 x 200
    int32_t render_mode;    // RenderMode
    int16_t sound_available;
    uint8_t sound_slot_rest[2]; // rest of the sound slot: kept as read, 0 when created
    int32_t music_volume;   // 0..255
    int32_t effects_volume; // 0..255
    int32_t language;       // Language
    int32_t windowed;       // 1: in a window
};

extern GameConfig game_config;
