// Reading and writing replay files: a strict line parser that names the file and line
// of the first thing wrong, and the run-length writer.
#include "level/replay_file.h"

#include <cstdio>
#include <string_view>
#include <utility>

namespace {

constexpr std::string_view kMagic = "VESPERTIL REPLAY 1";
constexpr std::string_view kMapKeyword = "map";
constexpr std::string_view kShaKeyword = "sha256";
constexpr std::string_view kNoKeys = "-";
constexpr char kKeySeparator = '+';
// Names quoted in a message are cut here, so a garbage line cannot flood it.
constexpr std::size_t kMaxQuoted = 24;

struct ReplayKeyName {
    std::string_view name;
    Key key;
};

// The keys a replay can hold, in the order they are written. Only the keys the level
// reads are here; the menus' other keys never reach a recorded run.
constexpr ReplayKeyName kReplayKeys[] = {
    {"LEFT", Key::Left},          {"RIGHT", Key::Right},          {"UP", Key::Up},
    {"DOWN", Key::Down},          {"O", Key::O},                  {"P", Key::P},
    {"Q", Key::Q},                {"A", Key::A},                  {"LSHIFT", Key::LeftShift},
    {"RSHIFT", Key::RightShift},  {"ESC", Key::Esc},              {"ENTER", Key::Enter},
    {"SPACE", Key::Space},        {"LCONTROL", Key::LeftControl}, {"ALT", Key::Alt},
    {"D", Key::D},
};

constexpr KeyRecord replay_key_mask() {
    KeyRecord m = 0;
    for (const ReplayKeyName &k : kReplayKeys) m |= key_bit(k.key);
    return m;
}
constexpr KeyRecord kReplayKeyMask = replay_key_mask();

enum class Expect { Magic, Map, Sha, Frames };

std::string quoted(std::string_view s) {
    std::string q = "'";
    q.append(s.substr(0, kMaxQuoted));
    if (s.size() > kMaxQuoted) q += "...";
    return q + "'";
}

bool is_blank(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// The keyword of a header line: what comes before the first space.
std::string_view first_word(std::string_view line) {
    return line.substr(0, line.find(' '));
}

// The rest of a header line after its keyword and the one space; empty when there is
// no space.
std::string_view header_value(std::string_view line) {
    const std::size_t space = line.find(' ');
    return space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
}

// Each check returns an empty text when the line is good, else what is wrong.
std::string check_map_name(std::string_view name) {
    if (name.empty()) return "the map name is empty";
    if (name.size() > static_cast<std::size_t>(kMaxReplayMapName))
        return "the map name is longer than " + std::to_string(kMaxReplayMapName) + " characters";
    if (name == "." || name == "..") return "the map name must name a file in MAP/";
    for (char c : name) {
        if (c == '/' || c == '\\') return "the map name must name a file in MAP/, without '/' or '\\'";
        if (c == ' ' || c == '\t') return "a space in the map name";
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x21 || u > 0x7E) return "the map name must be printable ASCII";
    }
    return {};
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string read_digest(std::string_view hex, uint8_t out[kSha256Bytes]) {
    const std::string wrong = "the sha256 must be 64 lowercase hex digits";
    if (hex.size() != 2 * static_cast<std::size_t>(kSha256Bytes)) return wrong;
    for (int i = 0; i < kSha256Bytes; ++i) {
        const int hi = hex_digit(hex[2 * i]), lo = hex_digit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return wrong;
        out[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return {};
}

std::string read_keys(std::string_view keys, KeyRecord &out) {
    out = 0;
    if (keys.empty()) return "no keys after the count";
    const std::size_t space = keys.find_first_of(" \t");
    if (space == 0) return "more than one space after the count";
    if (space != std::string_view::npos) return "unexpected text after the keys: " + quoted(keys.substr(space));
    if (keys == kNoKeys) return {};
    while (true) {
        const std::size_t plus = keys.find(kKeySeparator);
        const std::string_view name = keys.substr(0, plus);
        if (name.empty()) return "an empty key name between '+'";
        const ReplayKeyName *found = nullptr;
        for (const ReplayKeyName &k : kReplayKeys)
            if (k.name == name) found = &k;
        if (!found) return "unknown key " + quoted(name);
        if (out & key_bit(found->key)) return "the key " + quoted(name) + " is given twice";
        out |= key_bit(found->key);
        if (plus == std::string_view::npos) return {};
        keys.remove_prefix(plus + 1);
    }
}

// "COUNT KEYS". The count is read digit by digit and refused as soon as it passes the
// frame limit, so no count can overflow.
std::string read_frame_line(std::string_view line, int &count, KeyRecord &keys) {
    std::size_t i = 0;
    long value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        value = value * 10 + (line[i] - '0');
        if (value > kMaxReplayFrames)
            return "the count is more than the " + std::to_string(kMaxReplayFrames) + " frames a replay may hold";
    }
    if (i == 0 || (i < line.size() && line[i] != ' '))
        return "expected a frame count (a positive decimal number), not " + quoted(line);
    if (value == 0) return "a frame count must be at least 1";
    count = static_cast<int>(value);
    if (i == line.size()) return "no keys after the count";
    return read_keys(line.substr(i + 1), keys);
}

// Splits the text into lines, a line end being LF with an optional CR before it.
struct LineCursor {
    std::string_view text;
    std::size_t pos = 0;
    std::size_t number = 0;

    bool next(std::string_view &line) {
        if (pos >= text.size()) return false;
        const std::size_t end = text.find('\n', pos);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        line = text.substr(pos, stop - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = stop + 1;
        ++number;
        return true;
    }
};

struct Parser {
    Expect expect = Expect::Magic;
    ReplayScript script;

    // What is wrong with one line, or an empty text.
    std::string take(std::string_view line) {
        if (line.find('\0') != std::string_view::npos) return "a NUL byte in the text";
        if (expect == Expect::Magic) {
            if (line != kMagic) return "not a replay: the first line must be " + quoted(kMagic);
            expect = Expect::Map;
            return {};
        }
        if (line.empty() || line[0] == '#' || is_blank(line)) return {};
        const std::string_view word = first_word(line);
        if (expect == Expect::Map) return take_map(line, word);
        if (expect == Expect::Sha) return take_sha(line, word);
        if (word == kMapKeyword || word == kShaKeyword)
            return "a second " + std::string(word) + " line";
        return take_frames(line);
    }

    std::string take_map(std::string_view line, std::string_view word) {
        if (word == kShaKeyword) return "the sha256 line comes before the map line";
        if (word != kMapKeyword) return "expected the map line ('map NAME'), not " + quoted(line);
        std::string wrong = check_map_name(header_value(line));
        if (!wrong.empty()) return wrong;
        script.map_name = std::string(header_value(line));
        expect = Expect::Sha;
        return {};
    }

    std::string take_sha(std::string_view line, std::string_view word) {
        if (word == kMapKeyword) return "a second map line";
        if (word != kShaKeyword) return "expected the sha256 line ('sha256 DIGEST'), not " + quoted(line);
        std::string wrong = read_digest(header_value(line), script.map_sha256);
        if (!wrong.empty()) return wrong;
        expect = Expect::Frames;
        return {};
    }

    std::string take_frames(std::string_view line) {
        int count = 0;
        KeyRecord keys = 0;
        std::string wrong = read_frame_line(line, count, keys);
        if (!wrong.empty()) return wrong;
        if (static_cast<std::size_t>(count) > kMaxReplayFrames - script.frames.size())
            return "the replay is longer than " + std::to_string(kMaxReplayFrames) + " frames";
        script.frames.insert(script.frames.end(), static_cast<std::size_t>(count), keys);
        return {};
    }

    // What is wrong with the file as a whole once every line is taken.
    std::string finish() const {
        switch (expect) {
        case Expect::Magic: return "empty, not a replay";
        case Expect::Map: return "ends before the map line";
        case Expect::Sha: return "ends before the sha256 line";
        case Expect::Frames: break;
        }
        return {};
    }
};

} // namespace

bool parse_replay(const char *text, std::size_t size, const char *label, ReplayScript &out,
                  std::string &error) {
    const std::string where = label ? label : "replay";
    Parser parser;
    LineCursor lines{std::string_view(text, text ? size : 0)};
    std::string_view line;
    while (lines.next(line)) {
        const std::string wrong = parser.take(line);
        if (!wrong.empty()) {
            error = where + ":" + std::to_string(lines.number) + ": " + wrong;
            return false;
        }
    }
    const std::string wrong = parser.finish();
    if (!wrong.empty()) {
        error = where + ": " + wrong;
        return false;
    }
    out = std::move(parser.script);
    return true;
}

bool read_replay_file(const char *path, ReplayScript &out, std::string &error) {
    FILE *f = std::fopen(path, "rb");
    if (!f) {
        error = std::string(path) + ": cannot be opened";
        return false;
    }
    // Read in pieces rather than trusting a size from seeking: the path may be a pipe,
    // and a file may grow while it is read.
    std::string text;
    char chunk[16384];
    std::size_t got;
    bool too_big = false;
    while (!too_big && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (text.size() + got > static_cast<std::size_t>(kMaxReplayFileBytes))
            too_big = true;
        else
            text.append(chunk, got);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (too_big) {
        error = std::string(path) + ": larger than " + std::to_string(kMaxReplayFileBytes) +
                " bytes, too large for a replay";
        return false;
    }
    if (failed) {
        error = std::string(path) + ": cannot be read";
        return false;
    }
    return parse_replay(text.data(), text.size(), path, out, error);
}

std::string key_record_text(KeyRecord r) {
    std::string s;
    for (const ReplayKeyName &k : kReplayKeys) {
        if (!(r & key_bit(k.key))) continue;
        if (!s.empty()) s += kKeySeparator;
        s.append(k.name);
    }
    return s.empty() ? std::string(kNoKeys) : s;
}

std::string format_replay(const std::string &map_name, const uint8_t sha256[kSha256Bytes],
                          const std::vector<KeyRecord> &frames) {
    std::string s;
    s.append(kMagic).append("\n");
    s.append(kMapKeyword).append(" ").append(map_name).append("\n");
    s.append(kShaKeyword).append(" ").append(sha256_hex(sha256)).append("\n");
    std::size_t i = 0;
    while (i < frames.size()) {
        const KeyRecord keys = frames[i] & kReplayKeyMask;
        std::size_t run = 1;
        while (i + run < frames.size() && (frames[i + run] & kReplayKeyMask) == keys) ++run;
        s += std::to_string(run) + " " + key_record_text(keys) + "\n";
        i += run;
    }
    return s;
}

bool replay_map_digest(const std::string &map_name, char (&path)[kMaxDataPath],
                       uint8_t digest[kSha256Bytes]) {
    const std::string name = "MAP\\" + map_name;
    return resolve_data_path(name.c_str(), path, sizeof path) && sha256_file(path, digest);
}

std::string outcome_line(const LevelOutcome &o) {
    char result[16];
    if (o.result == LevelResult::Unfinished)
        std::snprintf(result, sizeof result, "unfinished");
    else
        std::snprintf(result, sizeof result, "%d", static_cast<int>(o.result));
    char line[96];
    std::snprintf(line, sizeof line, "result %s frames %d switches %d energy %d", result,
                  o.frames, o.switches, o.energy);
    return line;
}
