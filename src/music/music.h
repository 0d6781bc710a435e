// Tracker-module music: the six operations the game uses. Modules are recognised by
// their contents (XM, MOD, S3M, IT, and those wrapped in an Unreal package); replay
// runs from the sound system's timer, so music goes on while the game loads or
// runs a transition.
#pragma once

struct MusicModuleData;
typedef MusicModuleData *MusicModule; // null: no module

// Claims `voices` (1..64) of the digital sound system for music. 1 on success or
// when already installed, -1 on failure (no digital sound, a count out of range).
int music_install(int voices);

// Loads a module through the data-path resolver; null when it cannot be opened,
// recognised or is too large.
MusicModule music_load(const char *file_name);

// Stops whatever plays and starts `module` from its beginning; it repeats until
// stopped when `loop` is non-zero. Null plays nothing.
void music_play(MusicModule module, int loop);

// Silences the music at once and forgets the current module.
void music_stop();

// Stops `module` if it is the one playing, then frees it. Null is ignored.
void music_destroy(MusicModule module);

// Clamped to 0..255 and applied at once.
void music_set_volume(int volume);
