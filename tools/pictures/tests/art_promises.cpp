// What the picture tool's readers promise on any text (support/promise.h).
#include "support/promise.h"

#include "art_image.h"
#include "art_sheet.h"

#include <filesystem>
#include <memory>

namespace {

const std::string kPictures =
    (std::filesystem::path(__FILE__).parent_path() / "../../../content/pictures").string();

} // namespace

// A refused palette names the file and line of its fault. An accepted one never
// defines the mask key, holds ramps of two colours or more made of its own colours,
// and paints every kind of procedural cell of a small sheet or says why not.
std::string art_palette_promise(const uint8_t *data, std::size_t size) {
    art::Palette pal;
    art::Diag err;
    if (!art::parse_palette("fuzz/palette.txt", std::string(reinterpret_cast<const char *>(data), size),
                            pal, err)) {
        PROMISE(err.file == "fuzz/palette.txt" && err.line >= 0 && !err.message.empty(),
                     "a refusal without file or message: %s", err.text().c_str());
        return "";
    }
    PROMISE(!pal.has[static_cast<int>(art::kMaskKey)] && pal.key(art::kMaskKey) == art::kMask,
                 "the mask key was defined");
    for (const art::Ramp &r : pal.ramps) {
        PROMISE(r.colours.size() >= 2 && pal.ramp(r.name) != nullptr, "ramp %s of %zu colours",
                     r.name.c_str(), r.colours.size());
        for (art::Rgb c : r.colours) {
            bool known = false;
            for (int k = 0; k < 128 && !known; ++k) known = pal.has[k] && pal.colour[k] == c;
            PROMISE(known, "ramp %s holds a colour of no key", r.name.c_str());
        }
    }
    static const char kSheet[] =
        "dial 0\nglow 164 lamp\nstripes 184 bar 1\ntile 192 brick stone - 23 t\n"
        "backwall 193 block stone 3\nglyph 203 J\n"
        "..########..\n.##########.\n.###....###.\n.##......##.\n.##......##.\n.##......##.\n"
        ".##########.\n.##########.\n.##......##.\n.##......##.\n.##......##.\n.##......##.\n"
        "initial 144 j\nground 168 rock earth moss 11\n";
    auto sheet = std::make_unique<art::Sheet>();
    if (!art::build_sheet_text("fuzz/sheet.txt", kSheet, pal, *sheet, err))
        PROMISE(!err.message.empty(), "a sheet refused without a message");
    return "";
}

// Sheet recipes painted with the game's palette, read as if they lay beside the real
// ones in content/pictures (so "include" lines reach them): a refused recipe names
// the file and line of its fault; an accepted one gives a 384 x 160 sheet.
std::string art_sheet_promise(const uint8_t *data, std::size_t size) {
    static const art::Palette palette = [] {
        art::Palette pal;
        art::Diag err;
        art::load_palette(kPictures + "/palette.txt", pal, err);
        return pal;
    }();
    PROMISE(palette.ramp("stone") != nullptr, "the game's palette in %s is not read", kPictures.c_str());
    auto sheet = std::make_unique<art::Sheet>();
    art::Diag err;
    if (!art::build_sheet_text(kPictures + "/fuzz_recipe.txt",
                               std::string(reinterpret_cast<const char *>(data), size), palette, *sheet, err)) {
        PROMISE(!err.file.empty() && !err.message.empty(), "a refusal without file or message");
        return "";
    }
    PROMISE(sheet->image.w == art::kSheetW && sheet->image.h == art::kSheetH &&
                     sheet->image.px.size() == static_cast<std::size_t>(art::kSheetW) * art::kSheetH,
                 "a sheet of %d x %d", sheet->image.w, sheet->image.h);
    return "";
}
