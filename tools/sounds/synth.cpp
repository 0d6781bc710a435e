// The sample synthesiser: renders each layer of a recipe into one buffer, then
// shapes the whole (echo, loop, DC, fades, level).
#include "synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// Every layer copy fades in and out over this long, so no copy starts or stops
// with a step (the step is what a listener hears as a click).
constexpr double kDeclickSeconds = 0.0015;

// A small deterministic generator: every build renders the same sample.
struct Rng {
    std::uint32_t state;
    explicit Rng(std::uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    double unit() { return (next() >> 8) * (1.0 / 16777216.0); }  // [0, 1)
    double signed_unit() { return unit() * 2.0 - 1.0; }           // [-1, 1)
};

// Softens the jump of a sawtooth or square so that high notes do not alias.
double poly_blep(double t, double dt) {
    if (dt <= 0) return 0;
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0;
}

// A state-variable filter in trapezoidal form: it stays stable while its cut-off
// moves from sample to sample.
struct Svf {
    double ic1 = 0, ic2 = 0;
    void run(double v0, double cutoff, double q, double rate, double &low, double &band,
             double &high) {
        double fc = std::min(cutoff, rate * 0.45);
        double g = std::tan(kPi * fc / rate);
        double k = 1.0 / q;
        double a1 = 1.0 / (1.0 + g * (g + k));
        double a2 = g * a1;
        double a3 = g * a2;
        double v3 = v0 - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        low = v2;
        band = v1;
        high = v0 - k * v1 - v2;
    }
};

double sweep_value(double from, double to, double u, bool exponential) {
    if (from == to) return from;
    if (exponential && from > 0 && to > 0) return from * std::pow(to / from, u);
    return from + (to - from) * u;
}

double envelope_level(const Layer &layer, double t) {
    if (layer.envelope_count == 0) return 1.0;
    double prev_t = 0, prev_level = 0;
    for (int i = 0; i < layer.envelope_count; ++i) {
        const EnvelopePoint &p = layer.envelope[i];
        if (t < p.time) {
            double span = p.time - prev_t;
            if (span <= 0) return p.level;
            return prev_level + (p.level - prev_level) * (t - prev_t) / span;
        }
        prev_t = p.time;
        prev_level = p.level;
    }
    return prev_level;
}

// One play of a layer: where it starts, how long it lasts, and how it differs from
// the layer as written (a scattered copy is transposed and quieter).
struct Instance {
    long start;
    long length;
    double pitch_ratio;
    double gain;
    std::uint32_t seed;
};

// Smoothly wandering loudness for rumbles and gusts: random values at `rate` per
// second joined by cosine curves.
struct Wobble {
    Rng rng;
    double a, b, phase = 0;
    explicit Wobble(std::uint32_t seed) : rng(seed), a(0), b(0) {
        a = rng.unit();
        b = rng.unit();
    }
    double next(double step) {
        phase += step;
        while (phase >= 1.0) {
            phase -= 1.0;
            a = b;
            b = rng.unit();
        }
        double w = 0.5 - 0.5 * std::cos(kPi * phase);
        return a + (b - a) * w;
    }
};

double oscillator(const Layer &layer, double phase, double dt, double fm_phase, Rng &rng,
                  double noise_state[3]) {
    switch (layer.wave) {
    case Wave::sine: {
        double p = phase;
        if (layer.fm_index > 0) p += layer.fm_index * std::sin(kTwoPi * fm_phase) / kTwoPi;
        if (layer.partial_count == 0) return std::sin(kTwoPi * p);
        double v = 0;
        for (int k = 0; k < layer.partial_count; ++k)
            v += layer.partials[k] * std::sin(kTwoPi * p * (k + 1));
        return v;
    }
    case Wave::square: {
        double v = phase < layer.duty ? 1.0 : -1.0;
        v += poly_blep(phase, dt);
        v -= poly_blep(std::fmod(phase + 1.0 - layer.duty, 1.0), dt);
        // A pulse spends longer on one side than the other; centring it keeps its
        // envelope from turning into a slow thump.
        return v - (2.0 * layer.duty - 1.0);
    }
    case Wave::saw:
        return 2.0 * phase - 1.0 - poly_blep(phase, dt);
    case Wave::triangle:
        return 4.0 * std::fabs(phase - 0.5) - 1.0;
    case Wave::noise:
        return rng.signed_unit();
    case Wave::pink: {
        // Three leaky sums of white noise give a slope close to -3 dB an octave.
        double w = rng.signed_unit();
        noise_state[0] = 0.99765 * noise_state[0] + w * 0.0990460;
        noise_state[1] = 0.96300 * noise_state[1] + w * 0.2965164;
        noise_state[2] = 0.57000 * noise_state[2] + w * 1.0526913;
        return (noise_state[0] + noise_state[1] + noise_state[2] + w * 0.1848) * 0.25;
    }
    case Wave::brown: {
        double w = rng.signed_unit();
        noise_state[0] = (noise_state[0] + 0.02 * w) / 1.02;
        return noise_state[0] * 3.5;
    }
    }
    return 0;
}

bool is_noise(Wave w) { return w == Wave::noise || w == Wave::pink || w == Wave::brown; }

void render_instance(const Layer &layer, const Instance &in, double rate,
                     std::vector<float> &buffer) {
    long size = static_cast<long>(buffer.size());
    if (in.start >= size || in.length <= 0) return;
    long n = std::min(in.length, size - in.start);
    double seconds = in.length / rate;
    long declick = std::max(1L, std::min(static_cast<long>(kDeclickSeconds * rate), in.length / 2));
    Rng rng(in.seed);
    Wobble wobble(in.seed * 2654435761u + 1u);
    Svf low_filter, high_filter, band_filter;
    double noise_state[3] = {0, 0, 0};
    double phase = 0, fm_phase = 0, held_noise = 0;
    double detune = std::pow(2.0, layer.detune_cents / 1200.0);
    for (long i = 0; i < n; ++i) {
        double t = i / rate;
        double u = seconds > 0 ? t / seconds : 0;
        double f = sweep_value(layer.pitch_from, layer.pitch_to, u,
                               layer.sweep == Sweep::exponential);
        f *= in.pitch_ratio * detune;
        if (layer.vibrato_depth > 0)
            f *= std::pow(2.0, layer.vibrato_depth * std::sin(kTwoPi * layer.vibrato_rate * t) / 12.0);
        double dt = f / rate;
        double v;
        if (is_noise(layer.wave) && layer.pitch_given) {
            // Noise held at the pitch rate: the grainy noise of old sound chips.
            if (i == 0 || phase + dt >= 1.0) held_noise = oscillator(layer, 0, dt, 0, rng, noise_state);
            v = held_noise;
        } else {
            v = oscillator(layer, phase, dt, fm_phase, rng, noise_state);
        }
        phase += dt;
        phase -= std::floor(phase);
        fm_phase += dt * layer.fm_ratio;
        fm_phase -= std::floor(fm_phase);

        double lo, band, hi;
        if (layer.highpass_from > 0) {
            high_filter.run(v, sweep_value(layer.highpass_from, layer.highpass_to, u, true),
                            layer.resonance, rate, lo, band, hi);
            v = hi;
        }
        if (layer.lowpass_from > 0) {
            low_filter.run(v, sweep_value(layer.lowpass_from, layer.lowpass_to, u, true),
                           layer.resonance, rate, lo, band, hi);
            v = lo;
        }
        if (layer.bandpass_from > 0) {
            band_filter.run(v, sweep_value(layer.bandpass_from, layer.bandpass_to, u, true),
                            layer.resonance, rate, lo, band, hi);
            v = band;
        }

        double amp = envelope_level(layer, t) * layer.gain * in.gain;
        if (layer.decay > 0) amp *= std::exp(-t / layer.decay);
        if (layer.wobble_depth > 0)
            amp *= 1.0 - layer.wobble_depth * wobble.next(layer.wobble_rate / rate);
        if (i < declick) amp *= 0.5 - 0.5 * std::cos(kPi * (i + 0.5) / declick);
        long from_end = in.length - 1 - i;
        if (from_end < declick) amp *= 0.5 - 0.5 * std::cos(kPi * (from_end + 0.5) / declick);
        buffer[in.start + i] += static_cast<float>(v * amp);
    }
}

// Every play of one layer: the first, its repeats, and its scattered copies.
void render_layer(const Layer &layer, int number, long main_length, double rate,
                  std::vector<float> &buffer) {
    long size = static_cast<long>(buffer.size());
    long start = std::lround(layer.start * rate);
    long length = layer.length > 0 ? std::lround(layer.length * rate) : size - start;
    std::uint32_t seed = layer.seed ? layer.seed : static_cast<std::uint32_t>(number + 1) * 7919u;
    if (layer.scatter_count > 0) {
        Rng rng(seed);
        long span = std::max(1L, main_length - start);
        for (int k = 0; k < layer.scatter_count; ++k) {
            Instance in;
            in.start = start + static_cast<long>(rng.unit() * span);
            in.length = length;
            in.pitch_ratio = std::pow(2.0, layer.spread * rng.signed_unit() / 12.0);
            in.gain = 1.0 - layer.jitter * rng.unit();
            in.seed = rng.next();
            render_instance(layer, in, rate, buffer);
        }
        return;
    }
    double gain = 1.0;
    for (int k = 0; k <= layer.repeat_count; ++k) {
        Instance in;
        in.start = start + std::lround(k * layer.repeat_interval * rate);
        in.length = layer.length > 0 ? length : size - in.start;
        in.pitch_ratio = 1.0;
        in.gain = gain;
        in.seed = seed + static_cast<std::uint32_t>(k) * 104729u;
        render_instance(layer, in, rate, buffer);
        gain *= layer.repeat_gain;
    }
}

// Takes out what lies below hearing (a drifting offset), which the mean alone
// cannot when it changes along the sample.
void block_dc(std::vector<float> &buffer, double rate) {
    double r = 1.0 - kTwoPi * 12.0 / rate;
    double x1 = 0, y1 = 0;
    for (float &v : buffer) {
        double y = v - x1 + r * y1;
        x1 = v;
        y1 = y;
        v = static_cast<float>(y);
    }
}

void add_echo(std::vector<float> &buffer, double rate, double delay, double feedback) {
    long d = std::lround(delay * rate);
    if (d <= 0 || feedback <= 0) return;
    for (std::size_t i = static_cast<std::size_t>(d); i < buffer.size(); ++i)
        buffer[i] += static_cast<float>(feedback * buffer[i - d]);
}

// Correlation of two stretches, so that the cross-fade keeps the loudness steady
// both for noise (unrelated stretches) and for tones (matching stretches).
double correlation(const std::vector<float> &b, long x, long y, long n) {
    double xy = 0, xx = 0, yy = 0;
    for (long i = 0; i < n; ++i) {
        xy += b[x + i] * b[y + i];
        xx += b[x + i] * b[x + i];
        yy += b[y + i] * b[y + i];
    }
    if (xx <= 0 || yy <= 0) return 0;
    return std::clamp(xy / std::sqrt(xx * yy), 0.0, 1.0);
}

// Blends stretch `fading` (weight falling to 0) with stretch `rising` (weight
// rising to 1) into `target`.
void crossfade(std::vector<float> &b, long target, long fading, long rising, long n) {
    double rho = correlation(b, fading, rising, n);
    std::vector<float> mixed(static_cast<std::size_t>(n));
    for (long i = 0; i < n; ++i) {
        double p = (i + 0.5) / n;
        double up = std::sin(0.5 * kPi * p), down = std::cos(0.5 * kPi * p);
        double norm = 1.0 / std::sqrt(1.0 + 2.0 * rho * up * down);
        mixed[i] = static_cast<float>((b[fading + i] * down + b[rising + i] * up) * norm);
    }
    std::copy(mixed.begin(), mixed.end(), b.begin() + target);
}

// A whole-sample loop starts where the signal crosses zero quietly, so starting it
// does not click; turning a seamless loop round keeps it seamless.
void rotate_to_quiet_crossing(std::vector<float> &b) {
    long n = static_cast<long>(b.size());
    long best = -1;
    double best_score = 1e9;
    for (long k = 0; k < n; ++k) {
        float a = b[k], c = b[(k + 1) % n];
        if (a <= 0 && c > 0) {
            // Start on whichever side of the crossing lies nearer zero.
            long start = std::fabs(a) <= std::fabs(c) ? k : (k + 1) % n;
            double score = std::min(std::fabs(a), std::fabs(c));
            if (score < best_score) {
                best_score = score;
                best = start;
            }
        }
    }
    if (best >= 0) std::rotate(b.begin(), b.begin() + best, b.end());
}

void fade_edge(std::vector<float> &b, long n, bool at_start) {
    long size = static_cast<long>(b.size());
    n = std::min(n, size);
    for (long i = 0; i < n; ++i) {
        float w = static_cast<float>(0.5 - 0.5 * std::cos(kPi * (i + 0.5) / n));
        b[at_start ? i : size - 1 - i] *= w;
    }
}

}  // namespace

