// The procedural pictures: the logo, the menu backdrop and title, the play-screen
// frame, the energy bars, the end pictures and the room backdrops of each theme.
// Each is painted in palette colours at a low "art" resolution and enlarged, so it
// shares the pixel style of the sheets.
#pragma once

#include "art_image.h"
#include "art_sheet.h"

#include <string>

namespace art {

// Renders scene `name` at w x h. False, with `why`, for an unknown scene, a size the
// scene does not support, or a palette that lacks a ramp the scene paints with.
bool render_scene(const std::string &name, int w, int h, const Palette &pal, const GlyphSet &glyphs,
                  Image &out, std::string &why);

} // namespace art
