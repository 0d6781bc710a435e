// The set-up menu's rules, from the table in setup_rules.txt: the rows UP and DOWN
// reach, and what LEFT and RIGHT do to the settings on each row.
#include "menus/setup_rules.h"

#include "core/tests/case_rows.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupRules, MovesAndArrowsOnEachRow) {
    for (const case_rows::Words &row : case_rows::read(__FILE__, "setup_rules.txt")) {
        SCOPED_TRACE(case_rows::text(row));
        int n[15] = {};
        for (std::size_t i = 1; i < row.size() && i <= 15; ++i) n[i - 1] = case_rows::number(row[i]);
        if (row[0] == "move") {
            EXPECT_EQ(setup_row_after(n[0], n[1], n[2] != 0), n[3]);
            continue;
        }
        GameConfig c{};
        c.low_resolution = n[2];
        c.render_mode = n[3];
        c.music_volume = n[4];
        c.effects_volume = n[5];
        c.language = n[6];
        const SetupChange got = setup_left_right(n[0], n[1], c);
        const int after[] = {c.low_resolution, c.render_mode, c.music_volume, c.effects_volume, c.language,
                             got.changed, got.switch_resolution, got.music_volume};
        const int want[] = {n[2], n[7], n[8], n[9], n[10], n[11], n[12], n[13]};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(after[i], want[i]) << "value " << i;
    }
    EXPECT_EQ(render_mode_for_resolution(true), kRenderOwnSize);
    EXPECT_EQ(render_mode_for_resolution(false), kRenderDoubled)
        << "coming back to 640 x 480 is plain, whatever was set before";
}

} // namespace
