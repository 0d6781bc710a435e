// What the music player's own files share and nothing else sees: opening and closing
// the renderer for the installation code, and the check that a file is a module the
// player accepts.
#pragma once

// Loads and plays are accepted once the player is open. Closing stops the music.
void player_open();
void player_close();
bool player_is_open();

// True when `data` (the whole file, `size` bytes) is one of the module kinds the
// player accepts and, for an Extended Module, is complete. libxmp's own loaders are
// lenient (they read many more formats, some without any signature, and take an XM
// whose instruments or samples are cut off); this check keeps the player to the
// formats the game uses and refuses damaged files outright.
bool module_file_acceptable(const unsigned char *data, long size);
