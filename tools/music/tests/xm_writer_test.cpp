// Tests of the XM writer: the length it reports, and the limits it refuses. The
// bytes it writes for the shipped tunes are held by content/tests/generated.hashes.
#include "xm_writer.h"

#include <gtest/gtest.h>

namespace {

XmInstrument sine_instrument(const char *name, std::size_t length) {
    XmInstrument in;
    in.name = name;
    for (std::size_t i = 0; i < length; ++i)
        in.sample.push_back(static_cast<std::int16_t>(((i % 64) < 32 ? 1 : -1) * 8000));
    return in;
}

XmModule small_module() {
    XmModule m;
    m.name = "test tune";
    m.channels = 4;
    m.speed = 5;
    m.tempo = 140;
    XmPattern p;
    p.rows = 8;
    p.cells.assign(static_cast<std::size_t>(p.rows * m.channels), XmCell());
    m.patterns.push_back(p);
    p.rows = 16;
    p.cells.assign(static_cast<std::size_t>(p.rows * m.channels), XmCell());
    m.patterns.push_back(p);
    m.orders = {0, 1, 1};
    m.restart = 1;
    m.instruments.push_back(sine_instrument("one", 1000));
    m.instruments.push_back(sine_instrument("two", 640));
    return m;
}

}  // namespace

TEST(XmLength, CountsRowsAtTheirSpeedAndTempo) {
    XmModule m = small_module();  // 8 + 16 + 16 rows at speed 5, tempo 140
    EXPECT_NEAR(xm_length_seconds(m), 40 * 5 * 2.5 / 140, 1e-9);
    // From row 2 of the first pattern on: speed 3; from the second pattern on: tempo 100.
    xm_cell(m.patterns[0], 4, 2, 1) = XmCell{0, 0, 0, 0x0f, 0x03};
    xm_cell(m.patterns[1], 4, 0, 3) = XmCell{0, 0, 0, 0x0f, 100};
    double want = 2 * 5 * 2.5 / 140 + 6 * 3 * 2.5 / 140 + 32 * 3 * 2.5 / 100;
    EXPECT_NEAR(xm_length_seconds(m), want, 1e-9);
}

struct Fault {
    const char *name;
    void (*spoil)(XmModule &);
    const char *says;
};

class XmFaults : public testing::TestWithParam<Fault> {};

TEST_P(XmFaults, AreRefusedWithAReason) {
    XmModule m = small_module();
    GetParam().spoil(m);
    std::string error;
    EXPECT_FALSE(xm_check(m, error));
    EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Limits, XmFaults,
    testing::Values(
        Fault{"NoChannels", [](XmModule &m) { m.channels = 0; }, "channels"},
        Fault{"TooManyChannels", [](XmModule &m) { m.channels = 33; }, "channels"},
        Fault{"SlowTempo", [](XmModule &m) { m.tempo = 20; }, "tempo"},
        Fault{"NoOrders", [](XmModule &m) { m.orders.clear(); }, "order list"},
        Fault{"MissingPattern", [](XmModule &m) { m.orders.push_back(7); }, "pattern 7"},
        Fault{"RestartPastEnd", [](XmModule &m) { m.restart = 3; }, "restart"},
        Fault{"WrongCellCount", [](XmModule &m) { m.patterns[0].cells.pop_back(); }, "wrong size"},
        Fault{"BadNote", [](XmModule &m) { m.patterns[0].cells[0].note = 98; }, "cannot play"},
        Fault{"MissingInstrument", [](XmModule &m) { m.patterns[0].cells[0].instrument = 3; }, "cannot play"},
        Fault{"BadVolumeColumn", [](XmModule &m) { m.patterns[0].cells[0].volume = 0x51; }, "cannot play"},
        Fault{"EmptySample", [](XmModule &m) { m.instruments[0].sample.clear(); }, "no sample"},
        Fault{"LoopOutside", [](XmModule &m) { m.instruments[0].loop = true, m.instruments[0].loop_start = 900, m.instruments[0].loop_length = 200; }, "loop lies outside"},
        Fault{"LoudSample", [](XmModule &m) { m.instruments[0].volume = 65; }, "volume"},
        Fault{"EnvelopeLate", [](XmModule &m) { m.instruments[0].envelope[0] = {3, 64}, m.instruments[0].envelope_count = 1; }, "tick 0"},
        Fault{"SustainPastEnd", [](XmModule &m) { m.instruments[0].envelope_count = 1, m.instruments[0].sustain_point = 1; }, "sustain"}),
    [](const testing::TestParamInfo<Fault> &info) { return std::string(info.param.name); });
