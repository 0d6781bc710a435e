// The Extended Module (XM) file as our module compiler writes it: header, order
// list, packed patterns and instruments with one 16-bit delta-coded sample each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kXmMaxChannels = 32;
constexpr int kXmMaxRows = 256;
constexpr int kXmMaxPatterns = 256;
constexpr int kXmMaxOrders = 256;
constexpr int kXmMaxInstruments = 128;
constexpr int kXmMaxEnvelopePoints = 12;
constexpr int kXmKeyOff = 97;  // the note value that releases a note
constexpr int kXmNameLength = 20;
constexpr int kXmInstrumentNameLength = 22;

// One cell of a pattern. Zero in a field means "nothing there": note 1 is C-0,
// instrument 1 the first instrument, volume 0x10..0x50 sets a volume 0..64.
struct XmCell {
    std::uint8_t note = 0;
    std::uint8_t instrument = 0;
    std::uint8_t volume = 0;
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    std::vector<XmCell> cells;  // rows x channels, row by row
};

struct XmEnvelopePoint {
    int tick;
    int value;  // 0..64
};

struct XmInstrument {
    std::string name;
    // The sample: signed 16-bit, played at 8363 Hz on C-4 before relative note and
    // finetune move it.
    std::vector<std::int16_t> sample;
    bool loop = false;
    std::uint32_t loop_start = 0, loop_length = 0;  // in samples
    int volume = 64;    // 0..64
    int finetune = 0;   // -128..127, 1/128 semitone
    int relative_note = 0;
    int panning = 128;  // 0..255
    XmEnvelopePoint envelope[kXmMaxEnvelopePoints] = {};
    int envelope_count = 0;  // 0 = no volume envelope
    int sustain_point = -1;  // -1 = none
    int fadeout = 0;         // 0..4095
    int vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
};

struct XmModule {
    std::string name;
    int channels = 4;
    int speed = 6;    // ticks a row
    int tempo = 125;  // beats a minute
    int restart = 0;  // order position the module loops back to
    std::vector<int> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// The cell of `pattern` at (row, channel).
XmCell &xm_cell(XmPattern &pattern, int channels, int row, int channel);

// Checks every limit of the format. False with `error` saying what is wrong.
bool xm_check(const XmModule &module, std::string &error);

// The file image of a module that passes xm_check.
std::vector<std::uint8_t> xm_bytes(const XmModule &module);

// Seconds from the first order to the loop back, counting speed and tempo changes
// made by Fxx effects (the only timing effects our tunes use).
double xm_length_seconds(const XmModule &module);
