// vespertil-mapd: writes a map file back out as a map source directory.
//   vespertil-mapd [--names FILE] IN.map OUT
// OUT receives map.txt and the PCX pictures it names (made if missing); compiling
// OUT gives IN.map again, byte for byte. With --names the cells and sprites are
// written by the names of FILE (copied into OUT) instead of by number.
#include "map_decompile.h"
#include "tool_common.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char *kTool = "vespertil-mapd";

int usage() {
    std::fprintf(stderr, "usage: %s [--names FILE] IN.map OUT\n", kTool);
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    maps::DecompileOptions options;
    std::vector<const char *> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--names") == 0 && i + 1 < argc) options.names_path = argv[++i];
        else if (argv[i][0] == '-' && argv[i][1] != '\0') return usage();
        else paths.push_back(argv[i]);
    }
    if (paths.size() != 2) return usage();
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
