// Compiling tune sources into XM modules: the instrument blocks go through the
// sample synthesiser, the pattern blocks become pattern cells, the order list the
// module's order table.
#include "tune.h"

#include "recipe.h"
#include "source_text.h"
#include "synth.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr int kMaxMacroDepth = 8;
constexpr std::size_t kMaxEventTokens = 20000;  // after groups and macros are expanded
constexpr int kDefaultRoot = 48;                // C4
constexpr int kMaxStep = 256;

struct InstrumentDef {
    std::string name;
    int line = 0;
    int root = kDefaultRoot;
    XmInstrument xm;
    Recipe recipe;
    RecipeParser parser;
};

struct EchoDef {
    int line;
    int from, to, delay, percent;
};

struct PatternDef {
    std::string name;
    int line = 0;
    XmPattern xm;
    int position[kXmMaxChannels] = {};  // next free row of each channel
    bool used[kXmMaxChannels] = {};     // a channel line was given
    std::vector<EchoDef> echoes;
};

struct Macro {
    std::string name;
    std::vector<std::string> tokens;
};

enum class Block { none, instrument, pattern };

struct Tune {
    std::string path;
    XmModule module;
    bool channels_given = false;
    int bar = 0;
    int pan[kXmMaxChannels];
    std::vector<std::unique_ptr<InstrumentDef>> instruments;
    std::vector<PatternDef> patterns;
    std::vector<Macro> macros;
    std::vector<std::pair<std::string, int>> order;  // pattern name, line
    std::string restart;
    int restart_line = 0;
    Block block = Block::none;
    int block_line = 0;
    int line = 0;
    std::string error;  // what is wrong on `line`
};

bool fail(Tune &t, const std::string &what) {
    t.error = what;
    return false;
}

bool integer_in(Tune &t, const std::string &word, long low, long high, const char *what,
                int &value) {
    long v;
    if (!parse_integer(word, v)) return fail(t, std::string(what) + ": '" + word + "' is not a whole number");
    if (v < low || v > high)
        return fail(t, std::string(what) + " " + word + " is out of range (" + std::to_string(low) +
                           " to " + std::to_string(high) + ")");
    value = static_cast<int>(v);
    return true;
}

bool words_are(Tune &t, const std::vector<std::string> &w, std::size_t low, std::size_t high,
               const char *usage) {
    std::size_t n = w.size() - 1;
    if (n >= low && n <= high) return true;
    return fail(t, "'" + w[0] + "' takes " + usage);
}

// Instrument and macro names begin with a small letter, so they never look like a
// note (notes begin with a capital A to G).
bool good_name(const std::string &s) {
    if (s.empty() || s.size() > kXmInstrumentNameLength || s[0] < 'a' || s[0] > 'z') return false;
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-')) return false;
    return true;
}

int find_instrument(const Tune &t, const std::string &name) {
    for (std::size_t i = 0; i < t.instruments.size(); ++i)
        if (t.instruments[i]->name == name) return static_cast<int>(i);
    return -1;
}

int find_pattern(const Tune &t, const std::string &name) {
    for (std::size_t i = 0; i < t.patterns.size(); ++i)
        if (t.patterns[i].name == name) return static_cast<int>(i);
    return -1;
}

const Macro *find_macro(const Tune &t, const std::string &name) {
    for (const Macro &m : t.macros)
        if (m.name == name) return &m;
    return nullptr;
}

// ---- instruments ---------------------------------------------------------------

