// The tune notation: where events land, what echoes, pans, phrases and groups
// produce, and the message for each kind of broken tune (tune_errors.txt). What the
// shipped tunes compile to is held by content/tests/generated.hashes.
#include "tune.h"

#include "../../common/tests/case_table.h"
#include "../../common/tests/tool_promises.h"
#include "support/corpus_seeds.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using testing_support::TempDir;

namespace {

INSTANTIATE_TEST_SUITE_P(Tunes, CorpusSeed, seeds_of({{"tune", tune_promise}}), seed_name);

// Lines 2 to 14 of every tune below.
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
    testing_support::write_file(dir.file("test.tune"), text);
    Compiled c;
    c.ok = compile_tune_file(dir.file("test.tune"), c.module, c.error);
    return c;
}

Compiled compile_body(const std::string &body, int channels = 4) {
    return compile("channels " + std::to_string(channels) + "\n" + kInstruments + body);
}

struct Event {
    const char *name;
    const char *pattern; // the first pattern, its name "a"
    int row, channel;    // in pattern a, or in the second pattern when row >= 100
    XmCell want;
};

void PrintTo(const Event &e, std::ostream *os) { *os << e.name; }

class TuneEvents : public testing::TestWithParam<Event> {};

TEST_P(TuneEvents, LandOnTheRowsTheTuneSays) {
    const Event &e = GetParam();
    Compiled c = compile_body(std::string(e.pattern) + "order a b\n");
    ASSERT_TRUE(c.ok) << c.error;
    const XmPattern &p = c.module.patterns[e.row >= 100 ? 1 : 0];
    const XmCell &got = p.cells[static_cast<std::size_t>((e.row % 100) * c.module.channels + e.channel)];
    EXPECT_EQ(std::vector<int>({got.note, got.instrument, got.volume, got.effect, got.param}),
              std::vector<int>({e.want.note, e.want.instrument, e.want.volume, e.want.effect, e.want.param}));
}

// Notes count from C-0 = 1 (A4 is 58); the volume column is 0x10 + the volume.
const char *kLines = "pattern a 16\n  1 lead A4:4 C5@20:2 - ^:3 E5!401\n  1 lead G4\n  2 -    kick:8 kick\nend\n"
                     "pattern b 4\nend\n";
const char *kGroups = "define two A4:2 C5:2\ndefine four $two $two\n"
                      "pattern a 32\n  1 lead ($four)x2 | :4 E5 ( G5 )x2 :1 A5\nend\npattern b 4\nend\n";
const char *kEcho = "pattern a 16\n  1 lead A4:4 C5@32:8 ^:2 E5:2\n  echo 1 3 3 50\nend\npattern b 4\nend\n";
const char *kPans = "pan 1 40\npan 2 200\npattern a 4\n  2 lead A4!A02\nend\npattern b 4\nend\n";

INSTANTIATE_TEST_SUITE_P(
    Notation, TuneEvents,
    testing::Values(
        Event{"note_of_the_line_s_instrument", kLines, 0, 0, {58, 1, 0, 0, 0}},
        Event{"note_with_volume", kLines, 4, 0, {61, 1, 0x10 + 20, 0, 0}},
        Event{"hold", kLines, 6, 0, {0, 0, 0, 0, 0}},
        Event{"release", kLines, 7, 0, {kXmKeyOff, 0, 0, 0, 0}},
        Event{"note_with_effect", kLines, 10, 0, {65, 1, 0, 4, 0x01}},
        Event{"a_second_line_carries_on", kLines, 11, 0, {56, 1, 0, 0, 0}},
        Event{"instrument_at_its_root", kLines, 0, 1, {49, 2, 0, 0, 0}},
        Event{"instrument_after_its_length", kLines, 8, 1, {49, 2, 0, 0, 0}},
        Event{"phrase_in_a_group", kGroups, 12, 0, {58, 1, 0, 0, 0}},
        Event{"phrase_second_note", kGroups, 14, 0, {61, 1, 0, 0, 0}},
        Event{"after_the_bar", kGroups, 16, 0, {65, 1, 0, 0, 0}},
        Event{"step_changes_the_length", kGroups, 24, 0, {68, 1, 0, 0, 0}},
        Event{"last_step", kGroups, 28, 0, {70, 1, 0, 0, 0}},
        Event{"nothing_after_the_last", kGroups, 29, 0, {0, 0, 0, 0, 0}},
        Event{"echo_of_the_instrument_s_volume", kEcho, 3, 2, {58, 1, 0x10 + 20, 0, 0}},
        Event{"echo_of_the_note_s_volume", kEcho, 7, 2, {61, 1, 0x10 + 16, 0, 0}},
        Event{"echo_of_a_release", kEcho, 15, 2, {kXmKeyOff, 0, 0, 0, 0}},
        Event{"no_echo_past_the_pattern", kEcho, 14, 2, {0, 0, 0, 0, 0}},
        Event{"no_echo_wrapped_round", kEcho, 1, 2, {0, 0, 0, 0, 0}},
        Event{"pan_at_the_top", kPans, 0, 0, {0, 0, 0, 8, 40}},
        Event{"a_note_keeps_its_effect", kPans, 0, 1, {58, 1, 0, 10, 0x02}},
        Event{"pan_in_every_pattern", kPans, 100, 1, {0, 0, 0, 8, 200}},
        Event{"no_pan_unless_asked", kPans, 100, 2, {0, 0, 0, 0, 0}}),
    [](const testing::TestParamInfo<Event> &info) { return std::string(info.param.name); });

class TuneErrors : public testing::TestWithParam<TextCase> {};

TEST_P(TuneErrors, NameTheFileTheLineAndTheFault) {
    Compiled c = compile_body(GetParam().text);
    ASSERT_FALSE(c.ok);
    EXPECT_TRUE(says(c.error.substr(c.error.rfind("test.tune")), "test.tune", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, TuneErrors, testing::ValuesIn(read_cases(__FILE__, "tune_errors.txt")), case_name);

TEST(XmCommand, FailsWithTheMessageOrWritesTheModuleItCompiles) {
    TempDir dir;
    testing_support::write_file(dir.file("bad.tune"), std::string("channels 40\n"));
    const std::string tool = VESPERTIL_XM_TOOL;
    std::string cmd = tool + " " + dir.file("bad.tune") + " " + dir.file("out.xm") + " 2>" + dir.file("err.txt");
    EXPECT_NE(std::system(cmd.c_str()), 0);
    auto err = testing_support::read_file(dir.file("err.txt"));
    EXPECT_NE(std::string(err.begin(), err.end()).find("bad.tune:1: channels 40 is out of range"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.xm")));

    const std::string text = "channels 2\n" + std::string(kInstruments) + "pattern a 8\n  1 lead A4\nend\norder a\n";
    testing_support::write_file(dir.file("ok.tune"), text);
    ASSERT_EQ(std::system((tool + " " + dir.file("ok.tune") + " " + dir.file("ok.xm")).c_str()), 0);
    // What the fuzz target compiles from memory is what the tool writes.
    XmModule module;
    std::string error;
    ASSERT_TRUE(compile_tune_text("mem.tune", text, module, error)) << error;
    auto written = testing_support::read_file(dir.file("ok.xm"));
    EXPECT_EQ(xm_bytes(module), std::vector<std::uint8_t>(written.begin(), written.end()));
}

}  // namespace
