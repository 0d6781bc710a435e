// The palette source of vespertil-art on any text. A refused palette names the file
// and line of its fault. An accepted one never defines the mask key, holds ramps of
// two colours or more made of its own colours, and paints every kind of
// procedural cell of a small sheet (ground, back wall, dial, glow, stripes, glyphs
// and initials) or says why not, without a sanitizer report.
#include "fuzz_support.h"

#include "art_image.h"
#include "art_sheet.h"

#include <memory>
#include <string>

namespace {

const char kSheet[] =
    "dial 0\n"
    "glow 164 lamp\n"
    "stripes 184 bar 1\n"
    "tile 192 brick stone - 23 t\n"
    "backwall 193 block stone 3\n"
    "glyph 203 J\n"
    "..########..\n.##########.\n.###....###.\n.##......##.\n.##......##.\n.##......##.\n"
    ".##########.\n.##########.\n.##......##.\n.##......##.\n.##......##.\n.##......##.\n"
    "initial 144 j\n"
    "ground 168 rock earth moss 11\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    art::Palette pal;
    art::Diag err;
    if (!art::parse_palette("fuzz/palette.txt", text, pal, err)) {
        FUZZ_CHECK(err.file == "fuzz/palette.txt" && !err.message.empty(),
                   "a refused palette without file or message: %s", err.text().c_str());
        return 0;
    }
    FUZZ_CHECK(!pal.has[static_cast<int>(art::kMaskKey)], "the mask key was defined");
    FUZZ_CHECK(pal.key(art::kMaskKey) == art::kMask, "the mask key is not the mask colour");
    for (const art::Ramp &r : pal.ramps) {
        FUZZ_CHECK(r.colours.size() >= 2, "ramp %s of %zu colours", r.name.c_str(), r.colours.size());
        for (art::Rgb c : r.colours) {
            bool known = false;
            for (int k = 0; k < 128 && !known; ++k) known = pal.has[k] && pal.colour[k] == c;
            FUZZ_CHECK(known, "ramp %s holds a colour of no key", r.name.c_str());
        }
        FUZZ_CHECK(pal.ramp(r.name) == &r || pal.ramp(r.name) != nullptr, "ramp %s not found",
                   r.name.c_str());
    }
    auto sheet = std::make_unique<art::Sheet>();
    art::Diag sheet_err;
    if (!art::build_sheet_text("fuzz/sheet.txt", kSheet, pal, *sheet, sheet_err))
        FUZZ_CHECK(!sheet_err.message.empty(), "a sheet refused without a message");
    return 0;
}
