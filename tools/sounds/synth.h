// Sample recipes and the synthesiser that renders them: layers of oscillators or
// noise, each with its own pitch sweep, filters and envelope, summed, echoed, made
// into a seamless loop when asked, freed of DC, faded at the ends and normalised.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kMaxLayers = 32;
constexpr int kMaxEnvelopePoints = 16;
constexpr int kMaxPartials = 16;
constexpr int kMaxScatter = 2000;
constexpr int kMaxRepeats = 64;
constexpr double kMinRate = 8000.0;
constexpr double kMaxRate = 48000.0;
constexpr double kMaxSeconds = 10.0;

enum class Wave { sine, square, saw, triangle, noise, pink, brown };
enum class Sweep { linear, exponential };

struct EnvelopePoint {
    double time;   // seconds from the start of the layer
    double level;  // 0..1
};

// One sound source of a recipe. A layer plays once from `start`, or, with `scatter`,
// many times at random places, or, with `repeat`, again at fixed intervals.
struct Layer {
    Wave wave = Wave::sine;
    double start = 0;   // seconds
    double length = 0;  // seconds; 0 = to the end of the sample
    bool pitch_given = false;
    double pitch_from = 440, pitch_to = 440;  // Hz, swept over the layer
    Sweep sweep = Sweep::exponential;
    double detune_cents = 0;
    double vibrato_rate = 0, vibrato_depth = 0;  // Hz, semitones
    double duty = 0.5;                           // square waves
    double partials[kMaxPartials] = {};          // sine: strengths of harmonics 1, 2, ...
    int partial_count = 0;
    double fm_ratio = 0, fm_index = 0;           // sine: frequency modulation
    EnvelopePoint envelope[kMaxEnvelopePoints] = {};
    int envelope_count = 0;                      // 0 = full level throughout
    double decay = 0;                            // exponential fall, time constant (s)
    double gain = 1;
    double lowpass_from = 0, lowpass_to = 0;     // cut-off sweeps (Hz); 0 = no filter
    double highpass_from = 0, highpass_to = 0;
    double bandpass_from = 0, bandpass_to = 0;
    double resonance = 0.707;                    // filter Q
    double wobble_rate = 0, wobble_depth = 0;    // random loudness flutter
    int scatter_count = 0;                       // copies at random places
    std::uint32_t seed = 0;                      // 0 = the layer's own number
    double spread = 0;                           // ± semitones between scattered copies
    double jitter = 0;                           // 0..1 loudness variation of copies
    int repeat_count = 0;                        // extra plays after the first
    double repeat_interval = 0, repeat_gain = 1;
};

struct Recipe {
    double rate = 22050;
    int bits = 16;
    double length = 0;  // seconds, required
    double peak = 0.8;  // loudest sample as a share of full scale
    double fade_in = 0.002, fade_out = 0.005;
    bool loop = false;
    double loop_crossfade = 0;
    double loop_from = 0;  // where the loop begins (instruments); 0 = the whole sample
    double echo_delay = 0, echo_feedback = 0;
    Layer layers[kMaxLayers];
    int layer_count = 0;
};

struct Rendered {
    std::vector<float> samples;  // -1..1
    double rate = 0;
    bool loop = false;
    long loop_start = 0;  // first sample of the loop
    long loop_end = 0;    // one past its last sample (= samples.size())
};

// Renders `recipe` at recipe.rate. False with `error` set when the recipe cannot
// make a sound (silence, a loop start inside the cross-fade).
bool render_recipe(const Recipe &recipe, Rendered &out, std::string &error);
