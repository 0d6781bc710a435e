// Builds small, valid Extended Modules byte by byte, so the player's tests and
// benchmark have real modules to load without any content files. The other formats'
// seeds lie in fuzz/corpus/module/.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace module_builder {

typedef std::vector<unsigned char> Bytes;

// XM note numbers: 1 is C-0, 49 is C-4 (the sample's own rate), 97 lets go of the key.
constexpr uint8_t kXmNoteC4 = 49;
constexpr uint8_t kXmKeyOff = 97;

struct XmCell {
    int row;
    int channel;
    uint8_t note;
    uint8_t instrument; // 1-based; 0 keeps the channel's instrument
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmSong {
    int channels = 1;
    int rows = 16;
    int speed = 6;   // ticks a row
    int tempo = 125; // beats a minute: one tick every 2.5 / tempo seconds
    int patterns = 1; // the order list plays patterns 0, 1, ... once each
    std::vector<XmCell> cells; // placed in every pattern
    int sample_length = 32;    // one cycle of a square wave, in bytes
    int amplitude = 100;       // of the 8-bit square wave
    bool sample_loops = true;
    int instruments = 1;       // copies of the same instrument
};

inline void put8(Bytes &b, unsigned v) { b.push_back(static_cast<unsigned char>(v)); }
inline void put16(Bytes &b, unsigned v) {
    put8(b, v & 0xff);
    put8(b, (v >> 8) & 0xff);
}
inline void put32(Bytes &b, uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}
inline void put_text(Bytes &b, const char *text, std::size_t width) {
    std::size_t n = std::strlen(text);
    for (std::size_t i = 0; i < width; ++i) put8(b, i < n ? static_cast<unsigned char>(text[i]) : 0);
}
inline void put_zeros(Bytes &b, std::size_t n) { b.insert(b.end(), n, 0); }

// The square wave every test instrument plays, 8-bit signed.
inline std::vector<int8_t> square_wave(int length, int amplitude) {
    std::vector<int8_t> wave(length);
    for (int i = 0; i < length; ++i)
        wave[i] = static_cast<int8_t>(i < length / 2 ? amplitude : -amplitude);
    return wave;
}

inline void put_xm_pattern(Bytes &b, const XmSong &song) {
    Bytes data;
    for (int row = 0; row < song.rows; ++row) {
        for (int ch = 0; ch < song.channels; ++ch) {
            const XmCell *cell = nullptr;
            for (const XmCell &c : song.cells)
                if (c.row == row && c.channel == ch) cell = &c;
            if (!cell) {
                put8(data, 0x80); // packed: nothing in this cell
                continue;
            }
            put8(data, 0x80 | 0x01 | 0x02 | 0x08 | 0x10); // note, instrument, effect, param
            put8(data, cell->note);
            put8(data, cell->instrument);
            put8(data, cell->effect);
            put8(data, cell->param);
        }
    }
    put32(b, 9);         // pattern header length
    put8(b, 0);          // packing type
    put16(b, song.rows);
    put16(b, static_cast<unsigned>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
}

inline void put_xm_instrument(Bytes &b, const XmSong &song) {
    put32(b, 263); // instrument header size
    put_text(b, "square", 22);
    put8(b, 0);    // type
    put16(b, 1);   // one sample
    put32(b, 40);  // sample header size
    put_zeros(b, 96);      // every key plays sample 0
    put_zeros(b, 48 + 48); // volume and panning envelopes (unused)
    put_zeros(b, 8);       // envelope point counts, sustain and loop points
    put8(b, 0);            // volume envelope off
    put8(b, 0);            // panning envelope off
    put_zeros(b, 4);       // vibrato
    put16(b, 0);           // fade-out
    put_zeros(b, 22);      // reserved, up to 263 bytes

    put32(b, song.sample_length);
    put32(b, 0);                                     // loop start
    put32(b, song.sample_loops ? song.sample_length : 0); // loop length
    put8(b, 64);                                     // volume
    put8(b, 0);                                      // finetune
    put8(b, song.sample_loops ? 1 : 0);              // forward loop, 8-bit
    put8(b, 128);                                    // panning
    put8(b, 0);                                      // relative note
    put8(b, 0);                                      // reserved
    put_text(b, "square", 22);

    // Sample data is stored as differences from the previous byte.
    int8_t previous = 0;
    for (int8_t v : square_wave(song.sample_length, song.amplitude)) {
        put8(b, static_cast<uint8_t>(v - previous));
        previous = v;
    }
}

inline Bytes build_xm(const XmSong &song) {
    Bytes b;
    put_text(b, "Extended Module: ", 17);
    put_text(b, "vespertil test", 20);
    put8(b, 0x1a);
    put_text(b, "module_builder", 20);
    put16(b, 0x0104);
    put32(b, 276); // header size from here: 4 + 16 + 256 order bytes
    put16(b, song.patterns); // song length in orders
    put16(b, 0);             // restart position
    put16(b, song.channels);
    put16(b, song.patterns);
    put16(b, song.instruments);
    put16(b, 1); // linear frequency table
    put16(b, song.speed);
    put16(b, song.tempo);
    for (int i = 0; i < 256; ++i) put8(b, i < song.patterns ? i : 0);
    for (int p = 0; p < song.patterns; ++p) put_xm_pattern(b, song);
    for (int i = 0; i < song.instruments; ++i) put_xm_instrument(b, song);
    return b;
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
