// Putting the room view on the play screen: unscaled at 320 x 200, doubled at
// 640 x 480, optionally with every second row darkened like a television's scan lines.
#pragma once

struct BITMAP;

constexpr int kViewLowX = 40, kViewLowY = 8;      // where the view sits at 320 x 200
constexpr int kViewHighX = 81, kViewHighY = 57;   // where the doubled view sits at 640 x 480
constexpr int kDoubledW = 480, kDoubledH = 288;

// Copies the view into `dest` by the settings' resolution and presentation; `strip`
// (480 x 1, black) and `doubled` (480 x 288) are the scan-line presentation's work
// bitmaps.
void present_room_view_to(BITMAP *view, BITMAP *strip, BITMAP *doubled, BITMAP *dest);
// The same onto the screen.
void present_room_view(BITMAP *view, BITMAP *strip, BITMAP *doubled);
