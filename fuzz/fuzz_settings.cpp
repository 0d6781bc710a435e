// The settings reader (config_decode, and read_settings_file on the same bytes) on
// any file: every field ends inside its range, a field the file holds whole and
// sound is taken as stored, the count of replaced fields is exact, the sound flag is
// this machine's, and what is read writes back to a file that reads the same.
#include "fuzz_support.h"

#include "core/byte_order.h"
#include "core/settings.h"

#include <cstring>
#include <string>

namespace {

std::string path;

// A record no reader could have made, so a field left alone is seen.
GameConfig stale_config(uint32_t seed) {
    GameConfig cfg;
    cfg.low_resolution = static_cast<int32_t>(seed | 0x40000000u);
    cfg.render_mode = -7;
    cfg.sound_available = static_cast<int16_t>(seed >> 3);
    cfg.sound_slot_rest[0] = 0xE1;
    cfg.sound_slot_rest[1] = 0x1E;
    cfg.music_volume = 1000;
    cfg.effects_volume = -1;
    cfg.language = 99;
    cfg.windowed = 5;
    return cfg;
}

bool same_config(const GameConfig &a, const GameConfig &b) {
    return a.low_resolution == b.low_resolution && a.render_mode == b.render_mode &&
           a.sound_available == b.sound_available &&
           a.sound_slot_rest[0] == b.sound_slot_rest[0] &&
           a.sound_slot_rest[1] == b.sound_slot_rest[1] && a.music_volume == b.music_volume &&
           a.effects_volume == b.effects_volume && a.language == b.language &&
           a.windowed == b.windowed;
}

// The stored value of the 32-bit field at `offset`, when the file holds all of it.
bool stored(const uint8_t *data, std::size_t size, std::size_t offset, int32_t &value) {
    if (size < offset + 4) return false;
    value = static_cast<int32_t>(read_le32(data + offset));
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    path = fuzz_scratch_path("Vespertil.cfg");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const uint32_t seed = static_cast<uint32_t>(size * 2654435761u);
    const GameConfig before = stale_config(seed);
    GameConfig cfg = before;
    const int replaced = config_decode(data, size, &cfg);

    FUZZ_CHECK(cfg.sound_available == before.sound_available, "the sound flag came from the file");
    FUZZ_CHECK(cfg.low_resolution == 0 || cfg.low_resolution == 1, "low resolution %d",
               cfg.low_resolution);
    if (cfg.low_resolution)
        FUZZ_CHECK(cfg.render_mode == kRenderOwnSize, "render mode %d at 320 x 200", cfg.render_mode);
    else
        FUZZ_CHECK(cfg.render_mode == kRenderScanLines || cfg.render_mode == kRenderDoubled,
                   "render mode %d at 640 x 480", cfg.render_mode);
    FUZZ_CHECK(cfg.music_volume >= 0 && cfg.music_volume <= kMaxVolume, "music volume %d",
               cfg.music_volume);
    FUZZ_CHECK(cfg.effects_volume >= 0 && cfg.effects_volume <= kMaxVolume, "effects volume %d",
               cfg.effects_volume);
    FUZZ_CHECK(cfg.language >= 0 && cfg.language < kLanguageCount, "language %d", cfg.language);
    FUZZ_CHECK(cfg.windowed == 0 || cfg.windowed == 1, "windowed %d", cfg.windowed);

    // Which fields the file held whole and usable: those are kept, the rest replaced.
    int expected_replaced = 0;
    auto expect_field = [&](std::size_t offset, int32_t got, bool usable_if_present,
                            const char *what) {
        int32_t v;
        if (stored(data, size, offset, v) && usable_if_present) {
            FUZZ_CHECK(got == v, "%s %d stored, %d read", what, v, got);
        } else {
            ++expected_replaced;
        }
    };
    int32_t v = 0;
    const bool has_low = stored(data, size, 0, v) && (v == 0 || v == 1);
    expect_field(0, cfg.low_resolution, has_low, "low resolution");
    int32_t mode = 0;
    const bool mode_fits = stored(data, size, 4, mode) &&
                           (cfg.low_resolution ? mode == kRenderOwnSize
                                               : mode == kRenderScanLines || mode == kRenderDoubled);
    expect_field(4, cfg.render_mode, mode_fits, "render mode");
    const bool music_ok = stored(data, size, 12, v) && v >= 0 && v <= kMaxVolume;
    expect_field(12, cfg.music_volume, music_ok, "music volume");
    const bool effects_ok = stored(data, size, 16, v) && v >= 0 && v <= kMaxVolume;
    expect_field(16, cfg.effects_volume, effects_ok, "effects volume");
    const bool language_ok = stored(data, size, 20, v) && v >= 0 && v < kLanguageCount;
    expect_field(20, cfg.language, language_ok, "language");
    const bool windowed_ok = stored(data, size, 24, v) && (v == 0 || v == 1);
    expect_field(24, cfg.windowed, windowed_ok, "windowed");
    FUZZ_CHECK(replaced == expected_replaced, "%d fields replaced, %d expected", replaced,
               expected_replaced);
    if (size >= 12)
        FUZZ_CHECK(cfg.sound_slot_rest[0] == data[10] && cfg.sound_slot_rest[1] == data[11],
                   "the rest of the sound slot is not the file's");
    else
        FUZZ_CHECK(cfg.sound_slot_rest[0] == 0xE1 && cfg.sound_slot_rest[1] == 0x1E,
                   "a file too short for the sound slot changed its rest");

    // What was read, written again, reads back the same with nothing replaced.
    uint8_t bytes[kSettingsFileSize];
    config_encode(cfg, bytes);
    GameConfig again = before;
    FUZZ_CHECK(config_decode(bytes, sizeof bytes, &again) == 0, "a written file has bad fields");
    FUZZ_CHECK(same_config(again, cfg), "a written file reads back otherwise");

    // The file reader gives what the decoder gives for the file's first 28 bytes.
    fuzz_write_file(path, data, size);
    GameConfig from_file = before;
    FUZZ_CHECK(read_settings_file(path.c_str(), &from_file), "the settings file cannot be read");
    GameConfig from_bytes = before;
    config_decode(data, size < kSettingsFileSize ? size : kSettingsFileSize, &from_bytes);
    FUZZ_CHECK(same_config(from_file, from_bytes), "the file reader and the decoder differ");
    return 0;
}
