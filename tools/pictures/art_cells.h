// Procedural cells: the volume dial frames, the hero's flickering glow, the scrolling
// bar patterns, styled glyphs and decorated initials, and the room tiles (rock,
// brick and cut-stone ground that shows its exposed edges).
#pragma once

#include "art_image.h"
#include "art_sheet.h"

#include <string>

namespace art {

// Colours every styled cell needs from the palette: the outline ("ink"), the drop
// shadow ("shadow"), the glyph fill ramp ("glyph") and the initials' plate
// ("plate"). `why` names what is missing.
struct CellStyle {
    Rgb ink, shadow;
    const Ramp *glyph = nullptr;
    const Ramp *plate = nullptr;
    const Ramp *rim = nullptr;
};
bool cell_style(const Palette &pal, CellStyle &out, std::string &why);

// Outline, shadow and a lit fill for a 12 x 12 glyph body, as a 16 x 16 cell.
Image styled_glyph(const GlyphBody &body, const CellStyle &style);
// The capital of `body` on an ornamented plate: the first letter of a menu entry.
Image decorated_initial(const GlyphBody &body, const CellStyle &style);

// Dial frame f of 16 (a 48 x 48 knob whose ring lights f of its 15 segments).
// Ramps: "stone" for the knob, "meter" for the lit segments, "ember" for the pointer.
bool dial_frame(const Palette &pal, int f, Image &out, std::string &why);

// One of four 32 x 32 glow pictures (drawn translucently round the hero).
Image glow_picture(const Ramp &ramp, int variant);

// A 32 x 32 wisp of mist with a bat's shape in it (drawn translucently, drifting).
Image drifter_picture(const Ramp &ramp);

// A seamless 16 x 16 pattern of diagonal bands (slope 1 or -1).
Image stripes(const Ramp &ramp, int slope);

enum class Material { Rock, Brick, Block };
bool material_from_name(const std::string &name, Material &out);

// Exposed-edge bits of a ground tile: its picture shows an outline on those sides.
constexpr int kEdgeTop = 1, kEdgeBottom = 2, kEdgeLeft = 4, kEdgeRight = 8;

// A 16 x 16 ground tile of `material` in `body`, with the edges in `edges` exposed;
// `top`, when given, grows over an exposed top (moss, grass).
Image ground_tile(Material material, const Ramp &body, const Ramp *top, Rgb ink, int seed, int edges);
// A background fill (not solid ground): the same material, darker, no outline.
Image back_wall(Material material, const Ramp &body, int seed);

// Deterministic noise shared by cells and pictures.
double hash01(int seed, int x, int y);
// Value noise with period `period` lattice points of `spacing` pixels (tiles wrap).
double periodic_noise(double x, double y, double spacing, int period, int seed);
// Smooth value noise without period (pictures).
double value_noise(double x, double y, double spacing, int seed);

} // namespace art
