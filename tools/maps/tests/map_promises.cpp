// What the map tools promise on any input (support/promise.h).
#include "support/promise.h"

#include "fuzz_support.h"

#include "map_input.h"

#include "core/byte_order.h"
#include "core/file_limits.h"
#include "map_decompile.h"
#include "map_source.h"

#include <vector>

// A picture of w x h with a few mask pixels (map_test_source.h).
maps::Pixels painted(int w, int h) {
    maps::Pixels p;
    p.w = w;
    p.h = h;
    p.v.resize(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < p.v.size(); ++i)
        p.v[i] = i % 11 == 0 ? kMapMaskColour : static_cast<uint32_t>((i * 40503u) & 0xFFFF);
    return p;
}

namespace {

// Pictures served from memory, each painted once: a .pcx whose name holds "back" is
// a backdrop, any other .pcx a sheet, a name holding "bad" cannot be read, any other
// name is a picture of the wrong size.
bool read_picture(const std::string &path, maps::Pixels &out, std::string &why) {
    static const maps::Pixels sheet = painted(maps::kSheetPixelsWide, maps::kSheetPixelsHigh),
                              back = painted(kBackdropWidth, kBackdropHeight), odd = painted(3, 2);
    if (path.find("bad") != std::string::npos) {
        why = "cannot be read";
        return false;
    }
    const bool pcx = path.size() >= 4 && path.compare(path.size() - 4, 4, ".pcx") == 0;
    out = !pcx ? odd : path.find("back") != std::string::npos ? back : sheet;
    return true;
}

// The decompiler's source of `bytes` compiles to `want`.
std::string decompiles_to(const std::vector<uint8_t> &bytes, const std::vector<uint8_t> &want) {
    maps::DecompileOptions options;
    options.map_name = "fuzz.map";
    maps::Decompiled source;
    maps::Report report;
    PROMISE(maps::decompile_map(bytes, options, source, report),
                 "a map file of %zu bytes does not decompile: %s", bytes.size(), report.error.c_str());
    PROMISE(!source.text.empty() && source.pictures.size() >= 2, "a source without text or sheets");
    std::vector<uint8_t> again;
    maps::Report back;
    PROMISE(maps::compile_decompiled(source, again, back), "the decompiled source is refused: %s",
                 back.error.c_str());
    PROMISE(again == want, "the decompiled source compiles to other bytes");
    return "";
}

} // namespace

// The input is the text of map.txt; a line "%%names" starts the text every names
// file reads as (without one, a few names of this check's own). A refused source is
// named by its file and line; one that compiles gives a map file of a map's length,
// which decompiles to a source that compiles to the very same bytes.
std::string map_source_promise(const uint8_t *data, std::size_t size) {
    static std::string names_text, names_path;
    static const maps::CompileOptions options = [] {
        maps::CompileOptions o;
        o.exists = [](const std::string &) { return true; };
        o.read_text = [](const std::string &path, std::string &text) {
            names_path = path;
            text = names_text;
            return true;
        };
        o.read_picture = read_picture;
        return o;
    }();
    std::string text(reinterpret_cast<const char *>(data), size);
    const std::size_t split = text.find("\n%%names\n");
    names_text = "edges rock 0\ntile ledge 49\ntile spikes 100\nsprite bat 0\nsprite slab 24\n";
    if (split != std::string::npos) {
        names_text = text.substr(split + 9);
        text.resize(split + 1);
    }
    names_path.clear();
    std::vector<uint8_t> bytes;
    maps::Report report;
    if (!maps::compile_map_text("fuzz/map.txt", text, options, bytes, report)) {
        // The refusal names the file it is about: the source, or the names file it read.
        const bool named = report.error.rfind("fuzz/map.txt", 0) == 0 ||
                           (!names_path.empty() && report.error.rfind(names_path, 0) == 0);
        PROMISE(named, "a refusal without the file: '%s'",
                     report.error.c_str());
        return "";
    }
    PROMISE(bytes.size() == kMapFileSize || bytes.size() == kMapFileSizeWithOverride,
                 "a map of %zu bytes", bytes.size());
    return decompiles_to(bytes, bytes);
}

// Map files built from the input (fuzz/map_input.h): any file of a map's length
// decompiles to a source that compiles to the same bytes (stray bytes after it
// dropped), and a shorter one is refused with the reason.
std::string map_decompile_promise(const uint8_t *data, std::size_t size) {
    static std::vector<uint8_t> image = painted_map_image(false);
    const MapInput in = take_map_input(data, size, image);
    const std::vector<uint8_t> bytes(image.begin(), image.begin() + static_cast<long>(in.length));
    if (in.length < kMapFileSize) {
        maps::Decompiled source;
        maps::Report report;
        PROMISE(!maps::decompile_map(bytes, {"fuzz.map", ""}, source, report) &&
                         report.error.rfind("fuzz.map: is ", 0) == 0,
                     "a file of %zu bytes: '%s'", in.length, report.error.c_str());
        return "";
    }
    const std::size_t kept = in.length == kMapFileSizeWithOverride ? in.length : kMapFileSize;
    return decompiles_to(bytes, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(kept)));
}

// The map tools' PCX reader on any file: a header the game's own check refuses is
// refused unread; a picture it reads has the size its header declares and holds
// 5-6-5 values only.
std::string map_pictures_promise(const uint8_t *data, std::size_t size) {
    static const std::string path = fuzz_scratch_path("fuzz.pcx");
    fuzz_write_file(path, data, size);
    maps::Pixels pixels;
    std::string why;
    const bool ok = maps::read_pcx_pixels(path, pixels, why);
    const char *problem = pcx_header_problem(data, size);
    if (!ok) {
        PROMISE(!why.empty(), "refused without a reason");
        return "";
    }
    PROMISE(!problem, "read a picture the check refuses: %s", problem);
    const long w = long{read_le16(data + 8)} - read_le16(data + 4) + 1;
    const long h = long{read_le16(data + 10)} - read_le16(data + 6) + 1;
    PROMISE(pixels.w == w && pixels.h == h && pixels.v.size() == static_cast<std::size_t>(w * h),
                 "%d x %d (%zu values) for a header of %ld x %ld", pixels.w, pixels.h, pixels.v.size(), w, h);
    for (uint32_t v : pixels.v) PROMISE(v <= 0xFFFF, "value %#x", v);
    return "";
}
