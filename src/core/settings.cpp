// Settings file encoding, checking and safe saving.
#include "core/settings.h"

#include "core/byte_order.h"
#include "core/paths.h"

#include <cstdio>
#include <cstring>

namespace {

// Byte offsets of the slots in the file.
constexpr std::size_t kOffLowResolution = 0;
constexpr std::size_t kOffRenderMode = 4;
constexpr std::size_t kOffSound = 8;
constexpr std::size_t kOffSoundRest = 10;
constexpr std::size_t kOffMusicVolume = 12;
constexpr std::size_t kOffEffectsVolume = 16;
constexpr std::size_t kOffLanguage = 20;
constexpr std::size_t kOffWindowed = 24;

void put32(uint8_t *p, int32_t v) { write_le32(p, static_cast<uint32_t>(v)); }
void put16(uint8_t *p, int16_t v) { write_le16(p, static_cast<uint16_t>(v)); }
int32_t get32(const uint8_t *p) { return static_cast<int32_t>(read_le32(p)); }

// One 32-bit field of a file that may be short. Returns false when the file does not
// hold the whole field, or when `ok(value)` rejects it; then the field is left alone.
template <typename Check>
bool take_field(const uint8_t *bytes, std::size_t size, std::size_t off, Check ok, int32_t *field) {
    if (size < off + 4) return false;
    int32_t v = get32(bytes + off);
    if (!ok(v)) return false;
    *field = v;
    return true;
}

bool is_flag(int32_t v) { return v == 0 || v == 1; }
bool is_volume(int32_t v) { return v >= 0 && v <= kMaxVolume; }
bool is_language(int32_t v) { return v >= 0 && v < kLanguageCount; }

// The view is shown at its own size on a 320 x 200 screen and doubled (with or
// without scan lines) on a 640 x 480 one.
bool render_mode_fits(int32_t mode, int32_t low_resolution) {
    if (low_resolution) return mode == kRenderOwnSize;
    return mode == kRenderScanLines || mode == kRenderDoubled;
}

} // namespace

void config_set_defaults(GameConfig *cfg) {
    cfg->low_resolution = 0;
    cfg->render_mode = kDefaultRenderMode;
    cfg->music_volume = kDefaultVolume;
    cfg->effects_volume = kDefaultVolume;
    cfg->language = kSpanish;
}

void config_encode(const GameConfig &cfg, uint8_t out[kSettingsFileSize]) {
    std::memset(out, 0, kSettingsFileSize);
    put32(out + kOffLowResolution, cfg.low_resolution);
    put32(out + kOffRenderMode, cfg.render_mode);
    put16(out + kOffSound, cfg.sound_available);
    out[kOffSoundRest] = cfg.sound_slot_rest[0];
    out[kOffSoundRest + 1] = cfg.sound_slot_rest[1];
    put32(out + kOffMusicVolume, cfg.music_volume);
    put32(out + kOffEffectsVolume, cfg.effects_volume);
    put32(out + kOffLanguage, cfg.language);
    put32(out + kOffWindowed, cfg.windowed);
}

int config_decode(const uint8_t *bytes, std::size_t size, GameConfig *cfg) {
    GameConfig d = *cfg;
    config_set_defaults(&d);
    int replaced = 0;
    auto field = [&](std::size_t off, auto ok, int32_t *dst, int32_t def) {
        *dst = def;
        if (!take_field(bytes, size, off, ok, dst)) ++replaced;
    };
    field(kOffLowResolution, is_flag, &cfg->low_resolution, d.low_resolution);
    int32_t low = cfg->low_resolution;
    int32_t fitting_default = low ? int32_t{kRenderOwnSize} : kDefaultRenderMode;
    field(kOffRenderMode, [low](int32_t v) { return render_mode_fits(v, low); },
          &cfg->render_mode, fitting_default);
    if (size >= kOffSoundRest + 2) {
        cfg->sound_slot_rest[0] = bytes[kOffSoundRest];
        cfg->sound_slot_rest[1] = bytes[kOffSoundRest + 1];
    }
    field(kOffMusicVolume, is_volume, &cfg->music_volume, d.music_volume);
    field(kOffEffectsVolume, is_volume, &cfg->effects_volume, d.effects_volume);
    field(kOffLanguage, is_language, &cfg->language, d.language);
    // Start-up sets `windowed` from the command line right after reading.
    field(kOffWindowed, is_flag, &cfg->windowed, 0);
    return replaced;
}

bool read_settings_file(const char *path, GameConfig *cfg) {
    FILE *f = data_fopen(path, "rb");
    if (!f) return false;
    uint8_t bytes[kSettingsFileSize];
    std::size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    config_decode(bytes, n, cfg);
    return true;
}

bool save_settings_file(const char *path, const GameConfig &cfg) {
    char real[kMaxDataPath];
    char temp[kMaxDataPath + 8];
    if (!resolve_data_path(path, real, sizeof real)) return false;
    std::snprintf(temp, sizeof temp, "%s.tmp", real);

    uint8_t bytes[kSettingsFileSize];
    config_encode(cfg, bytes);
    FILE *f = std::fopen(temp, "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    ok = (std::fflush(f) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (ok && std::rename(temp, real) == 0) return true;
    std::remove(temp);
    return false;
}
