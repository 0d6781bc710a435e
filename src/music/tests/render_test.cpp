// What a player hears of the music: a module sounds, keeps its pace, loops or ends
// as asked, follows the volume at once, and play, stop, destroy and removing the
// player act at once; without the digital sound system nothing plays at all.
#include "music_test_support.h"

#include <allegro.h>

namespace {

using namespace music_test;
using module_builder::build_xm;
using module_builder::half_sounding_song;

// The half-sounding song: a note from 0 to 0.96 s, silence to its end at 1.92 s.
constexpr double kNoteEnd = 0.96;
constexpr double kSongEnd = 1.92;
constexpr double kMargin = 0.04;

TEST_F(MusicTest, ASongSoundsKeepsItsPaceAndLoopsOrEnds) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_play(song.get(), 1);
    Sound looped = render(2 * kSongEnd + 0.5);
    EXPECT_GT(looped.peak(0, kNoteEnd - kMargin), kAudible);
    EXPECT_EQ(looped.peak(kNoteEnd + kMargin, kSongEnd - kMargin), 0);
    EXPECT_GT(looped.peak(kSongEnd + kMargin, kSongEnd + kNoteEnd - kMargin), kAudible);
    EXPECT_GT(looped.peak(2 * kSongEnd + kMargin, 2 * kSongEnd + 0.5), kAudible);

    music_play(song.get(), 0);
    Sound once = render(2 * kSongEnd + 0.5);
    EXPECT_GT(once.peak(0, kNoteEnd - kMargin), kAudible);
    EXPECT_EQ(once.peak(kNoteEnd + kMargin, 2 * kSongEnd + 0.5), 0);
}

TEST_F(MusicTest, VolumeScalesTheSoundAtOnceWithinItsRange) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_set_volume(128);
    music_play(song.get(), 1);
    const int half = render(0.1).peak();
    ASSERT_GT(half, kAudible);
    const struct {
        int volume;
        double ratio; // of the peak at 128
    } rows[] = {{64, 0.5}, {255, 255.0 / 128}, {1000, 255.0 / 128}, {0, 0}, {-5, 0}, {128, 1}}; // within the note
    for (const auto &r : rows) {
        music_set_volume(r.volume); // while playing: from the very next piece
        EXPECT_NEAR(render(0.1).peak() / static_cast<double>(half), r.ratio, 0.04) << r.volume;
    }
}

TEST_F(MusicTest, PlayStopAndDestroyActAtOnce) {
    module_builder::XmSong quiet = half_sounding_song();
    quiet.amplitude = 25;
    ModulePtr loud = load(build_xm(half_sounding_song()), "sfx/loud.xm");
    ModulePtr soft = load(build_xm(quiet), "sfx/quiet.xm");
    ASSERT_TRUE(loud && soft);
    music_play(loud.get(), 1);
    const Sound first = render(0.3);
    render(1.0); // now in the silent half
    music_play(loud.get(), 1);
    EXPECT_EQ(render(0.3).samples, first.samples) << "play starts from the beginning";
    music_play(soft.get(), 1);
    EXPECT_NEAR(render(0.3).peak() / static_cast<double>(first.peak()), 0.25, 0.03) << "play replaces";
    music_stop();
    EXPECT_EQ(render(0.3).peak(), 0);
    music_play(nullptr, 1);
    EXPECT_EQ(render(0.1).peak(), 0);
    music_play(loud.get(), 1);
    soft.reset(); // not the one playing: the music goes on
    EXPECT_GT(render(0.2).peak(), kAudible);
    loud.reset();
    EXPECT_EQ(render(0.3).peak(), 0);
}

// However few frames the sound feeder asks for, each is written, and nothing past them.
TEST_F(MusicTest, EveryFrameAskedForIsWrittenDownToOne) {
    for (int frames : {1, 2, 7}) {
        std::vector<int16_t> out(static_cast<std::size_t>(frames * kMusicChannels + 1), 0x5555);
        music_render(out.data(), frames);
        for (int i = 0; i < frames * kMusicChannels; ++i) ASSERT_EQ(out[i], 0) << frames << " frames";
        EXPECT_EQ(out.back(), 0x5555) << frames << " frames";
    }
}

// The test programs start Allegro without any sound system, as a machine without a
// sound card leaves it: the player does not install, and until it is installed
// every operation is harmless and silent.
TEST_F(MusicTest, WithoutThePlayerNothingPlays) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    music_play(song.get(), 1);
    ASSERT_GT(render(0.1).peak(), kAudible);
    music_remove();
    EXPECT_EQ(render(0.1).peak(), 0);
    ASSERT_EQ(digi_driver->id, DIGI_NONE);
    for (int voices : {32, 1, 0, 65, -32}) EXPECT_EQ(music_install(voices), -1) << voices;
    EXPECT_FALSE(ModulePtr(music_load("sfx/test.xm")));
    music_play(song.get(), 1);
    music_set_volume(200);
    music_stop();
    music_destroy(nullptr);
    EXPECT_EQ(render(0.1).peak(), 0);
    song.reset(); // still destroyed cleanly
}

} // namespace
