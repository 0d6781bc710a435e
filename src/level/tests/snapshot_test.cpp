// The snapshot and the debug line: a picture that loads back, a failed save that
// spoils nothing, the message and its 600 frames, one picture per hold of the keys;
// the debug line's text (play_test sees both drawn during play).
#include "level/debug_line.h"
#include "level/snapshot.h"

#include "core/tests/case_rows.h"
#include "support/golden_screen.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::dir_entries;
using testing_support::make_bitmap;
using testing_support::make_dirs;
using testing_support::read_file;
using testing_support::TempDir;

constexpr int kDepth = 16;

class SnapshotTest : public testing::Test {
protected:
    void SetUp() override {
        set_color_depth(kDepth);
        clear_to_color(screen.get(), blue);
        for (int i = 0; i < kCellCount; ++i) cells[i] = glyph.get();
        clear_to_color(glyph.get(), yellow);
    }
    void step(KeyRecord keys, BITMAP *copy_to) { snapshot_step(state, keys, screen.get(), copy_to, cells); }

    TempDir dir{true};
    OwnedBitmap screen = make_bitmap(kDepth, 640, 480), copy = make_bitmap(kDepth, 640, 480),
                glyph = make_bitmap(kDepth, kCellSize, kCellSize);
    const int blue = makecol_depth(kDepth, 0, 0, 200), yellow = makecol_depth(kDepth, 250, 200, 0);
    CellSet cells{};
    SnapshotState state;
};

TEST_F(SnapshotTest, APictureIsWrittenWholeAndAFailedSaveSpoilsNothing) {
    OwnedBitmap small = make_bitmap(kDepth, 320, 200);
    ASSERT_TRUE(save_snapshot(screen.get(), "snapshot.pcx"));
    ASSERT_TRUE(save_snapshot(small.get(), "snapshot.pcx")); // overwritten by the next one
    BITMAP *back = load_pcx(dir.file("snapshot.pcx").c_str(), nullptr);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->w * 1000 + back->h, 320200);
    destroy_bitmap(back);
    EXPECT_EQ(dir_entries(dir.path()), std::vector<std::string>{"snapshot.pcx"});
    // The temporary file cannot be made: a directory holds its name.
    const auto good = read_file(dir.file("snapshot.pcx"));
    make_dirs(dir.file("snapshot.pcx.part"));
    EXPECT_FALSE(save_snapshot(screen.get(), "snapshot.pcx"));
    EXPECT_EQ(read_file(dir.file("snapshot.pcx")), good);
    // The picture is written but cannot take the name: a directory is called so.
    TempDir other_dir{true};
    make_dirs(other_dir.file("snapshot.pcx"));
    EXPECT_FALSE(save_snapshot(screen.get(), "snapshot.pcx"));
    EXPECT_EQ(dir_entries(other_dir.path()), std::vector<std::string>{"snapshot.pcx"});
}

TEST_F(SnapshotTest, HoldingTheKeysSavesOnceThenAgainWhenTheMessageHasGone) {
    // Only all three keys together take a picture.
    for (KeyRecord part : {key_bit(Key::LeftControl) | key_bit(Key::P), key_bit(Key::Alt) | key_bit(Key::P),
                           key_bit(Key::LeftControl) | key_bit(Key::Alt)})
        step(part, copy.get());
    std::vector<int> saved_at;
    for (int frame = 1; frame <= 1300; ++frame) {
        clear_to_color(screen.get(), blue); // the frame's presentation
        step(kSnapshotKeys | key_bit(Key::Right), copy.get());
        if (remove(dir.file("snapshot.pcx").c_str()) == 0) saved_at.push_back(frame);
        // The message shows in frames 2..601 after each picture, over the view.
        const bool showing = getpixel(screen.get(), 320 - 112, 127) == yellow;
        const bool after_save = !saved_at.empty() && frame > saved_at.back() && frame <= saved_at.back() + 600;
        const bool after_previous = saved_at.size() > 1 && frame == saved_at.back();
        EXPECT_EQ(showing, after_save || after_previous) << frame;
    }
    EXPECT_EQ(saved_at, (std::vector<int>{1, 601, 1201}));
    EXPECT_STREQ(snapshot_message_text(state.message), "SNAPSHOT SAVED");
}

TEST_F(SnapshotTest, AFailureSaysSoForItsFramesAndThePictureIsTheScreen) {
    make_dirs(dir.file("snapshot.pcx"));
    step(kSnapshotKeys, copy.get());
    EXPECT_STREQ(snapshot_message_text(state.message), "SNAPSHOT FAILED");
    step(0, copy.get());
    EXPECT_TRUE(testing_support::golden_screen("snapshot_failed", screen.get())); // the longer message
    // The copy holds the screen as it was when the keys were taken.
    EXPECT_EQ(getpixel(copy.get(), 320 - 120, 127), blue);
}

// The cases are rows of debug_line.txt.
TEST(DebugLine, PositionAndTheFlagsOfTheHerosCellAndTheOneAbove) {
    RoomRecord room{};
    room.cells[3][2].flags = 0x11;
    room.cells[2][2].flags = 0x82;
    room.cells[0][5].flags = 0x01;
    for (const case_rows::Words &w : case_rows::read(__FILE__, "debug_line.txt")) {
        HeroState hero{};
        hero.x = case_rows::number(w[0]);
        hero.y = case_rows::number(w[1]);
        char line[96];
        format_debug_line(hero, room, line, sizeof line);
        EXPECT_EQ(line, case_rows::text(case_rows::Words(w.begin() + 3, w.end())) + "     ");
    }
}

} // namespace
