// The top-level loop: which menu results start play, which level follows which,
// and when the loop ends.
#include "level/rules.h"
#include "shell/top_level.h"

#include "core/tests/case_rows.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

// A scripted run: the menu gives its results in order (then -1), each level its
// result (then "left").
std::deque<int32_t> menu_results;
std::deque<LevelResult> level_results;
std::vector<std::string> seen;

int32_t scripted_menu() {
    seen.push_back("menu");
    const int32_t r = menu_results.empty() ? -1 : menu_results.front();
    if (!menu_results.empty()) menu_results.pop_front();
    return r;
}

LevelResult scripted_level(const char *name) {
    seen.push_back(name);
    const LevelResult r = level_results.empty() ? LevelResult::Left : level_results.front();
    if (!level_results.empty()) level_results.pop_front();
    return r;
}

// The runs of top_level_runs.txt.
TEST(TopLevel, WhatFollowsWhat) {
    for (const case_rows::Words &row : case_rows::read(__FILE__, "top_level_runs.txt")) {
        menu_results.clear();
        level_results.clear();
        std::vector<std::string> shown;
        int part = 0;
        for (const std::string &w : row) {
            if (w == ";") ++part;
            else if (part == 0) menu_results.push_back(case_rows::number(w));
            else if (part == 1) level_results.push_back(w == "completed" ? LevelResult::Completed
                                                        : w == "left"    ? LevelResult::Left
                                                                         : LevelResult::Unreadable);
            else shown.push_back(w);
        }
        seen.clear();
        run_top_level(scripted_menu, scripted_level);
        EXPECT_EQ(seen, shown) << case_rows::text(row);
    }
}

} // namespace
