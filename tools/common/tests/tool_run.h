// A tool program run as the build runs it: its exit status and what it printed
// (standard output and error together, kept in `dir`/output.txt).
#pragma once

#include "support/test_support.h"

#include <cstdlib>
#include <string>

struct ToolRun {
    int status;
    std::string output;
};

inline ToolRun run_tool(const std::string &command, const testing_support::TempDir &dir) {
    const int rc = std::system((command + " > " + dir.file("output.txt") + " 2>&1").c_str());
    const std::vector<unsigned char> out = testing_support::read_file(dir.file("output.txt"));
    return ToolRun{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, std::string(out.begin(), out.end())};
}
