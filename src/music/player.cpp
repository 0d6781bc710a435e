// The module player proper: loading module files into libxmp, the one module that
// plays, the music volume, and the renderer that turns the playing module into
// samples. The renderer runs on the sound feeder's timer thread while play, stop,
// destroy and volume changes come from the game's main thread, so everything the
// two share sits in one record behind one mutex; each holder keeps it only for a few
// libxmp calls, and nothing is allocated while it is held by the renderer.
#include "music/music.h"
#include "music/music_private.h"
#include "music/music_render.h"

#include "core/paths.h"

#include <xmp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

struct MusicModuleData {
    xmp_context context; // holds the loaded module and, while it plays, its mixer
};

namespace {

constexpr int kMaxVolume = 255;
constexpr int kDefaultVolume = 128;
constexpr int kBytesPerFrame = kMusicChannels * static_cast<int>(sizeof(int16_t));
// libxmp's loop argument: 0 repeats the module for ever, 1 plays it through once.
constexpr int kXmpLoopForever = 0;
constexpr int kXmpPlayOnce = 1;

struct MusicPlayer {
    std::mutex lock;
    bool open = false;
    MusicModule current = nullptr; // the module that plays, or null
    bool looping = false;
    bool finished = false;          // the current module reached its end, not looping
    int volume = kDefaultVolume;
};

MusicPlayer player;

// Ends the current module's replay. Called with the lock held.
void stop_current() {
    if (player.current) xmp_end_player(player.current->context);
    player.current = nullptr;
    player.finished = false;
}

// Reads the whole of an open file into memory, refusing empty and oversized files
// before reading. Null on any failure; the caller frees the result.
unsigned char *read_module_file(FILE *file, long &size) {
    if (std::fseek(file, 0, SEEK_END) != 0) return nullptr;
    size = std::ftell(file);
    if (size <= 0 || size > kMusicMaxFileBytes) return nullptr;
    if (std::fseek(file, 0, SEEK_SET) != 0) return nullptr;
    unsigned char *data = static_cast<unsigned char *>(std::malloc(static_cast<std::size_t>(size)));
    if (!data) return nullptr;
    if (std::fread(data, 1, static_cast<std::size_t>(size), file) != static_cast<std::size_t>(size)) {
        std::free(data);
        return nullptr;
    }
    return data;
}

// A fresh libxmp context holding the module in `data`, or null.
xmp_context load_context(const unsigned char *data, long size) {
    if (!module_file_acceptable(data, size)) return nullptr;
    xmp_context context = xmp_create_context();
    if (!context) return nullptr;
    if (xmp_load_module_from_memory(context, data, size) != 0) {
        xmp_free_context(context);
        return nullptr;
    }
    return context;
}

void scale_by_volume(int16_t *samples, int count, int volume) {
    if (volume == kMaxVolume) return;
    for (int i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(samples[i] * volume / kMaxVolume);
}

} // namespace

void player_open() {
    std::lock_guard<std::mutex> hold(player.lock);
    player.open = true;
}

void player_close() {
    std::lock_guard<std::mutex> hold(player.lock);
    stop_current();
    player.open = false;
}

bool player_is_open() {
    std::lock_guard<std::mutex> hold(player.lock);
    return player.open;
}

int music_install_without_output() {
    player_open();
    return 1;
}

MusicModule music_load(const char *file_name) {
    if (!player_is_open() || !file_name) return nullptr;
    FILE *file = data_fopen(file_name, "rb");
    if (!file) {
        report_data_problem(file_name, "cannot be opened");
        return nullptr;
    }
    long size = 0;
    unsigned char *data = read_module_file(file, size);
    std::fclose(file);
    if (!data) {
        report_data_problem(file_name, "is empty, too large or unreadable");
        return nullptr;
    }
    // libxmp copies what it keeps, so the file's bytes go as soon as it has loaded.
    xmp_context context = load_context(data, size);
    std::free(data);
    if (!context) {
        report_data_problem(file_name, "is not a module the game can play");
        return nullptr;
    }
    MusicModule module = new (std::nothrow) MusicModuleData{context};
    if (!module) {
        xmp_release_module(context);
        xmp_free_context(context);
    }
    return module;
}

void music_play(MusicModule module, int loop) {
    std::lock_guard<std::mutex> hold(player.lock);
    if (!player.open) return;
    stop_current();
    if (!module) return;
    if (xmp_start_player(module->context, kMusicRate, 0) != 0) return;
    player.current = module;
    player.looping = loop != 0;
}

void music_stop() {
    std::lock_guard<std::mutex> hold(player.lock);
    if (!player.open) return;
    stop_current();
}

void music_destroy(MusicModule module) {
    if (!module) return;
    {
        std::lock_guard<std::mutex> hold(player.lock);
        if (player.current == module) stop_current();
    }
    xmp_release_module(module->context);
    xmp_free_context(module->context);
    delete module;
}

void music_set_volume(int volume) {
    if (volume < 0) volume = 0;
    if (volume > kMaxVolume) volume = kMaxVolume;
    std::lock_guard<std::mutex> hold(player.lock);
    player.volume = volume;
}

void music_render(int16_t *out, int frames) {
    if (!out || frames <= 0) return;
    const int bytes = frames * kBytesPerFrame;
    std::lock_guard<std::mutex> hold(player.lock);
    if (!player.open || !player.current || player.finished) {
        std::memset(out, 0, static_cast<std::size_t>(bytes));
        return;
    }
    const int loop = player.looping ? kXmpLoopForever : kXmpPlayOnce;
    // At the end of a module played once libxmp fills the rest of the buffer with
    // silence, and reports the end (leaving the buffer untouched) on the next call.
    if (xmp_play_buffer(player.current->context, out, bytes, loop) != 0) {
        std::memset(out, 0, static_cast<std::size_t>(bytes));
        player.finished = true;
        return;
    }
    scale_by_volume(out, frames * kMusicChannels, player.volume);
}