bool instrument_line(Tune &t, InstrumentDef &in, const std::vector<std::string> &w) {
    const std::string &key = w[0];
    int v = 0;
    if (key == "root") {
        if (!words_are(t, w, 1, 1, "one note, such as C4")) return false;
        if (!parse_note(w[1], in.root)) return fail(t, "root: '" + w[1] + "' is not a note such as C4");
        return true;
    }
    if (key == "volume") {
        if (!words_are(t, w, 1, 1, "one volume 0 to 64")) return false;
        return integer_in(t, w[1], 0, 64, "volume", in.xm.volume);
    }
    if (key == "pan") {
        if (!words_are(t, w, 1, 1, "one position 0 (left) to 255 (right)")) return false;
        return integer_in(t, w[1], 0, 255, "pan", in.xm.panning);
    }
    if (key == "volume-envelope") {
        std::size_t n = w.size() - 1;
        if (n == 0 || n % 2 != 0 || n / 2 > kXmMaxEnvelopePoints)
            return fail(t, "volume-envelope takes 1 to 12 pairs of tick and volume");
        for (std::size_t i = 0; i < n / 2; ++i) {
            XmEnvelopePoint &p = in.xm.envelope[i];
            if (!integer_in(t, w[1 + 2 * i], 0, 65535, "envelope tick", p.tick) ||
                !integer_in(t, w[2 + 2 * i], 0, 64, "envelope volume", p.value))
                return false;
            if (i == 0 && p.tick != 0) return fail(t, "volume-envelope must begin at tick 0");
            if (i > 0 && p.tick <= in.xm.envelope[i - 1].tick)
                return fail(t, "volume-envelope tick " + w[1 + 2 * i] + " does not come after the one before");
        }
        in.xm.envelope_count = static_cast<int>(n / 2);
        return true;
    }
    if (key == "sustain") {
        if (!words_are(t, w, 1, 1, "the number of an envelope point, counting from 1")) return false;
        if (!integer_in(t, w[1], 1, kXmMaxEnvelopePoints, "sustain point", v)) return false;
        in.xm.sustain_point = v - 1;
        return true;
    }
    if (key == "fadeout") {
        if (!words_are(t, w, 1, 1, "one speed 0 to 4095")) return false;
        return integer_in(t, w[1], 0, 4095, "fadeout", in.xm.fadeout);
    }
    if (key == "autovibrato") {
        if (!words_are(t, w, 4, 4, "a shape (sine, square, rampdown, rampup), sweep, depth and rate"))
            return false;
        const char *shapes[] = {"sine", "square", "rampdown", "rampup"};
        int shape = -1;
        for (int i = 0; i < 4; ++i)
            if (w[1] == shapes[i]) shape = i;
        if (shape < 0) return fail(t, "autovibrato shape '" + w[1] + "': sine, square, rampdown or rampup");
        in.xm.vibrato_type = shape;
        return integer_in(t, w[2], 0, 255, "autovibrato sweep", in.xm.vibrato_sweep) &&
               integer_in(t, w[3], 0, 15, "autovibrato depth", in.xm.vibrato_depth) &&
               integer_in(t, w[4], 0, 63, "autovibrato rate", in.xm.vibrato_rate);
    }
    std::string what;
    LineResult r = recipe_parse_line(in.parser, w, what);
    if (r == LineResult::unknown)
        return fail(t, "unknown word '" + w[0] + "' in instrument '" + in.name + "'");
    if (r == LineResult::bad) return fail(t, what);
    return true;
}

// A looping instrument is rendered at a rate that fits a whole number of samples
// into one period of its root note, and its loop holds whole periods: a steady tone
// then repeats exactly, with nothing for the cross-fade to smear.
void fit_loop_to_root(InstrumentDef &in) {
    Recipe &r = in.recipe;
    double f = note_frequency(in.root);
    long period = std::max(2L, std::lround(r.rate / f));
    r.rate = period * f;
    long start = std::lround(r.loop_from * r.rate);
    long length = std::lround(r.length * r.rate) - start;
    long periods = std::max(1L, (length + period / 2) / period);
    r.loop_from = start / r.rate;
    r.length = (start + periods * period) / r.rate;
}

