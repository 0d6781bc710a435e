// Keys read from a replay: what a screen reading the keyboard sees when the keys come
// from recorded frames instead, so menus and levels play the same from either.
#include "core/platform.h"

#include <allegro.h>
#include <gtest/gtest.h>

namespace {

class ReplayKeys : public testing::Test {
protected:
    void TearDown() override { input_use_keyboard(); }
};

// The keys of one frame are read one each, in the order of the game's keys, as the
// library's scancode and character, then nothing; reading a key does not release it.
TEST_F(ReplayKeys, ReadkeyGivesEachKeyOfTheFrameOnceAsTheLibraryDoes) {
    const struct {
        Key key;
        int code;
    } cases[] = {
        {Key::A, KEY_A << 8 | 'a'},   {Key::Z, KEY_Z << 8 | 'z'},
        // Keys without a character give 0 beside their scancode.
        {Key::Left, KEY_LEFT << 8},   {Key::Right, KEY_RIGHT << 8},
        {Key::Up, KEY_UP << 8},       {Key::Down, KEY_DOWN << 8},
        {Key::Esc, KEY_ESC << 8 | 27}, {Key::Enter, KEY_ENTER << 8 | 13},
        {Key::Space, KEY_SPACE << 8 | ' '}, {Key::Backspace, KEY_BACKSPACE << 8 | 8},
    };
    KeyRecord frame = 0;
    for (const auto &c : cases) frame |= key_bit(c.key);
    input_begin_replay(&frame, 1);
    for (const auto &c : cases) {
        ASSERT_TRUE(input_keypressed());
        EXPECT_EQ(input_readkey(), c.code) << static_cast<int>(c.key);
    }
    EXPECT_FALSE(input_keypressed());
    EXPECT_EQ(input_readkey(), 0);
    EXPECT_EQ(input_key_record(), frame);
}

// After the screen mode changes, the keys held to ask for it are forgotten: every
// key the game reads is up until it is pressed again.
TEST_F(ReplayKeys, ForgettingHeldKeysReleasesEveryKeyTheGameReads) {
    input_use_keyboard();
    for (int scancode = 1; scancode < KEY_MAX; ++scancode) key[scancode] = 1;
    ASSERT_EQ(input_key_record(), (KeyRecord{1} << kKeyCount) - 1);
    input_forget_held_keys();
    EXPECT_EQ(input_key_record(), KeyRecord{0});
    for (int scancode = 1; scancode < KEY_MAX; ++scancode) key[scancode] = 0;
}

} // namespace
