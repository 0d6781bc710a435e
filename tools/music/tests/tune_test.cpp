// Tests of the tune notation: where events land, what echoes, pans, phrases and
// groups produce, how instruments are tuned, and the message for each kind of
// broken tune.
#include "tune.h"

#include "support/test_support.h"

#include <gtest/gtest.h>
#include <xmp.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

using testing_support::TempDir;

namespace {

const char *kInstruments =
    "instrument lead\n"
    "  root A4\n  length 0.3\n  loop 0.02 from 0.1\n  layer sine\n    pitch A4\n"
    "  volume 40\nend\n"
    "instrument kick\n  length 0.2\n  layer sine\n    pitch 120 40\nend\n";

struct Compiled {
    bool ok;
    std::string error;
    XmModule module;
};

Compiled compile(const std::string &text) {
    TempDir dir;
    std::string path = dir.file("test.tune");
    testing_support::write_file(path, text);
    Compiled c;
    c.ok = compile_tune_file(path, c.module, c.error);
    return c;
}

Compiled compile_body(const std::string &body, int channels = 4) {
    return compile("channels " + std::to_string(channels) + "\n" + kInstruments + body);
}

const XmCell &cell(const Compiled &c, int pattern, int row, int channel) {
    return c.module.patterns[static_cast<std::size_t>(pattern)]
        .cells[static_cast<std::size_t>(row * c.module.channels + channel)];
}

// Plays the module through libxmp in mono and returns the samples of its first pass.
std::vector<short> play(const XmModule &m, int rate) {
    std::vector<std::uint8_t> bytes = xm_bytes(m);
    xmp_context ctx = xmp_create_context();
    std::vector<short> out;
    if (xmp_load_module_from_memory(ctx, bytes.data(), static_cast<long>(bytes.size())) == 0) {
        xmp_start_player(ctx, rate, XMP_FORMAT_MONO);
        xmp_frame_info fi;
        while (xmp_play_frame(ctx) == 0) {
            xmp_get_frame_info(ctx, &fi);
            if (fi.loop_count > 0) break;
            const short *s = static_cast<const short *>(fi.buffer);
            out.insert(out.end(), s, s + fi.buffer_size / 2);
        }
        xmp_end_player(ctx);
        xmp_release_module(ctx);
    }
    xmp_free_context(ctx);
    return out;
}

double frequency(const std::vector<short> &s, std::size_t from, std::size_t to, int rate) {
    int n = 0;
    std::size_t first = 0, last = 0;
    for (std::size_t i = from; i + 1 < to; ++i)
        if (s[i] <= 0 && s[i + 1] > 0) {
            if (n == 0) first = i;
            last = i;
            ++n;
        }
    return n > 1 ? (n - 1) * static_cast<double>(rate) / (last - first) : 0;
}

}  // namespace

TEST(TuneEvents, LandOnTheRowsTheirLengthsGive) {
    Compiled c = compile_body(
        "pattern a 16\n"
        "  1 lead A4:4 C5@20:2 - ^:3 E5!401\n"
        "  1 lead G4\n"  // a second line for a channel carries on where the first ended
        "  2 -    kick:8 kick\n"
        "end\norder a\n");
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(cell(c, 0, 0, 0).note, 57 + 1);  // A4, counted from C-0 = 1
    EXPECT_EQ(cell(c, 0, 0, 0).instrument, 1);
    EXPECT_EQ(cell(c, 0, 0, 0).volume, 0);     // the instrument's own volume
    EXPECT_EQ(cell(c, 0, 4, 0).note, 60 + 1);
    EXPECT_EQ(cell(c, 0, 4, 0).volume, 0x10 + 20);
    EXPECT_EQ(cell(c, 0, 6, 0).note, 0);       // '-' holds
    EXPECT_EQ(cell(c, 0, 7, 0).note, kXmKeyOff);
    EXPECT_EQ(cell(c, 0, 10, 0).note, 64 + 1);
    EXPECT_EQ(cell(c, 0, 10, 0).effect, 4);
    EXPECT_EQ(cell(c, 0, 10, 0).param, 0x01);
    EXPECT_EQ(cell(c, 0, 11, 0).note, 55 + 1);
    // An instrument named as an event plays at its root (C4 by default).
    EXPECT_EQ(cell(c, 0, 0, 1).note, 48 + 1);
    EXPECT_EQ(cell(c, 0, 0, 1).instrument, 2);
    EXPECT_EQ(cell(c, 0, 8, 1).instrument, 2);
}

