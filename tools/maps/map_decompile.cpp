// The map decompiler: writes a map's records as source text, the pixels as PCX
// pictures, and whatever the text cannot say as raw bytes, then proves the result
// by compiling it again.
#include "map_decompile.h"

#include "file_out.h"
#include "map_source.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>

namespace maps {

namespace {

constexpr const char *kTextName = "map.txt";
constexpr const char *kTileSheetName = "tiles.pcx";
constexpr const char *kSpriteSheetName = "sprites.pcx";
constexpr std::size_t kRawBytesPerLine = 32;
constexpr std::size_t kRawGapJoined = 8; // equal bytes a raw line may carry to join two runs

std::string backdrop_file(int b) { return "backdrop_" + std::to_string(b) + ".pcx"; }

int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

std::string room_text(int room) { return pair_text(room % kWorldColumns, room / kWorldColumns); }

// A cell as the text can say it: tiles outside 0..239 become none.
struct CellKey {
    int back, front, flags;
    bool operator<(const CellKey &o) const {
        return std::tie(back, front, flags) < std::tie(o.back, o.front, o.flags);
    }
    bool empty() const { return back == kNoTile && front == kNoTile && flags == 0; }
};

int sayable_tile(int16_t t) { return t >= 0 && t < kTileCount ? t : kNoTile; }

CellKey key_of(const RoomCell &c) {
    return CellKey{sayable_tile(c.back_tile), sayable_tile(c.front_tile), c.flags};
}

bool sayable_spawn(const ObjectSpawn &s) {
    auto in_room = [](int c, int r) {
        return c >= 0 && c < kRoomColumns && r >= 0 && r < kRoomRows;
    };
    return s.sprite >= 0 && in_room(s.a_column, s.a_row) && in_room(s.b_column, s.b_row) &&
           s.speed >= 0;
}

// ---- Symbols for the cells -----------------------------------------------------------

// Symbols chosen by what a cell does, so that a room reads at a glance.
const char *preferred_symbols(const CellKey &k) {
    if (k.flags & kCellHarmful) return "^*!%&";
    if (k.flags & kCellConveyorRight) return ">)}";
    if (k.flags & kCellConveyorLeft) return "<({";
    if (k.flags & kCellLedge) return "=-_~";
    if (k.flags & kCellSolid) return "#XWMHNBOQ@";
    if (k.back == kNoTile && k.front != kNoTile) return "'\"`,;";
    return "abcdefghijklmnopqrstuvwxyz";
}

class SymbolTable {
public:
    explicit SymbolTable(const std::vector<CellKey> &cells) {
        width_ = cells.size() <= pool1().size() ? 1 : 2;
        for (const CellKey &k : cells) order_.push_back({k, pick(k)});
    }
    std::size_t width() const { return width_; }
    const std::vector<std::pair<CellKey, std::string>> &order() const { return order_; }
    std::string of(const CellKey &k) const { return by_key_.at(k); }

private:
    std::size_t width_;
    std::vector<std::pair<CellKey, std::string>> order_;
    std::map<CellKey, std::string> by_key_;
    std::map<std::string, bool> used_;

    static std::string pool1() {
        std::string p;
        for (char c = '!'; c <= '~'; ++c)
            if (c != '|' && c != '.') p += c;
        return p;
    }

    std::string take(const std::string &s) {
        used_[s] = true;
        return s;
    }

    std::string pick(const CellKey &k) {
        std::string s;
        if (k.empty()) s = std::string(width_, '.');
        else if (width_ == 1) s = pick1(k);
        else s = pick2();
        by_key_[k] = s;
        return take(s);
    }

    std::string pick1(const CellKey &k) {
        for (const char *p = preferred_symbols(k); *p; ++p)
            if (!used_.count(std::string(1, *p))) return std::string(1, *p);
        for (char c : pool1())
            if (!used_.count(std::string(1, c))) return std::string(1, c);
        return "?"; // unreachable: width 1 is chosen only when the pool suffices
    }

