// vespertil-mapc: compiles a map source into a map file.
//   vespertil-mapc [-I DIR]... SOURCE OUT.map
// SOURCE is a map source directory (holding map.txt) or the text file itself;
// pictures it names are looked for beside it, then in each DIR. A fault is reported
// as "file:line: what is wrong", and then no output file is written.
#include "map_source.h"
#include "file_out.h"
#include "tool_common.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char *kTool = "vespertil-mapc";

int usage() {
    std::fprintf(stderr, "usage: %s [-I DIR]... SOURCE OUT.map\n", kTool);
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    maps::CompileOptions options;
    std::vector<const char *> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-I") == 0 && i + 1 < argc) options.search_dirs.push_back(argv[++i]);
        else if (argv[i][0] == '-' && argv[i][1] != '\0') return usage();
        else paths.push_back(argv[i]);
    }
    if (paths.size() != 2) return usage();
    if (!maps::start_allegro(kTool)) return 1;
    maps::Report report;
    std::vector<uint8_t> bytes;
    if (maps::compile_map_source(paths[0], options, bytes, report)) {
        std::string why;
        if (!tool_files::write_file_whole(paths[1], bytes.data(), bytes.size(), why))
            report.fail(paths[1], 0, "cannot be written: " + why);
    }
    return maps::finish_run(kTool, report);
}
