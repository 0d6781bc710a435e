// The snapshot and the debug line: a picture that loads back, a failed save that
// spoils nothing, the message and its 600 frames, one picture per hold of the keys;
// the debug line's text (play_test sees it drawn).
#include "level/debug_line.h"
#include "level/snapshot.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

using testing_support::make_bitmap;
using testing_support::TempDir;

constexpr int kDepth = 16;

bool exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Loads a PCX back; its size, or (0, 0) when it does not load.
std::pair<int, int> pcx_size(const std::string &path) {
    BITMAP *b = load_pcx(path.c_str(), nullptr);
    if (!b) return {0, 0};
    std::pair<int, int> size{b->w, b->h};
    destroy_bitmap(b);
    return size;
}

class SnapshotTest : public testing::Test {
protected:
    void SetUp() override {
        set_color_depth(kDepth);
        clear_to_color(screen.get(), makecol(0, 0, 200));
        for (int i = 0; i < kCellCount; ++i) {
            glyphs.push_back(make_bitmap(kDepth, kCellSize, kCellSize));
            clear_to_color(glyphs.back().get(), makecol(250, 200, 0));
            cells[i] = glyphs.back().get();
        }
    }
    TempDir dir{true};
    OwnedBitmap screen = make_bitmap(kDepth, 640, 480);
    OwnedBitmap copy = make_bitmap(kDepth, 640, 480);
    std::vector<OwnedBitmap> glyphs;
    CellSet cells{};
    SnapshotState state;
};

TEST_F(SnapshotTest, APictureIsWrittenWholeAndLoadsBack) {
    ASSERT_TRUE(save_snapshot(screen.get(), "snapshot.pcx"));
    EXPECT_EQ(pcx_size(dir.file("snapshot.pcx")), (std::pair<int, int>{640, 480}));
    EXPECT_EQ(testing_support::dir_entries(dir.path()), std::vector<std::string>{"snapshot.pcx"});
    // Overwritten by the next one.
    OwnedBitmap small = make_bitmap(kDepth, 320, 200);
    ASSERT_TRUE(save_snapshot(small.get(), "snapshot.pcx"));
    EXPECT_EQ(pcx_size(dir.file("snapshot.pcx")), (std::pair<int, int>{320, 200}));
}

TEST_F(SnapshotTest, AFailedSaveLeavesTheOldPictureAndNoPartBehind) {
    ASSERT_TRUE(save_snapshot(screen.get(), "snapshot.pcx"));
    const auto good = testing_support::read_file(dir.file("snapshot.pcx"));
    // The temporary file cannot be made: a directory holds its name.
    testing_support::make_dirs(dir.file("snapshot.pcx.part"));
    OwnedBitmap other = make_bitmap(kDepth, 320, 200);
    EXPECT_FALSE(save_snapshot(other.get(), "snapshot.pcx"));
    EXPECT_EQ(testing_support::read_file(dir.file("snapshot.pcx")), good);

    // The picture is written but cannot take the name: a directory is called so.
    TempDir other_dir{true};
    testing_support::make_dirs(other_dir.file("snapshot.pcx"));
    EXPECT_FALSE(save_snapshot(screen.get(), "snapshot.pcx"));
    EXPECT_EQ(testing_support::dir_entries(other_dir.path()), std::vector<std::string>{"snapshot.pcx"});
    EXPECT_FALSE(save_snapshot(nullptr, "snapshot.pcx"));
}

TEST_F(SnapshotTest, HoldingTheKeysSavesOnceThenAgainWhenTheMessageHasGone) {
    const int glyph = makecol(250, 200, 0), blue = makecol(0, 0, 200);
    std::vector<int> saved_at;
    for (int frame = 1; frame <= 1300; ++frame) {
        clear_to_color(screen.get(), blue); // the frame's presentation
        snapshot_step(state, kSnapshotKeys, screen.get(), copy.get(), cells);
        if (exists(dir.file("snapshot.pcx"))) {
            saved_at.push_back(frame);
            remove(dir.file("snapshot.pcx").c_str());
        }
        // The message shows in frames 2..601 after each picture, over the view.
        const bool showing = getpixel(screen.get(), 320 - 112, 127) == glyph;
        const bool after_save = !saved_at.empty() && frame > saved_at.back() && frame <= saved_at.back() + 600;
        const bool after_previous = saved_at.size() > 1 && frame == saved_at.back();
        EXPECT_EQ(showing, after_save || after_previous) << frame;
    }
    EXPECT_EQ(saved_at, (std::vector<int>{1, 601, 1201}));
    EXPECT_EQ(state.message, SnapshotMessage::Saved);
}

