// The set-up menu: resolution, render mode, language and the two volumes. Changes
// take effect at once; the settings file is written on leaving when anything
// changed.
#pragma once

#include "menus/menu_common.h"

// Runs the menu until ESC or ENTER. False when something changed and the settings
// file could not be written: the settings then hold for this run only.
bool setup_menu(const MenuResources &res);

// What the main menu shows for a while after such a visit, in the current language.
const char *settings_not_saved_words();