TEST(TuneEvents, GroupsPhrasesAndStepsExpandInPlace) {
    Compiled c = compile_body(
        "define two A4:2 C5:2\n"
        "define four $two $two\n"
        "pattern a 32\n"
        "  1 lead ($four)x2 | :4 E5 ( G5 )x2 :1 A5\n"
        "end\norder a\n");
    ASSERT_TRUE(c.ok) << c.error;
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(cell(c, 0, k * 4, 0).note, 58) << k;
        EXPECT_EQ(cell(c, 0, k * 4 + 2, 0).note, 61) << k;
    }
    EXPECT_EQ(cell(c, 0, 16, 0).note, 65);
    EXPECT_EQ(cell(c, 0, 20, 0).note, 68);
    EXPECT_EQ(cell(c, 0, 24, 0).note, 68);
    EXPECT_EQ(cell(c, 0, 28, 0).note, 70);
    EXPECT_EQ(cell(c, 0, 29, 0).note, 0);
}

TEST(TuneEvents, AnEchoRepeatsAChannelLaterAndQuieter) {
    Compiled c = compile_body(
        "pattern a 16\n"
        "  1 lead A4:4 C5@32:8 ^:2 E5:2\n"
        "  echo 1 3 3 50\n"
        "end\norder a\n");
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(cell(c, 0, 3, 2).note, 58);
    EXPECT_EQ(cell(c, 0, 3, 2).volume, 0x10 + 20);  // half the instrument's 40
    EXPECT_EQ(cell(c, 0, 7, 2).note, 61);
    EXPECT_EQ(cell(c, 0, 7, 2).volume, 0x10 + 16);  // half the note's 32
    EXPECT_EQ(cell(c, 0, 15, 2).note, kXmKeyOff);
    // E5 on row 14 would echo on row 17: past the pattern, so it is dropped.
    for (int row = 0; row < 16; ++row) EXPECT_NE(cell(c, 0, row, 2).note, 65) << row;
}

TEST(TuneEvents, PannedChannelsAreSetAtTheTopOfEveryPattern) {
    Compiled c = compile_body(
        "pan 1 40\npan 2 200\n"
        "pattern a 4\n  2 lead A4!A02\nend\n"
        "pattern b 4\nend\n"
        "order a b\n");
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(cell(c, 0, 0, 0).effect, 8);
    EXPECT_EQ(cell(c, 0, 0, 0).param, 40);
    EXPECT_EQ(cell(c, 0, 0, 1).effect, 10);  // the note's own effect is kept
    EXPECT_EQ(cell(c, 1, 0, 1).effect, 8);
    EXPECT_EQ(cell(c, 1, 0, 1).param, 200);
    EXPECT_EQ(cell(c, 1, 0, 2).effect, 0);
}

TEST(TuneOrder, NamesBecomePatternNumbersAndTheRestartItsPosition) {
    Compiled c = compile("channels 2\nspeed 4\ntempo 100\ntitle Small Tune\n" + std::string(kInstruments) +
                         "pattern intro 8\nend\npattern loop 8\nend\n"
                         "order intro loop\norder loop intro\nrestart loop\n");
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(c.module.orders, (std::vector<int>{0, 1, 1, 0}));
    EXPECT_EQ(c.module.restart, 1);
    EXPECT_EQ(c.module.speed, 4);
    EXPECT_EQ(c.module.tempo, 100);
    EXPECT_EQ(c.module.name, "Small Tune");
    EXPECT_NEAR(xm_length_seconds(c.module), 32 * 4 * 2.5 / 100, 1e-9);
    Compiled by_number = compile("channels 2\n" + std::string(kInstruments) +
                                 "pattern a 8\nend\norder a a a\nrestart 2\n");
    ASSERT_TRUE(by_number.ok) << by_number.error;
    EXPECT_EQ(by_number.module.restart, 2);
}

