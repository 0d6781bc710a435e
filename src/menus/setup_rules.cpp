// The set-up menu's rules.
#include "menus/setup_rules.h"

int setup_row_after(int row, int direction, bool low_resolution) {
    int next = (row + direction + kSetupRows) % kSetupRows;
    if (low_resolution && next == kRowRender) next = direction < 0 ? kRowResolution : kRowLanguage;
    return next;
}

int32_t step_volume(int32_t volume, int direction) {
    const int32_t v = volume + direction * kVolumeStep;
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

int32_t step_language(int32_t language, int direction) {
    if (language < 0 || language >= kLanguageCount) language = kSpanish;
    return (language + direction + kLanguageCount) % kLanguageCount;
}

SetupChange setup_left_right(int row, int direction, GameConfig &cfg) {
    SetupChange c;
    switch (row) {
    case kRowResolution:
        // Left asks for 640 x 480, Right for 320 x 200, each only when it is not
        // already the one shown.
        c.switch_resolution = direction < 0 ? cfg.low_resolution != 0 : cfg.low_resolution == 0;
        break;
    case kRowRender:
        if (direction < 0 && cfg.render_mode == kRenderDoubled) {
            cfg.render_mode = kRenderScanLines;
            c.changed = true;
        } else if (direction > 0 && cfg.render_mode == kRenderScanLines) {
            cfg.render_mode = kRenderDoubled;
            c.changed = true;
        }
        break;
    case kRowLanguage:
        cfg.language = step_language(cfg.language, direction);
        c.changed = c.relabel = true;
        break;
    case kRowEffects:
        // Pressing at a limit still counts as a change: the file is written.
        cfg.effects_volume = step_volume(cfg.effects_volume, direction);
        c.changed = true;
        break;
    case kRowMusic:
        cfg.music_volume = step_volume(cfg.music_volume, direction);
        c.changed = c.music_volume = true;
        break;
    default:
        break;
    }
    return c;
}
