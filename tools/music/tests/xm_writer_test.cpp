// The length vespertil-xm --info gives a module. The bytes it writes for the shipped
// tunes are held by content/tests/generated.hashes; a tune the notation accepts
// always passes the writer's own check.
#include "xm_writer.h"

#include <gtest/gtest.h>

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
