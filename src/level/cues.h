// The level's sound cues: the one step of the frame that turns the rules' events
// into samples, and the rainy map's two rain loops and its thunder.
#pragma once

#include "level/effects.h"
#include "level/events.h"

struct SAMPLE;

enum LevelCue : int {
    kCueRefill,
    kCueJump,
    kCueSwitch,
    kCueFalling,
    kCueEnemy,
    kCueLanding,
    kLevelCueCount,
};

// The six cue samples of a level run, in LevelCue order (any may be missing).
struct LevelCueSamples {
    SAMPLE *sample[kLevelCueCount];
};

constexpr const char *kLevelCueFiles[kLevelCueCount] = {
    "sfx/energia.wav", "sfx/salto.wav", "sfx/palanca.wav",
    "sfx/caer.wav",    "sfx/enemigo.wav", "sfx/suelo.wav",
};

// What an event does to which cue.
enum class CueAction : uint8_t { Start, Stop, Restart };
struct CueRule {
    LevelCue cue;
    CueAction action;
};
// Indexed by LevelEvent.
constexpr CueRule kEventCues[] = {
    {kCueJump, CueAction::Start},      // JumpStarted
    {kCueFalling, CueAction::Start},   // FallCueDue
    {kCueFalling, CueAction::Stop},    // HeldUp
    {kCueLanding, CueAction::Start},   // Landed
    {kCueEnemy, CueAction::Restart},   // EnemyContact
    {kCueEnemy, CueAction::Start},     // HarmfulCell
    {kCueSwitch, CueAction::Start},    // SwitchThrown
    {kCueRefill, CueAction::Start},    // RefillTaken
};
static_assert(sizeof kEventCues / sizeof kEventCues[0] ==
                  static_cast<int>(LevelEvent::RefillTaken) + 1,
              "one cue rule for every event");

// One sound call an event asks for.
struct CueCall {
    LevelCue cue;
    CueAction action;
    int pan; // 0..255, where the hero was
};

// The sound calls of one frame's events, in order; returns how many.
int plan_level_cues(const FrameEvents &ev, CueCall (&calls)[kMaxFrameEvents]);

// Makes those calls at the effects volume. Does nothing when sound is not available.
void play_level_cues(const FrameEvents &ev, const LevelCueSamples &samples);

// ---- The rainy map's weather ---------------------------------------------------------

enum WeatherSample : int { kRainUpper, kRainBottom, kThunder, kWeatherSampleCount };
struct WeatherSamples {
    SAMPLE *sample[kWeatherSampleCount]; // any may be missing
};
constexpr const char *kWeatherFiles[kWeatherSampleCount] = {
    "sfx/lluvia1.wav", "sfx/lluvia2.wav", "sfx/trueno.wav",
};
constexpr int kRainVolume = 255, kRainPan = 255;
constexpr int kThunderVolume = 255;

// One rain loop plays in the upper rows of the world and the other in the bottom row.
// Returns the loop that must play in `room_row` when it is not `playing` already, and
// RainLoop::None when nothing changes.
RainLoop rain_loop_change(int room_row, RainLoop playing);
// Top of each pass of the room loop on a rainy map: when the band changes, the old
// loop stops and the new one starts looped; `playing` follows.
void switch_rain_loop(int room_row, RainLoop &playing, const WeatherSamples &samples);
// Plays the thunder the renderer asked for, if any, and clears the request.
void play_thunder(ThunderCue &thunder, const WeatherSamples &samples);
// Stops all three (the end of the level run).
void stop_weather(const WeatherSamples &samples);
