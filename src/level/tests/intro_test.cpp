// The level-intro panel on a memory screen at both resolutions: where its four boxes,
// the words and the two icons land, which key records close it, and that at 320 x 200
// the screen under it comes back whole.
#include "core/game_config.h"
#include "level/intro.h"
#include "level/play.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kDepth = 32;

// Every cell one flat colour: blue says which set, red which cell.
struct FlatCells {
    CellSet cells{};
    explicit FlatCells(int set) {
        for (int i = 0; i < kCellCount; ++i) {
            cells[i] = create_bitmap_ex(kDepth, kCellSize, kCellSize);
            clear_to_color(cells[i], makecol_depth(kDepth, i, 40, set));
        }
    }
    ~FlatCells() {
        for (BITMAP *b : cells) destroy_bitmap(b);
    }
    int colour(int cell) const { return getpixel(cells[cell], 0, 0); }
};

class IntroPanelTest : public testing::Test {
protected:
    void SetUp() override {
        saved = game_config;
        game_config = GameConfig{};
        set_color_depth(kDepth);
        set_trans_blender(0, 0, 0, 64);
        for (int y = 0; y < 480; ++y) // a pattern, so a shifted copy shows
            for (int x = 0; x < 640; ++x)
                putpixel(screen_bitmap, x, y, makecol(x & 255, y & 255, 100));
        platform.screen_override = screen_bitmap;
        platform.pacing = Pacing::Immediate;
    }
    void TearDown() override {
        input_use_keyboard();
        platform.screen_override = nullptr;
        platform.pacing = Pacing::Real;
        destroy_bitmap(screen_bitmap);
        destroy_bitmap(screen_copy);
        destroy_bitmap(while_shown);
        game_config = saved;
    }
    bool show(const std::vector<KeyRecord> &keys, KeyRecord &closing) {
        records = keys;
        input_begin_replay(records.data(), static_cast<int>(records.size()));
        // At each poll, what the screen shows then.
        LevelObserver watch;
        watch.context = this;
        watch.keys_used = [](void *self, KeyRecord) {
            auto *t = static_cast<IntroPanelTest *>(self);
            blit(t->screen_bitmap, t->while_shown, 0, 0, 0, 0, 640, 480);
        };
        return show_level_intro_panel("AB", menu.cells, sprites.cells, screen_copy, &watch,
                                      closing);
    }
    int at(int x, int y) { return getpixel(while_shown, x, y); }

    GameConfig saved{};
    BITMAP *screen_bitmap = create_bitmap_ex(kDepth, 640, 480);
    BITMAP *screen_copy = create_bitmap_ex(kDepth, 640, 480);
    BITMAP *while_shown = create_bitmap_ex(kDepth, 640, 480);
    FlatCells menu{1}, sprites{2};
    std::vector<KeyRecord> records;
};

const int kWhite = makecol_depth(kDepth, 255, 255, 255);
const int kGrey = makecol_depth(kDepth, 128, 128, 128);

TEST_F(IntroPanelTest, HighResolutionLayout) {
    game_config.language = kGerman;
    KeyRecord closing = 0;
    ASSERT_TRUE(show({0, key_bit(Key::Space)}, closing));
    EXPECT_EQ(closing, key_bit(Key::Space));
    EXPECT_EQ(at(162, 200), kWhite); // middle ring of the bright title box, left side
    EXPECT_EQ(at(477, 200), kWhite); // and right side
    EXPECT_EQ(at(300, 186), kWhite); // its top
    EXPECT_EQ(at(300, 218), kWhite); // the list box under it
    EXPECT_EQ(at(300, 293), kWhite);
    EXPECT_EQ(at(429, 240), kGrey);  // the dim icon boxes
    EXPECT_EQ(at(450, 272), kGrey);
    EXPECT_EQ(at(159, 200), makecol(159, 200, 100)); // nothing left of the boxes
    // The title "AB" centred on 320 at row 192, the labels, the icons.
    EXPECT_EQ(at(304, 192), menu.colour('A' - 'A' + 194));
    EXPECT_EQ(at(335, 207), menu.colour('B' - 'A' + 194));
    EXPECT_EQ(at(192, 232), menu.colour('S' - 'O' + 209)); // "SCHALTERE"
    EXPECT_EQ(at(192, 264), menu.colour('E' - 'A' + 194)); // "ENERGIE"
    EXPECT_EQ(at(192 + 16 * 8, 232), menu.colour('E' - 'A' + 194));
    EXPECT_EQ(at(432, 232), sprites.colour(192));
    EXPECT_EQ(at(447, 247), sprites.colour(192));
    EXPECT_EQ(at(432, 264), sprites.colour(193));
}

TEST_F(IntroPanelTest, LowResolutionLayoutAndTheScreenComesBack) {
    game_config.low_resolution = 1;
    game_config.language = kSpanish;
    BITMAP *before = create_bitmap_ex(kDepth, 640, 480);
    blit(screen_bitmap, before, 0, 0, 0, 0, 640, 480);
    KeyRecord closing = 0;
    ASSERT_TRUE(show({0, key_bit(Key::Right)}, closing));
    EXPECT_EQ(at(2, 60), kWhite);
    EXPECT_EQ(at(317, 100), kWhite);
    EXPECT_EQ(at(269, 100), kGrey);
    EXPECT_EQ(at(272, 92), sprites.colour(192));
    EXPECT_EQ(at(272, 124), sprites.colour(193));
    EXPECT_EQ(at(32, 92), menu.colour('P' - 'O' + 209));  // "PALANCAS"
    EXPECT_EQ(at(32, 124), menu.colour('E' - 'A' + 194)); // "ENERGIAS"
    EXPECT_EQ(at(304, 52), menu.colour('A' - 'A' + 194)); // the title at row 52

    // Once closed, the screen under the panel is back as it was.
    int differing = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x)
            differing += getpixel(before, x, y) != getpixel(screen_bitmap, x, y);
    EXPECT_EQ(differing, 0);
    destroy_bitmap(before);
}

TEST_F(IntroPanelTest, OnlyThePlayKeysCloseIt) {
    const Key closing_keys[] = {Key::Enter, Key::LeftControl, Key::Space, Key::Up,
                                Key::Down,  Key::Left,        Key::Right};
    for (Key k : closing_keys) {
        KeyRecord closing = 0;
        EXPECT_TRUE(show({key_bit(k) | key_bit(Key::Esc)}, closing));
        EXPECT_EQ(closing, key_bit(k) | key_bit(Key::Esc));
    }
    const Key others[] = {Key::Esc, Key::A, Key::Q, Key::O, Key::P, Key::D, Key::Alt,
                          Key::LeftShift, Key::RightShift};
    for (Key k : others) {
        KeyRecord closing = 0;
        EXPECT_FALSE(show({key_bit(k)}, closing)) << static_cast<int>(k);
    }
}

TEST_F(IntroPanelTest, ALanguageOutsideTheTableDrawsNoLabels) {
    game_config.language = 7;
    KeyRecord closing = 0;
    ASSERT_TRUE(show({key_bit(Key::Enter)}, closing));
    EXPECT_NE(at(192, 232), menu.colour('S' - 'O' + 209));
    EXPECT_NE(at(192, 232), menu.colour('P' - 'O' + 209));
    EXPECT_EQ(at(432, 232), sprites.colour(192));
}

} // namespace