bool finish_instrument(Tune &t, InstrumentDef &in) {
    std::string what;
    int line = 0;
    if (!recipe_finish(in.parser, what, line)) {
        if (line > 0) t.line = line;
        return fail(t, "instrument '" + in.name + "': " + what);
    }
    if (in.xm.envelope_count > 0 && in.xm.sustain_point >= in.xm.envelope_count)
        return fail(t, "instrument '" + in.name + "': sustain point past the last envelope point");
    if (in.xm.envelope_count == 0 && in.xm.sustain_point >= 0)
        return fail(t, "instrument '" + in.name + "': sustain without a volume-envelope");
    if (in.recipe.loop) fit_loop_to_root(in);
    Rendered out;
    if (!render_recipe(in.recipe, out, what)) return fail(t, "instrument '" + in.name + "': " + what);

    in.xm.name = in.name;
    in.xm.sample.resize(out.samples.size());
    for (std::size_t i = 0; i < out.samples.size(); ++i)
        in.xm.sample[i] = static_cast<std::int16_t>(
            std::lround(std::max(-1.0f, std::min(1.0f, out.samples[i])) * 32767.0f));
    in.xm.loop = out.loop;
    in.xm.loop_start = static_cast<std::uint32_t>(out.loop_start);
    in.xm.loop_length = static_cast<std::uint32_t>(out.loop_end - out.loop_start);

    // At the root note the sample must play at the rate it was rendered at. C-4
    // plays 8363 samples a second; each semitone above multiplies that by 2^(1/12).
    double semitones = 12.0 * std::log2(out.rate / 8363.0) - (in.root - kDefaultRoot);
    long steps = std::lround(semitones * 128.0);
    long relative = (steps >= 0 ? steps + 64 : steps - 63) / 128;
    in.xm.relative_note = static_cast<int>(relative);
    in.xm.finetune = static_cast<int>(steps - relative * 128);
    if (in.xm.relative_note < -96 || in.xm.relative_note > 95)
        return fail(t, "instrument '" + in.name + "': rate and root put it outside the notes a module can play");
    return true;
}

// ---- events --------------------------------------------------------------------

// Splits the words of an event list into tokens: "(" opens a group, ")xN" closes
// it and plays it N times, "|" is a bar line; everything else is one event.
bool lex_events(Tune &t, const std::vector<std::string> &words, std::size_t first,
                std::vector<std::string> &tokens) {
    for (std::size_t k = first; k < words.size(); ++k) {
        const std::string &w = words[k];
        std::string cur;
        for (std::size_t i = 0; i < w.size(); ++i) {
            char c = w[i];
            if (c == '(' || c == '|' || c == ')') {
                if (!cur.empty()) tokens.push_back(cur);
                cur.clear();
                if (c != ')') {
                    tokens.push_back(std::string(1, c));
                    continue;
                }
                std::string close = ")";
                if (i + 1 >= w.size() || w[i + 1] != 'x')
                    return fail(t, "a group closes with ')xN', N the number of plays");
                ++i;
                std::string count;
                while (i + 1 < w.size() && w[i + 1] >= '0' && w[i + 1] <= '9') count += w[++i];
                if (count.empty()) return fail(t, "a group closes with ')xN', N the number of plays");
                tokens.push_back(close + "x" + count);
                continue;
            }
            cur += c;
        }
        if (!cur.empty()) tokens.push_back(cur);
    }
    return true;
}

bool expand_macros(Tune &t, const std::vector<std::string> &in, std::vector<std::string> &out,
                   int depth) {
    for (const std::string &tok : in) {
        if (tok.size() > 1 && tok[0] == '$') {
            const Macro *m = find_macro(t, tok.substr(1));
            if (!m) return fail(t, "no phrase named '" + tok.substr(1) + "' has been defined");
            if (depth >= kMaxMacroDepth) return fail(t, "phrases nest more than 8 deep");
            if (!expand_macros(t, m->tokens, out, depth + 1)) return false;
        } else {
            out.push_back(tok);
        }
        if (out.size() > kMaxEventTokens) return fail(t, "the events grow past 20000 after expansion");
    }
    return true;
}

