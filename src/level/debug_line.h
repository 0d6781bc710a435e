// The debug line: once D has been held, every frame shows the hero's position in
// 1/256 pixel and the flags of his cell and of the cell above it, above the room view.
#pragma once

#include "core/platform.h"
#include "level/hero.h"
#include "world/map_format.h"

#include <cstddef>

struct BITMAP;

constexpr KeyRecord kDebugLineKeys = key_bit(Key::D);

// The line's text: "x X, y Y [st]: F [st^]: A" and blanks that wipe a longer line
// before it. The flags are signed bytes; a cell outside the room (above its top row)
// reads as 0.
void format_debug_line(const HeroState &hero, const RoomRecord &room, char *out,
                       std::size_t out_size);
// Prints it at the top-left corner of `screen` in the library's own font, white on
// black.
void draw_debug_line(BITMAP *screen, const HeroState &hero, const RoomRecord &room);
