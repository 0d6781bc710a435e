// The top-level loop: which menu results start play, which level follows which,
// and when the loop ends.
#include "level/rules.h"
#include "shell/top_level.h"

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

TEST(TopLevel, WhatFollowsWhat) {
    using Lines = std::vector<std::string>;
    const struct {
        std::deque<int32_t> menu;
        std::deque<LevelResult> levels;
        Lines seen;
    } runs[] = {
        {{9}, {LevelResult::Completed, LevelResult::Completed}, {"menu", "cueva.map", "vusk.map"}},
        {{9}, {LevelResult::Left}, {"menu", "cueva.map", "menu"}},
        {{9}, {LevelResult::Completed, LevelResult::Left}, {"menu", "cueva.map", "vusk.map", "menu"}},
        {{9}, {LevelResult::Unreadable}, {"menu", "cueva.map", "menu"}},
        {{}, {}, {"menu"}},
        // A password's other value opens the menu again without playing.
        {{1, 31, 8}, {}, {"menu", "menu", "menu", "menu"}},
    };
    for (const auto &r : runs) {
        menu_results = r.menu;
        level_results = r.levels;
        seen.clear();
        run_top_level(scripted_menu, scripted_level);
        EXPECT_EQ(seen, r.seen);
    }
}

} // namespace
