// The map compiler: reads a map source line by line into a MapImage, loads the
// pictures it names, and writes the file's bytes; the first fault stops it with a
// message naming the file and the line.
#include "map_source.h"

#include <sys/stat.h>

#include <cstring>
#include <map>
#include <memory>

namespace maps {

namespace {

constexpr const char *kSourceFileName = "map.txt";
constexpr int kNoLine = 0;

bool file_exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

RoomCell empty_cell() { return RoomCell{kNoTile, kNoTile, 0, 0}; }

ObjectSpawn empty_spawn() { return ObjectSpawn{0, 0, 0, 0, 0, kEmptySlot}; }

// Header lines that may appear once each.
enum HeaderItem { kTitle, kStart, kExit, kMapId, kTileSheet, kSpriteSheet, kHeaderItems };
constexpr const char *kHeaderWords[kHeaderItems] = {"title",    "start",      "exit",
                                                    "map_id",   "tile_sheet", "sprite_sheet"};

struct RawPatch {
    int line;
    long offset;
    std::vector<uint8_t> bytes;
};

class Compiler {
public:
    Compiler(const std::string &file, const CompileOptions &options, Report &report)
        : file_(file), dir_(directory_of(file)), opt_(options), rep_(report),
          img_(std::make_unique<MapImage>()) {
        blank_map_image(*img_);
    }

    bool run(const std::string &text, std::vector<uint8_t> &bytes);

private:
    const std::string file_;
    const std::string dir_;
    const CompileOptions &opt_;
    Report &rep_;
    std::unique_ptr<MapImage> img_;
    const Line *ln_ = nullptr; // the line in hand

    CellNames names_;
    std::map<std::string, RoomCell> legend_;
    std::size_t symbol_width_ = 0;
    int header_line_[kHeaderItems] = {};
    int backdrop_picture_line_[kBackdropCount] = {};
    int backdrop_use_line_[kBackdropCount] = {};
    int room_ = -1;
    int room_line_[kRoomCount] = {};
    int rows_[kRoomCount] = {};
    int enemies_[kRoomCount] = {};
    int platforms_[kRoomCount] = {};
    int switches_ = 0;
    int refills_ = 0;
    std::vector<RawPatch> raws_;

    bool fail(const std::string &what) { return rep_.fail(file_, ln_ ? ln_->number : 0, what); }
    void warn(const std::string &what) { rep_.warn(file_, ln_ ? ln_->number : 0, what); }
    const std::vector<std::string> &words() const { return ln_->words; }
    bool need_room(const char *what);
    bool once(HeaderItem item);

    bool line();
    bool title();
    bool position(HeaderItem item);
    bool map_id();
    bool sheet(HeaderItem item);
    bool backdrop();
    bool names_file();
    bool cell();
    bool tile_word(const std::string &word, int16_t &out);
    bool room();
    bool finish_room();
    bool row();
    bool spawn(bool enemy);
    bool sprite_word(const std::string &word, int8_t &out);
    bool placement(bool is_switch);
    bool raw();
    bool finish();

