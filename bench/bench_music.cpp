// What one second of music costs to render (44.1 kHz stereo, in the sound feeder's
// 1024-frame pieces, at the default music volume): the budget is 5 ms of CPU.
// scripts/measure.sh reports the 8-channel figure in README's table.
#include "music/music.h"
#include "music/music_render.h"
#include "music/tests/module_builder.h"
#include "support/test_support.h"

#include <benchmark/benchmark.h>

#include <allegro.h>

#include <vector>

namespace {

using module_builder::Note;
using module_builder::XmSong;

// A busy song: every channel strikes a new note every other row, walking up and
// down the scale, with looping samples long enough that the mixer really
// interpolates, over four patterns.
XmSong busy_song(int channels) {
    XmSong song;
    song.channels = channels;
    song.rows = 64;
    song.patterns = 4;
    song.sample_length = 2000;
    for (int row = 0; row < song.rows; row += 2)
        for (int ch = 0; ch < channels; ++ch) {
            const uint8_t note = static_cast<uint8_t>(37 + (row / 2 + ch * 5) % 24);
            song.cells.push_back({row, ch, note, 1});
        }
    return song;
}

void render_one_second(benchmark::State &state) {
    testing_support::TempDir dir(true);
    testing_support::write_file("busy.xm", module_builder::build_xm(busy_song(static_cast<int>(state.range(0)))));
    music_install_without_output();
    MusicModule song = music_load("busy.xm");
    if (!song) {
        state.SkipWithError("the benchmark module did not load");
        return;
    }
    music_set_volume(128);
    music_play(song, 1);

    constexpr int kPiece = 1024;
    std::vector<int16_t> buffer(kPiece * kMusicChannels);
    music_render(buffer.data(), kPiece);
    int peak = 0;
    for (int16_t v : buffer) peak = v > peak ? v : peak;
    if (peak == 0) {
        state.SkipWithError("the benchmark module renders silence");
        return;
    }
    for (auto _ : state) {
        for (int done = 0; done < kMusicRate; done += kPiece) {
            music_render(buffer.data(), kPiece < kMusicRate - done ? kPiece : kMusicRate - done);
            benchmark::DoNotOptimize(buffer.data());
        }
        benchmark::ClobberMemory();
    }
    state.SetLabel("one second of music per iteration");
    music_destroy(song);
    music_remove();
}

} // namespace

BENCHMARK(render_one_second)->Arg(1)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

