// The menus as a whole, headless: a 32-bit memory screen, replayed keys, no
// waiting, no sound. What each key leads to, what the last frame shows, and what
// the set-up menu leaves in the settings and in the file.
#include "core/game_config.h"
#include "core/platform.h"
#include "core/settings.h"
#include "menus/main_menu.h"
#include "menus/menu_common.h"
#include "menus/password.h"
#include "world/tests/map_bytes.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using testing_support::TempDir;

constexpr KeyRecord kNone = 0;
constexpr KeyRecord k(Key key) { return key_bit(key); }
constexpr KeyRecord kEsc = key_bit(Key::Esc), kEnter = key_bit(Key::Enter),
                    kUp = key_bit(Key::Up), kDown = key_bit(Key::Down),
                    kLeft = key_bit(Key::Left), kRight = key_bit(Key::Right);

// Each key is pressed for one frame and released for two: a screen that closes
// spends one more frame before the next one reads the keys.
std::vector<KeyRecord> taps(std::initializer_list<KeyRecord> keys) {
    std::vector<KeyRecord> out;
    for (KeyRecord r : keys) {
        out.push_back(r);
        out.push_back(kNone);
        out.push_back(kNone);
    }
    return out;
}

std::vector<KeyRecord> typed(const char *text) {
    std::vector<KeyRecord> out;
    for (const char *c = text; *c; ++c) {
        out.push_back(key_bit(static_cast<Key>(static_cast<int>(Key::A) + (*c - 'A'))));
        out.push_back(kNone);
        out.push_back(kNone);
    }
    return out;
}

