// Keys read from a replay: what a screen reading the keyboard sees when the keys come
// from recorded frames instead, so menus and levels play the same from either.
#include "core/platform.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <set>

namespace {

class ReplayKeys : public testing::Test {
protected:
    void TearDown() override { input_use_keyboard(); }
};

TEST_F(ReplayKeys, ReadkeyGivesEveryKeyOfTheFrameOnceThenNothing) {
    const KeyRecord all = (KeyRecord{1} << kKeyCount) - 1;
    input_begin_replay(&all, 1);
    std::set<int> seen;
    for (int i = 0; i < kKeyCount; ++i) {
        ASSERT_TRUE(input_keypressed()) << "after " << i << " keys";
        const int code = input_readkey();
        EXPECT_NE(code, 0);
        EXPECT_TRUE(seen.insert(code).second) << "key " << code << " read twice";
    }
    EXPECT_FALSE(input_keypressed());
    EXPECT_EQ(input_readkey(), 0);
    // Every key is still down: reading a key press does not release it.
    EXPECT_EQ(input_key_record(), all);
}

TEST_F(ReplayKeys, ReadkeyCodesAreTheLibrarysScancodeAndCharacter) {
    const struct {
        Key key;
        int code;
    } cases[] = {
        {Key::A, KEY_A << 8 | 'a'},          {Key::Z, KEY_Z << 8 | 'z'},
        {Key::Esc, KEY_ESC << 8 | 27},       {Key::Enter, KEY_ENTER << 8 | 13},
        {Key::Backspace, KEY_BACKSPACE << 8 | 8}, {Key::Space, KEY_SPACE << 8 | ' '},
        // Keys without a character give 0 beside their scancode.
        {Key::Left, KEY_LEFT << 8},          {Key::Right, KEY_RIGHT << 8},
        {Key::Up, KEY_UP << 8},              {Key::Down, KEY_DOWN << 8},
    };
    for (const auto &c : cases) {
        const KeyRecord frame = key_bit(c.key);
        input_begin_replay(&frame, 1);
        EXPECT_EQ(input_readkey(), c.code) << static_cast<int>(c.key);
        EXPECT_TRUE(input_key_down(c.key));
    }
}

TEST_F(ReplayKeys, ClearingTheBufferTakesTheFrameUntilTheNext) {
    const KeyRecord frames[] = {key_bit(Key::A) | key_bit(Key::Up), key_bit(Key::A)};
    input_begin_replay(frames, 2);
    input_clear_keybuf();
    EXPECT_FALSE(input_keypressed());
    EXPECT_TRUE(input_key_down(Key::Up)) << "the keys stay down";
    input_next_frame();
    EXPECT_TRUE(input_keypressed());
    EXPECT_EQ(input_readkey() >> 8, KEY_A);
    input_next_frame();
    EXPECT_TRUE(input_replay_finished());
    EXPECT_EQ(input_key_record(), KeyRecord{0}) << "past the last frame every key is up";
}

// After the screen mode changes, the keys held to ask for it are forgotten: every
// key the game reads is up until it is pressed again.
TEST_F(ReplayKeys, ForgettingHeldKeysReleasesEveryKeyTheGameReads) {
    input_use_keyboard();
    for (int scancode = 1; scancode < KEY_MAX; ++scancode) key[scancode] = 1;
    ASSERT_EQ(input_key_record(), (KeyRecord{1} << kKeyCount) - 1);
    input_forget_held_keys();
    EXPECT_EQ(input_key_record(), KeyRecord{0});
    for (int k = 0; k < kKeyCount; ++k) EXPECT_FALSE(input_key_down(static_cast<Key>(k))) << k;
    for (int scancode = 1; scancode < KEY_MAX; ++scancode) key[scancode] = 0;
}

} // namespace
