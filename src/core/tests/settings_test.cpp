// The settings file: its bytes at first start, what a hand-edited or short file
// keeps, and saving that never leaves a broken file behind. Any file at all keeps
// the promises of fuzz/promises (fields in range, sound ones kept, written back
// alike); the rows here say what replaces a field that is not sound.
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

TEST(SettingsFile, FirstStartImage) {
    GameConfig cfg{};
    cfg.sound_available = 1;
    config_set_defaults(&cfg);
    uint8_t bytes[kSettingsFileSize + 1];
    bytes[kSettingsFileSize] = 0x5A; // a guard that must stay
    config_encode(cfg, bytes);
    EXPECT_EQ(bytes[kSettingsFileSize], 0x5A) << "written past the file";
    const uint8_t expected[kSettingsFileSize] = {0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 128, 0,
                                                 0, 0, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(bytes, expected, kSettingsFileSize));
}

// Fields in file order: low resolution, render mode, sound slot, music and effects
// volume, language, windowed.
struct DecodeRow {
    const char *what;
    std::vector<unsigned char> file;
    int32_t low, mode, music, effects, language, windowed;
    int replaced;
};

const DecodeRow kDecodeRows[] = {
    {"sound", le32s({0, 1, 0, 255, 0, 4, 1}), 0, 1, 255, 0, 4, 1, 0},
    {"every field out of range", le32s({5, 9, 0, -1, 256, -3, 9}), 0, 1, 128, 128, 0, 0, 6},
    // Doubling and scan lines need the big screen; the small one shows its own size.
    {"small screen doubled", le32s({1, 2, 0, 128, 128, 0, 0}), 1, 0, 128, 128, 0, 0, 1},
    {"big screen own size", le32s({0, 0, 0, 128, 128, 0, 0}), 0, 1, 128, 128, 0, 0, 1},
    {"cut inside the music volume", [] { auto b = le32s({1, 0, 0, 40}); b.resize(14); return b; }(),
     1, 0, 128, 128, 0, 0, 4},
};

TEST(SettingsFile, UnsoundFieldsGetTheirDefaults) {
    for (const DecodeRow &r : kDecodeRows) {
        GameConfig c{};
        EXPECT_EQ(config_decode(r.file.data(), r.file.size(), &c), r.replaced) << r.what;
        const int32_t got[] = {c.low_resolution, c.render_mode, c.music_volume,
                               c.effects_volume, c.language, c.windowed};
        const int32_t want[] = {r.low, r.mode, r.music, r.effects, r.language, r.windowed};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(got[i], want[i]) << r.what << ", field " << i;
    }
}

TEST(SettingsFile, SavedUnderAnyCaseAndReadBack) {
    TempDir dir(true);
    GameConfig cfg{};
    cfg.music_volume = 9;
    EXPECT_FALSE(read_settings_file(kSettingsFileName, &cfg));
    EXPECT_EQ(cfg.music_volume, 9) << "a missing file leaves the record alone";

    cfg = GameConfig{0, 2, 1, {0, 0}, 200, 100, 2, 1};
    ASSERT_TRUE(save_settings_file(kSettingsFileName, cfg));
    EXPECT_EQ(read_file(dir.file("Vespertil.cfg")).size(), kSettingsFileSize);
    struct stat st;
    EXPECT_NE(stat(dir.file("Vespertil.cfg.tmp").c_str(), &st), 0) << "temporary file left behind";
    std::rename("Vespertil.cfg", "VESPERTIL.CFG");
    GameConfig back{};
    ASSERT_TRUE(read_settings_file(kSettingsFileName, &back));
    EXPECT_EQ(back.music_volume, 200);
    // Saving again replaces the file found under the other case, not a second file.
    back.language = 4;
    ASSERT_TRUE(save_settings_file(kSettingsFileName, back));
    EXPECT_EQ(read_file(dir.file("VESPERTIL.CFG"))[20], 4);
    EXPECT_NE(stat(dir.file("Vespertil.cfg").c_str(), &st), 0);
}

TEST(SettingsFile, FailedSaveLeavesTheOldFileWhole) {
    TempDir dir(true);
    auto old_bytes = le32s({0, 1, 1, 10, 20, 3, 0});
    write_file(dir.file("Vespertil.cfg"), old_bytes);
    // A directory where the temporary file would go makes the write fail.
    ASSERT_EQ(mkdir(dir.file("Vespertil.cfg.tmp").c_str(), 0755), 0);
    EXPECT_FALSE(save_settings_file(kSettingsFileName, GameConfig{0, 2, 1, {0, 0}, 99, 99, 1, 0}));
    EXPECT_EQ(read_file(dir.file("Vespertil.cfg")), old_bytes);
}

} // namespace