std::vector<KeyRecord> operator+(std::vector<KeyRecord> a, const std::vector<KeyRecord> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The screens the fake mode switch hands out, by size.
BITMAP *high_screen = nullptr;
BITMAP *low_screen = nullptr;
int mode_calls = 0;
bool refuse_low = false;

int fake_set_mode(int, int w, int, int, int) {
    ++mode_calls;
    if (w == 320 && refuse_low) return -1;
    platform.screen_override = w == 320 ? low_screen : high_screen;
    return 0;
}

// The translucency in force: the red of white laid over black by draw_trans_sprite.
int translucent_white_over_black() {
    BITMAP *white = create_bitmap_ex(32, 1, 1), *black = create_bitmap_ex(32, 1, 1);
    clear_to_color(white, makecol32(255, 255, 255));
    clear_to_color(black, makecol32(0, 0, 0));
    draw_trans_sprite(black, white, 0, 0);
    const int red = getr32(getpixel(black, 0, 0));
    destroy_bitmap(white);
    destroy_bitmap(black);
    return red;
}

class MenuFlowTest : public testing::Test {
protected:
    void SetUp() override {
        saved = game_config;
        game_config = GameConfig{};
        game_config.render_mode = kRenderScanLines;
        game_config.music_volume = game_config.effects_volume = 128;
        set_color_depth(32);
        set_trans_blender(0, 0, 0, 64);
        high_screen = create_bitmap(640, 480);
        low_screen = create_bitmap(320, 200);
        platform.screen_override = high_screen;
        platform.pacing = Pacing::Immediate;
        platform.set_mode = fake_set_mode;
        mode_calls = 0;
        refuse_low = false;
    }
    void TearDown() override {
        input_use_keyboard();
        platform.screen_override = nullptr;
        platform.pacing = Pacing::Real;
        platform.set_mode = nullptr;
        destroy_bitmap(high_screen);
        destroy_bitmap(low_screen);
        game_config = saved;
    }

    int32_t run_menu(const std::vector<KeyRecord> &keys) {
        records = keys;
        input_begin_replay(records.data(), static_cast<int>(records.size()));
        return main_menu();
    }

    // The middle ring of entry i's panel in the last frame shown: white when the
    // entry is the selected one, grey otherwise.
    bool entry_lit(int i) {
        const int c = getpixel(high_screen, 232, 310 + 41 * i);
        if (c == makecol(255, 255, 255)) return true;
        EXPECT_EQ(c, makecol(128, 128, 128)) << "entry " << i << " has no panel";
        return false;
    }

    std::vector<uint8_t> settings_file() {
        return testing_support::read_file(dir.file(kSettingsFileName));
    }

    TempDir dir{true};
    GameConfig saved{};
    std::vector<KeyRecord> records;
};

TEST(MenuKeys, FirstKeyDownIsTheEarliestOfTheListOrMinusOne) {
    const Key arrows[] = {Key::Up, Key::Down, Key::Left, Key::Right};
    const KeyRecord frames[] = {key_bit(Key::Left) | key_bit(Key::Down), key_bit(Key::Right),
                                key_bit(Key::Esc)};
    input_begin_replay(frames, 3);
    EXPECT_EQ(first_key_down(arrows, 4), 1);
    EXPECT_EQ(first_key_down(arrows + 2, 2), 0);
    EXPECT_EQ(first_key_down(arrows, 1), -1);
    input_next_frame();
    EXPECT_EQ(first_key_down(arrows, 4), 3);
    EXPECT_EQ(first_key_down(arrows, 3), -1);
    input_next_frame();
    EXPECT_EQ(first_key_down(arrows, 4), -1) << "a key outside the list";
    input_use_keyboard();
}

// A menu shows one frame a tick, and a held key is waited out a tick at a time.
TEST_F(MenuFlowTest, AMenuFrameLastsOneTick) {
    static long presents = 0;
    presents = 0;
    platform.on_present = [](void *) { ++presents; };
    platform.ticks_waited = 0;
    run_menu(std::vector<KeyRecord>(12, kNone));
    EXPECT_GE(presents, 12);
    EXPECT_EQ(platform.ticks_waited, presents);

    // ENTER held five frames on the play entry: the sub-menu opens once it is let go.
    presents = 0;
    platform.ticks_waited = 0;
    run_menu({kEnter, kEnter, kEnter, kEnter, kEnter, kNone, kNone});
    EXPECT_EQ(platform.ticks_waited, presents + 5) << "a tick for each frame ENTER is held in";
    platform.on_present = nullptr;
}

// The menu's move, confirm and cancel samples each play once, in the middle, at the
// effects volume and their own pitch, without looping.
TEST_F(MenuFlowTest, MenuSamplesPlayOnceAtTheEffectsVolume) {
    testing_support::make_dirs(dir.file("sfx"));
    for (const char *name : {"ting", "go", "back"})
        testing_support::write_silent_wav(dir.file(std::string("sfx/") + name + ".wav"));
    game_config.sound_available = 1;
    game_config.effects_volume = 77;
    static std::vector<SampleStart> starts;
    starts.clear();
    platform.on_sample = [](void *, const SampleStart &s) { starts.push_back(s); };
    run_menu(taps({kDown, kUp, kEnter, kEsc}));
    platform.on_sample = nullptr;
    ASSERT_EQ(starts.size(), 4u) << "move, move, confirm, cancel";
    EXPECT_EQ(starts[0].sample, starts[1].sample);
    EXPECT_NE(starts[2].sample, starts[0].sample);
    EXPECT_NE(starts[3].sample, starts[2].sample);
    EXPECT_NE(starts[3].sample, starts[0].sample);
    for (const SampleStart &s : starts) {
        EXPECT_FALSE(s.loop);
        EXPECT_EQ(s.volume, 77);
        EXPECT_EQ(s.pan, 127);
        EXPECT_EQ(s.pitch, 1000);
    }
}

TEST_F(MenuFlowTest, EscLeavesAndTheSelectionWrapsBothWays) {
    EXPECT_EQ(run_menu(taps({kEsc})), kMenuLeave);

    EXPECT_EQ(run_menu(taps({kUp})), kMenuLeave) << "the keys ran out: the menu leaves";
    EXPECT_TRUE(entry_lit(3)) << "UP on play selects exit";
    EXPECT_FALSE(entry_lit(0));

    run_menu(taps({kUp, kDown}));
    EXPECT_TRUE(entry_lit(0)) << "DOWN on exit selects play";
    EXPECT_FALSE(entry_lit(3));

    // A held key moves the selection by one entry only.
    run_menu({kDown, kDown, kDown, kDown, kDown, kNone});
    EXPECT_TRUE(entry_lit(1));
    EXPECT_FALSE(entry_lit(2));
}

TEST_F(MenuFlowTest, EnterOnExitLeavesAndEnterOnPlayOpensThePlayMenu) {
    EXPECT_EQ(run_menu(taps({kUp, kEnter})), kMenuLeave);
    EXPECT_EQ(run_menu(taps({kEnter, kEnter})), kMenuPlayGame) << "the play menu's first row";
    // ESC in the play menu keeps the main menu open: its next ENTER opens it again.
    EXPECT_EQ(run_menu(taps({kEnter, kEsc, kEnter, kEnter})), kMenuPlayGame);
}

TEST_F(MenuFlowTest, HotkeysFollowTheLanguage) {
    game_config.language = kEnglish;
    EXPECT_EQ(run_menu(taps({k(Key::P), kEnter})), kMenuPlayGame);
    EXPECT_EQ(run_menu(taps({k(Key::E)})), kMenuLeave);

    game_config.language = kItalian;
    EXPECT_EQ(run_menu(taps({k(Key::J), kEnter})), kMenuPlayGame);
    // G does nothing: the ENTER after it opens the play menu, whose own ENTER is
    // not there, so nothing is played.
    EXPECT_EQ(run_menu(taps({k(Key::G), kEnter})), kMenuLeave);

    game_config.language = kGerman;
    EXPECT_EQ(run_menu(taps({k(Key::S), kEnter})), kMenuPlayGame);
    game_config.language = kSpanish;
    EXPECT_EQ(run_menu(taps({k(Key::S)})), kMenuLeave) << "Spanish S is exit";
}

TEST_F(MenuFlowTest, PasswordsEndTheMenuWithTheirValueAndRefusedOnesKeepItOpen) {
    char one[5], nine[5];
    encode_password(1, one);
    encode_password(9, nine);
    const auto to_password = taps({kEnter, kDown});
    EXPECT_EQ(run_menu(to_password + typed(nine) + taps({kEnter})), kMenuPlayGame);
    EXPECT_EQ(run_menu(to_password + typed(one) + taps({kEnter})), 1);
    // A space leaves the first position empty: the rest still carries the value.
    EXPECT_EQ(run_menu(to_password + taps({k(Key::Space)}) + typed(one + 1) + taps({kEnter})), 1);
    // A refused code leaves the sub-menu open; UP then ENTER takes the first row.
    EXPECT_EQ(run_menu(to_password + typed("ABCD") + taps({kEnter, kUp, kEnter})), kMenuPlayGame);
    // Typed with the first row selected, letters are not read.
    EXPECT_EQ(run_menu(taps({kEnter}) + typed(one) + taps({kDown, kEnter, kUp, kEnter})),
              kMenuPlayGame);
    // Backspace takes the last letter back: a wrong fourth letter, mended.
    std::string wrong = one;
    wrong[3] = wrong[3] == 'V' ? 'E' : 'V';
    EXPECT_EQ(run_menu(to_password + typed(wrong.c_str()) + taps({k(Key::Backspace)}) +
                       typed(std::string(1, one[3]).c_str()) + taps({kEnter})),
              1);
    EXPECT_EQ(run_menu(to_password + typed(wrong.c_str()) + taps({kEnter})), kMenuLeave);
}

// A small map that loads and plays: a floor along the bottom row of room 0.
std::vector<unsigned char> playable_map() {
    map_bytes::MapBytes m;
    m.put_text(0, "TEST");
    m.put8(104, 3);
    m.put8(105, 7);
    m.put8(106, 4);
    m.put8(107, 4);
    m.empty_all_spawns();
    for (int r = 0; r < 25; ++r) m.put8(map_bytes::room_at(r), 255);
    for (int col = 0; col < 15; ++col) m.put_cell(0, col, 8, 1, -1, 0x01);
    return m.bytes;
}

TEST_F(MenuFlowTest, TheLevelBrowserComesBackAfterAQuitAndClosesAfterAnUnreadableMap) {
    testing_support::make_dirs(dir.file("MAP"));
    testing_support::write_file(dir.file("MAP/good.map"), playable_map());
    testing_support::write_file(dir.file("MAP/bad.map"), std::string("short"));

    // BAD.MAP comes first. An unreadable map closes the browser: back in the main
    // menu (on the level entry) UP and ENTER reach the play menu.
    const auto open_browser = taps({kDown, kEnter});
    EXPECT_EQ(run_menu(open_browser + taps({kEnter, kUp, kEnter, kEnter})), kMenuPlayGame);

    // GOOD.MAP: ENTER plays it, ENTER closes its intro panel, ESC quits the level.
    // The browser is shown again: its ESC closes it, and the main menu goes on.
    EXPECT_EQ(run_menu(open_browser + taps({kDown, kEnter, kEnter, kEsc, kEsc, kUp, kEnter, kEnter})),
              kMenuPlayGame);
    // Typing G selects GOOD.MAP from anywhere; B goes back to BAD.MAP.
    EXPECT_EQ(run_menu(open_browser + taps({k(Key::G), k(Key::B), kEnter, kUp, kEnter, kEnter})),
              kMenuPlayGame);
}

TEST_F(MenuFlowTest, TheBrowsersInitialsReachBothEndsOfTheAlphabet) {
    testing_support::make_dirs(dir.file("MAP"));
    testing_support::write_file(dir.file("MAP/abyss.map"), playable_map());
    testing_support::write_file(dir.file("MAP/zenith.map"), std::string("short"));
    const auto open_browser = taps({kDown, kEnter});

    // Z selects ZENITH.MAP, which cannot be read: the browser closes, and UP and
    // ENTER on the main menu's level entry reach the play menu.
    EXPECT_EQ(run_menu(open_browser + taps({k(Key::Z), kEnter, kUp, kEnter, kEnter})),
              kMenuPlayGame);
    // A comes back to ABYSS.MAP, which plays: ENTER closes its intro panel, ESC
    // quits the level and ESC closes the browser.
    EXPECT_EQ(run_menu(open_browser + taps({k(Key::Z), k(Key::A), kEnter, kEnter, kEsc, kEsc, kUp,
                                            kEnter, kEnter})),
              kMenuPlayGame);
}

TEST_F(MenuFlowTest, AnEmptyBrowserIgnoresEnter) {
    // No MAP directory at all: ENTER plays nothing and the browser stays open, so
    // its ESC is needed before the main menu's keys work again.
    EXPECT_EQ(run_menu(taps({kDown, kEnter, kEnter, kEsc, kUp, kEnter, kEnter})), kMenuPlayGame);
}

TEST_F(MenuFlowTest, SetUpSwitchesTheResolutionAndSavesOnlyWhenSomethingChanged) {
    const auto open_setup = taps({kDown, kDown, kEnter});
    run_menu(open_setup + taps({kLeft, kEsc}));
    EXPECT_FALSE(std::filesystem::is_regular_file(dir.file(kSettingsFileName)))
        << "Left at 640 x 480 changes nothing";
    EXPECT_EQ(mode_calls, 0);

    // A new mode takes the start-up translucency again, whatever was set before.
    const int start_up = translucent_white_over_black();
    set_trans_blender(0, 0, 0, 200);
    run_menu(open_setup + taps({kRight, kEnter}));
    EXPECT_EQ(translucent_white_over_black(), start_up);
    EXPECT_EQ(game_config.low_resolution, 1);
    EXPECT_EQ(game_config.render_mode, kRenderOwnSize);
    EXPECT_EQ(platform.screen_override, low_screen);
    std::vector<uint8_t> want(kSettingsFileSize);
    config_encode(game_config, want.data());
    EXPECT_EQ(settings_file(), want);

    // Back to 640 x 480: plain doubling, not the scan lines set before.
    run_menu(open_setup + taps({kLeft, kEsc}));
    EXPECT_EQ(game_config.low_resolution, 0);
    EXPECT_EQ(game_config.render_mode, kRenderDoubled);
    EXPECT_EQ(platform.screen_override, high_screen);
    config_encode(game_config, want.data());
    EXPECT_EQ(settings_file(), want);
}

TEST_F(MenuFlowTest, AResolutionNoDepthAcceptsChangesNothing) {
    refuse_low = true;
    const int start_up = translucent_white_over_black();
    set_trans_blender(0, 0, 0, 200);
    run_menu(taps({kDown, kDown, kEnter}) + std::vector<KeyRecord>(4, kRight) + taps({kEsc}));
    EXPECT_EQ(translucent_white_over_black(), start_up) << "the old mode's translucency";
    EXPECT_EQ(game_config.low_resolution, 0);
    EXPECT_EQ(game_config.render_mode, kRenderScanLines);
    EXPECT_EQ(platform.screen_override, high_screen) << "the old mode is opened again";
    EXPECT_EQ(mode_calls, 3 * 2 + 1)
        << "16, 32 and 24 bits, windowed and full screen, then back, once while RIGHT is held";
    EXPECT_FALSE(std::filesystem::is_regular_file(dir.file(kSettingsFileName)));
}

TEST_F(MenuFlowTest, LanguageAndVolumesReachTheFile) {
    // Row 2 is the language; two rows down more is the music volume. LEFT held as
    // ESC goes up is taken in the frame that leaves, and saved with the rest.
    run_menu(taps({kDown, kDown, kEnter, kDown, kDown, kRight, kDown, kDown}) +
             std::vector<KeyRecord>{kEsc | kLeft, kLeft, kNone});
    EXPECT_EQ(game_config.language, kEnglish);
    EXPECT_EQ(game_config.music_volume, 124);
    EXPECT_EQ(game_config.effects_volume, 128);
    const std::vector<uint8_t> file = settings_file();
    ASSERT_EQ(file.size(), kSettingsFileSize);
    EXPECT_EQ(file[20], kEnglish);
    EXPECT_EQ(file[12], 124);

    // In English the set-up key is S: the language change shows in the hotkeys.
    run_menu(taps({k(Key::S), kDown, kDown, kLeft, kEsc}));
    EXPECT_EQ(game_config.language, kSpanish);
}

TEST_F(MenuFlowTest, AFailedSaveLeavesAsUsualAndTheOldFileWhole) {
    // A directory where the file should be: the new file cannot be put in place.
    testing_support::make_dirs(dir.file(kSettingsFileName));
    const auto open_effects = taps({kDown, kDown, kEnter, kUp, kUp});
    // The first ESC leaves the set-up menu; the second one is the main menu's.
    EXPECT_EQ(run_menu(open_effects + taps({kRight, kEsc, kRight, kEsc, kUp, kEnter, kEnter})),
              kMenuLeave);
    EXPECT_EQ(game_config.effects_volume, 132) << "the settings hold for this run";
    EXPECT_TRUE(std::filesystem::is_directory(dir.file(kSettingsFileName)));
}

} // namespace
