// Ctrl + Alt + P during play: the screen as a PCX file, and the word of how it went.
#include "level/snapshot.h"

#include "core/paths.h"
#include "ui/text.h"

#include <allegro.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char *kPartSuffix = ".part";

} // namespace

bool save_snapshot(BITMAP *picture, const char *name) {
    if (!picture || !name) return false;
    char path[kMaxDataPath];
    if (!resolve_data_path(name, path, sizeof path)) return false;
    char part[kMaxDataPath];
    if (snprintf(part, sizeof part, "%s%s", path, kPartSuffix) >= static_cast<int>(sizeof part))
        return false;
    if (save_pcx(part, picture, nullptr) != 0) {
        remove(part);
        return false;
    }
    if (rename(part, path) != 0) {
        remove(part);
        return false;
    }
    return true;
}

const char *snapshot_message_text(SnapshotMessage message) {
    switch (message) {
    case SnapshotMessage::Saved: return "SNAPSHOT SAVED";
    case SnapshotMessage::Failed: return "SNAPSHOT FAILED";
    case SnapshotMessage::None: break;
    }
    return nullptr;
}

int snapshot_message_x(SnapshotMessage message, int screen_w) {
    const char *text = snapshot_message_text(message);
    return text ? screen_w / 2 - 8 * static_cast<int>(strlen(text)) : 0;
}

void snapshot_step(SnapshotState &state, KeyRecord keys, BITMAP *screen, BITMAP *screen_copy,
                   const CellSet &menu_cells) {
    if (state.frames_left > 0 && state.message != SnapshotMessage::None) {
        if (screen)
            glyph_text(screen, static_cast<int16_t>(snapshot_message_x(state.message, screen->w)),
                       kSnapshotMessageY, snapshot_message_text(state.message), menu_cells);
        if (--state.frames_left <= 0) state.message = SnapshotMessage::None;
    }
    if ((keys & kSnapshotKeys) != kSnapshotKeys || state.message != SnapshotMessage::None) return;
    bool saved = false;
    if (screen && screen_copy) {
        blit(screen, screen_copy, 0, 0, 0, 0, screen->w, screen->h);
        saved = save_snapshot(screen_copy, kSnapshotFile);
    }
    state.message = saved ? SnapshotMessage::Saved : SnapshotMessage::Failed;
    state.frames_left = kSnapshotMessageFrames;
}