    std::string pick2() {
        static const char kChars[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        for (const char *a = kChars; *a; ++a)
            for (const char *b = kChars; *b; ++b) {
                std::string s{*a, *b};
                if (!used_.count(s)) return s;
            }
        return "??";
    }
};

// ---- Writing the text ----------------------------------------------------------------

class Writer {
public:
    Writer(const MapImage &img, const DecompileOptions &opt, const CellNames &names)
        : img_(img), opt_(opt), names_(names) {}

    std::string text();

private:
    const MapImage &img_;
    const DecompileOptions &opt_;
    const CellNames &names_;
    std::string out_;
    bool switches_in_rooms_ = false;
    bool refills_in_rooms_ = false;

    void put(const std::string &s) { out_ += s + "\n"; }
    void header();
    void pictures();
    void legend(const SymbolTable &symbols);
    void placements_list(const PlacementRecord (&list)[kSwitchCount], const char *kind);
    bool room_has_content(int room) const;
    void room(int room, const SymbolTable &symbols);
    void spawns(const ObjectSpawn (&group)[kSpawnsPerGroup], const char *kind);
    std::string tile_text(int t) const;
    std::string sprite_text(int s) const;
};

std::string Writer::tile_text(int t) const {
    if (t == kNoTile) return "-";
    std::string n = names_.tile_name(t);
    return n.empty() ? std::to_string(t) : n;
}

std::string Writer::sprite_text(int s) const {
    std::string n = names_.sprite_name(s);
    return n.empty() ? std::to_string(s) : n;
}

std::string title_text(const FixedString &title) {
    std::string t;
    for (int i = 0; i < kFixedStringMaxLength && title.text[i] >= 0x20 && title.text[i] <= 0x7E; ++i)
        t += title.text[i];
    bool quote = t.empty() || t.front() == ' ' || t.back() == ' ' || t.front() == '"';
    return quote ? "\"" + t + "\"" : t;
}

void Writer::header() {
    const MapHeader &h = img_.header;
    put("# Map source made by vespertil-mapd" +
        (opt_.map_name.empty() ? std::string() : " from " + base_name(opt_.map_name)) + ".");
    put("title " + title_text(h.title));
    put("start room " +
        pair_text(clamp(h.start_room_column, 0, 4), clamp(h.start_room_row, 0, 4)) + " cell " +
        pair_text(clamp(h.start_cell_column, 0, 14), clamp(h.start_cell_row, 0, 8)));
    put("exit room " + pair_text(clamp(h.exit_room_column, 0, 4), clamp(h.exit_room_row, 0, 4)) +
        " cell " + pair_text(clamp(h.exit_cell_column, 0, 14), clamp(h.exit_cell_row, 0, 7)));
    if (img_.has_override) put("map_id " + std::to_string(img_.map_id_override));
    if (!opt_.names_path.empty()) put("names " + base_name(opt_.names_path));
}

bool backdrop_blank(const uint32_t (&b)[kBackdropHeight][kBackdropWidth]) {
    for (const auto &row : b)
        for (uint32_t v : row)
            if (v != 0) return false;
    return true;
}

void Writer::pictures() {
    put("");
    put("tile_sheet " + std::string(kTileSheetName));
    put("sprite_sheet " + std::string(kSpriteSheetName));
    for (int b = 0; b < kBackdropCount; ++b)
        if (!backdrop_blank(img_.backdrops[b]))
            put("backdrop " + std::to_string(b) + " " + backdrop_file(b));
}

void Writer::legend(const SymbolTable &symbols) {
    if (symbols.order().empty()) return;
    put("");
    put("# cells: symbol, back tile, front tile (- for none), flags");
    for (const auto &e : symbols.order()) {
        std::string line = "cell " + e.second + " " + tile_text(e.first.back) + " " +
                           tile_text(e.first.front);
        std::string flags = flag_words(static_cast<uint8_t>(e.first.flags));
        put(flags.empty() ? line : line + " " + flags);
    }
}

int placement_room(const PlacementRecord &p) {
    return clamp(p.room_row, 0, 4) * kWorldColumns + clamp(p.room_column, 0, 4);
}

std::string placement_cell(const PlacementRecord &p) {
    return pair_text(clamp(p.cell_column, 0, 14), clamp(p.cell_row, 0, 8));
}

// Whether the records list their rooms in ascending order, so that writing each in
// its room block keeps the records' order.
bool rooms_ascend(const PlacementRecord (&list)[kSwitchCount]) {
    for (int i = 1; i < kSwitchCount; ++i)
        if (placement_room(list[i]) < placement_room(list[i - 1])) return false;
    return true;
}

void Writer::placements_list(const PlacementRecord (&list)[kSwitchCount], const char *kind) {
    put("");
    for (const PlacementRecord &p : list)
        put(std::string(kind) + " room " + room_text(placement_room(p)) + " cell " +
            placement_cell(p));
}

bool Writer::room_has_content(int room) const {
    const RoomRecord &r = img_.rooms[room];
    if (r.backdrop < kBackdropCount) return true;
    for (const auto &row : r.cells)
        for (const RoomCell &c : row)
            if (!key_of(c).empty()) return true;
    for (int i = 0; i < kSpawnsPerGroup; ++i)
        if (sayable_spawn(r.enemies[i]) || sayable_spawn(r.platforms[i])) return true;
    for (int i = 0; i < kSwitchCount; ++i) {
        if (switches_in_rooms_ && placement_room(img_.switches[i]) == room) return true;
        if (refills_in_rooms_ && placement_room(img_.refills[i]) == room) return true;
    }
    return false;
}

void Writer::spawns(const ObjectSpawn (&group)[kSpawnsPerGroup], const char *kind) {
    int last = -1;
    for (int i = 0; i < kSpawnsPerGroup; ++i)
        if (sayable_spawn(group[i])) last = i;
    for (int i = 0; i <= last; ++i) {
        const ObjectSpawn &s = group[i];
        std::string k(kind);
        if (!sayable_spawn(s)) {
            put(k + " none");
            continue;
        }
        if (s.a_column == s.b_column && s.a_row == s.b_row && s.speed == 0)
            put(k + " " + sprite_text(s.sprite) + " at " + pair_text(s.a_column, s.a_row));
        else
            put(k + " " + sprite_text(s.sprite) + " from " + pair_text(s.a_column, s.a_row) +
                " to " + pair_text(s.b_column, s.b_row) + " speed " + std::to_string(s.speed));
    }
}

void Writer::room(int room, const SymbolTable &symbols) {
    const RoomRecord &r = img_.rooms[room];
    put("");
    put("room " + room_text(room));
    put(r.backdrop < kBackdropCount ? "backdrop " + std::to_string(r.backdrop) : "backdrop none");
    bool any_cell = false;
    for (const auto &row : r.cells)
        for (const RoomCell &c : row) any_cell = any_cell || !key_of(c).empty();
    if (any_cell)
        for (const auto &row : r.cells) {
            std::string line = "|";
            for (const RoomCell &c : row) line += symbols.of(key_of(c));
            put(line + "|");
        }
    spawns(r.enemies, "enemy");
    spawns(r.platforms, "platform");
    for (int i = 0; i < kSwitchCount; ++i)
        if (switches_in_rooms_ && placement_room(img_.switches[i]) == room)
            put("switch " + placement_cell(img_.switches[i]));
    for (int i = 0; i < kRefillCount; ++i)
        if (refills_in_rooms_ && placement_room(img_.refills[i]) == room)
            put("refill " + placement_cell(img_.refills[i]));
}

std::string Writer::text() {
    switches_in_rooms_ = rooms_ascend(img_.switches);
    refills_in_rooms_ = rooms_ascend(img_.refills);
    std::vector<bool> written(kRoomCount);
    for (int room = 0; room < kRoomCount; ++room) written[room] = room_has_content(room);

    // The cells that rows are written for, in order of first appearance.
    std::vector<CellKey> cells;
    std::map<CellKey, bool> seen;
    for (int room = 0; room < kRoomCount; ++room) {
        if (!written[room]) continue;
        bool any = false;
        for (const auto &row : img_.rooms[room].cells)
            for (const RoomCell &c : row) any = any || !key_of(c).empty();
        if (!any) continue;
        for (const auto &row : img_.rooms[room].cells)
            for (const RoomCell &c : row) {
                CellKey k = key_of(c);
                if (!seen[k]) cells.push_back(k);
                seen[k] = true;
            }
    }
    SymbolTable symbols(cells);

    header();
    pictures();
    legend(symbols);
    if (!switches_in_rooms_) placements_list(img_.switches, "switch");
    if (!refills_in_rooms_) placements_list(img_.refills, "refill");
    for (int room = 0; room < kRoomCount; ++room)
        if (written[room]) this->room(room, symbols);
    return out_;
}

// ---- Raw bytes ----------------------------------------------------------------------

// Where a byte lies, in words, for the comment above its raw line.
std::string region_of(std::size_t at) {
    if (at < kFixedStringSize) return "title bytes the game does not read";
    if (at < kMapHeaderSize) return "start and exit";
    if (at < kSwitchRecordsOffset) {
        std::size_t room = (at - kRoomsOffset) / kRoomRecordSize;
        std::size_t in = (at - kRoomsOffset) % kRoomRecordSize;
        std::string what = in < kRoomCellsOffset ? "backdrop and objects" : "cells";
        return "room " + room_text(static_cast<int>(room)) + ": " + what;
    }
    if (at < kRefillRecordsOffset) return "switches";
    if (at < kTextSlotsOffset) return "refills";
    if (at < kBackdropPixelsOffset)
        return "text slot " + std::to_string((at - kTextSlotsOffset) / kFixedStringSize);
    if (at < kTilePixelsOffset)
        return "backdrop " + std::to_string((at - kBackdropPixelsOffset) /
                                            (kBackdropPixelsSize / kBackdropCount)) +
               " pixels";
    if (at < kMapFileSize)
        return "tile " + std::to_string((at - kTilePixelsOffset) / (kTilePixels * kTilePixels * 8)) +
               " pixels";
    return "map id";
}

std::string hex_bytes(const uint8_t *p, std::size_t n) {
    static const char kHex[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += kHex[p[i] >> 4];
        s += kHex[p[i] & 15];
    }
    return s;
}

// Raw lines for every byte where `want` and `got` differ.
std::string raw_lines(const std::vector<uint8_t> &want, const std::vector<uint8_t> &got) {
    std::string out;
    std::string last_region;
    std::size_t n = want.size();
    std::size_t i = 0;
    while (i < n) {
        if (want[i] == got[i]) {
            ++i;
            continue;
        }
        std::size_t start = i, end = i + 1; // [start, end) must be written
        for (std::size_t j = end; j < n && j - start < kRawBytesPerLine; ++j) {
            if (want[j] != got[j]) end = j + 1;
            else if (j - end >= kRawGapJoined) break;
        }
        std::string region = region_of(start);
        if (region != last_region) {
            if (out.empty()) out += "\n# bytes the text above has no words for\n";
            out += "# " + region + "\n";
            last_region = region;
        }
        out += "raw " + std::to_string(start) + " " + hex_bytes(want.data() + start, end - start) +
               "\n";
        i = end;
    }
    return out;
}

CompileOptions memory_options(const Decompiled &d) {
    CompileOptions o;
    o.exists = [&d](const std::string &path) {
        for (const auto &p : d.pictures)
            if (p.first == path) return true;
        return false;
    };
    o.read_picture = [&d](const std::string &path, Pixels &out, std::string &why) {
        for (const auto &p : d.pictures)
            if (p.first == path) {
                out = as_read_back(p.second);
                return true;
            }
        why = "is missing";
        return false;
    };
    o.read_text = [&d](const std::string &path, std::string &text) {
        if (path == kTextName) {
            text = d.text;
            return true;
        }
        for (const auto &f : d.files)
            if (f.first == path) {
                text = f.second;
                return true;
            }
        return false;
    };
    return o;
}

std::string size_text(std::size_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

} // namespace

bool compile_decompiled(const Decompiled &d, std::vector<uint8_t> &bytes, Report &report) {
    return compile_map_text(kTextName, d.text, memory_options(d), bytes, report);
}

bool decompile_map(const std::vector<uint8_t> &bytes, const DecompileOptions &options,
                   Decompiled &out, Report &report) {
    const std::string &name = options.map_name.empty() ? "the map" : options.map_name;
    if (bytes.size() < kMapFileSize)
        return report.fail(name, 0,
                           "is " + size_text(bytes.size()) + " bytes; a map file is " +
                               size_text(kMapFileSize) + " bytes (4 more with a map id)");
    auto img = std::make_unique<MapImage>();
    parse_map_image(bytes.data(), bytes.size(), *img);
    std::size_t size = img->has_override ? kMapFileSizeWithOverride : kMapFileSize;
    if (bytes.size() > size)
        report.warn(name, 0,
                    "the last " + std::to_string(bytes.size() - size) +
                        " bytes are not part of a map (the game reads none of them) and are "
                        "left out");
    std::vector<uint8_t> want(bytes.begin(), bytes.begin() + static_cast<long>(size));

    CellNames names;
    out = Decompiled{};
    if (!options.names_path.empty()) {
        // The names file is copied beside map.txt and the pictures.
        std::string copy = base_name(options.names_path);
        bool pcx = copy.size() >= 4 && copy.compare(copy.size() - 4, 4, ".pcx") == 0;
        if (copy == kTextName || pcx)
            return report.fail(options.names_path, 0,
                               "a names file cannot be called map.txt or end in .pcx: it is "
                               "copied beside them");
        std::string text;
        if (!read_text_file(options.names_path, text))
            return report.fail(options.names_path, 0, "cannot be read");
        if (!read_names_text(options.names_path, text, names, report)) return false;
        out.files.push_back({base_name(options.names_path), text});
    }
    out.pictures.push_back({kTileSheetName, sheet_of(img->room_tiles)});
    out.pictures.push_back({kSpriteSheetName, sheet_of(img->sprite_tiles)});
    for (int b = 0; b < kBackdropCount; ++b)
        if (!backdrop_blank(img->backdrops[b]))
            out.pictures.push_back({backdrop_file(b), backdrop_of(img->backdrops[b])});

    Writer w(*img, options, names);
    out.text = w.text();

    Report inner;
    std::vector<uint8_t> got;
    if (!compile_decompiled(out, got, inner) || got.size() != want.size())
        return report.fail(name, 0, "cannot be written as text (" + inner.error + ")");
    out.text += raw_lines(want, got);
    Report again;
    if (!compile_decompiled(out, got, again) || got != want)
        return report.fail(name, 0, "the text written for it does not compile back to it" +
                                        (again.error.empty() ? "" : " (" + again.error + ")"));
    for (const std::string &warning : again.warnings) report.warnings.push_back(warning);
    return true;
}

bool write_decompiled(const std::string &dir, const Decompiled &d, std::string &why) {
    if (!is_directory(dir) && mkdir(dir.c_str(), 0777) != 0) {
        why = dir + ": cannot be made as a directory";
        return false;
    }
    std::vector<std::string> parts;
    auto cleanup = [&parts]() {
        for (const std::string &p : parts) std::remove(tool_files::part_path(p).c_str());
    };
    auto write_text = [&](const std::string &name, const std::string &text) {
        std::string path = join_path(dir, name);
        parts.push_back(path);
        FILE *f = std::fopen(tool_files::part_path(path).c_str(), "wb");
        bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
        if (f) ok = std::fclose(f) == 0 && ok;
        if (!ok) why = path + ": cannot be written";
        return ok;
    };
    for (const auto &p : d.pictures) {
        std::string path = join_path(dir, p.first);
        parts.push_back(path);
        std::string reason;
        if (!write_pcx_pixels(tool_files::part_path(path), p.second, reason)) {
            why = path + ": " + reason;
            cleanup();
            return false;
        }
    }
    for (const auto &f : d.files)
        if (!write_text(f.first, f.second)) {
            cleanup();
            return false;
        }
    if (!write_text(kTextName, d.text)) {
        cleanup();
        return false;
    }
    for (const std::string &p : parts)
        if (!tool_files::move_into_place(tool_files::part_path(p), p, why)) {
            why = p + ": " + why;
            cleanup();
            return false;
        }
    return true;
}

} // namespace maps
