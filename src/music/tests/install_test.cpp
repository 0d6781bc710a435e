// Installing the player: it needs the digital sound system and a sane voice count,
// and until it is installed every operation is harmless and does nothing.
#include "music_test_support.h"

#include <allegro.h>

namespace {

using namespace music_test;
using module_builder::build_xm;
using module_builder::half_sounding_song;

// The test programs start Allegro without any sound system, as a machine without
// a sound card leaves it.
TEST(MusicInstall, FailsWithoutDigitalSound) {
    music_remove();
    ASSERT_EQ(digi_driver->id, DIGI_NONE);
    EXPECT_EQ(music_install(32), -1);
    EXPECT_EQ(music_install(1), -1);
}

TEST(MusicInstall, VoiceCountsOutsideOneToSixtyFourFail) {
    EXPECT_EQ(music_install(0), -1);
    EXPECT_EQ(music_install(65), -1);
    EXPECT_EQ(music_install(-32), -1);
}

TEST(MusicInstall, UninstalledOperationsDoNothing) {
    testing_support::TempDir dir(true);
    testing_support::make_dirs("sfx");
    testing_support::write_file("sfx/menu.xm", build_xm(half_sounding_song()));
    music_remove();
    ModulePtr song(music_load("sfx\\menu.xm"));
    EXPECT_FALSE(song);
    music_set_volume(200);
    music_play(song.get(), 1);
    music_stop();
    music_destroy(nullptr);
    EXPECT_EQ(render(0.1).peak(), 0);
    music_set_volume(128);
}

TEST_F(MusicTest, RemovingThePlayerSilencesItAndLeavesModulesToTheirOwners) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_play(song.get(), 1);
    ASSERT_GT(render(0.1).peak(), kAudible);
    music_remove();
    EXPECT_EQ(render(0.1).peak(), 0);
    music_play(song.get(), 1); // not installed: nothing plays
    EXPECT_EQ(render(0.1).peak(), 0);
    song.reset(); // still destroyed cleanly
}

} // namespace
