// The promises of the JPEG loader and the module player.
#include "support/promise.h"

#include "fuzz_support.h"

#include "core/file_limits.h"
#include "music/music.h"
#include "music/music_private.h"
#include "music/music_render.h"
#include "ui/jpeg.h"

#include <allegro.h>

// Whatever the file, load_jpg gives null or a picture inside the 640 x 480 screen in
// the current depth (the game's two, by the input's length), with nothing left
// allocated either way (LeakSanitizer). The size a header declares is judged before
// libjpeg allocates for it: the fuzz target runs with a malloc limit far below what
// a picture beyond the limit would take.
std::string jpeg_promise(const uint8_t *data, std::size_t size) {
    static const std::string path = fuzz_scratch_path("fuzz.jpg");
    fuzz_write_file(path, data, size);
    const int depth = size % 2 ? 16 : 32;
    set_color_depth(depth);
    PALETTE pal;
    BITMAP *b = load_jpg(path.c_str(), pal);
    if (!b) return "";
    const int w = b->w, h = b->h, got = bitmap_color_depth(b);
    destroy_bitmap(b);
    PROMISE(picture_size_allowed(w, h), "a picture of %d x %d", w, h);
    PROMISE(got == depth, "a %d-bit picture at %d bits", got, depth);
    return "";
}

namespace {

constexpr int kRenderFrames = 2048; // about 46 ms of sound

bool silent(const int16_t *sound) {
    for (int i = 0; i < kRenderFrames * kMusicChannels; ++i)
        if (sound[i] != 0) return false;
    return true;
}

} // namespace

// The module check's verdict stands (music_load never takes a file it refuses); a
// module that loads plays, renders, changes volume, stops and is freed, looping or
// not, without a sanitizer report or a leak; stopped or freed, it is silent.
std::string module_promise(const uint8_t *data, std::size_t size) {
    static const std::string path = [] {
        music_install_without_output();
        return fuzz_scratch_path("fuzz.xm");
    }();
    const bool acceptable = module_file_acceptable(data, static_cast<long>(size));
    fuzz_write_file(path, data, size);
    MusicModule module = music_load(path.c_str());
    if (!module) return "";
    if (!acceptable) {
        music_destroy(module);
        return broken("a module the check refuses was loaded");
    }
    static int16_t sound[kRenderFrames * kMusicChannels];
    music_play(module, static_cast<int>(size & 1));
    music_render(sound, kRenderFrames);
    music_set_volume(static_cast<int>(size % 300));
    music_render(sound, kRenderFrames);
    music_stop();
    music_render(sound, kRenderFrames);
    const bool quiet_after_stop = silent(sound);
    music_play(module, 1);
    music_destroy(module);
    music_render(sound, kRenderFrames);
    music_set_volume(128);
    PROMISE(quiet_after_stop, "sound after the music stopped");
    PROMISE(silent(sound), "sound from a freed module");
    return "";
}
