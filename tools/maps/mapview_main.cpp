// vespertil-mapview: draws a map's 5 x 5 world into one PNG picture.
//   vespertil-mapview IN.map OUT.png
// The map id that chooses the translucent cells comes from IN's file name, as the
// game takes it, or from the map's own id when it carries one.
#include "file_out.h"
#include "map_preview.h"
#include "map_text.h"
#include "tool_common.h"
#include "world/map_identity.h"

#include <cstdio>
#include <memory>

namespace {

constexpr const char *kTool = "vespertil-mapview";

int usage() {
    std::fprintf(stderr, "usage: %s IN.map OUT.png\n", kTool);
    return 2;
}

int32_t map_id_of(const std::string &path, const MapImage &img) {
    char name[kMapNameSize];
    normalise_map_name(maps::base_name(path).c_str(), name, sizeof name);
    return level_map_id(name, FileMapId{img.has_override, img.map_id_override});
}

// The records as the loader leaves them, so the picture shows what the game plays.
void make_safe(MapImage &img) {
    make_header_safe(img.header);
    for (RoomRecord &r : img.rooms) make_room_safe(r);
    for (PlacementRecord &p : img.switches) make_placement_safe(p);
    for (PlacementRecord &p : img.refills) make_placement_safe(p);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3 || argv[1][0] == '-' || argv[2][0] == '-') return usage();
    maps::Report report;
    std::vector<uint8_t> bytes;
    auto img = std::make_unique<MapImage>();
    if (!maps::read_binary_file(argv[1], bytes)) {
        report.fail(argv[1], 0, "cannot be read");
    } else if (!parse_map_image(bytes.data(), bytes.size(), *img)) {
        report.fail(argv[1], 0,
                    "is " + std::to_string(bytes.size()) +
                        " bytes, too short for a map file (1,211,594 bytes)");
    } else {
        make_safe(*img);
        maps::Raster picture;
        maps::preview_map(*img, map_id_of(argv[1], *img), picture);
        std::vector<uint8_t> png = maps::encode_png(picture);
        std::string why;
        if (!tool_files::write_file_whole(argv[2], png.data(), png.size(), why))
            report.fail(argv[2], 0, "cannot be written: " + why);
    }
    return maps::finish_run(kTool, report);
}
