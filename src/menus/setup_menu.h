// The set-up menu: resolution, render mode, language and the two volumes. Changes
// take effect at once; the settings file is written on leaving when anything
// changed.
#pragma once

#include "menus/menu_common.h"

void setup_menu(const MenuResources &res);
