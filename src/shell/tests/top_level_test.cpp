// The top-level loop: which menu results start play, which level follows which,
// and when the loop ends.
#include "level/rules.h"
#include "shell/top_level.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A scripted run: the menu gives its results in order, each level its result.
std::vector<int32_t> menu_results;
std::vector<int> level_results;
std::vector<std::string> log_lines;

int32_t scripted_menu() {
    log_lines.push_back("menu");
    if (menu_results.empty()) return -1;
    const int32_t r = menu_results.front();
    menu_results.erase(menu_results.begin());
    return r;
}

int scripted_level(const char *name) {
    log_lines.push_back(name);
    const int r = level_results.empty() ? kLevelLeft : level_results.front();
    if (!level_results.empty()) level_results.erase(level_results.begin());
    return r;
}

std::vector<std::string> run(std::vector<int32_t> menu, std::vector<int> levels) {
    menu_results = menu;
    level_results = levels;
    log_lines.clear();
    run_top_level(scripted_menu, scripted_level);
    return log_lines;
}

using Lines = std::vector<std::string>;

TEST(TopLevel, CompletingBothLevelsEndsWithoutTheMenu) {
    EXPECT_EQ(run({9}, {kLevelCompleted, kLevelCompleted}), (Lines{"menu", "cueva.map", "vusk.map"}));
}

TEST(TopLevel, QuittingTheFirstLevelGoesBackToTheMenuAndSkipsTheSecond) {
    EXPECT_EQ(run({9, -1}, {kLevelLeft}), (Lines{"menu", "cueva.map", "menu"}));
    EXPECT_EQ(run({9, -1}, {kLevelCompleted, kLevelLeft}),
              (Lines{"menu", "cueva.map", "vusk.map", "menu"}));
    EXPECT_EQ(run({9, -1}, {kLevelUnreadable}), (Lines{"menu", "cueva.map", "menu"}));
}

TEST(TopLevel, OnlyNineStartsPlayAndLeavingEndsTheLoop) {
    EXPECT_EQ(run({-1}, {}), (Lines{"menu"}));
    // A password's other value opens the menu again without playing.
    EXPECT_EQ(run({1, 31, 8, -1}, {}), (Lines{"menu", "menu", "menu", "menu"}));
}

} // namespace
