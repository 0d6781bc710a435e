// Start-up and messages of the map tools.
#include "tool_common.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace maps {

bool read_arguments(int argc, char **argv, const char *tool, const char *option,
                    const char *usage, std::vector<const char *> &values,
                    const char *(&paths)[2]) {
    int count = 0;
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        if (std::strcmp(argv[i], option) == 0 && i + 1 < argc) values.push_back(argv[++i]);
        else if (argv[i][0] == '-' && argv[i][1] != '\0') ok = false;
        else if (count < 2) paths[count++] = argv[i];
        else ok = false;
    }
    if (ok && count == 2) return true;
    std::fprintf(stderr, "usage: %s %s\n", tool, usage);
    return false;
}

bool start_allegro(const char *tool) {
    if (install_allegro(SYSTEM_NONE, &errno, atexit) == 0) return true;
    std::fprintf(stderr, "%s: Allegro cannot start\n", tool);
    return false;
}

int finish_run(const char *tool, const Report &report) {
    for (const std::string &w : report.warnings) std::fprintf(stderr, "%s: %s\n", tool, w.c_str());
    if (report.error.empty()) return 0;
    std::fprintf(stderr, "%s: %s\n", tool, report.error.c_str());
    return 1;
}

} // namespace maps