bool expand_groups(Tune &t, const std::vector<std::string> &in, std::vector<std::string> &out) {
    std::vector<std::size_t> opened;
    for (const std::string &tok : in) {
        if (tok == "(") {
            opened.push_back(out.size());
            continue;
        }
        if (tok.size() > 2 && tok[0] == ')') {
            if (opened.empty()) return fail(t, "'" + tok + "' closes a group that was never opened");
            int plays;
            if (!integer_in(t, tok.substr(2), 1, 256, "group plays", plays)) return false;
            std::size_t from = opened.back();
            opened.pop_back();
            std::vector<std::string> body(out.begin() + static_cast<long>(from), out.end());
            for (int k = 1; k < plays; ++k) {
                out.insert(out.end(), body.begin(), body.end());
                if (out.size() > kMaxEventTokens)
                    return fail(t, "the events grow past 20000 after expansion");
            }
            continue;
        }
        out.push_back(tok);
    }
    if (!opened.empty()) return fail(t, "a group '(' is never closed");
    return true;
}

int effect_number(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return -1;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Effects that would move play to another place or hold a row: the order list alone
// says where a tune goes, so its length can be counted.
bool moves_playback(int effect, int param) {
    return effect == 0x0b || effect == 0x0d || (effect == 0x0e && ((param >> 4) == 6 || (param >> 4) == 0x0e));
}

struct Event {
    enum Kind { hold, play, release } kind = hold;
    int note = 0;
    int instrument = 0;  // 1-based
    int length = 1;
    int volume = -1;
    int effect = 0, param = 0;
    bool has_effect = false;
};

bool parse_event(Tune &t, const std::string &tok, int line_instrument, int step, Event &e) {
    std::size_t cut = tok.find_first_of(":@!", 1);
    std::string head = tok.substr(0, cut);
    e = Event();
    e.length = step;
    if (head == "-") {
        e.kind = Event::hold;
    } else if (head == "^") {
        e.kind = Event::release;
    } else if (parse_note(head, e.note)) {
        e.kind = Event::play;
        e.instrument = line_instrument;
    } else if (find_instrument(t, head) >= 0) {
        int i = find_instrument(t, head);
        e.kind = Event::play;
        e.instrument = i + 1;
        e.note = t.instruments[static_cast<std::size_t>(i)]->root;
    } else {
        return fail(t, "'" + head + "' is not a note (C4, F#3, Bb2), an instrument, '-' (hold) or '^' (release)");
    }
    if (e.kind == Event::play && e.instrument == 0)
        return fail(t, "note " + head + " on a line whose instrument is '-': name an instrument for the line");
    std::size_t i = cut;
    while (i != std::string::npos && i < tok.size()) {
        char mark = tok[i];
        std::size_t next = tok.find_first_of(":@!", i + 1);
        std::string value = tok.substr(i + 1, next == std::string::npos ? std::string::npos : next - i - 1);
        if (mark == ':') {
            if (!integer_in(t, value, 1, kMaxStep, "length", e.length)) return false;
        } else if (mark == '@') {
            if (!integer_in(t, value, 0, 64, "volume", e.volume)) return false;
        } else {
            if (value.size() != 3 || effect_number(value[0]) < 0 || hex_digit(value[1]) < 0 ||
                hex_digit(value[2]) < 0)
                return fail(t, "effect '!" + value + "': write '!' then the effect (0-9, A-Z) and two hex digits");
            e.effect = effect_number(value[0]);
            e.param = hex_digit(value[1]) * 16 + hex_digit(value[2]);
            e.has_effect = true;
            if (moves_playback(e.effect, e.param))
                return fail(t, "effect '!" + value + "' jumps or loops: the order list decides where the tune goes");
        }
        i = next;
    }
    return true;
}

bool place_events(Tune &t, PatternDef &p, int channel, int line_instrument,
                  const std::vector<std::string> &tokens) {
    int &pos = p.position[channel];
    int rows = p.xm.rows;
    int step = 1;
    for (const std::string &tok : tokens) {
        if (tok == "|") {
            if (t.bar > 0 && pos % t.bar != 0)
                return fail(t, "bar line at row " + std::to_string(pos) + " of channel " +
                                   std::to_string(channel + 1) + " does not fall on a bar of " +
                                   std::to_string(t.bar) + " rows");
            continue;
        }
        if (tok[0] == ':') {
            if (!integer_in(t, tok.substr(1), 1, kMaxStep, "step", step)) return false;
            continue;
        }
        Event e;
        if (!parse_event(t, tok, line_instrument, step, e)) return false;
        if (pos + e.length > rows)
            return fail(t, "channel " + std::to_string(channel + 1) + " runs past the end of pattern '" +
                               p.name + "' (" + std::to_string(pos + e.length) + " of " +
                               std::to_string(rows) + " rows)");
        XmCell &c = xm_cell(p.xm, t.module.channels, pos, channel);
        if (e.kind == Event::play) {
            c.note = static_cast<std::uint8_t>(e.note + 1);
            c.instrument = static_cast<std::uint8_t>(e.instrument);
        } else if (e.kind == Event::release) {
            c.note = kXmKeyOff;
        }
        if (e.volume >= 0) c.volume = static_cast<std::uint8_t>(0x10 + e.volume);
        if (e.has_effect) {
            c.effect = static_cast<std::uint8_t>(e.effect);
            c.param = static_cast<std::uint8_t>(e.param);
        }
        pos += e.length;
    }
    return true;
}

bool event_tokens(Tune &t, const std::vector<std::string> &words, std::size_t first,
                  std::vector<std::string> &flat) {
    std::vector<std::string> lexed, expanded;
    return lex_events(t, words, first, lexed) && expand_macros(t, lexed, expanded, 0) &&
           expand_groups(t, expanded, flat);
}

// ---- patterns ------------------------------------------------------------------

bool channel_line(Tune &t, PatternDef &p, const std::vector<std::string> &w) {
    int channel;
    if (!integer_in(t, w[0], 1, t.module.channels, "channel", channel)) return false;
    if (w.size() < 2) return fail(t, "a channel line names its instrument (or '-') and then its events");
    int instrument = 0;
    if (w[1] != "-") {
        int i = find_instrument(t, w[1]);
        if (i < 0) return fail(t, "no instrument named '" + w[1] + "' has been defined");
        instrument = i + 1;
    }
    std::vector<std::string> flat;
    if (!event_tokens(t, w, 2, flat)) return false;
    p.used[channel - 1] = true;
    return place_events(t, p, channel - 1, instrument, flat);
}

bool echo_line(Tune &t, PatternDef &p, const std::vector<std::string> &w) {
    if (!words_are(t, w, 4, 4, "the channel copied, the channel it sounds on, a delay in rows and a volume in percent"))
        return false;
    EchoDef e;
    e.line = t.line;
    if (!integer_in(t, w[1], 1, t.module.channels, "echo channel", e.from) ||
        !integer_in(t, w[2], 1, t.module.channels, "echo channel", e.to) ||
        !integer_in(t, w[3], 1, p.xm.rows - 1, "echo delay", e.delay) ||
        !integer_in(t, w[4], 1, 100, "echo volume", e.percent))
        return false;
    if (e.from == e.to) return fail(t, "an echo sounds on a channel of its own");
    --e.from;
    --e.to;
    p.echoes.push_back(e);
    return true;
}

// The echo of a channel: its notes again, later and quieter, on a channel left free
// for it. Notes pushed past the end of the pattern are dropped.
bool apply_echoes(Tune &t, PatternDef &p) {
    int channels = t.module.channels;
    for (const EchoDef &e : p.echoes) {
        t.line = e.line;
        if (p.used[e.to])
            return fail(t, "channel " + std::to_string(e.to + 1) + " has its own events; an echo needs a free channel");
        for (int row = 0; row + e.delay < p.xm.rows; ++row) {
            const XmCell &src = xm_cell(p.xm, channels, row, e.from);
            if (src.note == 0) continue;
            XmCell &dst = xm_cell(p.xm, channels, row + e.delay, e.to);
            dst.note = src.note;
            dst.instrument = src.instrument;
            if (src.note != kXmKeyOff) {
                int volume = src.volume ? src.volume - 0x10
                                        : t.instruments[static_cast<std::size_t>(src.instrument - 1)]->xm.volume;
                dst.volume = static_cast<std::uint8_t>(0x10 + volume * e.percent / 100);
            }
        }
        p.used[e.to] = true;
    }
    return true;
}

bool pattern_start(Tune &t, const std::vector<std::string> &w) {
    if (!t.channels_given) return fail(t, "'channels' must come before the first pattern");
    if (!words_are(t, w, 1, 2, "a name and optionally a number of rows (default 64)")) return false;
    if (find_pattern(t, w[1]) >= 0) return fail(t, "a pattern named '" + w[1] + "' already exists");
    if (t.patterns.size() >= static_cast<std::size_t>(kXmMaxPatterns)) return fail(t, "more than 256 patterns");
    PatternDef p;
    p.name = w[1];
    p.line = t.line;
    if (w.size() == 3 && !integer_in(t, w[2], 1, kXmMaxRows, "rows", p.xm.rows)) return false;
    p.xm.cells.assign(static_cast<std::size_t>(p.xm.rows * t.module.channels), XmCell());
    t.patterns.push_back(std::move(p));
    return true;
}

// A channel given a position with 'pan' is set there at the top of every pattern,
// where its first cell has no effect of its own.
void apply_pans(Tune &t, PatternDef &p) {
    for (int ch = 0; ch < t.module.channels; ++ch) {
        if (t.pan[ch] < 0) continue;
        XmCell &c = xm_cell(p.xm, t.module.channels, 0, ch);
        if (c.effect == 0 && c.param == 0) {
            c.effect = 0x08;
            c.param = static_cast<std::uint8_t>(t.pan[ch]);
        }
    }
}

// ---- the tune ------------------------------------------------------------------

bool begin_instrument(Tune &t, const std::vector<std::string> &w) {
    if (!words_are(t, w, 1, 1, "one name")) return false;
    if (!good_name(w[1]))
        return fail(t, "instrument name '" + w[1] + "': a small letter first, then small letters, digits, '-' or '_', at most 22");
    if (find_instrument(t, w[1]) >= 0) return fail(t, "an instrument named '" + w[1] + "' already exists");
    if (find_macro(t, w[1])) return fail(t, "'" + w[1] + "' is already the name of a phrase");
    if (t.instruments.size() >= static_cast<std::size_t>(kXmMaxInstruments)) return fail(t, "more than 128 instruments");
    auto in = std::make_unique<InstrumentDef>();
    in->name = w[1];
    in->line = t.line;
    in->recipe.peak = 0.9;
    in->parser.recipe = &in->recipe;
    in->parser.use = RecipeUse::instrument;
    t.instruments.push_back(std::move(in));
    return true;
}

bool define_line(Tune &t, const std::vector<std::string> &w) {
    if (w.size() < 3) return fail(t, "'define' takes a name and the events it stands for");
    if (!good_name(w[1]))
        return fail(t, "phrase name '" + w[1] + "': a small letter first, then small letters, digits, '-' or '_'");
    if (find_macro(t, w[1]) || find_instrument(t, w[1]) >= 0)
        return fail(t, "'" + w[1] + "' is already defined");
    Macro m;
    m.name = w[1];
    std::vector<std::string> lexed;
    if (!lex_events(t, w, 2, lexed)) return false;
    // Expanded now, so a phrase can only use phrases defined before it.
    if (!expand_macros(t, lexed, m.tokens, 0)) return false;
    t.macros.push_back(std::move(m));
    return true;
}

bool top_line(Tune &t, const std::vector<std::string> &w) {
    const std::string &key = w[0];
    if (key == "title") {
        std::string title;
        for (std::size_t i = 1; i < w.size(); ++i) title += (i > 1 ? " " : "") + w[i];
        if (title.size() > kXmNameLength) return fail(t, "title longer than 20 characters");
        t.module.name = title;
        return true;
    }
    if (key == "channels") {
        if (t.channels_given) return fail(t, "'channels' given twice");
        if (!words_are(t, w, 1, 1, "one number 1 to 32") ||
            !integer_in(t, w[1], 1, kXmMaxChannels, "channels", t.module.channels))
            return false;
        t.channels_given = true;
        return true;
    }
    if (key == "speed")
        return words_are(t, w, 1, 1, "one number of ticks a row") &&
               integer_in(t, w[1], 1, 31, "speed", t.module.speed);
    if (key == "tempo")
        return words_are(t, w, 1, 1, "one number of beats a minute") &&
               integer_in(t, w[1], 32, 255, "tempo", t.module.tempo);
    if (key == "bar")
        return words_are(t, w, 1, 1, "one number of rows") && integer_in(t, w[1], 1, kXmMaxRows, "bar", t.bar);
    if (key == "pan") {
        int ch, value;
        if (!t.channels_given) return fail(t, "'channels' must come before 'pan'");
        if (!t.patterns.empty()) return fail(t, "'pan' must come before the first pattern");
        if (!words_are(t, w, 2, 2, "a channel and a position 0 (left) to 255 (right)") ||
            !integer_in(t, w[1], 1, t.module.channels, "channel", ch) ||
            !integer_in(t, w[2], 0, 255, "pan", value))
            return false;
        t.pan[ch - 1] = value;
        return true;
    }
    if (key == "instrument") {
        if (!begin_instrument(t, w)) return false;
        t.block = Block::instrument;
        t.block_line = t.line;
        return true;
    }
    if (key == "pattern") {
        if (!pattern_start(t, w)) return false;
        t.block = Block::pattern;
        t.block_line = t.line;
        return true;
    }
    if (key == "define") return define_line(t, w);
    if (key == "order") {
        if (w.size() < 2) return fail(t, "'order' takes the names of patterns in playing order");
        for (std::size_t i = 1; i < w.size(); ++i) t.order.emplace_back(w[i], t.line);
        return true;
    }
    if (key == "restart") {
        if (!words_are(t, w, 1, 1, "a pattern name or an order position counting from 0")) return false;
        t.restart = w[1];
        t.restart_line = t.line;
        return true;
    }
    if (key == "end") return fail(t, "'end' without an instrument or pattern to close");
    return fail(t, "unknown word '" + key + "'");
}

bool tune_line(Tune &t, const std::vector<std::string> &w) {
    if (t.block == Block::none) return top_line(t, w);
    if (w[0] == "end") {
        if (w.size() != 1) return fail(t, "'end' stands alone on its line");
        Block b = t.block;
        t.block = Block::none;
        if (b == Block::instrument) return finish_instrument(t, *t.instruments.back());
        PatternDef &p = t.patterns.back();
        if (!apply_echoes(t, p)) return false;
        apply_pans(t, p);
        return true;
    }
    if (w[0] == "instrument" || w[0] == "pattern")
        return fail(t, "'" + w[0] + "' inside a block: close the block opened on line " +
                           std::to_string(t.block_line) + " with 'end' first");
    if (t.block == Block::instrument) {
        InstrumentDef &in = *t.instruments.back();
        in.parser.line = t.line;
        return instrument_line(t, in, w);
    }
    PatternDef &p = t.patterns.back();
    if (w[0] == "echo") return echo_line(t, p, w);
    if (w[0][0] >= '0' && w[0][0] <= '9') return channel_line(t, p, w);
    return fail(t, "unknown word '" + w[0] + "' in pattern '" + p.name +
                       "' (a channel number, 'echo' or 'end')");
}

bool finish_tune(Tune &t, int last_line) {
    t.line = last_line;
    if (t.block != Block::none) {
        t.line = t.block_line;
        return fail(t, std::string(t.block == Block::instrument ? "instrument" : "pattern") +
                           " is never closed with 'end'");
    }
    t.line = 0;
    if (t.instruments.empty()) return fail(t, "no instrument");
    if (t.patterns.empty()) return fail(t, "no pattern");
    if (t.order.empty()) return fail(t, "no 'order' line");
    if (t.order.size() > static_cast<std::size_t>(kXmMaxOrders)) return fail(t, "more than 256 orders");
    for (const auto &o : t.order) {
        int p = find_pattern(t, o.first);
        if (p < 0) {
            t.line = o.second;
            return fail(t, "the order names pattern '" + o.first + "', which is not defined");
        }
        t.module.orders.push_back(p);
    }
    t.module.restart = 0;
    if (!t.restart.empty()) {
        t.line = t.restart_line;
        long pos;
        int found = -1;
        if (parse_integer(t.restart, pos)) {
            if (pos >= 0 && pos < static_cast<long>(t.order.size())) found = static_cast<int>(pos);
        } else {
            for (std::size_t i = 0; i < t.order.size() && found < 0; ++i)
                if (t.order[i].first == t.restart) found = static_cast<int>(i);
        }
        if (found < 0) return fail(t, "restart '" + t.restart + "' is not a pattern of the order list nor a position in it");
        t.module.restart = found;
    }
    for (auto &in : t.instruments) t.module.instruments.push_back(std::move(in->xm));
    for (PatternDef &p : t.patterns) t.module.patterns.push_back(std::move(p.xm));
    t.line = 0;
    std::string what;
    if (!xm_check(t.module, what)) return fail(t, what);
    return true;
}

bool compile_tune_lines(const std::string &path, const std::vector<std::string> &lines,
                        XmModule &module, std::string &error) {
    auto t = std::make_unique<Tune>();
    t->path = path;
    for (int &p : t->pan) p = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> words = split_words(lines[i]);
        if (words.empty()) continue;
        t->line = static_cast<int>(i + 1);
        if (!tune_line(*t, words)) {
            error = source_message(path, t->line, t->error);
            return false;
        }
    }
    if (!finish_tune(*t, static_cast<int>(lines.size()))) {
        error = source_message(path, t->line, t->error);
        return false;
    }
    module = std::move(t->module);
    return true;
}

}  // namespace

