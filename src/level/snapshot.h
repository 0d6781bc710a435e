// The screen shot the player takes during play with Ctrl + Alt + P, and the message
// that says how it went. The picture is written beside "snapshot.pcx" and renamed
// over it only when complete, so a failed save never spoils the last good one.
#pragma once

#include "core/cell_set.h"
#include "core/platform.h"

#include <cstdint>

struct BITMAP;

constexpr KeyRecord kSnapshotKeys =
    key_bit(Key::LeftControl) | key_bit(Key::Alt) | key_bit(Key::P);
constexpr const char *kSnapshotFile = "snapshot.pcx";
constexpr int kSnapshotMessageFrames = 600; // about 20 seconds
constexpr int kSnapshotMessageY = 127;

enum class SnapshotMessage : int32_t { None = 0, Saved = 1, Failed = 2 };

struct SnapshotState {
    SnapshotMessage message = SnapshotMessage::None;
    int32_t frames_left = 0;
};

// Writes `picture` as a PCX to `name` (through the data-path resolver): first under
// a temporary name beside it, then renamed over it. False, with nothing of the new
// picture left behind, when either step fails.
bool save_snapshot(BITMAP *picture, const char *name);

// The frame's step after the room view is shown: the message, drawn on `screen` while
// it lasts, then the keys: with all three held and no message showing, the whole
// screen is copied into `screen_copy` and saved as "snapshot.pcx".
void snapshot_step(SnapshotState &state, KeyRecord keys, BITMAP *screen, BITMAP *screen_copy,
                   const CellSet &menu_cells);

// The message's text and its left edge on a screen `screen_w` wide (centred, 16
// pixels a letter); null for none.
const char *snapshot_message_text(SnapshotMessage message);
int snapshot_message_x(SnapshotMessage message, int screen_w);
