// The tune notation of vespertil-xm on any text. A refused tune is named by the file
// and line of its fault; an accepted one becomes an Extended Module that the game's
// module check accepts and its music player loads and plays.
#include "fuzz_support.h"

#include "music/music.h"
#include "music/music_private.h"
#include "music/music_render.h"
#include "tune.h"

#include <string>

namespace {

std::string path;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    path = fuzz_scratch_path("fuzz.xm");
    music_install_without_output();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    XmModule module;
    std::string error;
    if (!compile_tune_text("fuzz.tune", text, module, error)) {
        FUZZ_CHECK(error.rfind("fuzz.tune", 0) == 0, "error without the file: %s", error.c_str());
        return 0;
    }
    const std::vector<uint8_t> bytes = xm_bytes(module);
    FUZZ_CHECK(module_file_acceptable(bytes.data(), static_cast<long>(bytes.size())),
               "the game refuses a module the tool wrote");
    fuzz_write_file(path, bytes.data(), bytes.size());
    MusicModule m = music_load(path.c_str());
    FUZZ_CHECK(m != nullptr, "the player cannot load a module the tool wrote");
    static int16_t sound[1024 * kMusicChannels];
    music_play(m, 1);
    music_render(sound, 1024);
    music_destroy(m);
    return 0;
}