bool compile_tune_file(const std::string &path, XmModule &module, std::string &error) {
    std::vector<std::string> lines;
    return read_source_lines(path, lines, error) && compile_tune_lines(path, lines, module, error);
}

bool compile_tune_text(const std::string &path, const std::string &text, XmModule &module,
                       std::string &error) {
    std::vector<std::string> lines;
    return split_source_lines(path, text, lines, error) &&
           compile_tune_lines(path, lines, module, error);
}

bool make_module_file(const std::string &tune_path, const std::string &out_path,
                      std::string &error) {
    XmModule module;
    if (!compile_tune_file(tune_path, module, error)) return false;
    return write_file_whole(out_path, xm_bytes(module), error);
}

int xm_main(int argc, char **argv) {
    std::string error;
    if (argc == 3 && std::string(argv[1]) == "--info") {
        XmModule m;
        if (!compile_tune_file(argv[2], m, error)) {
            std::fprintf(stderr, "vespertil-xm: %s\n", error.c_str());
            return 1;
        }
        std::size_t bytes = xm_bytes(m).size();
        std::printf("%s: \"%s\", %.1f s before the loop, %d channels, %zu orders, %zu patterns, "
                    "%zu instruments, %zu bytes\n",
                    argv[2], m.name.c_str(), xm_length_seconds(m), m.channels, m.orders.size(),
                    m.patterns.size(), m.instruments.size(), bytes);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: vespertil-xm TUNE OUT.xm\n       vespertil-xm --info TUNE\n");
        return 2;
    }
    if (!make_module_file(argv[1], argv[2], error)) {
        std::fprintf(stderr, "vespertil-xm: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
