// Events to samples, and the weather's loops and thunder.
#include "level/cues.h"

#include "core/game_config.h"
#include "core/platform.h"

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
            start_sample(s, game_config.effects_volume, calls[i].pan, kNormalPitch, false);
    }
}

RainLoop rain_loop_change(int room_row, RainLoop playing) {
    const RainLoop band = room_row < kRainRows ? RainLoop::Upper : RainLoop::Bottom;
    return band == playing ? RainLoop::None : band;
}

void switch_rain_loop(int room_row, RainLoop &playing, const WeatherSamples &samples) {
    const RainLoop next = rain_loop_change(room_row, playing);
    if (next == RainLoop::None) return;
    playing = next;
    if (!game_config.sound_available) return;
    SAMPLE *upper = samples.sample[kRainUpper], *bottom = samples.sample[kRainBottom];
    SAMPLE *stop = next == RainLoop::Upper ? bottom : upper;
    SAMPLE *start = next == RainLoop::Upper ? upper : bottom;
    if (stop) stop_sample(stop);
    if (start) start_sample(start, kRainVolume, kRainPan, kNormalPitch, true);
}

void play_thunder(ThunderCue &thunder, const WeatherSamples &samples) {
    if (!thunder.due) return;
    thunder.due = false;
    // A missing thunder sample leaves a silent flash.
    if (!game_config.sound_available || !samples.sample[kThunder]) return;
    start_sample(samples.sample[kThunder], kThunderVolume, clamp_pan(thunder.pan),
                 thunder.frequency, false);
}

void stop_weather(const WeatherSamples &samples) {
    if (!game_config.sound_available) return;
    for (SAMPLE *s : samples.sample)
        if (s) stop_sample(s);
}
