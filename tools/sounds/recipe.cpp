// Parsing of sample recipes, word by word, with a message for every wrong value.
#include "recipe.h"

#include "source_text.h"

#include <cstring>

namespace {

struct Range {
    double low, high;
};

constexpr const char *kWaveNames[] = {"sine", "square", "saw", "triangle", "noise", "pink", "brown"};
constexpr Wave kWaves[] = {Wave::sine, Wave::square, Wave::saw, Wave::triangle,
                           Wave::noise, Wave::pink, Wave::brown};

std::string format_value(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// A number within [low, high]; `what` names it in the message.
bool number_in(const std::string &word, Range r, const char *what, double &value,
               std::string &error) {
    double v;
    if (!parse_number(word, v)) {
        error = std::string(what) + ": '" + word + "' is not a number";
        return false;
    }
    if (v < r.low || v > r.high) {
        error = std::string(what) + " " + word + " is out of range (" + format_value(r.low) +
                " to " + format_value(r.high) + ")";
        return false;
    }
    value = v;
    return true;
}

// A frequency in Hz or a note name ("A4").
bool pitch_in(const std::string &word, double &hz, std::string &error) {
    int note;
    if (parse_note(word, note)) {
        hz = note_frequency(note);
        return true;
    }
    double v;
    if (!parse_number(word, v)) {
        error = "pitch: '" + word + "' is neither a frequency nor a note such as A4 or C#3";
        return false;
    }
    if (v < 1 || v > 20000) {
        error = "pitch " + word + " Hz is out of range (1 to 20000)";
        return false;
    }
    hz = v;
    return true;
}

bool count_is(const std::vector<std::string> &w, std::size_t low, std::size_t high,
              const char *usage, std::string &error) {
    std::size_t n = w.size() - 1;
    if (n < low || n > high) {
        error = std::string("'") + w[0] + "' takes " + usage + ", not " + std::to_string(n) +
                (n == 1 ? " value" : " values");
        return false;
    }
    return true;
}

LineResult sample_line(RecipeParser &p, const std::vector<std::string> &w, std::string &error) {
    Recipe &r = *p.recipe;
    const std::string &key = w[0];
    bool ok = true;
    if (key == "rate") {
        ok = count_is(w, 1, 1, "one rate in Hz", error);
        if (ok && p.use == RecipeUse::wav) {
            ok = (w[1] == "22050" || w[1] == "44100");
            if (!ok) error = "rate " + w[1] + ": a game sample is 22050 or 44100 Hz";
            else r.rate = w[1] == "22050" ? 22050 : 44100;
        } else if (ok) {
            ok = number_in(w[1], {kMinRate, kMaxRate}, "rate", r.rate, error);
        }
    } else if (key == "bits") {
        ok = count_is(w, 1, 1, "8 or 16", error) && (w[1] == "8" || w[1] == "16");
        if (ok) r.bits = w[1] == "8" ? 8 : 16;
        else if (error.empty()) error = "bits " + w[1] + ": a sample has 8 or 16 bits";
    } else if (key == "length") {
        ok = count_is(w, 1, 1, "one length in seconds", error) &&
             number_in(w[1], {0.01, kMaxSeconds}, "length", r.length, error);
        p.length_given = ok;
    } else if (key == "peak") {
        ok = count_is(w, 1, 1, "one share of full scale", error) &&
             number_in(w[1], {0.05, 1.0}, "peak", r.peak, error);
    } else if (key == "fade") {
        ok = count_is(w, 2, 2, "the fade-in and fade-out in seconds", error) &&
             number_in(w[1], {0, 2}, "fade-in", r.fade_in, error) &&
             number_in(w[2], {0, 2}, "fade-out", r.fade_out, error);
    } else if (key == "loop") {
        ok = count_is(w, 1, 3, "a cross-fade in seconds, then optionally 'from' and a start", error) &&
             number_in(w[1], {0.001, kMaxSeconds}, "loop cross-fade", r.loop_crossfade, error);
        if (ok && w.size() > 2) {
            ok = w.size() == 4 && w[2] == "from";
            if (!ok) error = "loop: write 'loop CROSSFADE from START'";
            else if (p.use == RecipeUse::wav) {
                ok = false;
                error = "loop from: a game sample always loops whole; only instruments loop from a point";
            } else {
                ok = number_in(w[3], {0, kMaxSeconds}, "loop start", r.loop_from, error);
            }
        }
        r.loop = ok;
        p.loop_line = p.line;
    } else if (key == "echo") {
        ok = count_is(w, 2, 2, "a delay in seconds and a feedback", error) &&
             number_in(w[1], {0.01, 2}, "echo delay", r.echo_delay, error) &&
             number_in(w[2], {0, 0.95}, "echo feedback", r.echo_feedback, error);
    } else {
        return LineResult::unknown;
    }
    return ok ? LineResult::taken : LineResult::bad;
}

bool envelope_line(Layer &l, const std::vector<std::string> &w, std::string &error) {
    std::size_t n = w.size() - 1;
    if (n == 0 || n % 2 != 0) {
        error = "envelope takes pairs of time and level, not " + std::to_string(n) + " values";
        return false;
    }
    if (n / 2 > static_cast<std::size_t>(kMaxEnvelopePoints)) {
        error = "envelope has " + std::to_string(n / 2) + " points; at most " +
                std::to_string(kMaxEnvelopePoints);
        return false;
    }
    double last = 0;
    for (std::size_t i = 0; i < n / 2; ++i) {
        EnvelopePoint &pt = l.envelope[i];
        if (!number_in(w[1 + 2 * i], {0, kMaxSeconds}, "envelope time", pt.time, error) ||
            !number_in(w[2 + 2 * i], {0, 1}, "envelope level", pt.level, error))
            return false;
        if (pt.time < last) {
            error = "envelope time " + w[1 + 2 * i] + " comes before the point ahead of it";
            return false;
        }
        last = pt.time;
    }
    l.envelope_count = static_cast<int>(n / 2);
    return true;
}

// The keywords of a layer that take plain numbers, each into a field of its own. A
// keyword taking fewer values than it may (a filter's cut-off without an end) gives
// each value left out the one before it.
struct LayerValue {
    const char *name; // in messages
    Range range;
    double Layer::*field;
};
struct LayerKeyword {
    const char *keyword;
    std::size_t fewest, most;
    const char *usage;
    LayerValue values[2];
};

constexpr const char *kCutOffUsage = "a cut-off in Hz, or a cut-off to start and one to end at";

constexpr LayerKeyword kLayerKeywords[] = {
    {"start", 1, 1, "one time in seconds", {{"start", {0, kMaxSeconds}, &Layer::start}}},
    {"length", 1, 1, "one length in seconds", {{"length", {0.001, kMaxSeconds}, &Layer::length}}},
    {"detune", 1, 1, "one offset in cents", {{"detune", {-1200, 1200}, &Layer::detune_cents}}},
    {"vibrato", 2, 2, "a rate in Hz and a depth in semitones",
     {{"vibrato rate", {0, 50}, &Layer::vibrato_rate},
      {"vibrato depth", {0, 12}, &Layer::vibrato_depth}}},
    {"duty", 1, 1, "one share of the cycle", {{"duty", {0.01, 0.99}, &Layer::duty}}},
    {"fm", 2, 2, "a frequency ratio and an index",
     {{"fm ratio", {0, 32}, &Layer::fm_ratio}, {"fm index", {0, 50}, &Layer::fm_index}}},
    {"decay", 1, 1, "one time constant in seconds", {{"decay", {0.001, 20}, &Layer::decay}}},
    {"gain", 1, 1, "one factor", {{"gain", {0, 10}, &Layer::gain}}},
    {"lowpass", 1, 2, kCutOffUsage,
     {{"lowpass", {10, 20000}, &Layer::lowpass_from}, {"lowpass", {10, 20000}, &Layer::lowpass_to}}},
    {"highpass", 1, 2, kCutOffUsage,
     {{"highpass", {10, 20000}, &Layer::highpass_from},
      {"highpass", {10, 20000}, &Layer::highpass_to}}},
    {"bandpass", 1, 2, kCutOffUsage,
     {{"bandpass", {10, 20000}, &Layer::bandpass_from},
      {"bandpass", {10, 20000}, &Layer::bandpass_to}}},
    {"resonance", 1, 1, "one Q", {{"resonance", {0.1, 20}, &Layer::resonance}}},
    {"wobble", 2, 2, "a rate in Hz and a depth",
     {{"wobble rate", {0.1, 200}, &Layer::wobble_rate},
      {"wobble depth", {0, 1}, &Layer::wobble_depth}}},
    {"spread", 1, 1, "semitones", {{"spread", {0, 24}, &Layer::spread}}},
    {"jitter", 1, 1, "a share", {{"jitter", {0, 1}, &Layer::jitter}}},
};

bool numbers_line(const LayerKeyword &k, Layer &l, const std::vector<std::string> &w,
                  std::string &error) {
    if (!count_is(w, k.fewest, k.most, k.usage, error)) return false;
    for (std::size_t i = 0; i < k.most; ++i) {
        const LayerValue &v = k.values[i];
        if (i + 1 >= w.size()) l.*v.field = l.*k.values[i - 1].field;
        else if (!number_in(w[i + 1], v.range, v.name, l.*v.field, error)) return false;
    }
    return true;
}

// The keywords whose values are more than numbers into fields.
bool pitch_line(Layer &l, const std::vector<std::string> &w, std::string &error) {
    bool ok = count_is(w, 1, 3, "a pitch, or a start and end pitch and 'lin' or 'exp'", error) &&
              pitch_in(w[1], l.pitch_from, error);
    l.pitch_to = l.pitch_from;
    if (ok && w.size() >= 3) ok = pitch_in(w[2], l.pitch_to, error);
    if (ok && w.size() == 4) {
        ok = w[3] == "lin" || w[3] == "exp";
        if (!ok) error = "pitch sweep '" + w[3] + "': write lin or exp";
        l.sweep = w[3] == "lin" ? Sweep::linear : Sweep::exponential;
    }
    l.pitch_given = ok;
    return ok;
}

bool partials_line(Layer &l, const std::vector<std::string> &w, std::string &error) {
    bool ok = count_is(w, 1, kMaxPartials, "1 to 16 strengths", error);
    for (std::size_t i = 1; ok && i < w.size(); ++i)
        ok = number_in(w[i], {0, 10}, "partial", l.partials[i - 1], error);
    if (ok) l.partial_count = static_cast<int>(w.size() - 1);
    return ok;
}

bool seed_in(const std::string &word, Layer &l, std::string &error) {
    double v = 0;
    bool ok = number_in(word, {1, 2147483647.0}, "seed", v, error);
    l.seed = static_cast<std::uint32_t>(v);
    return ok;
}

bool scatter_line(Layer &l, const std::vector<std::string> &w, std::string &error) {
    double v = 0;
    bool ok = count_is(w, 1, 2, "a count and optionally a seed", error) &&
              number_in(w[1], {1, kMaxScatter}, "scatter count", v, error);
    if (ok) {
        l.scatter_count = static_cast<int>(v);
        ok = v == l.scatter_count;
        if (!ok) error = "scatter count " + w[1] + " is not a whole number";
    }
    if (ok && w.size() == 3) ok = seed_in(w[2], l, error);
    return ok;
}

bool repeat_line(Layer &l, const std::vector<std::string> &w, std::string &error) {
    double v = 0;
    bool ok = count_is(w, 3, 3, "a count, an interval in seconds and a gain per repeat", error) &&
              number_in(w[1], {1, kMaxRepeats}, "repeat count", v, error) &&
              number_in(w[2], {0.001, kMaxSeconds}, "repeat interval", l.repeat_interval, error) &&
              number_in(w[3], {0, 1}, "repeat gain", l.repeat_gain, error);
    l.repeat_count = static_cast<int>(v);
    if (ok && v != l.repeat_count) {
        ok = false;
        error = "repeat count " + w[1] + " is not a whole number";
    }
    return ok;
}

bool seed_line(Layer &l, const std::vector<std::string> &w, std::string &error) {
    return count_is(w, 1, 1, "one number", error) && seed_in(w[1], l, error);
}

struct LayerSpecial {
    const char *keyword;
    bool (*line)(Layer &, const std::vector<std::string> &, std::string &);
};
constexpr LayerSpecial kLayerSpecials[] = {
    {"pitch", pitch_line},     {"partials", partials_line}, {"envelope", envelope_line},
    {"scatter", scatter_line}, {"repeat", repeat_line},     {"seed", seed_line},
};

LineResult layer_line(Layer &l, const std::vector<std::string> &w, std::string &error) {
    for (const LayerKeyword &k : kLayerKeywords)
        if (w[0] == k.keyword) return numbers_line(k, l, w, error) ? LineResult::taken : LineResult::bad;
    for (const LayerSpecial &k : kLayerSpecials)
        if (w[0] == k.keyword) return k.line(l, w, error) ? LineResult::taken : LineResult::bad;
    return LineResult::unknown;
}

bool known_sample_word(const std::string &w) {
    for (const char *k : {"rate", "bits", "peak", "fade", "loop", "echo"})
        if (w == k) return true;
    return false;
}

}  // namespace

LineResult recipe_parse_line(RecipeParser &p, const std::vector<std::string> &w, std::string &error) {
    error.clear();
    if (w.empty()) return LineResult::taken;
    Recipe &r = *p.recipe;
    if (w[0] == "layer") {
        if (w.size() != 2) {
            error = "'layer' takes one wave: sine, square, saw, triangle, noise, pink or brown";
            return LineResult::bad;
        }
        if (r.layer_count >= kMaxLayers) {
            error = "too many layers: at most " + std::to_string(kMaxLayers);
            return LineResult::bad;
        }
        for (std::size_t i = 0; i < sizeof kWaves / sizeof kWaves[0]; ++i) {
            if (w[1] == kWaveNames[i]) {
                r.layers[r.layer_count] = Layer();
                r.layers[r.layer_count].wave = kWaves[i];
                p.layer_lines[r.layer_count] = p.line;
                ++r.layer_count;
                return LineResult::taken;
            }
        }
        error = "unknown wave '" + w[1] + "' (sine, square, saw, triangle, noise, pink or brown)";
        return LineResult::bad;
    }
    if (r.layer_count == 0) return sample_line(p, w, error);
    if (known_sample_word(w[0])) {
        error = "'" + w[0] + "' is a setting of the whole sample: put it before the first layer";
        return LineResult::bad;
    }
    return layer_line(r.layers[r.layer_count - 1], w, error);
}

bool recipe_finish(const RecipeParser &p, std::string &error, int &line) {
    const Recipe &r = *p.recipe;
    line = 0;
    if (!p.length_given) {
        error = "no 'length' for the sample";
        return false;
    }
    if (r.layer_count == 0) {
        error = "no layer: a recipe needs at least one 'layer WAVE'";
        return false;
    }
    for (int i = 0; i < r.layer_count; ++i) {
        const Layer &l = r.layers[i];
        std::string which = "layer " + std::to_string(i + 1);
        line = p.layer_lines[i];
        if (l.start >= r.length) {
            error = which + " starts at or after the end of the sample";
            return false;
        }
        if (l.scatter_count > 0 && l.length <= 0) {
            error = which + " is scattered but has no 'length' for its copies";
            return false;
        }
        if (l.scatter_count > 0 && l.repeat_count > 0) {
            error = which + " is both scattered and repeated: choose one";
            return false;
        }
        if (l.partial_count > 0 && l.wave != Wave::sine) {
            error = which + " has partials, which only a sine layer uses";
            return false;
        }
        if (l.envelope_count > 0 && l.length > 0 &&
            l.envelope[l.envelope_count - 1].time > l.length + 1e-9) {
            error = which + " has envelope points after the end of the layer";
            return false;
        }
    }
    line = p.loop_line;
    if (r.loop && r.loop_crossfade * 2 > r.length - r.loop_from) {
        error = "the loop cross-fade is more than half of the loop";
        return false;
    }
    if (r.loop && r.loop_from >= r.length) {
        error = "the loop starts at or after the end of the sample";
        return false;
    }
    line = 0;
    return true;
}

namespace {

bool parse_recipe_lines(const std::string &path, const std::vector<std::string> &lines,
                        Recipe &recipe, std::string &error) {
    recipe = Recipe();
    RecipeParser parser;
    parser.recipe = &recipe;
    parser.use = RecipeUse::wav;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> words = split_words(lines[i]);
        if (words.empty()) continue;
        std::string what;
        parser.line = static_cast<int>(i + 1);
        LineResult result = recipe_parse_line(parser, words, what);
        if (result == LineResult::unknown)
            what = "unknown word '" + words[0] + "'" +
                   (recipe.layer_count > 0 ? " in a layer" : " (a recipe starts with rate, bits, length, peak, fade, loop, echo, then 'layer WAVE')");
        if (result != LineResult::taken) {
            error = source_message(path, static_cast<int>(i + 1), what);
            return false;
        }
    }
    std::string what;
    int line = 0;
    if (!recipe_finish(parser, what, line)) {
        error = source_message(path, line, what);
        return false;
    }
    return true;
}

}  // namespace

bool load_recipe_file(const std::string &path, Recipe &recipe, std::string &error) {
    std::vector<std::string> lines;
    return read_source_lines(path, lines, error) && parse_recipe_lines(path, lines, recipe, error);
}

bool parse_recipe_text(const std::string &path, const std::string &text, Recipe &recipe,
                       std::string &error) {
    std::vector<std::string> lines;
    return split_source_lines(path, text, lines, error) &&
           parse_recipe_lines(path, lines, recipe, error);
}