    bool room_pair(const std::string &word, int &column, int &row);
    bool cell_pair(const std::string &word, int &column, int &row);
    bool load_picture(const std::string &name, int w, int h, Pixels &out);
};

bool Compiler::need_room(const char *what) {
    if (room_ >= 0) return true;
    return fail(std::string(what) + " belongs to a room: put it after a \"room C,R\" line");
}

bool Compiler::once(HeaderItem item) {
    if (header_line_[item] != 0)
        return fail(std::string("a second ") + kHeaderWords[item] + " line (the first is line " +
                    std::to_string(header_line_[item]) + ")");
    header_line_[item] = ln_->number;
    return true;
}

bool Compiler::room_pair(const std::string &word, int &column, int &row) {
    if (!parse_pair(word, column, row))
        return fail("\"" + word + "\" is not a room column,row such as 2,3");
    if (column < 0 || column >= kWorldColumns || row < 0 || row >= kWorldRows)
        return fail("room " + word + " is outside the 5 x 5 world (columns and rows 0 to 4)");
    return true;
}

bool Compiler::cell_pair(const std::string &word, int &column, int &row) {
    if (!parse_pair(word, column, row))
        return fail("\"" + word + "\" is not a cell column,row such as 4,7");
    if (column < 0 || column >= kRoomColumns || row < 0 || row >= kRoomRows)
        return fail("cell " + word + " is outside the room (columns 0 to 14, rows 0 to 8)");
    return true;
}

bool Compiler::load_picture(const std::string &name, int w, int h, Pixels &out) {
    std::vector<std::string> tried;
    std::string found;
    if (!name.empty() && name[0] == '/') {
        tried.push_back(name);
    } else {
        tried.push_back(join_path(dir_, name));
        for (const std::string &d : opt_.search_dirs) tried.push_back(join_path(d, name));
    }
    for (const std::string &path : tried)
        if (opt_.exists(path)) {
            found = path;
            break;
        }
    if (found.empty()) {
        std::string list;
        for (const std::string &t : tried) list += (list.empty() ? "" : ", ") + t;
        return fail("picture \"" + name + "\" not found (looked for " + list + ")");
    }
    std::string why;
    if (!opt_.read_picture(found, out, why)) return fail("picture " + found + " " + why);
    if (out.w != w || out.h != h)
        return fail("picture " + found + " is " + std::to_string(out.w) + " x " +
                    std::to_string(out.h) + "; it must be " + std::to_string(w) + " x " +
                    std::to_string(h));
    return true;
}

// ---- Header --------------------------------------------------------------------------

bool Compiler::title() {
    if (!once(kTitle)) return false;
    std::string t = ln_->text;
    std::size_t at = t.find("title") + 5;
    std::size_t begin = t.find_first_not_of(" \t", at);
    std::size_t end = t.find_last_not_of(" \t");
    t = begin == std::string::npos ? "" : t.substr(begin, end + 1 - begin);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
    if (t.size() > static_cast<std::size_t>(kFixedStringMaxLength))
        return fail("the title has " + std::to_string(t.size()) + " characters; at most " +
                    std::to_string(kFixedStringMaxLength) + " fit");
    for (char c : t)
        if (c < 0x20 || c > 0x7E)
            return fail("the title holds a character that is not plain printable ASCII "
                        "(write \"n\" for the Spanish N with tilde)");
    img_->header.title = fixed_from_text(t.c_str());
    return true;
}

bool Compiler::position(HeaderItem item) {
    const std::vector<std::string> &w = words();
    const char *kw = kHeaderWords[item];
    if (w.size() != 5 || w[1] != "room" || w[3] != "cell")
        return fail(std::string("expected \"") + kw + " room C,R cell C,R\", e.g. \"" + kw +
                    " room 0,4 cell 1,7\"");
    if (!once(item)) return false;
    int rc, rr, cc, cr;
    if (!room_pair(w[2], rc, rr) || !cell_pair(w[4], cc, cr)) return false;
    MapHeader &h = img_->header;
    if (item == kStart) {
        h.start_room_column = static_cast<int8_t>(rc);
        h.start_room_row = static_cast<int8_t>(rr);
        h.start_cell_column = static_cast<int8_t>(cc);
        h.start_cell_row = static_cast<int8_t>(cr);
        return true;
    }
    if (cr > kRoomRows - 2)
        return fail("the exit door is two cells high: its upper cell's row must be 0 to 7");
    h.exit_room_column = static_cast<int8_t>(rc);
    h.exit_room_row = static_cast<int8_t>(rr);
    h.exit_cell_column = static_cast<int8_t>(cc);
    h.exit_cell_row = static_cast<int8_t>(cr);
    return true;
}

bool Compiler::map_id() {
    long id;
    if (words().size() != 2) return fail("expected \"map_id N\", e.g. \"map_id 99\"");
    if (!parse_number(words()[1], INT32_MIN, INT32_MAX, id))
        return fail("\"" + words()[1] + "\" is not a map id (a whole number)");
    if (!once(kMapId)) return false;
    img_->has_override = true;
    img_->map_id_override = static_cast<int32_t>(id);
    return true;
}

bool Compiler::sheet(HeaderItem item) {
    if (words().size() != 2)
        return fail(std::string("expected \"") + kHeaderWords[item] + " FILE.pcx\"");
    if (!once(item)) return false;
    Pixels sheet;
    if (!load_picture(words()[1], kSheetPixelsWide, kSheetPixelsHigh, sheet)) return false;
    put_sheet(sheet, item == kTileSheet ? img_->room_tiles : img_->sprite_tiles);
    return true;
}

bool Compiler::backdrop() {
    const std::vector<std::string> &w = words();
    if (w.size() == 2) { // in a room: which of the five pictures it shows
        if (!need_room("\"backdrop N\"")) return false;
        if (w[1] == "none") {
            img_->rooms[room_].backdrop = kNoBackdrop;
            return true;
        }
        long b;
        if (!parse_number(w[1], 0, kBackdropCount - 1, b))
            return fail("\"" + w[1] + "\" is not a backdrop: 0 to 4, or none");
        img_->rooms[room_].backdrop = static_cast<uint8_t>(b);
        if (backdrop_use_line_[b] == 0) backdrop_use_line_[b] = ln_->number;
        return true;
    }
    long b;
    if (w.size() != 3)
        return fail("expected \"backdrop N FILE.pcx\" (the map's picture N) or, in a room, "
                    "\"backdrop N\"");
    if (!parse_number(w[1], 0, kBackdropCount - 1, b))
        return fail("\"" + w[1] + "\" is not a backdrop number 0 to 4");
    if (backdrop_picture_line_[b] != 0)
        return fail("a second picture for backdrop " + w[1] + " (the first is line " +
                    std::to_string(backdrop_picture_line_[b]) + ")");
    backdrop_picture_line_[b] = ln_->number;
    Pixels pic;
    if (!load_picture(w[2], kBackdropWidth, kBackdropHeight, pic)) return false;
    put_backdrop(pic, img_->backdrops[b]);
    return true;
}

bool Compiler::names_file() {
    if (words().size() != 2) return fail("expected \"names FILE\"");
    std::string path = join_path(dir_, words()[1]);
    std::string text;
    if (!opt_.read_text(path, text)) return fail("names file " + path + " cannot be read");
    return read_names_text(path, text, names_, rep_);
}

// ---- Legend --------------------------------------------------------------------------

bool Compiler::tile_word(const std::string &word, int16_t &out) {
    if (word == "-") {
        out = kNoTile;
        return true;
    }
    long n;
    if (parse_number(word, -1000000, 1000000, n)) {
        if (n < 0 || n >= kTileCount)
            return fail("tile " + word + " does not exist: tiles are 0 to 239, or - for none");
        out = static_cast<int16_t>(n);
        return true;
    }
    int cell = names_.tile(word);
    if (cell < 0)
        return fail("unknown tile name \"" + word +
                    "\" (tiles are named by names files and tile lines, or given by number)");
    out = static_cast<int16_t>(cell);
    return true;
}

bool Compiler::cell() {
    const std::vector<std::string> &w = words();
    if (w.size() < 4)
        return fail("expected \"cell SYMBOL BACK FRONT [FLAGS]\", e.g. \"cell # rock - solid\"");
    const std::string &sym = w[1];
    if (sym.size() > 2 || sym.find('|') != std::string::npos)
        return fail("cell symbol \"" + sym + "\" must be one or two characters other than |");
    if (symbol_width_ == 0) symbol_width_ = sym.size();
    if (sym.size() != symbol_width_)
        return fail("cell symbol \"" + sym + "\" is " + std::to_string(sym.size()) +
                    " characters wide, but this map's symbols are " +
                    std::to_string(symbol_width_) + " wide");
    if (legend_.count(sym)) return fail("cell symbol \"" + sym + "\" is defined twice");
    RoomCell c = empty_cell();
    if (!tile_word(w[2], c.back_tile) || !tile_word(w[3], c.front_tile)) return false;
    for (std::size_t i = 4; i < w.size(); ++i) {
        uint8_t bit = flag_bit(w[i]);
        if (!bit) return fail("unknown cell flag \"" + w[i] + "\" (flags: " + flag_word_list() + ")");
        c.flags |= bit;
    }
    legend_[sym] = c;
    return true;
}

// ---- Rooms ---------------------------------------------------------------------------

bool Compiler::finish_room() {
    if (room_ < 0 || rows_[room_] == 0 || rows_[room_] == kRoomRows) return true;
    const Line *here = ln_;
    ln_ = nullptr;
    bool ok = rep_.fail(file_, room_line_[room_],
                        "room " + pair_text(room_ % kWorldColumns, room_ / kWorldColumns) +
                            " has " + std::to_string(rows_[room_]) +
                            " rows of cells; a room has 9 (or none, for an empty room)");
    ln_ = here;
    return ok;
}

bool Compiler::room() {
    if (words().size() != 2) return fail("expected \"room C,R\", e.g. \"room 2,3\"");
    if (!finish_room()) return false;
    int c, r;
    if (!room_pair(words()[1], c, r)) return false;
    int index = r * kWorldColumns + c;
    if (room_line_[index] != 0)
        return fail("room " + words()[1] + " is described twice (first at line " +
                    std::to_string(room_line_[index]) + ")");
    room_line_[index] = ln_->number;
    room_ = index;
    return true;
}

bool Compiler::row() {
    if (!need_room("a row of cells")) return false;
    std::string t = ln_->text;
    t = t.substr(t.find('|'));
    t = t.substr(0, t.find_last_not_of(" \t") + 1);
    if (t.size() < 2 || t.back() != '|')
        return fail("a row of cells begins and ends with |");
    std::string inner = t.substr(1, t.size() - 2);
    if (symbol_width_ == 0) return fail("a row of cells before any cell line defines a symbol");
    if (rows_[room_] == kRoomRows) return fail("a 10th row of cells: a room has 9");
    std::size_t want = kRoomColumns * symbol_width_;
    if (inner.size() != want)
        return fail("the row is " + std::to_string(inner.size()) + " characters between the bars; "
                    "a row is 15 cells of " + std::to_string(symbol_width_) + " (" +
                    std::to_string(want) + ")");
    int r = rows_[room_]++;
    for (int c = 0; c < kRoomColumns; ++c) {
        std::string sym = inner.substr(c * symbol_width_, symbol_width_);
        auto it = legend_.find(sym);
        if (it == legend_.end())
            return fail("unknown cell symbol \"" + sym + "\" in column " + std::to_string(c) +
                        " (no cell line above defines it)");
        img_->rooms[room_].cells[r][c] = it->second;
    }
    return true;
}

bool Compiler::sprite_word(const std::string &word, int8_t &out) {
    long n;
    int cell;
    if (parse_number(word, -1000000, 1000000, n)) {
        cell = static_cast<int>(n);
    } else {
        cell = names_.sprite(word);
        if (cell < 0)
            return fail("unknown sprite name \"" + word +
                        "\" (sprites are named by names files and sprite lines, or given by number)");
    }
    if (cell < 0 || cell > 127)
        return fail("sprite " + word + (word == std::to_string(cell) ? "" : " (cell " + std::to_string(cell) + ")") +
                    ": an object's first picture must be cell 0 to 127, so that its four "
                    "pictures (that cell and the three below it) exist");
    out = static_cast<int8_t>(cell);
    return true;
}

bool Compiler::spawn(bool enemy) {
    const char *kind = enemy ? "enemy" : "platform";
    const std::vector<std::string> &w = words();
    if (!need_room(enemy ? "an enemy" : "a platform")) return false;
    int &count = enemy ? enemies_[room_] : platforms_[room_];
    if (count == kSpawnsPerGroup)
        return fail(std::string("a 26th ") + kind + " in room " +
                    pair_text(room_ % kWorldColumns, room_ / kWorldColumns) +
                    ": a room holds 25");
    ObjectSpawn s = empty_spawn();
    bool ok;
    if (w.size() == 2 && w[1] == "none") {
        ok = true;
    } else if (w.size() == 4 && w[2] == "at") {
        int c = 0, r = 0;
        ok = sprite_word(w[1], s.sprite) && cell_pair(w[3], c, r);
        if (!ok) return false;
        s.a_column = s.b_column = static_cast<int8_t>(c);
        s.a_row = s.b_row = static_cast<int8_t>(r);
    } else if (w.size() == 8 && w[2] == "from" && w[4] == "to" && w[6] == "speed") {
        int ac, ar, bc, br;
        long speed;
        ok = sprite_word(w[1], s.sprite) && cell_pair(w[3], ac, ar) && cell_pair(w[5], bc, br);
        if (ok && !parse_number(w[7], 0, 127, speed))
            return fail("\"" + w[7] + "\" is not a speed: 0 to 127 pixels a frame");
        if (ok) {
            s = ObjectSpawn{static_cast<int8_t>(ac), static_cast<int8_t>(ar),
                            static_cast<int8_t>(bc), static_cast<int8_t>(br),
                            static_cast<int8_t>(speed), s.sprite};
            if (!spawn_track_stays_in_room(s))
                warn(std::string("the ") + kind + "'s track from " + w[3] + " to " + w[5] +
                     " is not a whole multiple of its speed " + w[7] +
                     " on each axis: it would never land on end B and turn, so the game "
                     "leaves this " + kind + " out");
        }
    } else {
        return fail(std::string("expected \"") + kind + " SPRITE from C,R to C,R speed N\", \"" +
                    kind + " SPRITE at C,R\" or \"" + kind + " none\"");
    }
    if (!ok) return false;
    (enemy ? img_->rooms[room_].enemies : img_->rooms[room_].platforms)[count++] = s;
    return true;
}

bool Compiler::placement(bool is_switch) {
    const char *kind = is_switch ? "switch" : "refill";
    const std::vector<std::string> &w = words();
    int rc, rr, cc, cr;
    if (w.size() == 5 && w[1] == "room" && w[3] == "cell") {
        if (!room_pair(w[2], rc, rr) || !cell_pair(w[4], cc, cr)) return false;
    } else if (w.size() == 2) {
        if (!need_room(is_switch ? "\"switch C,R\"" : "\"refill C,R\"")) return false;
        if (!cell_pair(w[1], cc, cr)) return false;
        rc = room_ % kWorldColumns;
        rr = room_ / kWorldColumns;
    } else {
        return fail(std::string("expected \"") + kind + " room C,R cell C,R\" or, in a room, \"" +
                    kind + " C,R\"");
    }
    int &count = is_switch ? switches_ : refills_;
    if (count == (is_switch ? kSwitchCount : kRefillCount))
        return fail(std::string("a 26th ") + kind + ": a map has exactly 25");
    PlacementRecord &p = (is_switch ? img_->switches : img_->refills)[count++];
    p = PlacementRecord{static_cast<int8_t>(rc), static_cast<int8_t>(rr), static_cast<int8_t>(cc),
                        static_cast<int8_t>(cr)};
    return true;
}

bool Compiler::raw() {
    const std::vector<std::string> &w = words();
    long offset;
    if (w.size() != 3) return fail("expected \"raw OFFSET HEXBYTES\", e.g. \"raw 28160 4142\"");
    if (!parse_number(w[1], 0, static_cast<long>(kMapFileSizeWithOverride) - 1, offset))
        return fail("\"" + w[1] + "\" is not a byte offset in a map file");
    const std::string &hex = w[2];
    if (hex.size() % 2 != 0) return fail("raw bytes come in pairs of hex digits");
    RawPatch p{ln_->number, offset, {}};
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int v = 0;
        for (int k = 0; k < 2; ++k) {
            char c = hex[i + k];
            int d = c >= '0' && c <= '9' ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
            if (d < 0) return fail("\"" + hex + "\" is not hex bytes");
            v = v * 16 + d;
        }
        p.bytes.push_back(static_cast<uint8_t>(v));
    }
    raws_.push_back(p);
    return true;
}

// ---- Whole source -------------------------------------------------------------------

bool Compiler::line() {
    const std::vector<std::string> &w = words();
    const std::string &kw = w[0];
    if (kw[0] == '|') return row();
    for (int item = 0; item < kHeaderItems; ++item)
        if (kw == kHeaderWords[item]) {
            switch (item) {
            case kTitle: return title();
            case kStart:
            case kExit: return position(static_cast<HeaderItem>(item));
            case kMapId: return map_id();
            default: return sheet(static_cast<HeaderItem>(item));
            }
        }
    if (kw == "backdrop") return backdrop();
    if (kw == "names") return names_file();
    if (kw == "cell") return cell();
    if (kw == "room") return room();
    if (kw == "enemy") return spawn(true);
    if (kw == "platform") return spawn(false);
    if (kw == "switch") return placement(true);
    if (kw == "refill") return placement(false);
    if (kw == "raw") return raw();
    bool handled;
    std::string why;
    if (!take_name_line(*ln_, names_, handled, why)) return fail(why);
    if (handled) return true;
    return fail("unknown line \"" + kw + "\"");
}

bool Compiler::finish() {
    ln_ = nullptr;
    if (!finish_room()) return false;
    for (HeaderItem item : {kTitle, kStart, kExit, kTileSheet, kSpriteSheet})
        if (header_line_[item] == 0)
            return fail(std::string("no ") + kHeaderWords[item] + " line");
    if (switches_ != kSwitchCount)
        return fail("the map has " + std::to_string(switches_) +
                    " switches; it needs exactly 25 (the door opens when all 25 are thrown)");
    if (refills_ != kRefillCount)
        return fail("the map has " + std::to_string(refills_) + " refills; it needs exactly 25");
    for (int b = 0; b < kBackdropCount; ++b)
        if (backdrop_use_line_[b] != 0 && backdrop_picture_line_[b] == 0)
            rep_.warn(file_, backdrop_use_line_[b],
                      "backdrop " + std::to_string(b) +
                          " has no picture (no \"backdrop " + std::to_string(b) +
                          " FILE\" line): the room shows black");
    const MapHeader &h = img_->header;
    const RoomCell &start =
        img_->rooms[h.start_room_row * kWorldColumns + h.start_room_column]
            .cells[h.start_cell_row][h.start_cell_column];
    if (start.flags & kCellSolid)
        rep_.warn(file_, header_line_[kStart], "the hero starts inside a solid cell");
    return true;
}

// Counts what the game would correct in a finished map (only raw bytes can make
// such a map), so the level maker hears of it.
int corrections_of(const MapImage &img) {
    auto copy = std::make_unique<MapImage>(img);
    int n = make_header_safe(copy->header);
    for (RoomRecord &r : copy->rooms) n += make_room_safe(r);
    for (PlacementRecord &p : copy->switches) n += make_placement_safe(p);
    for (PlacementRecord &p : copy->refills) n += make_placement_safe(p);
    return n;
}

bool Compiler::run(const std::string &text, std::vector<uint8_t> &bytes) {
    std::vector<Line> lines = split_lines(text);
    for (const Line &l : lines) {
        if (l.words.empty()) continue;
        ln_ = &l;
        if (!line()) return false;
    }
    if (!finish()) return false;
    bytes.assign(img_->has_override ? kMapFileSizeWithOverride : kMapFileSize, 0);
    serialise_map_image(*img_, bytes.data(), bytes.size());
    if (raws_.empty()) return true;
    for (const RawPatch &p : raws_) {
        if (static_cast<std::size_t>(p.offset) + p.bytes.size() > bytes.size())
            return rep_.fail(file_, p.line,
                             "raw bytes run past the end of the map file (" +
                                 std::to_string(bytes.size()) + " bytes" +
                                 (img_->has_override ? ")" : "; only a map_id adds 4 more)"));
        std::memcpy(bytes.data() + p.offset, p.bytes.data(), p.bytes.size());
    }
    parse_map_image(bytes.data(), bytes.size(), *img_);
    if (int n = corrections_of(*img_))
        rep_.warn(file_, raws_.front().line,
                  "the raw bytes leave " + std::to_string(n) +
                      " values the game does not accept; the loader will correct them");
    return true;
}

} // namespace

