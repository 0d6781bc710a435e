// The map compiler (vespertil-mapc) on any map source text, with its names file and
// pictures served from memory. A source that is refused names the file and line of
// its fault; one that compiles gives the bytes of a map file, and the decompiler
// turns those into a source that compiles to the very same bytes.
//
// The input is the text of map.txt; a line "%%names" starts the text that every
// names file reads as (without one, a few names of this target's own). Pictures are
// painted here: a .pcx whose name holds "back" is a room backdrop, any other .pcx a
// sheet, a name holding "bad" cannot be read, and any other name is a picture of
// the wrong size.
#include "fuzz_support.h"

#include "map_decompile.h"
#include "map_source.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

const char kBuiltinNames[] =
    "edges rock 0\n"
    "tile ledge 49\n"
    "tile spikes 100\n"
    "sprite bat 0\n"
    "sprite slab 24\n";

std::string names_text;

bool ends_with(const std::string &s, const char *tail) {
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// Painting a backdrop costs more than compiling the source that names it, and every
// room names one: each picture is painted once and served again from here. Eight
// patterns per size keep that store small however many names a campaign tries.
const maps::Pixels &painted(int w, int h, std::size_t seed) {
    seed %= 8;
    static std::map<std::tuple<int, int, std::size_t>, maps::Pixels> done;
    maps::Pixels &p = done[std::make_tuple(w, h, seed)];
    if (!p.v.empty()) return p;
    p.w = w;
    p.h = h;
    p.v.resize(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < p.v.size(); ++i)
        p.v[i] = (i + seed) % 11 == 0 ? kMapMaskColour : static_cast<uint32_t>((i * 40503u + seed) & 0xFFFF);
    return p;
}

bool read_picture(const std::string &path, maps::Pixels &out, std::string &why) {
    if (path.find("bad") != std::string::npos) {
        why = "cannot be read";
        return false;
    }
    if (!ends_with(path, ".pcx")) out = painted(3, 2, path.size());
    else if (path.find("back") != std::string::npos) out = painted(kBackdropWidth, kBackdropHeight, path.size());
    else out = painted(maps::kSheetPixelsWide, maps::kSheetPixelsHigh, path.size());
    return true;
}

maps::CompileOptions options() {
    maps::CompileOptions o;
    o.exists = [](const std::string &) { return true; };
    o.read_text = [](const std::string &, std::string &text) {
        text = names_text;
        return true;
    };
    o.read_picture = read_picture;
    return o;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_start_allegro(32);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    const std::size_t split = text.find("\n%%names\n");
    names_text = kBuiltinNames;
    if (split != std::string::npos) {
        names_text = text.substr(split + 9);
        text.resize(split + 1);
    }
    static const maps::CompileOptions opts = options();
    std::vector<uint8_t> bytes;
    maps::Report report;
    if (!maps::compile_map_text("fuzz/map.txt", text, opts, bytes, report)) {
        FUZZ_CHECK(!report.error.empty(), "a refused source without a message");
        FUZZ_CHECK(report.error.rfind("fuzz/", 0) == 0, "message without the file: %s",
                   report.error.c_str());
        return 0;
    }
    FUZZ_CHECK(bytes.size() == kMapFileSize || bytes.size() == kMapFileSizeWithOverride,
               "a map of %zu bytes", bytes.size());

    // The decompiler compiles what it writes and fails unless that gives these bytes.
    maps::DecompileOptions dopts;
    dopts.map_name = "fuzz.map";
    maps::Decompiled source;
    maps::Report back_report;
    FUZZ_CHECK(maps::decompile_map(bytes, dopts, source, back_report),
               "a compiled map does not decompile to a source of the same bytes: %s",
               back_report.error.c_str());
    return 0;
}
