// The promises of the ground floor's readers: the data-path resolver, the header
// checks in front of the library's picture and sample loaders, the PCX and WAV
// loaders behind them, and the settings file.
#include "support/promise.h"

#include "fuzz_support.h"

#include "core/byte_order.h"
#include "core/file_limits.h"
#include "core/owners.h"
#include "core/paths.h"
#include "core/settings.h"

#include <allegro.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <vector>

namespace {

// ---- The data-path resolver -----------------------------------------------------------

// Stored as a level maker might have them; the game asks for other spellings.
const char *const kPlanted[] = {"GFX/Menu_Spr.PCX", "GFX/fondo_menu.jpg", "MAP/Prueba.MAP",
                                "sfx/CUEVA.xm", "Vespertil.cfg"};

const std::string &planted_dir() {
    static const std::string dir = [] {
        const std::string d = fuzz_scratch_path("data");
        mkdir(d.c_str(), 0755);
        for (const char *sub : {"GFX", "MAP", "sfx"}) mkdir((d + "/" + sub).c_str(), 0755);
        const uint8_t byte = 0;
        for (const char *file : kPlanted) fuzz_write_file(d + "/" + file, &byte, 1);
        return d;
    }();
    return dir;
}

// `path` in lower case with '/' for '\' and without empty components (a leading or
// doubled '/'), so that two names compare component by component ignoring case.
std::string folded(const std::string &path) {
    std::string out;
    for (char c : path) {
        c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c != '/' || (!out.empty() && out.back() != '/')) out += c;
    }
    if (!out.empty() && out.back() == '/') out.pop_back();
    return out;
}

bool same_ignoring_case(const std::string &a, const std::string &b) { return folded(a) == folded(b); }

// The resolver's promises with the planted directory as the working directory: the
// result fits the buffer (exactly that big, so AddressSanitizer sees a byte beyond
// it) and is empty when refused, which only an empty name or one that does not fit
// may be; an accepted name keeps its components in order, each the name's ignoring
// case, with '/' for '\', and a name of a planted file finds it.
std::string resolve_in_planted_dir(const std::string &name, std::size_t out_size) {
    std::vector<char> out(out_size);
    if (out_size > 0) out[0] = 'x';
    if (!resolve_data_path(name.c_str(), out.data(), out_size)) {
        PROMISE(out_size == 0 || out[0] == '\0', "a refused name left '%.*s'",
                static_cast<int>(out_size), out.data());
        // A result is never longer than its name, so a name that fits is resolved.
        PROMISE(name.empty() || name.size() >= kMaxDataPath || name.size() >= out_size,
                "'%s' refused with %zu bytes of room", name.c_str(), out_size);
        return "";
    }
    const std::size_t length = strnlen(out.data(), out_size);
    PROMISE(length < out_size, "the result fills the buffer without its end");
    const std::string result(out.data(), length);
    PROMISE(result.find('\\') == std::string::npos, "a backslash in '%s'", result.c_str());
    PROMISE(same_ignoring_case(result, name), "'%s' became '%s'", name.c_str(), result.c_str());
    const bool rooted = name[0] == '/' || name[0] == '\\';
    PROMISE(rooted == (result[0] == '/'), "'%s' became '%s'", name.c_str(), result.c_str());
    for (const char *file : kPlanted)
        if (!rooted && same_ignoring_case(name, file))
            PROMISE(result == file, "'%s' found '%s', not %s", name.c_str(), result.c_str(), file);
    return "";
}

// ---- PCX and WAV headers ------------------------------------------------------------------

constexpr std::size_t kPcxHeaderBytes = 128;

long pcx_width(const uint8_t *d) { return long{read_le16(d + 8)} - read_le16(d + 4) + 1; }
long pcx_height(const uint8_t *d) { return long{read_le16(d + 10)} - read_le16(d + 6) + 1; }

// The sound of a WAV file the check passed: its one "data" chunk after a PCM "fmt "
// chunk, in the format in force there (16 bytes read from every format chunk, as the
// library's loader reads them), on the walk the loader takes (chunk after chunk,
// lengths signed, no padding after an odd length), and where it ends.
struct Sound {
    bool found = false;
    int bits = 8, channels = 1;
    uint32_t bytes = 0;
    std::size_t end = 0;
};
bool wav_sound(const uint8_t *data, std::size_t size, Sound &s) {
    bool format = false;
    int bits = 8, channels = 1;
    for (std::size_t pos = 12; size >= pos + 8;) {
        const int32_t n = static_cast<int32_t>(read_le32(data + pos + 4));
        if (std::memcmp(data + pos, "fmt ", 4) == 0) {
            format = size >= pos + 10 && read_le16(data + pos + 8) == 1;
            if (size >= pos + 24) {
                channels = read_le16(data + pos + 10);
                bits = read_le16(data + pos + 22);
            }
        } else if (std::memcmp(data + pos, "data", 4) == 0) {
            if (s.found || !format || n < 0) return false;
            s = Sound{true, bits, channels, static_cast<uint32_t>(n), pos + 8 + static_cast<std::size_t>(n)};
        }
        pos += 8 + static_cast<std::size_t>(n > 0 ? n : 0);
    }
    return s.found;
}