std::string source_text_path(const std::string &source) {
    if (is_directory(source)) return join_path(source, kSourceFileName);
    return source;
}

void blank_map_image(MapImage &img) {
    std::memset(&img, 0, sizeof img);
    for (RoomRecord &r : img.rooms) {
        r.backdrop = kNoBackdrop;
        for (ObjectSpawn &s : r.enemies) s = empty_spawn();
        for (ObjectSpawn &s : r.platforms) s = empty_spawn();
        for (auto &row : r.cells)
            for (RoomCell &c : row) c = empty_cell();
    }
    img.has_override = false;
    img.map_id_override = 0;
}

bool compile_map_text(const std::string &file, const std::string &text,
                      const CompileOptions &options, std::vector<uint8_t> &bytes,
                      Report &report) {
    CompileOptions opt = options;
    if (!opt.exists) opt.exists = file_exists;
    if (!opt.read_text) opt.read_text = read_text_file;
    if (!opt.read_picture) opt.read_picture = read_pcx_pixels;
    Compiler c(file, opt, report);
    return c.run(text, bytes);
}

bool compile_map_source(const std::string &source, const CompileOptions &options,
                        std::vector<uint8_t> &bytes, Report &report) {
    std::string path = source_text_path(source);
    std::string text;
    bool exists = options.read_text ? options.read_text(path, text) : read_text_file(path, text);
    if (!exists) return report.fail(path, kNoLine, "cannot be read");
    return compile_map_text(path, text, options, bytes, report);
}

} // namespace maps
