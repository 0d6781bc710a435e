// The cue step without a sound card: which sample each event starts, stops or
// restarts, in the order the rules reported them, panned where the hero was.
#include "level/cues.h"

#include <gtest/gtest.h>

namespace {

TEST(LevelCues, EventsBecomeSoundCallsInOrder) {
    const struct {
        LevelEvent event;
        int pan;
        LevelCue cue;
        CueAction action;
        int cue_pan;
    } rows[] = {
        {LevelEvent::HeldUp, 20, kCueFalling, CueAction::Stop, 20},
        {LevelEvent::Landed, 20, kCueLanding, CueAction::Start, 20},
        {LevelEvent::JumpStarted, 21, kCueJump, CueAction::Start, 21},
        {LevelEvent::EnemyContact, 30, kCueEnemy, CueAction::Restart, 30},
        {LevelEvent::EnemyContact, 30, kCueEnemy, CueAction::Restart, 30},
        {LevelEvent::HarmfulCell, 30, kCueEnemy, CueAction::Start, 30},
        {LevelEvent::SwitchThrown, 300, kCueSwitch, CueAction::Start, 255}, // pans stay within 0..255
        {LevelEvent::RefillTaken, -4, kCueRefill, CueAction::Start, 0},
        {LevelEvent::FallCueDue, 99, kCueFalling, CueAction::Start, 99},
    };
    FrameEvents ev;
    for (const auto &r : rows) add_event(ev, r.event, r.pan);
    CueCall calls[kMaxFrameEvents];
    ASSERT_EQ(plan_level_cues(ev, calls), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(calls[i].cue, rows[i].cue) << i;
        EXPECT_EQ(calls[i].action, rows[i].action) << i;
        EXPECT_EQ(calls[i].pan, rows[i].cue_pan) << i;
    }
}

} // namespace
