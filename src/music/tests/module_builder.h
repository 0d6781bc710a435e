// Small modules for the player's tests and benchmark, written by the module
// compiler's own XM writer: one square-wave instrument and a few notes.
#pragma once

#include "xm_writer.h"

#include <cstdint>
#include <vector>

namespace module_builder {

typedef std::vector<unsigned char> Bytes;

constexpr uint8_t kXmNoteC4 = 49; // the sample's own rate

struct Note {
    int row;
    int channel;
    uint8_t note;
    uint8_t instrument; // 1-based; 0 keeps the channel's instrument
};

struct XmSong {
    int channels = 1;
    int rows = 16;
    int patterns = 1; // the order list plays patterns 0, 1, ... once each
    std::vector<Note> cells; // placed in every pattern
    int sample_length = 32;  // one cycle of a square wave
    int amplitude = 100;     // of the square wave, in 8-bit steps
};

inline Bytes build_xm(const XmSong &song) {
    XmModule m;
    m.name = "vespertil test";
    m.channels = song.channels;
    m.speed = 6;   // ticks a row
    m.tempo = 125; // beats a minute: one tick every 2.5 / tempo seconds
    XmPattern pattern;
    pattern.rows = song.rows;
    pattern.cells.resize(static_cast<std::size_t>(song.rows * song.channels));
    for (const Note &n : song.cells) {
        XmCell &c = xm_cell(pattern, song.channels, n.row, n.channel);
        c.note = n.note;
        c.instrument = n.instrument;
    }
    for (int p = 0; p < song.patterns; ++p) {
        m.orders.push_back(p);
        m.patterns.push_back(pattern);
    }
    XmInstrument square;
    square.name = "square";
    for (int i = 0; i < song.sample_length; ++i)
        square.sample.push_back(static_cast<int16_t>((i < song.sample_length / 2 ? 256 : -256) * song.amplitude));
    square.loop = true;
    square.loop_length = static_cast<uint32_t>(song.sample_length);
    m.instruments.push_back(square);
    const std::vector<uint8_t> bytes = xm_bytes(m);
    return Bytes(bytes.begin(), bytes.end());
}

// The test song: one note of a looping square wave on row 0, let go on row 8, so the
// first half of each pass sounds and the second half is silent. At speed 6 and tempo
// 125 a row lasts 0.12 s: sound for 0.96 s, silence to 1.92 s, the end of the module.
inline XmSong half_sounding_song() {
    XmSong song;
    song.cells.push_back({0, 0, kXmNoteC4, 1});
    song.cells.push_back({8, 0, kXmKeyOff, 0});
    return song;
}

} // namespace module_builder
