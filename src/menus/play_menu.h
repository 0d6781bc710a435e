// The play sub-menu: start at the first level, or type a password.
#pragma once

#include "menus/menu_common.h"

#include <cstdint>

// 9 for the first row, an accepted password's value (1..31) for the second, 0 when
// the player backs out with ESC.
int16_t play_menu(const MenuResources &res);

// The typed code: up to four characters and a terminator, and the cursor (0..4).
struct PasswordEntry {
    char code[5] = {};
    int8_t cursor = 0;
};

// One key press from the key buffer (scancode << 8 | character) applied to the
// entry: Backspace removes the last cell; a character from 33 to 127 is stored in
// upper case while there is room; every other key moves the cursor on without
// storing anything.
void password_type_key(PasswordEntry &entry, int key_press);
