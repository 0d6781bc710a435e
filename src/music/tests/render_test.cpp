// The renderer with real modules: the music sounds, keeps its pace, loops or ends as
// asked, obeys the volume at once, and play, stop and destroy act on it at once.
#include "music_test_support.h"

namespace {

using namespace music_test;
using module_builder::build_xm;
using module_builder::half_sounding_song;

// The half-sounding song: a note from 0 to 0.96 s, silence to its end at 1.92 s.
constexpr double kNoteEnd = 0.96;
constexpr double kSongEnd = 1.92;
constexpr double kMargin = 0.04;

TEST_F(MusicTest, PlayingModuleSoundsThenKeepsItsPace) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_play(song.get(), 1);
    Sound sound = render(kSongEnd);
    EXPECT_GT(sound.peak(0, kNoteEnd - kMargin), kAudible);
    EXPECT_GT(sound.rms(0, kNoteEnd - kMargin), kAudible);
    EXPECT_EQ(sound.peak(kNoteEnd + kMargin, kSongEnd - kMargin), 0);
}

TEST_F(MusicTest, TickLengthFollowsTheTempo) {
    module_builder::XmSong fast = half_sounding_song();
    fast.tempo = 250; // ticks twice as often: the note ends at 0.48 s
    ModulePtr song = load(build_xm(fast));
    ASSERT_TRUE(song);
    music_play(song.get(), 1);
    Sound sound = render(kSongEnd / 2);
    EXPECT_GT(sound.peak(kNoteEnd / 2 - 0.1, kNoteEnd / 2 - kMargin), kAudible);
    EXPECT_EQ(sound.peak(kNoteEnd / 2 + kMargin, kSongEnd / 2 - kMargin), 0);
}

TEST_F(MusicTest, LoopingModuleStartsAgainAfterItsEnd) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_play(song.get(), 1);
    Sound sound = render(2 * kSongEnd + 0.5);
    EXPECT_GT(sound.peak(kSongEnd + kMargin, kSongEnd + kNoteEnd - kMargin), kAudible);
    EXPECT_GT(sound.peak(2 * kSongEnd + kMargin, 2 * kSongEnd + 0.5), kAudible);
}

TEST_F(MusicTest, ModulePlayedOnceGoesQuietAtItsEnd) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_play(song.get(), 0);
    Sound sound = render(2 * kSongEnd + 0.5);
    EXPECT_GT(sound.peak(0, kNoteEnd - kMargin), kAudible);
    EXPECT_EQ(sound.peak(kNoteEnd + kMargin, 2 * kSongEnd + 0.5), 0);
}

TEST_F(MusicTest, VolumeScalesTheAmplitude) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    int peaks[3];
    const int volumes[3] = {64, 128, 255};
    for (int i = 0; i < 3; ++i) {
        music_set_volume(volumes[i]);
        music_play(song.get(), 1);
        peaks[i] = render(0.5).peak();
    }
    ASSERT_GT(peaks[1], kAudible);
    EXPECT_NEAR(static_cast<double>(peaks[0]) / peaks[1], 0.5, 0.03);
    EXPECT_NEAR(static_cast<double>(peaks[2]) / peaks[1], 255.0 / 128, 0.05);

    music_set_volume(0);
    music_play(song.get(), 1);
    EXPECT_EQ(render(0.5).peak(), 0);
}

TEST_F(MusicTest, VolumeIsClampedAndAppliesAtOnce) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_set_volume(255);
    music_play(song.get(), 1);
    const int full = render(0.2).peak();
    music_set_volume(1000); // clamped to 255
    EXPECT_EQ(render(0.2).peak(), full);
    music_set_volume(-5); // clamped to 0, from the very next piece
    EXPECT_EQ(render(0.2).peak(), 0);
}

// However few frames are asked for, each is written: silence when nothing plays.
TEST_F(MusicTest, EveryFrameAskedForIsWrittenDownToOne) {
    for (int frames : {1, 2, 7}) {
        std::vector<int16_t> out(static_cast<std::size_t>(frames * kMusicChannels + 1), 0x5555);
        music_render(out.data(), frames);
        for (int i = 0; i < frames * kMusicChannels; ++i) ASSERT_EQ(out[i], 0) << frames << " frames";
        EXPECT_EQ(out.back(), 0x5555) << "nothing past the frames asked for";
    }
}

TEST_F(MusicTest, StopSilencesAtOnce) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_play(song.get(), 1);
    ASSERT_GT(render(0.2).peak(), kAudible);
    music_stop();
    EXPECT_EQ(render(0.5).peak(), 0);
    music_stop(); // nothing plays: harmless
    EXPECT_EQ(render(0.1).peak(), 0);
}

TEST_F(MusicTest, PlayStartsFromTheBeginning) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_play(song.get(), 1);
    const Sound first = render(0.3);
    render(1.0); // now in the silent half
    music_play(song.get(), 1);
    EXPECT_EQ(render(0.3).samples, first.samples);
}

TEST_F(MusicTest, PlayReplacesWhatPlaysAndNullPlaysNothing) {
    module_builder::XmSong quiet = half_sounding_song();
    quiet.amplitude = 25;
    ModulePtr loud_song = load(build_xm(half_sounding_song()), "sfx/loud.xm");
    ModulePtr quiet_song = load(build_xm(quiet), "sfx/quiet.xm");
    ASSERT_TRUE(loud_song && quiet_song);
    music_play(loud_song.get(), 1);
    const int loud = render(0.3).peak();
    music_play(quiet_song.get(), 1);
    const int soft = render(0.3).peak();
    EXPECT_GT(soft, kAudible / 5);
    EXPECT_NEAR(static_cast<double>(soft) / loud, 0.25, 0.03);
    music_play(nullptr, 1);
    EXPECT_EQ(render(0.3).peak(), 0);
}

TEST_F(MusicTest, DestroyingThePlayingModuleStopsItFirst) {
    ModulePtr playing = load(build_xm(half_sounding_song()), "sfx/a.xm");
    ModulePtr other = load(build_xm(half_sounding_song()), "sfx/b.xm");
    ASSERT_TRUE(playing && other);
    music_play(playing.get(), 1);
    render(0.1);
    other.reset(); // not the one playing: the music goes on
    EXPECT_GT(render(0.2).peak(), kAudible);
    playing.reset();
    EXPECT_EQ(render(0.3).peak(), 0);
    music_destroy(nullptr);
    music_play(nullptr, 1);
    EXPECT_EQ(render(0.1).peak(), 0);
}

} // namespace
