// Carries the rendered music to the speakers through the game library's own sound
// system: an audio stream that a timer callback keeps filled, so the music goes on
// while the main thread loads a map or runs a transition.
//
// Voices: the stream plays all the music on one voice; the rest of the block the
// game asks for is claimed too and held idle, so the game's samples get exactly the
// voices left over (64 reserved - 32 for music = 32) and, since every music voice
// has the top priority, a burst of samples can never steal the one that carries
// the music.
#include "music/music.h"
#include "music/music_private.h"
#include "music/music_render.h"

#include <allegro.h>
#include <allegro/internal/aintern.h>

#include <cstdint>
#include <mutex>

namespace {

constexpr int kMinVoices = 1;
constexpr int kMaxVoices = 64;
constexpr int kStreamFrames = 1024;       // about 23 ms a buffer
constexpr int kStreamVolume = 255;        // the music volume is applied while rendering
constexpr int kStreamPan = 128;           // centre
constexpr int kMusicVoicePriority = 255;  // above every sample the game plays
constexpr int kFeedPeriodMs = 5;          // well inside one buffer's 23 ms
constexpr int kMaxBuffersPerFeed = 8;     // all the stream has free, at most
constexpr uint16_t kUnsignedFlip = 0x8000; // signed 16-bit to Allegro's unsigned

struct MusicOutput {
    // Held by the feeder while it fills the stream, and by removal while it takes
    // the stream away, so the stream is never stopped under a running feeder.
    std::mutex feeding;
    AUDIOSTREAM *stream = nullptr;
    SAMPLE *held_sample = nullptr; // what the held voices nominally carry
    int held[kMaxVoices] = {};
    int held_count = 0;
};

MusicOutput output;

// The timer callback: renders into every buffer the stream has finished playing.
// Runs on Allegro's timer thread; the renderer does its own locking.
void feed_stream() {
    std::lock_guard<std::mutex> hold(output.feeding);
    AUDIOSTREAM *stream = output.stream;
    if (!stream) return;
    for (int i = 0; i < kMaxBuffersPerFeed; ++i) {
        void *buffer = get_audio_stream_buffer(stream);
        if (!buffer) return;
        int16_t *samples = static_cast<int16_t *>(buffer);
        music_render(samples, kStreamFrames);
        uint16_t *raw = static_cast<uint16_t *>(buffer);
        for (int s = 0; s < kStreamFrames * kMusicChannels; ++s) raw[s] ^= kUnsignedFlip;
        free_audio_stream_buffer(stream);
    }
}

bool digital_sound_installed() {
    return digi_driver && digi_driver->id != DIGI_NONE && digi_driver->voices > 0;
}

void release_held_voices() {
    for (int i = 0; i < output.held_count; ++i) deallocate_voice(output.held[i]);
    output.held_count = 0;
    if (output.held_sample) destroy_sample(output.held_sample);
    output.held_sample = nullptr;
}

// Claims `count` voices and keeps them idle at the music's priority.
bool hold_voices(int count) {
    if (count <= 0) return true;
    output.held_sample = create_sample(8, 0, kMusicRate, 1);
    if (!output.held_sample) return false;
    output.held_sample->priority = kMusicVoicePriority;
    for (int i = 0; i < count; ++i) {
        const int voice = allocate_voice(output.held_sample);
        if (voice < 0) {
            release_held_voices();
            return false;
        }
        output.held[output.held_count++] = voice;
    }
    return true;
}

bool start_stream() {
    AUDIOSTREAM *stream = play_audio_stream(kStreamFrames, 16, TRUE, kMusicRate, kStreamVolume, kStreamPan);
    if (!stream) return false;
    voice_set_priority(stream->voice, kMusicVoicePriority);
    std::lock_guard<std::mutex> hold(output.feeding);
    output.stream = stream;
    return true;
}

void stop_stream() {
    AUDIOSTREAM *stream;
    {
        std::lock_guard<std::mutex> hold(output.feeding);
        stream = output.stream;
        output.stream = nullptr;
    }
    if (stream) stop_audio_stream(stream);
}

bool stream_running() {
    std::lock_guard<std::mutex> hold(output.feeding);
    return output.stream != nullptr;
}

} // namespace

int music_install(int voices) {
    if (voices < kMinVoices || voices > kMaxVoices) return -1;
    if (stream_running()) return 1;
    if (!digital_sound_installed() || digi_driver->voices < voices) return -1;
    if (!hold_voices(voices - 1)) return -1;
    if (!start_stream()) {
        release_held_voices();
        return -1;
    }
    player_open();
    if (install_int(feed_stream, kFeedPeriodMs) != 0) {
        player_close();
        stop_stream();
        release_held_voices();
        return -1;
    }
    // Shutting the library down removes the sound system before the timer; stop
    // feeding first so the callback never touches a stream whose voice is gone.
    _add_exit_func(music_remove, "music_remove");
    return 1;
}

void music_remove() {
    if (stream_running()) {
        stop_stream(); // the feeder finds no stream from here on
        remove_int(feed_stream);
        _remove_exit_func(music_remove);
        release_held_voices();
    }
    player_close();
}
