// Tests of the XM writer: libxmp reads back what was written, and the limits it
// refuses.
#include "xm_writer.h"

#include <gtest/gtest.h>
#include <xmp.h>

#include <cstring>

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

// A loaded module in libxmp, released at the end of the test.
struct Loaded {
    xmp_context ctx = xmp_create_context();
    xmp_module_info info{};
    bool ok = false;
    explicit Loaded(const std::vector<std::uint8_t> &bytes) {
        ok = xmp_load_module_from_memory(ctx, bytes.data(), static_cast<long>(bytes.size())) == 0;
        if (ok) xmp_get_module_info(ctx, &info);
    }
    ~Loaded() {
        if (ok) xmp_release_module(ctx);
        xmp_free_context(ctx);
    }
    const xmp_event &event(int pattern, int row, int channel) const {
        const xmp_module *m = info.mod;
        return m->xxt[m->xxp[pattern]->index[channel]]->event[row];
    }
};

}  // namespace

TEST(XmBytes, LibxmpReadsTheModuleAsWritten) {
    XmModule m = small_module();
    // Cells of every packing: all five fields, some of them, a release.
    xm_cell(m.patterns[1], 4, 5, 2) = XmCell{49, 2, 0x10 + 40, 0x04, 0x37};
    xm_cell(m.patterns[1], 4, 9, 2) = XmCell{kXmKeyOff, 0, 0, 0, 0};
    xm_cell(m.patterns[1], 4, 9, 3) = XmCell{0, 0, 0x20, 0x0c, 0x10};
    xm_cell(m.patterns[0], 4, 0, 0) = XmCell{50, 1, 0, 0, 0};
    XmInstrument &in = m.instruments[1];
    in.loop = true;
    in.loop_start = 128;
    in.loop_length = 512;
    in.volume = 33;
    in.finetune = -27;
    in.relative_note = 17;
    in.panning = 200;
    in.envelope[1] = {4, 64};
    in.envelope[2] = {20, 40};
    in.envelope_count = 3;
    in.sustain_point = 2;
    in.fadeout = 700;
    std::string error;
    ASSERT_TRUE(xm_check(m, error)) << error;
    Loaded l(xm_bytes(m));
    ASSERT_TRUE(l.ok);
    const xmp_module *mod = l.info.mod;
    EXPECT_STREQ(mod->name, "test tune");
    // libxmp adds one blank pattern of its own.
    EXPECT_EQ(std::vector<int>({mod->chn, mod->pat, mod->ins, mod->len, mod->rst, mod->spd, mod->bpm, mod->xxp[1]->rows}),
              std::vector<int>({4, 2 + 1, 2, 3, 1, 5, 140, 16}));
    // libxmp counts notes from C-0 one octave lower, and volumes from 1 (0: none).
    auto event = [&](int pattern, int row, int channel) {
        const xmp_event &e = l.event(pattern, row, channel);
        return std::vector<int>({e.note, e.ins, e.vol, e.fxt, e.fxp});
    };
    EXPECT_EQ(event(1, 5, 2), std::vector<int>({49 + 12, 2, 41, 0x04, 0x37}));
    EXPECT_EQ(event(1, 9, 2), std::vector<int>({XMP_KEY_OFF, 0, 0, 0, 0}));
    EXPECT_EQ(event(1, 9, 3), std::vector<int>({0, 0, 0x20 - 0x10 + 1, 0x0c, 0x10}));
    EXPECT_EQ(event(0, 0, 0), std::vector<int>({50 + 12, 1, 0, 0, 0}));
    EXPECT_EQ(event(1, 4, 2), std::vector<int>({0, 0, 0, 0, 0}));
    // libxmp keeps the fadeout at twice the XM scale.
    const xmp_instrument &xi = mod->xxi[1];
    ASSERT_EQ(xi.nsm, 1);
    const xmp_sample &xs = mod->xxs[xi.sub[0].sid];
    EXPECT_EQ(std::vector<int>({xi.sub[0].vol, xi.sub[0].xpo, xi.sub[0].pan, xi.rls, xi.aei.flg & (XMP_ENVELOPE_ON | XMP_ENVELOPE_SUS),
                                xi.aei.npt, xi.aei.sus, xi.aei.data[2], xi.aei.data[3], xs.len,
                                xs.flg & (XMP_SAMPLE_16BIT | XMP_SAMPLE_LOOP), xs.lps, xs.lpe}),
              std::vector<int>({33, 17, 200, 2 * 700, XMP_ENVELOPE_ON | XMP_ENVELOPE_SUS, 3, 2, 4, 64, 640,
                                XMP_SAMPLE_16BIT | XMP_SAMPLE_LOOP, 128, 640}));
}

TEST(XmBytes, SampleDeltasDecodeToTheSamplesWritten) {
    XmModule m = small_module();
    m.instruments[0].sample = {0, 100, -100, 32767, -32768, 5, 5, -1};
    Loaded l(xm_bytes(m));
    ASSERT_TRUE(l.ok);
    const xmp_sample &xs = l.info.mod->xxs[l.info.mod->xxi[0].sub[0].sid];
    ASSERT_EQ(xs.len, 8);
    std::int16_t got[8];
    std::memcpy(got, xs.data, sizeof got);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(got[i], m.instruments[0].sample[static_cast<std::size_t>(i)]) << i;
}

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