TEST(TuneInstruments, SoundAtTheirRootAndFollowTheNotes) {
    const int rate = 44100;
    Compiled c = compile_body("pattern a 32\n  1 lead E5:16\n  2 -\nend\norder a\n", 2);
    ASSERT_TRUE(c.ok) << c.error;
    std::vector<short> s = play(c.module, rate);
    ASSERT_GT(s.size(), 40000u);
    EXPECT_NEAR(frequency(s, 2000, 40000, rate), 659.26, 659.26 * 0.005);

    Compiled low = compile("channels 1\ninstrument bass\n  root C2\n  length 0.5\n  loop 0.05 from 0.2\n"
                           "  layer saw\n    pitch C2\n    lowpass 300\nend\n"
                           "pattern a 32\n  1 bass G2:32\nend\norder a\n");
    ASSERT_TRUE(low.ok) << low.error;
    s = play(low.module, rate);
    EXPECT_NEAR(frequency(s, 2000, 60000, rate), 98.0, 98.0 * 0.01);
}

TEST(TuneInstruments, ALoopHoldsAWholeNumberOfPeriods) {
    Compiled c = compile_body("pattern a 4\nend\norder a\n");
    ASSERT_TRUE(c.ok) << c.error;
    const XmInstrument &lead = c.module.instruments[0];
    ASSERT_TRUE(lead.loop);
    // The sample is rendered so that A4 spans a whole number of samples, and the
    // note-to-rate settings bring it back to 440 Hz on A4.
    double semitones = lead.relative_note + lead.finetune / 128.0;
    double rate_at_a4 = 8363.0 * std::pow(2.0, (semitones + 9) / 12.0);
    double period = rate_at_a4 / 440.0;
    EXPECT_NEAR(period, std::round(period), 0.01 * period / 128 + 0.05);
    double periods = lead.loop_length / std::round(period);
    EXPECT_NEAR(periods, std::round(periods), 1e-9);
    // A steady sine loops with no jump where the loop comes round.
    std::int16_t last = lead.sample[lead.loop_start + lead.loop_length - 1];
    std::int16_t first = lead.sample[lead.loop_start];
    EXPECT_LT(std::abs(first - last), 32767 * 2 * 3.1416 / period * 1.2);
}

TEST(TuneInstruments, TheEnvelopeAndPlaySettingsReachTheModule) {
    Compiled c = compile("channels 1\ninstrument pad\n  length 0.5\n  loop 0.05 from 0.2\n  layer saw\n"
                         "  volume 30\n  pan 60\n  volume-envelope 0 0  10 64  30 40\n  sustain 3\n"
                         "  fadeout 500\n  autovibrato square 10 4 20\nend\n"
                         "pattern a 4\nend\norder a\n");
    ASSERT_TRUE(c.ok) << c.error;
    const XmInstrument &pad = c.module.instruments[0];
    EXPECT_EQ(pad.volume, 30);
    EXPECT_EQ(pad.panning, 60);
    ASSERT_EQ(pad.envelope_count, 3);
    EXPECT_EQ(pad.envelope[2].tick, 30);
    EXPECT_EQ(pad.envelope[2].value, 40);
    EXPECT_EQ(pad.sustain_point, 2);
    EXPECT_EQ(pad.fadeout, 500);
    EXPECT_EQ(pad.vibrato_type, 1);
    EXPECT_EQ(pad.vibrato_rate, 20);
}

struct BrokenTune {
    const char *name;
    const char *body;  // after "channels 4" and the two instruments (lines 1 to 14)
    int line;
    const char *says;
};

