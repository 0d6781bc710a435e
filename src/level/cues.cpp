// Events to samples.
#include "level/cues.h"

#include "core/game_config.h"

#include <allegro.h>

namespace {

constexpr int kNormalPitch = 1000;

int clamp_pan(int pan) { return pan < 0 ? 0 : pan > 255 ? 255 : pan; }

} // namespace

int plan_level_cues(const FrameEvents &ev, CueCall (&calls)[kMaxFrameEvents]) {
    int n = 0;
    for (int i = 0; i < ev.count && n < kMaxFrameEvents; ++i) {
        const CueRule rule = kEventCues[static_cast<int>(ev.list[i].kind)];
        calls[n++] = CueCall{rule.cue, rule.action, clamp_pan(ev.list[i].pan)};
    }
    return n;
}

void play_level_cues(const FrameEvents &ev, const LevelCueSamples &samples) {
    if (!game_config.sound_available) return;
    CueCall calls[kMaxFrameEvents];
    int n = plan_level_cues(ev, calls);
    for (int i = 0; i < n; ++i) {
        SAMPLE *s = samples.sample[calls[i].cue];
        if (!s) continue;
        if (calls[i].action != CueAction::Start) stop_sample(s);
        if (calls[i].action != CueAction::Stop)
            play_sample(s, game_config.effects_volume, calls[i].pan, kNormalPitch, 0);
    }
}
