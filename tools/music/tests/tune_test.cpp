// The tune compiler: the message for each kind of broken tune (tune_errors.txt) and
// the length --info gives a module (a tune the notation accepts always passes the
// module writer's own check); run as a program, in tools/common/tests/tool_runs.txt.
// Where the notation's events land (notes, holds, echoes, pans, phrases and groups,
// as the shipped tunes use them) is held by content/tests/generated.hashes.
#include "tune.h"

#include "support/case_table.h"
#include "support/promise.h"
#include "support/corpus_seeds.h"

#include <gtest/gtest.h>

namespace {

INSTANTIATE_TEST_SUITE_P(Tunes, CorpusSeed, seeds_of({{"tune", tune_promise}}), seed_name);

// Lines 1 to 14 of every tune below: the channels and two instruments.
const std::string kHead = text_beside(__FILE__, "tune_head.tune");

class TuneErrors : public testing::TestWithParam<TextCase> {};

TEST_P(TuneErrors, NameTheFileTheLineAndTheFault) {
    XmModule module;
    std::string error;
    ASSERT_FALSE(compile_tune_text("test.tune", kHead + GetParam().text, module, error));
    EXPECT_TRUE(says(error, "test.tune", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, TuneErrors, testing::ValuesIn(read_cases(__FILE__, "tune_errors.txt")), case_name);

// The length vespertil-xm --info gives a module.
TEST(XmLength, CountsRowsAtTheirSpeedAndTempo) {
    XmModule m;
    m.speed = 5;
    m.tempo = 140;
    for (int rows : {8, 16}) {
        XmPattern p;
        p.rows = rows;
        p.cells.assign(static_cast<std::size_t>(rows * m.channels), XmCell());
        m.patterns.push_back(p);
    }
    m.orders = {0, 1, 1}; // 8 + 16 + 16 rows
    EXPECT_NEAR(xm_length_seconds(m), 40 * 5 * 2.5 / 140, 1e-9);
    // From row 2 of the first pattern on: speed 3; from the second pattern on: tempo 100.
    xm_cell(m.patterns[0], 4, 2, 1) = XmCell{0, 0, 0, 0x0f, 0x03};
    xm_cell(m.patterns[1], 4, 0, 3) = XmCell{0, 0, 0, 0x0f, 100};
    double want = 2 * 5 * 2.5 / 140 + 6 * 3 * 2.5 / 140 + 32 * 3 * 2.5 / 100;
    EXPECT_NEAR(xm_length_seconds(m), want, 1e-9);
}

}  // namespace