class TuneErrors : public testing::TestWithParam<BrokenTune> {};

TEST_P(TuneErrors, NameTheFileTheLineAndTheFault) {
    const BrokenTune &b = GetParam();
    Compiled c = compile_body(b.body);
    ASSERT_FALSE(c.ok);
    std::string where = b.line > 0 ? "test.tune:" + std::to_string(b.line) + ": " : "test.tune: ";
    EXPECT_NE(c.error.find(where + b.says), std::string::npos) << c.error;
}

INSTANTIATE_TEST_SUITE_P(
    Broken, TuneErrors,
    testing::Values(
        BrokenTune{"UnknownWord", "tempi 120\n", 15, "unknown word 'tempi'"},
        BrokenTune{"BadNote", "pattern a 8\n  1 lead H4\nend\norder a\n", 16, "'H4' is not a note"},
        BrokenTune{"UnknownInstrument", "pattern a 8\n  1 flute A4\nend\n", 16, "no instrument named 'flute'"},
        BrokenTune{"ChannelOutOfRange", "pattern a 8\n  5 lead A4\nend\n", 16, "channel 5 is out of range"},
        BrokenTune{"PastTheEnd", "pattern a 8\n  1 lead A4:4 C5:5\nend\n", 16,
                   "channel 1 runs past the end of pattern 'a' (9 of 8 rows)"},
        BrokenTune{"BarOffBeat", "bar 4\npattern a 8\n  1 lead A4:3 |\nend\n", 17,
                   "bar line at row 3 of channel 1"},
        BrokenTune{"OpenGroup", "pattern a 8\n  1 lead ( A4\nend\n", 16, "a group '(' is never closed"},
        BrokenTune{"StrayClose", "pattern a 8\n  1 lead A4 )x2\nend\n", 16, "')x2' closes a group that was never opened"},
        BrokenTune{"CloseWithoutCount", "pattern a 8\n  1 lead ( A4 )\nend\n", 16, "a group closes with ')xN'"},
        BrokenTune{"UnknownPhrase", "pattern a 8\n  1 lead $riff\nend\n", 16, "no phrase named 'riff'"},
        BrokenTune{"Jump", "pattern a 8\n  1 lead A4!B00\nend\n", 16, "effect '!B00' jumps or loops"},
        BrokenTune{"BadEffect", "pattern a 8\n  1 lead A4!4x1\nend\n", 16, "effect '!4x1'"},
        BrokenTune{"LoudNote", "pattern a 8\n  1 lead A4@65\nend\n", 16, "volume 65 is out of range"},
        BrokenTune{"NoteWithoutInstrument", "pattern a 8\n  1 - A4\nend\n", 16, "note A4 on a line whose instrument is '-'"},
        BrokenTune{"EchoOntoUsedChannel", "pattern a 8\n  1 lead A4\n  2 lead C5\n  echo 1 2 2 50\nend\n", 18,
                   "channel 2 has its own events"},
        BrokenTune{"EchoOntoItself", "pattern a 8\n  echo 1 1 2 50\nend\n", 16, "an echo sounds on a channel of its own"},
        BrokenTune{"UnclosedPattern", "pattern a 8\n  1 lead A4\n", 15, "pattern is never closed"},
        BrokenTune{"NestedBlock", "pattern a 8\npattern b 8\n", 16, "'pattern' inside a block: close the block opened on line 15"},
        BrokenTune{"StrayEnd", "end\n", 15, "'end' without an instrument or pattern"},
        BrokenTune{"OrderOfNothing", "pattern a 8\nend\norder a b\n", 17, "the order names pattern 'b', which is not defined"},
        BrokenTune{"RestartNowhere", "pattern a 8\nend\norder a\nrestart 3\n", 18, "restart '3'"},
        BrokenTune{"NoOrder", "pattern a 8\nend\n", 0, "no 'order' line"},
        BrokenTune{"TwoPatternsOneName", "pattern a 8\nend\npattern a 8\nend\n", 17, "a pattern named 'a' already exists"},
        BrokenTune{"RecipeFault", "instrument bell\n  length 0.2\n  layer sine\n    pitch 99999\nend\n", 18,
                   "pitch 99999 Hz is out of range"},
        BrokenTune{"RecipeWithoutLength", "instrument bell\n  layer sine\nend\n", 17,
                   "instrument 'bell': no 'length'"},
        BrokenTune{"RecipeLayerFault", "instrument bell\n  length 0.5\n  layer saw\n  partials 1 1\nend\n", 17,
                   "instrument 'bell': layer 1 has partials"},
        BrokenTune{"SustainWithoutEnvelope", "instrument pad\n  length 0.3\n  layer saw\n  sustain 1\nend\n", 19,
                   "instrument 'pad': sustain without a volume-envelope"},
        BrokenTune{"EnvelopeNotAtZero", "instrument pad\n  volume-envelope 2 64\n", 16, "volume-envelope must begin at tick 0"},
        BrokenTune{"CapitalName", "instrument Pad\n", 15, "instrument name 'Pad'"},
        BrokenTune{"SameName", "instrument lead\n", 15, "an instrument named 'lead' already exists"},
        BrokenTune{"TooLongTitle", "title A Title Much Too Long For It\n", 15, "title longer than 20"},
        BrokenTune{"PanAfterPatterns", "pattern a 8\nend\npan 1 20\n", 17, "'pan' must come before the first pattern"}),
    [](const testing::TestParamInfo<BrokenTune> &info) { return std::string(info.param.name); });

