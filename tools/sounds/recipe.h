// The text form of a sample recipe. A recipe is a list of lines, one setting per
// line: first the settings of the whole sample, then one or more layers, each
// opened by "layer WAVE" and followed by its own settings (content/README.md).
#pragma once

#include "synth.h"

#include <string>
#include <vector>

// What a recipe is for: a WAV file of the game, or the sample of a module's
// instrument (which may loop from a point inside it and use any rate).
enum class RecipeUse { wav, instrument };

struct RecipeParser {
    Recipe *recipe = nullptr;
    RecipeUse use = RecipeUse::wav;
    bool length_given = false;
    int line = 0;                    // the line being read, set by the caller
    int layer_lines[kMaxLayers] = {};  // where each layer was opened
    int loop_line = 0;
};

enum class LineResult { taken, unknown, bad };

// Reads one line's words into the recipe. `unknown` when the first word is not a
// recipe word (the caller may know it), `bad` with `error` set when it is one but
// the rest of the line is wrong.
LineResult recipe_parse_line(RecipeParser &parser, const std::vector<std::string> &words,
                             std::string &error);

// Checks what can only be checked once all lines are read; `line` is set to the
// line the fault belongs to (0 when it belongs to none, such as a missing length).
bool recipe_finish(const RecipeParser &parser, std::string &error, int &line);

// Reads a whole recipe file; errors read "path:line: what is wrong".
bool load_recipe_file(const std::string &path, Recipe &recipe, std::string &error);

// The same for the text of a recipe already in memory, named `path` in messages.
bool parse_recipe_text(const std::string &path, const std::string &text, Recipe &recipe,
                       std::string &error);
