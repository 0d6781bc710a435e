// The settings file "Vespertil.cfg": the 28-byte image of GameConfig, seven 4-byte
// little-endian slots. Read at start-up, created with defaults when missing, saved by
// the set-up menu. A file from elsewhere is not trusted: a value that could index a
// table out of range is replaced by its default.
#pragma once

#include "core/game_config.h"

#include <cstddef>
#include <cstdint>

constexpr const char *kSettingsFileName = "Vespertil.cfg";
constexpr std::size_t kSettingsFileSize = 28;

constexpr int32_t kDefaultRenderMode = kRenderScanLines;
constexpr int32_t kDefaultVolume = 128;
constexpr int32_t kMaxVolume = 255;

// The defaults of a first start; `sound_available` and `windowed` are left as they are.
void config_set_defaults(GameConfig *cfg);

// The 28 bytes of the file for `cfg`.
void config_encode(const GameConfig &cfg, uint8_t out[kSettingsFileSize]);

// Reads `size` bytes of a settings file over `cfg`. `sound_available` keeps the value
// it has (start-up decides it); every field that is missing from a short file, or
// that holds a value the game cannot use, gets its default. Returns the number of
// fields that were replaced.
int config_decode(const uint8_t *bytes, std::size_t size, GameConfig *cfg);

// Reads the file at `path` over `cfg` as config_decode does. False, with `cfg`
// untouched, when the file cannot be opened.
bool read_settings_file(const char *path, GameConfig *cfg);

// Writes `cfg` to `path` through a temporary file beside it, renamed over the old
// one, so a failed write never leaves a truncated file. False when it failed (the
// old file, if any, is then unchanged).
bool save_settings_file(const char *path, const GameConfig &cfg);
