// Module music through the six music operations, with the module check in front of
// libxmp. Any file: the check's verdict stands (music_load never takes a file the
// check refuses); a module that loads plays, renders, changes volume, stops and is
// freed without a sanitizer report or a leak, looping or not.
#include "fuzz_support.h"

#include "music/music.h"
#include "music/music_private.h"
#include "music/music_render.h"

#include <cstdint>
#include <string>

namespace {

std::string path;
constexpr int kRenderFrames = 2048; // about 46 ms of sound

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    path = fuzz_scratch_path("fuzz.xm");
    music_install_without_output();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const bool acceptable = module_file_acceptable(data, static_cast<long>(size));
    fuzz_write_file(path, data, size);
    MusicModule module = music_load(path.c_str());
    FUZZ_CHECK(acceptable || !module, "a module the check refuses was loaded");
    if (!module) return 0;
    static int16_t sound[kRenderFrames * kMusicChannels];
    music_play(module, static_cast<int>(size & 1));
    music_render(sound, kRenderFrames);
    music_set_volume(static_cast<int>(size % 300));
    music_render(sound, kRenderFrames);
    music_stop();
    music_render(sound, kRenderFrames);
    for (int16_t s : sound) FUZZ_CHECK(s == 0, "sound after the music stopped");
    music_play(module, 1);
    music_destroy(module);
    music_render(sound, kRenderFrames);
    for (int16_t s : sound) FUZZ_CHECK(s == 0, "sound from a freed module");
    return 0;
}
