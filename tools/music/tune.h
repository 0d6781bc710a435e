// The tune notation and its compiler to XM. A tune source names its instruments
// (each a sample recipe plus how the module plays it), its patterns (a list of
// events for each channel, time counted in rows) and its order list
// (content/README.md describes the notation).
#pragma once

#include "xm_writer.h"

#include <string>

// Reads the tune at `path` into `module`, synthesising every instrument's sample.
// False with `error` reading "path:line: what is wrong".
bool compile_tune_file(const std::string &path, XmModule &module, std::string &error);

// The same for the text of a tune already in memory, named `path` in messages.
bool compile_tune_text(const std::string &path, const std::string &text, XmModule &module,
                       std::string &error);

// Compiles the tune at `tune_path` and writes the XM at `out_path`; on failure
// nothing is written.
bool make_module_file(const std::string &tune_path, const std::string &out_path,
                      std::string &error);

// The command line of vespertil-xm: "TUNE OUT.xm", or "--info TUNE" to print the
// tune's length, channels, patterns and instruments without writing anything.
int xm_main(int argc, char **argv);
