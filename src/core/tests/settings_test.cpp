// The settings file: its exact bytes, what survives a hand-edited or short file, and
// saving that never leaves a broken file behind.
#include "core/settings.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include <vector>

using testing_support::TempDir;
using testing_support::read_file;
using testing_support::write_file;

namespace {

std::vector<unsigned char> le32s(std::initializer_list<long long> values) {
    std::vector<unsigned char> out;
    for (long long v : values)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    return out;
}

GameConfig decoded(const std::vector<unsigned char> &bytes, int16_t sound = 0, int *replaced = nullptr) {
    GameConfig cfg{};
    cfg.sound_available = sound;
    int n = config_decode(bytes.data(), bytes.size(), &cfg);
    if (replaced) *replaced = n;
    return cfg;
}

TEST(SettingsBytes, FirstStartImage) {
    GameConfig cfg{};
    cfg.sound_available = 1;
    config_set_defaults(&cfg);
    uint8_t bytes[kSettingsFileSize];
    config_encode(cfg, bytes);
    const uint8_t expected[kSettingsFileSize] = {
        0, 0, 0, 0,   1, 0, 0, 0,   1, 0, 0, 0,   128, 0, 0, 0,
        128, 0, 0, 0, 0, 0, 0, 0,   0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(bytes, expected, kSettingsFileSize));
}

TEST(SettingsBytes, EveryFieldRoundTrips) {
    GameConfig cfg{1, 0, 1, {0xAB, 0xCD}, 252, 4, 3, 1};
    uint8_t bytes[kSettingsFileSize];
    config_encode(cfg, bytes);
    EXPECT_EQ(bytes[10], 0xAB);
    EXPECT_EQ(bytes[11], 0xCD);
    GameConfig back{};
    back.sound_available = 1;
    EXPECT_EQ(config_decode(bytes, sizeof bytes, &back), 0);
    EXPECT_EQ(back.low_resolution, 1);
    EXPECT_EQ(back.render_mode, 0);
    EXPECT_EQ(back.sound_slot_rest[0], 0xAB);
    EXPECT_EQ(back.sound_slot_rest[1], 0xCD);
    EXPECT_EQ(back.music_volume, 252);
    EXPECT_EQ(back.effects_volume, 4);
    EXPECT_EQ(back.language, 3);
    EXPECT_EQ(back.windowed, 1);
}

TEST(SettingsRead, SoundFlagComesFromThisMachineNotTheFile) {
    auto bytes = le32s({0, 2, 1, 128, 128, 0, 0});
    EXPECT_EQ(decoded(bytes, 0).sound_available, 0);
    auto silent = le32s({0, 2, 0, 128, 128, 0, 0});
    EXPECT_EQ(decoded(silent, 1).sound_available, 1);
}

TEST(SettingsRead, OutOfRangeValuesGetDefaultsOthersKept) {
    int replaced = 0;
    GameConfig cfg = decoded(le32s({0, 2, 0, 300, 77, 7, 0}), 0, &replaced);
    EXPECT_EQ(replaced, 2);
    EXPECT_EQ(cfg.music_volume, 128);
    EXPECT_EQ(cfg.language, kSpanish);
    EXPECT_EQ(cfg.render_mode, 2);
    EXPECT_EQ(cfg.effects_volume, 77);

    cfg = decoded(le32s({5, 9, 0, -1, 256, -3, 9}), 0, &replaced);
    EXPECT_EQ(replaced, 6);
    EXPECT_EQ(cfg.low_resolution, 0);
    EXPECT_EQ(cfg.render_mode, 1);
    EXPECT_EQ(cfg.music_volume, 128);
    EXPECT_EQ(cfg.effects_volume, 128);
    EXPECT_EQ(cfg.language, 0);
    EXPECT_EQ(cfg.windowed, 0);

    cfg = decoded(le32s({0, 1, 0, 255, 0, 4, 1}), 0, &replaced);
    EXPECT_EQ(replaced, 0);
    EXPECT_EQ(cfg.music_volume, 255);
    EXPECT_EQ(cfg.effects_volume, 0);
    EXPECT_EQ(cfg.language, kGerman);
}

TEST(SettingsRead, RenderModeMustFitTheResolution) {
    // Doubling needs the big screen; the small one shows the view at its own size.
    EXPECT_EQ(decoded(le32s({1, 1, 0, 128, 128, 0, 0})).render_mode, 0);
    EXPECT_EQ(decoded(le32s({1, 2, 0, 128, 128, 0, 0})).render_mode, 0);
    EXPECT_EQ(decoded(le32s({1, 0, 0, 128, 128, 0, 0})).render_mode, 0);
    EXPECT_EQ(decoded(le32s({0, 0, 0, 128, 128, 0, 0})).render_mode, 1);
    EXPECT_EQ(decoded(le32s({0, 2, 0, 128, 128, 0, 0})).render_mode, 2);
}

TEST(SettingsRead, ShortFileKeepsWhatItHoldsAndDefaultsTheRest) {
    auto bytes = le32s({1, 0, 0, 40});
    bytes.resize(14); // cut inside the music volume
    int replaced = 0;
    GameConfig cfg = decoded(bytes, 1, &replaced);
    EXPECT_EQ(cfg.low_resolution, 1);
    EXPECT_EQ(cfg.render_mode, 0);
    EXPECT_EQ(cfg.sound_available, 1);
    EXPECT_EQ(cfg.music_volume, 128);
    EXPECT_EQ(cfg.effects_volume, 128);
    EXPECT_EQ(cfg.language, 0);
    EXPECT_EQ(replaced, 4);

    cfg = decoded({}, 1, &replaced);
    EXPECT_EQ(replaced, 6); // every checked field; the sound flag is never taken
    EXPECT_EQ(cfg.render_mode, 1);
}

TEST(SettingsFile, MissingFileIsReportedAndRecordUntouched) {
    TempDir dir(true);
    GameConfig cfg{};
    cfg.music_volume = 9;
    EXPECT_FALSE(read_settings_file(kSettingsFileName, &cfg));
    EXPECT_EQ(cfg.music_volume, 9);
}

TEST(SettingsFile, SaveThenReadAnyCase) {
    TempDir dir(true);
    GameConfig cfg{0, 2, 1, {0, 0}, 200, 100, 2, 1};
    ASSERT_TRUE(save_settings_file(kSettingsFileName, cfg));
    EXPECT_EQ(read_file(dir.file("Vespertil.cfg")).size(), kSettingsFileSize);
    struct stat st;
    EXPECT_NE(stat(dir.file("Vespertil.cfg.tmp").c_str(), &st), 0) << "temporary file left behind";

    std::rename("Vespertil.cfg", "VESPERTIL.CFG");
    GameConfig back{};
    ASSERT_TRUE(read_settings_file(kSettingsFileName, &back));
    EXPECT_EQ(back.music_volume, 200);
    EXPECT_EQ(back.language, 2);
    // Saving again replaces the file found under the other case, not a second file.
    back.language = 4;
    ASSERT_TRUE(save_settings_file(kSettingsFileName, back));
    EXPECT_EQ(read_file(dir.file("VESPERTIL.CFG"))[20], 4);
    EXPECT_NE(stat(dir.file("Vespertil.cfg").c_str(), &st), 0);
}

TEST(SettingsFile, FailedSaveLeavesOldFileWhole) {
    TempDir dir(true);
    auto old_bytes = le32s({0, 1, 1, 10, 20, 3, 0});
    write_file(dir.file("Vespertil.cfg"), old_bytes);
    // A directory where the temporary file would go makes the write fail.
    ASSERT_EQ(mkdir(dir.file("Vespertil.cfg.tmp").c_str(), 0755), 0);
    GameConfig cfg{0, 2, 1, {0, 0}, 99, 99, 1, 0};
    EXPECT_FALSE(save_settings_file(kSettingsFileName, cfg));
    EXPECT_EQ(read_file(dir.file("Vespertil.cfg")), old_bytes);
}

} // namespace