bool render_recipe(const Recipe &recipe, Rendered &out, std::string &error) {
    double rate = recipe.rate;
    long main_length = std::lround(recipe.length * rate);
    long cross = recipe.loop ? std::lround(recipe.loop_crossfade * rate) : 0;
    long loop_start = recipe.loop ? std::lround(recipe.loop_from * rate) : 0;
    bool whole_loop = recipe.loop && loop_start == 0;
    if (main_length < 2) {
        error = "the sample is shorter than two samples";
        return false;
    }
    if (recipe.loop && cross < 1) {
        error = "the loop cross-fade is shorter than one sample";
        return false;
    }
    if (recipe.loop && !whole_loop && loop_start < cross) {
        error = "the loop starts before its cross-fade can begin: start it later or shorten the cross-fade";
        return false;
    }
    if (recipe.loop && main_length - loop_start <= cross) {
        error = "the loop is not longer than its cross-fade";
        return false;
    }

    // A whole-sample loop renders one cross-fade's worth past the end: that
    // continuation is blended into the start, so the end runs on into the start.
    std::vector<float> b(static_cast<std::size_t>(main_length + (whole_loop ? cross : 0)), 0.0f);
    for (int i = 0; i < recipe.layer_count; ++i)
        render_layer(recipe.layers[i], i, main_length, rate, b);
    add_echo(b, rate, recipe.echo_delay, recipe.echo_feedback);
    block_dc(b, rate);

    if (whole_loop) {
        crossfade(b, 0, main_length, 0, cross);
        b.resize(static_cast<std::size_t>(main_length));
    } else if (recipe.loop) {
        // The end blends into what comes just before the loop start, so the jump
        // back lands where the sample was heading.
        crossfade(b, main_length - cross, main_length - cross, loop_start - cross, cross);
    }

    long dc_from = recipe.loop ? loop_start : 0;
    double sum = 0;
    for (long i = dc_from; i < main_length; ++i) sum += b[i];
    float mean = static_cast<float>(sum / (main_length - dc_from));
    for (float &v : b) v -= mean;

    if (whole_loop) {
        rotate_to_quiet_crossing(b);
    } else {
        fade_edge(b, std::max(1L, std::lround(recipe.fade_in * rate)), true);
        if (!recipe.loop) fade_edge(b, std::max(1L, std::lround(recipe.fade_out * rate)), false);
    }

    float peak = 0;
    for (float v : b) peak = std::max(peak, std::fabs(v));
    if (peak < 1e-6f) {
        error = "the recipe makes no sound";
        return false;
    }
    float scale = static_cast<float>(recipe.peak / peak);
    for (float &v : b) v *= scale;

    out.samples = std::move(b);
    out.rate = rate;
    out.loop = recipe.loop;
    out.loop_start = loop_start;
    out.loop_end = main_length;
    return true;
}