// A passed WAV file holds one whole sound of at most 30 s; more bytes after it keep
// it passed, and cut one byte short of its sound's end it is refused.
std::string wav_header_promise(const uint8_t *data, std::size_t size) {
    if (wav_file_problem(data, size)) return "";
    PROMISE(size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0,
            "a WAV without RIFF and WAVE passed");
    Sound sound;
    PROMISE(wav_sound(data, size, sound), "a WAV passed without format and one sound");
    const uint32_t length = sound.bytes;
    const std::size_t end = sound.end;
    PROMISE(length <= kMaxSampleDataBytes, "%u bytes of sound passed", length);
    PROMISE(end <= size, "sound to byte %zu of a file of %zu passed", end, size);
    std::vector<uint8_t> longer(data, data + size);
    longer.insert(longer.end(), 9, 0xEE);
    PROMISE(!wav_file_problem(longer.data(), longer.size()), "bytes after a sound WAV refuse it");
    if (length > 0)
        PROMISE(wav_file_problem(data, end - 1) != nullptr, "a WAV whose sound is cut short passed");
    return "";
}

// ---- Loaders behind the checks ----------------------------------------------------------

// A file the check refuses never reaches the library; one it passes loads as exactly
// the sound the check judged.
std::string sample_promise(SAMPLE *s, const char *problem, const Sound &sound, const char *loader) {
    OwnedSample owned(s);
    PROMISE(!(s && problem), "%s loaded a file the check refuses: %s", loader, problem);
    if (problem) return "";
    PROMISE(s, "%s: the library refused a file the check passed", loader);
    PROMISE(sound.found, "%s: a passed file without sound", loader);
    unsigned long frames = sound.channels == 2 ? (sound.bytes + 1) / 2 : sound.bytes;
    if (sound.bits == 16) frames /= 2;
    PROMISE(s->len == frames && s->bits == sound.bits && (s->stereo != 0) == (sound.channels == 2),
            "%s: %lu frames of %d bits, stereo %d; the check judged %u bytes of %d bits, "
            "%d channels", loader, s->len, s->bits, s->stereo, sound.bytes, sound.bits,
            sound.channels);
    return "";
}

// A picture the library makes has the size its header declares, inside the screen.
std::string picture_promise(BITMAP *b, const uint8_t *data, bool refused, const char *loader) {
    if (!b) return "";
    const int w = b->w, h = b->h;
    destroy_bitmap(b);
    PROMISE(!refused, "%s loaded a picture the check refuses", loader);
    PROMISE(w == pcx_width(data) && h == pcx_height(data), "%s: %d x %d for a header of %ld x %ld",
            loader, w, h, pcx_width(data), pcx_height(data));
    PROMISE(picture_size_allowed(w, h), "%s: a picture of %d x %d", loader, w, h);
    return "";
}

// ---- Settings -------------------------------------------------------------------------------

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

static_assert(sizeof(GameConfig) == kSettingsFileSize, "the record has padding: compare it field by field");
bool same_config(const GameConfig &a, const GameConfig &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool render_mode_fits(int32_t mode, int32_t low_resolution) {
    return low_resolution ? mode == kRenderOwnSize
                          : mode == kRenderScanLines || mode == kRenderDoubled;
}

} // namespace

std::string data_path_promise(const uint8_t *data, std::size_t size) {
    if (size == 0) return "";
    const std::size_t out_size = data[0] == 255 ? kMaxDataPath : data[0];
    const std::string name(reinterpret_cast<const char *>(data + 1),
                           strnlen(reinterpret_cast<const char *>(data + 1), size - 1));
    const std::string &dir = planted_dir();
    const int home = open(".", O_RDONLY | O_DIRECTORY);
    if (home < 0 || chdir(dir.c_str()) != 0) return broken("cannot enter %s", dir.c_str());
    std::string result = resolve_in_planted_dir(name, out_size);
    if (fchdir(home) != 0) result = "cannot go back to the working directory";
    close(home);
    return result;
}

// A picture size passes only inside the screen; a PCX header passes only whole, with
// the PCX mark and a size inside the screen, judged by its 128 bytes alone; and a
// WAV file as wav_header_promise says.
std::string file_limits_promise(const uint8_t *data, std::size_t size) {
    if (size >= 4) {
        const long w = static_cast<int16_t>(read_le16(data)), h = static_cast<int16_t>(read_le16(data + 2));
        const bool want = w >= 1 && w <= kMaxPictureWidth && h >= 1 && h <= kMaxPictureHeight;
        PROMISE(picture_size_allowed(w, h) == want, "%ld x %ld judged %d", w, h, !want);
    }
    const char *problem = pcx_header_problem(data, size);
    if (size >= kPcxHeaderBytes)
        PROMISE(!problem == !pcx_header_problem(data, kPcxHeaderBytes),
                "a PCX is judged by more than its header");
    if (!problem) {
        PROMISE(size >= kPcxHeaderBytes && data[0] == 10, "a PCX without its header passed");
        PROMISE(picture_size_allowed(pcx_width(data), pcx_height(data)), "a PCX of %ld x %ld passed",
                pcx_width(data), pcx_height(data));
    }
    return wav_header_promise(data, size);
}

