// The cue step without a sound card: which sample each event starts, stops or
// restarts, in the order the rules reported them, panned where the hero was.
#include "level/cues.h"

#include <gtest/gtest.h>

namespace {

TEST(LevelCues, EventsBecomeSoundCallsInOrder) {
    FrameEvents ev;
    add_event(ev, LevelEvent::HeldUp, 20);
    add_event(ev, LevelEvent::Landed, 20);
    add_event(ev, LevelEvent::JumpStarted, 21);
    add_event(ev, LevelEvent::EnemyContact, 30);
    add_event(ev, LevelEvent::EnemyContact, 30);
    add_event(ev, LevelEvent::HarmfulCell, 30);
    add_event(ev, LevelEvent::SwitchThrown, 300); // pans stay within 0..255
    add_event(ev, LevelEvent::RefillTaken, -4);
    add_event(ev, LevelEvent::FallCueDue, 99);
    CueCall calls[kMaxFrameEvents];
    ASSERT_EQ(plan_level_cues(ev, calls), 9);
    struct Want {
        LevelCue cue;
        CueAction action;
        int pan;
    } want[] = {
        {kCueFalling, CueAction::Stop, 20},    {kCueLanding, CueAction::Start, 20},
        {kCueJump, CueAction::Start, 21},      {kCueEnemy, CueAction::Restart, 30},
        {kCueEnemy, CueAction::Restart, 30},   {kCueEnemy, CueAction::Start, 30},
        {kCueSwitch, CueAction::Start, 255},   {kCueRefill, CueAction::Start, 0},
        {kCueFalling, CueAction::Start, 99},
    };
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(calls[i].cue, want[i].cue) << i;
        EXPECT_EQ(calls[i].action, want[i].action) << i;
        EXPECT_EQ(calls[i].pan, want[i].pan) << i;
    }
}

} // namespace
