// What the tune notation of vespertil-xm promises on any text (support/promise.h): a
// refused tune is named by its file and line; an accepted one becomes a module that
// the game's module check accepts and its music player loads and plays.
#include "support/promise.h"

#include "fuzz_support.h"

#include "music/music.h"
#include "music/music_private.h"
#include "music/music_render.h"
#include "tune.h"

std::string tune_promise(const uint8_t *data, std::size_t size) {
    static const std::string path = [] {
        music_install_without_output();
        return fuzz_scratch_path("fuzz.xm");
    }();
    XmModule module;
    std::string error;
    if (!compile_tune_text("fuzz.tune", std::string(reinterpret_cast<const char *>(data), size), module,
                           error)) {
        PROMISE(error.rfind("fuzz.tune:", 0) == 0, "a refusal without the file: '%s'", error.c_str());
        return "";
    }
    const std::vector<uint8_t> bytes = xm_bytes(module);
    PROMISE(module_file_acceptable(bytes.data(), static_cast<long>(bytes.size())),
                 "the game refuses a module the tool wrote");
    fuzz_write_file(path, bytes.data(), bytes.size());
    MusicModule m = music_load(path.c_str());
    PROMISE(m != nullptr, "the player cannot load a module the tool wrote");
    static int16_t sound[1024 * kMusicChannels];
    music_play(m, 1);
    music_render(sound, 1024);
    music_destroy(m);
    return "";
}
