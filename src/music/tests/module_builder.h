// Builds small, valid tracker modules byte by byte (Extended Module, ProTracker MOD,
// and an XM wrapped in an Unreal package) so the player's tests and benchmark have
// real modules to load without any content files.
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
inline void put16be(Bytes &b, unsigned v) {
    put8(b, (v >> 8) & 0xff);
    put8(b, v & 0xff);
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

// A ProTracker module with the 31-sample signature `signature` ("M.K."), one
// pattern of 64 rows, four channels and one looping square-wave sample that plays
// on row 0 of channel 0. With `sample_slots` 15 and a null signature it is the
// older Soundtracker layout, which has no signature at all.
inline Bytes build_mod(const char *signature, int sample_slots = 31) {
    constexpr int kWaveBytes = 32;
    Bytes b;
    put_text(b, "vespertil test", 20);
    for (int s = 0; s < sample_slots; ++s) {
        put_text(b, s == 0 ? "square" : "", 22);
        put16be(b, s == 0 ? kWaveBytes / 2 : 0); // length in words
        put8(b, 0);                              // finetune
        put8(b, s == 0 ? 64 : 0);                // volume
        put16be(b, 0);                           // loop start (words)
        put16be(b, s == 0 ? kWaveBytes / 2 : 1); // loop length (words)
    }
    put8(b, 1);   // song length
    put8(b, 127); // restart byte
    put8(b, 0);   // order 0: pattern 0
    put_zeros(b, 127);
    if (signature) put_text(b, signature, 4);
    for (int row = 0; row < 64; ++row) {
        for (int ch = 0; ch < 4; ++ch) {
            if (row == 0 && ch == 0) {
                constexpr unsigned kPeriodC2 = 428;
                put8(b, (kPeriodC2 >> 8) & 0x0f); // sample 1: high nibble 0
                put8(b, kPeriodC2 & 0xff);
                put8(b, 1 << 4); // sample 1: low nibble, no effect
                put8(b, 0);
            } else {
                put_zeros(b, 4);
            }
        }
    }
    for (int8_t v : square_wave(kWaveBytes, 100)) put8(b, static_cast<uint8_t>(v));
    return b;
}

// An Unreal package compact index (sign, then 6 bits, then 7 bits a byte).
inline void put_compact_index(Bytes &b, int32_t value) {
    uint32_t v = value < 0 ? static_cast<uint32_t>(-value) : static_cast<uint32_t>(value);
    unsigned first = (value < 0 ? 0x80 : 0) | (v & 0x3f);
    v >>= 6;
    if (v) first |= 0x40;
    put8(b, first);
    while (v) {
        unsigned next = v & 0x7f;
        v >>= 7;
        if (v) next |= 0x80;
        put8(b, next);
    }
}

// `inner` wrapped as the one exported object, of class "XM", of an Unreal package
// (file version 61): header, name table, export table, then the object itself.
inline Bytes wrap_in_unreal_package(const Bytes &inner) {
    constexpr int kHeaderBytes = 64;
    Bytes names;
    put_text(names, "XM", 3); // name 0, terminated
    put32(names, 0);          // name flags
    put_text(names, "Music", 6);
    put32(names, 0);

    const int32_t name_offset = kHeaderBytes;
    const int32_t export_offset = name_offset + static_cast<int32_t>(names.size());
    Bytes object;
    put_compact_index(object, 0);         // the object's property list: none
    put_compact_index(object, 0);         // class name: name 0, "XM"
    put_compact_index(object, static_cast<int32_t>(inner.size()));
    object.insert(object.end(), inner.begin(), inner.end());

    // The export entry ends with the object's offset, and the object follows the
    // entry, so the offset depends on its own encoded length: settle it by repeating.
    Bytes exports;
    int32_t object_offset = export_offset;
    for (;;) {
        exports.clear();
        put_compact_index(exports, 0); // class index
        put_compact_index(exports, 0); // super index
        put32(exports, 0);             // package index
        put_compact_index(exports, 1); // object name: "Music"
        put32(exports, 0);             // object flags
        put_compact_index(exports, static_cast<int32_t>(object.size()));
        put_compact_index(exports, object_offset);
        const int32_t actual = export_offset + static_cast<int32_t>(exports.size());
        if (actual == object_offset) break;
        object_offset = actual;
    }

    Bytes b;
    put32(b, 0x9e2a83c1); // package tag
    put32(b, 61);         // file version
    put32(b, 0);          // package flags
    put32(b, 2);          // names
    put32(b, name_offset);
    put32(b, 1);          // exports
    put32(b, export_offset);
    put32(b, 0);          // imports
    put32(b, export_offset);
    put32(b, 1); // heritage count
    put32(b, export_offset);
    put_zeros(b, kHeaderBytes - b.size());
    b.insert(b.end(), names.begin(), names.end());
    b.insert(b.end(), exports.begin(), exports.end());
    b.insert(b.end(), object.begin(), object.end());
    return b;
}

} // namespace module_builder
