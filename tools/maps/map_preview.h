// The map preview: the 5 x 5 world in one picture, each room drawn as the game shows
// it at rest (backdrop, back cells, door, switches and refills, enemies and
// platforms at end A, the hero at the start, front cells), with each moving object's
// track dotted over it. Moving effects (scrolling, waving, rain, light) are not drawn.
#pragma once

#include "png_write.h"
#include "world/map_format.h"

#include <cstdint>

namespace maps {

constexpr int kPreviewGap = 2; // pixels between neighbouring rooms
constexpr int kPreviewWidth = kWorldColumns * kBackdropWidth + (kWorldColumns - 1) * kPreviewGap;
constexpr int kPreviewHeight = kWorldRows * kBackdropHeight + (kWorldRows - 1) * kPreviewGap;

// The colours the preview adds: the gap between rooms and the dotted tracks.
constexpr Rgb8 kGapColour{28, 26, 36};
constexpr Rgb8 kEnemyTrackColour{255, 110, 90};
constexpr Rgb8 kPlatformTrackColour{110, 210, 255};

// Draws `img` (already as the loader leaves it: see make_room_safe) for a level of
// map id `map_id`, which picks the translucent cells as the game does.
void preview_map(const MapImage &img, int32_t map_id, Raster &out);

// Where room (column, row) starts in the preview.
constexpr int preview_room_x(int column) { return column * (kBackdropWidth + kPreviewGap); }
constexpr int preview_room_y(int row) { return row * (kBackdropHeight + kPreviewGap); }

} // namespace maps