TEST(TuneFiles, ABrokenTuneWritesNothing) {
    TempDir dir;
    testing_support::write_file(dir.file("bad.tune"), std::string("channels 2\nwhat\n"));
    std::string error;
    EXPECT_FALSE(make_module_file(dir.file("bad.tune"), dir.file("bad.xm"), error));
    EXPECT_NE(error.find("bad.tune:2: unknown word 'what'"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.xm")));
}

TEST(XmCommand, FailsWithTheMessageOrWritesAModuleLibxmpLoads) {
    TempDir dir;
    testing_support::write_file(dir.file("bad.tune"), std::string("channels 40\n"));
    std::string tool = VESPERTIL_XM_TOOL;
    std::string cmd = tool + " " + dir.file("bad.tune") + " " + dir.file("out.xm") + " 2>" + dir.file("err.txt");
    EXPECT_NE(std::system(cmd.c_str()), 0);
    auto err = testing_support::read_file(dir.file("err.txt"));
    EXPECT_NE(std::string(err.begin(), err.end()).find("bad.tune:1: channels 40 is out of range"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.xm")));

    testing_support::write_file(dir.file("ok.tune"), "channels 2\n" + std::string(kInstruments) +
                                                       "pattern a 8\n  1 lead A4\nend\norder a\n");
    cmd = tool + " " + dir.file("ok.tune") + " " + dir.file("ok.xm");
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    xmp_context ctx = xmp_create_context();
    EXPECT_EQ(xmp_load_module(ctx, dir.file("ok.xm").c_str()), 0);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
}

TEST(TuneText, InMemoryCompilesAsTheFileAndNamesItsLabel) {
    const std::string text = "channels 2\n" + std::string(kInstruments) +
                             "pattern a 4\n  1 lead A4:2 C5:2\nend\norder a a\n";
    Compiled from_file = compile(text);
    ASSERT_TRUE(from_file.ok) << from_file.error;
    XmModule module;
    std::string error;
    ASSERT_TRUE(compile_tune_text("mem.tune", text, module, error)) << error;
    EXPECT_EQ(xm_bytes(module), xm_bytes(from_file.module));
    EXPECT_FALSE(compile_tune_text("mem.tune", "channels 2\nspeed fast\n", module, error));
    EXPECT_EQ(error.rfind("mem.tune:2: ", 0), 0u) << error;
}
