// Replays on disk: the keys held in every frame of one run of a level, as a short text
// file that names the map it was recorded on and that map's exact bytes (by SHA-256).
// Played back through the replay key source, a replay gives the same run again.
//
//     VESPERTIL REPLAY 1
//     map prueba.map
//     sha256 <64 lowercase hex digits of the whole map file>
//     # a comment line; blank lines are ignored
//     3 ENTER
//     40 RIGHT
//     1 RIGHT+UP
//     10 -
//
// The first line is the magic line and nothing may come before it, so a replay is
// known by its first bytes. After it, comment lines (a '#' as the first character)
// and blank lines (nothing, or only spaces and tabs) may come anywhere, also between
// the header lines. Then the map and sha256 lines, in that order, each once. Every
// further line is "COUNT KEYS", one space between: COUNT frames (decimal, at least 1)
// in which exactly KEYS are held, "-" for none, else key names joined by '+' (LEFT
// RIGHT UP DOWN O P Q A LSHIFT RSHIFT ESC ENTER SPACE LCONTROL ALT D), each key
// once. Lines end in LF or CRLF; the last may have no line end. A file with no
// frame lines is a replay of no frames.
#pragma once

#include "core/fixed_string.h"
#include "core/paths.h"
#include "core/platform.h"
#include "core/sha256.h"
#include "level/rules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// About nineteen hours of level play at 34 ms a frame: no real run comes near, and
// 16 MB of records is the most a replay can make the game hold.
constexpr int kMaxReplayFrames = 2000000;
// A replay file is refused above this size before it is read whole. Short runs of
// keys make lines of a few bytes, so this holds far more than any recorded run.
constexpr long kMaxReplayFileBytes = 16L * 1024 * 1024;
// Map names travel in the game's fixed text record, which holds 99 characters.
constexpr int kMaxReplayMapName = kFixedStringMaxLength;

struct ReplayScript {
    std::string map_name; // a file inside MAP/
    uint8_t map_sha256[kSha256Bytes];
    std::vector<KeyRecord> frames; // one record per frame
};

// Parses a replay's text. On failure returns false, leaves `out` as it was and sets
// `error` to "<label>:<line>: <what is wrong>", or "<label>: <what>" for what is wrong
// with the file as a whole (empty, ending before its header is complete).
bool parse_replay(const char *text, std::size_t size, const char *label, ReplayScript &out,
                  std::string &error);

// Reads and parses the replay at `path`; errors as parse_replay with the path as the
// label ("<path>: cannot be opened", "<path>:7: unknown key 'JUMP'").
bool read_replay_file(const char *path, ReplayScript &out, std::string &error);

// The map a replay names, as the game would open it: MAP\<map_name> resolved into
// `path`, and the SHA-256 of its bytes. False when it is missing or cannot be read.
// Whatever plays a replay (the replay tool, the game's level replays) checks this
// digest against the replay's own before the first frame.
bool replay_map_digest(const std::string &map_name, char (&path)[kMaxDataPath],
                       uint8_t digest[kSha256Bytes]);

// The text of a replay: the header, then one line per run of equal frames. Keys that
// a replay cannot name are left out, so frames that differ only in those share a line.
// The map name must be one parse_replay accepts.
std::string format_replay(const std::string &map_name, const uint8_t sha256[kSha256Bytes],
                          const std::vector<KeyRecord> &frames);

// One record as a replay writes it: "-" for no key, else the names joined by '+', in
// the order of the list above ("LEFT+UP"). Keys without a name are left out.
std::string key_record_text(KeyRecord r);

// The last line of a run, which a replay's "# expect:" comment states: "result R frames
// F switches S energy E", R being the level's result code or "unfinished".
std::string outcome_line(const LevelOutcome &outcome);