// Through the game's resolver loaders (data_load_pcx, data_load_bitmap), at the
// game's two depths.
std::string pcx_promise(const uint8_t *data, std::size_t size) {
    static const std::string path = fuzz_scratch_path("fuzz.pcx");
    fuzz_write_file(path, data, size);
    const bool refused = pcx_header_problem(data, size) != nullptr;
    set_color_depth(size % 2 ? 16 : 32);
    PALETTE pal;
    KEPT(picture_promise(data_load_pcx(path.c_str(), pal), data, refused, "data_load_pcx"));
    return picture_promise(data_load_bitmap(path.c_str(), pal), data, refused, "data_load_bitmap");
}

// Through the game's resolver loaders (data_load_wav, data_load_sample).
std::string wav_promise(const uint8_t *data, std::size_t size) {
    static const std::string path = fuzz_scratch_path("fuzz.wav");
    fuzz_write_file(path, data, size);
    const char *problem = wav_file_problem(data, size);
    Sound sound;
    if (!problem) wav_sound(data, size, sound);
    KEPT(sample_promise(data_load_wav(path.c_str()), problem, sound, "data_load_wav"));
    return sample_promise(data_load_sample(path.c_str()), problem, sound, "data_load_sample");
}

// Every field ends inside its range; a field the file holds whole and sound is taken
// as stored, the rest replaced and counted; the sound flag is this machine's; what is
// read writes back to a file that reads the same; and the file reader gives what the
// decoder gives for the file's first 28 bytes.
std::string settings_promise(const uint8_t *data, std::size_t size) {
    const GameConfig before = stale_config(static_cast<uint32_t>(size * 2654435761u));
    GameConfig cfg = before;
    const int replaced = config_decode(data, size, &cfg);
    PROMISE(cfg.sound_available == before.sound_available, "the sound flag came from the file");

    struct Field {
        std::size_t offset;
        int32_t got;
        bool (*usable)(int32_t stored, const GameConfig &cfg);
        const char *what;
    };
    const Field fields[] = {
        {0, cfg.low_resolution, [](int32_t v, const GameConfig &) { return v == 0 || v == 1; }, "low resolution"},
        {4, cfg.render_mode, [](int32_t v, const GameConfig &c) { return render_mode_fits(v, c.low_resolution); }, "render mode"},
        {12, cfg.music_volume, [](int32_t v, const GameConfig &) { return v >= 0 && v <= kMaxVolume; }, "music volume"},
        {16, cfg.effects_volume, [](int32_t v, const GameConfig &) { return v >= 0 && v <= kMaxVolume; }, "effects volume"},
        {20, cfg.language, [](int32_t v, const GameConfig &) { return v >= 0 && v < kLanguageCount; }, "language"},
        {24, cfg.windowed, [](int32_t v, const GameConfig &) { return v == 0 || v == 1; }, "windowed"},
    };
    int expected_replaced = 0;
    for (const Field &f : fields) {
        // Whatever the file held, the value read is one the file could have held usably.
        PROMISE(f.usable(f.got, cfg), "%s %d read", f.what, f.got);
        const bool whole = size >= f.offset + 4;
        const int32_t stored = whole ? static_cast<int32_t>(read_le32(data + f.offset)) : 0;
        if (whole && f.usable(stored, cfg)) PROMISE(f.got == stored, "%s %d stored, %d read", f.what, stored, f.got);
        else ++expected_replaced;
    }
    PROMISE(replaced == expected_replaced, "%d fields replaced, %d expected", replaced, expected_replaced);
    const uint8_t rest[2] = {size >= 12 ? data[10] : uint8_t{0xE1}, size >= 12 ? data[11] : uint8_t{0x1E}};
    PROMISE(cfg.sound_slot_rest[0] == rest[0] && cfg.sound_slot_rest[1] == rest[1],
            "the rest of the sound slot is not the file's");

    uint8_t bytes[kSettingsFileSize];
    config_encode(cfg, bytes);
    GameConfig again = before;
    PROMISE(config_decode(bytes, sizeof bytes, &again) == 0, "a written file has bad fields");
    PROMISE(same_config(again, cfg), "a written file reads back otherwise");

    static const std::string path = fuzz_scratch_path("Vespertil.cfg");
    fuzz_write_file(path, data, size);
    GameConfig from_file = before, from_bytes = before;
    PROMISE(read_settings_file(path.c_str(), &from_file), "the settings file cannot be read");
    config_decode(data, size < kSettingsFileSize ? size : kSettingsFileSize, &from_bytes);
    PROMISE(same_config(from_file, from_bytes), "the file reader and the decoder differ");
    return "";
}