TEST_F(SnapshotTest, TheKeysAloneOrInPartsDoNothing) {
    const KeyRecord parts[] = {0, key_bit(Key::P), key_bit(Key::LeftControl) | key_bit(Key::P),
                               key_bit(Key::Alt) | key_bit(Key::P),
                               key_bit(Key::LeftControl) | key_bit(Key::Alt)};
    for (KeyRecord keys : parts) {
        snapshot_step(state, keys, screen.get(), copy.get(), cells);
        EXPECT_EQ(state.message, SnapshotMessage::None);
    }
    EXPECT_FALSE(exists(dir.file("snapshot.pcx")));
    snapshot_step(state, kSnapshotKeys | key_bit(Key::Right), screen.get(), copy.get(), cells);
    EXPECT_STREQ(snapshot_message_text(state.message), "SNAPSHOT SAVED");
    EXPECT_EQ(state.frames_left, 600);
}

TEST_F(SnapshotTest, AFailureSaysSoForItsFramesAndThePictureIsTheScreen) {
    testing_support::make_dirs(dir.file("snapshot.pcx"));
    snapshot_step(state, kSnapshotKeys, screen.get(), copy.get(), cells);
    EXPECT_STREQ(snapshot_message_text(state.message), "SNAPSHOT FAILED");
    snapshot_step(state, 0, screen.get(), copy.get(), cells);
    EXPECT_EQ(getpixel(screen.get(), 320 - 120, 127), makecol(250, 200, 0));
    EXPECT_EQ(getpixel(screen.get(), 320 - 121, 127), makecol(0, 0, 200));
    EXPECT_EQ(getpixel(screen.get(), 320 + 119, 142), makecol(250, 200, 0));
    EXPECT_EQ(getpixel(screen.get(), 320 + 120, 127), makecol(0, 0, 200));
    // The copy holds the screen as it was when the keys were taken.
    EXPECT_EQ(getpixel(copy.get(), 320 - 120, 127), makecol(0, 0, 200));
    EXPECT_EQ(state.frames_left, 599);
}

TEST_F(SnapshotTest, NoScreenCopyMeansAFailureNotACrash) {
    snapshot_step(state, kSnapshotKeys, screen.get(), nullptr, cells);
    EXPECT_EQ(state.message, SnapshotMessage::Failed);
    EXPECT_FALSE(exists(dir.file("snapshot.pcx")));
}

// ---- The debug line --------------------------------------------------------------------

TEST(DebugLine, PositionAndTheFlagsOfTheHerosCellAndTheOneAbove) {
    RoomRecord room{};
    room.cells[3][2].flags = 0x11;
    room.cells[2][2].flags = 0x82; // shown as a signed byte
    room.cells[0][5].flags = 0x01;
    struct Case {
        int32_t x, y;
        const char *text;
    } cases[] = {
        {2 * 4096 + 300, 3 * 4096 + 10, "x 8492, y 12298 [st]: 17 [st^]: -126     "},
        {5 * 4096, 0, "x 20480, y 0 [st]: 1 [st^]: 0     "},       // no cell above the top row
        {-256, 9 * 4096, "x -256, y 36864 [st]: 0 [st^]: 0     "}, // outside the room
    };
    for (const Case &c : cases) {
        HeroState hero{};
        hero.x = c.x;
        hero.y = c.y;
        char line[96];
        format_debug_line(hero, room, line, sizeof line);
        EXPECT_STREQ(line, c.text);
    }
}

} // namespace
