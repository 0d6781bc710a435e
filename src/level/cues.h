// The level's sound cues: the one step of the frame that turns the rules' events
// into samples. Everything else in level play stays silent.
#pragma once

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
