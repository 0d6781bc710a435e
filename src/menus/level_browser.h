// The level browser: every map file in MAP/, listed by name; the chosen one is
// played at once.
#pragma once

#include "menus/menu_common.h"

// Where the browser finds its maps.
constexpr const char *kMapPattern = "MAP/*.map";

void level_browser(const MenuResources &res);

// Rows of the list shown at once, and the longest name drawn (a longer one is
// shown cut and played by its full name).
constexpr int kBrowserRows = 8;
constexpr int kBrowserNameChars = 15;

// The first entry shown in the window when `selection` is chosen: the window keeps
// the selected row on its last line once the selection passes the eighth row.
constexpr int browser_window_top(int selection) {
    return selection < kBrowserRows ? 0 : selection - (kBrowserRows - 1);
}
