// vespertil-mapd: writes a map file back out as a map source directory.
//   vespertil-mapd [--names FILE] IN.map OUT
// OUT receives map.txt and the PCX pictures it names (made if missing); compiling
// OUT gives IN.map again, byte for byte. With --names the cells and sprites are
// written by the names of FILE (copied into OUT) instead of by number.
#include "map_decompile.h"
#include "tool_common.h"

constexpr const char *kTool = "vespertil-mapd";

int main(int argc, char **argv) {
    maps::DecompileOptions options;
    std::vector<const char *> names;
    const char *paths[2];
    if (!maps::read_arguments(argc, argv, kTool, "--names", "[--names FILE] IN.map OUT", names,
                              paths))
        return 2;
    if (!names.empty()) options.names_path = names.back(); // the last one given counts
    if (!maps::start_allegro(kTool)) return 1;
    maps::Report report;
    std::vector<uint8_t> bytes;
    if (!maps::read_binary_file(paths[0], bytes)) {
        report.fail(paths[0], 0, "cannot be read");
        return maps::finish_run(kTool, report);
    }
    options.map_name = paths[0];
    maps::Decompiled d;
    if (maps::decompile_map(bytes, options, d, report)) {
        std::string why;
        if (!maps::write_decompiled(paths[1], d, why)) report.error = why + " (no file was written)";
    }
    return maps::finish_run(kTool, report);
}
