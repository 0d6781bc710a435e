// The settings file: its bytes at first start, what a hand-edited or short file
// keeps, and saving that never leaves a broken file behind. Any file at all keeps
// the promises of fuzz/promises (fields in range, sound ones kept, written back
// alike); the rows of settings_decode.txt say what replaces a field that is not
// sound.
#include "core/settings.h"
#include "core/tests/case_rows.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

using testing_support::TempDir;
using testing_support::read_file;
using testing_support::write_file;

namespace {

TEST(SettingsFile, FirstStartImage) {
    GameConfig cfg{};
    cfg.sound_available = 1;
    config_set_defaults(&cfg);
    uint8_t bytes[kSettingsFileSize];
    config_encode(cfg, bytes);
    const uint8_t expected[kSettingsFileSize] = {0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 128, 0,
                                                 0, 0, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(bytes, expected, kSettingsFileSize));
}

// The rows of settings_decode.txt.
TEST(SettingsFile, UnsoundFieldsGetTheirDefaults) {
    for (const case_rows::Words &row : case_rows::read(__FILE__, "settings_decode.txt")) {
        const auto arrow = std::find(row.begin(), row.end(), "=>");
        std::vector<unsigned char> file;
        for (auto w = row.begin(); w != arrow; ++w) {
            const int v = case_rows::number(w->substr(w->find(':') + 1));
            if (w->rfind("cut:", 0) == 0) file.resize(static_cast<std::size_t>(v));
            else for (int i = 0; i < 4; ++i) file.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
        GameConfig c{};
        const int replaced = config_decode(file.data(), file.size(), &c);
        const int32_t got[] = {c.low_resolution, c.render_mode, c.music_volume, c.effects_volume,
                               c.language,       c.windowed,    replaced};
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(got[i], case_rows::number(arrow[1 + i])) << case_rows::text(row) << ", value " << i;
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
    const std::vector<unsigned char> old_bytes(kSettingsFileSize, 1);
    write_file(dir.file("Vespertil.cfg"), old_bytes);
    // A directory where the temporary file would go makes the write fail.
    ASSERT_EQ(mkdir(dir.file("Vespertil.cfg.tmp").c_str(), 0755), 0);
    EXPECT_FALSE(save_settings_file(kSettingsFileName, GameConfig{0, 2, 1, {0, 0}, 99, 99, 1, 0}));
    EXPECT_EQ(read_file(dir.file("Vespertil.cfg")), old_bytes);
}

} // namespace
