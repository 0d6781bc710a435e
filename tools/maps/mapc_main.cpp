// vespertil-mapc: compiles a map source into a map file.
//   vespertil-mapc [-I DIR]... SOURCE OUT.map
// SOURCE is a map source directory (holding map.txt) or the text file itself;
// pictures it names are looked for beside it, then in each DIR. A fault is reported
// as "file:line: what is wrong", and then no output file is written.
#include "map_source.h"
#include "file_out.h"
#include "tool_common.h"

constexpr const char *kTool = "vespertil-mapc";

int main(int argc, char **argv) {
    maps::CompileOptions options;
    std::vector<const char *> dirs;
    const char *paths[2];
    if (!maps::read_arguments(argc, argv, kTool, "-I", "[-I DIR]... SOURCE OUT.map", dirs, paths))
        return 2;
    options.search_dirs.assign(dirs.begin(), dirs.end());
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
