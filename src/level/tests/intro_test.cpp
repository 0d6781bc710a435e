// The level-intro panel on a memory screen at both resolutions as golden screens, the
// key records that close it, and that at 320 x 200 the screen under it comes back whole.
#include "core/game_config.h"
#include "level/intro.h"
#include "level/play.h"

#include "support/golden_screen.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kDepth = 32;
using testing_support::make_bitmap;
using testing_support::screen_hash;

class IntroPanelTest : public testing::Test {
protected:
    void SetUp() override { paint(); }
    void paint() { // a pattern, so a shifted copy shows
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) putpixel(screen, x, y, makecol(x & 255, y & 255, 100));
    }
    bool show(const std::vector<KeyRecord> &keys, KeyRecord &closing, int low = 0) {
        game.replay(keys); // on the 640 x 480 screen at either size
        game_config.low_resolution = low;
        // At each poll, what the screen shows then.
        LevelObserver watch;
        watch.context = this;
        watch.keys_used = [](void *self, KeyRecord) {
            auto *t = static_cast<IntroPanelTest *>(self);
            blit(t->screen, t->while_shown.get(), 0, 0, 0, 0, 640, 480);
        };
        return show_level_intro_panel("AB", menu.cells, sprites.cells, screen_copy.get(), &watch,
                                      closing);
    }

    testing_support::HeadlessGame game{kDepth};
    BITMAP *const screen = game.screen(false);
    OwnedBitmap screen_copy = make_bitmap(kDepth, 640, 480), while_shown = make_bitmap(kDepth, 640, 480);
    testing_support::NumberedCells menu{kDepth, 0}, sprites{kDepth, 1};
};

// The panel while it is shown, in three languages at both sizes (one outside the
// table, which draws no labels), and at 320 x 200 the screen under it back whole once
// it is closed.
TEST_F(IntroPanelTest, Layouts) {
    const struct {
        int low, language;
        const char *name;
    } cases[] = {{0, kGerman, "intro_high_german"}, {1, kSpanish, "intro_low_spanish"},
                 {0, 7, "intro_high_no_language"}, {1, kEnglish, "intro_low_english"}};
    const uint64_t before = screen_hash(screen);
    for (const auto &c : cases) {
        game_config.language = c.language;
        KeyRecord closing = 0;
        ASSERT_TRUE(show({0, key_bit(Key::Space)}, closing, c.low));
        EXPECT_EQ(closing, key_bit(Key::Space));
        EXPECT_TRUE(testing_support::golden_screen(c.name, while_shown.get()));
        if (c.low) EXPECT_EQ(screen_hash(screen), before) << c.name;
        else paint(); // at 640 x 480 the first frame covers the panel
    }
}

// Each key the game reads, held with ESC: the play keys close the panel and hand on
// all that was held; the others leave it up.
TEST_F(IntroPanelTest, OnlyThePlayKeysCloseIt) {
    const KeyRecord play_keys = key_bit(Key::Enter) | key_bit(Key::LeftControl) | key_bit(Key::Space) |
                                key_bit(Key::Up) | key_bit(Key::Down) | key_bit(Key::Left) | key_bit(Key::Right);
    for (int k = 0; k < kKeyCount; ++k) {
        const KeyRecord held = key_bit(static_cast<Key>(k)) | key_bit(Key::Esc);
        KeyRecord closing = 0;
        EXPECT_EQ(show({held}, closing), (held & play_keys) != 0) << k;
        if (held & play_keys) {
            EXPECT_EQ(closing, held) << k;
        }
    }
}

} // namespace
