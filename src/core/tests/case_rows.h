// Tables of cases kept as text beside the tests that read them: one case a line,
// its words split at spaces; '#' starts a comment, and blank lines are left out.
// Menu keys are written as words too (see keys_of).
#pragma once

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace case_rows {

using Words = std::vector<std::string>;

// The cases of `name`, a file in the folder of `source` (the test's __FILE__); with
// `kind`, only the rows whose first word it is.
inline std::vector<Words> read(const char *source, const char *name, const char *kind = nullptr) {
    const std::string here = source;
    std::ifstream in(here.substr(0, here.rfind('/') + 1) + name);
    std::vector<Words> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        Words row;
        for (std::string w; words >> w;) row.push_back(w);
        if (!row.empty() && (!kind || row[0] == kind)) rows.push_back(row);
    }
    EXPECT_FALSE(rows.empty()) << name << " holds no " << (kind ? kind : "") << " cases";
    return rows;
}

// A whole number in decimal or, after 0x, in hexadecimal.
inline int number(const std::string &word) { return std::stoi(word, nullptr, 0); }

// One line of the text as it was written, to name a failing case.
inline std::string text(const Words &row) {
    std::string out;
    for (const std::string &w : row) out += (out.empty() ? "" : " ") + w;
    return out;
}

// The keys words stand for, from `first` on: a capital letter or a key's name (LEFT,
// RIGHT, UP, DOWN, ESC, ENTER, SPACE, LSHIFT, RSHIFT) is a tap; keys joined by '+'
// and followed by "*N" are held together for N frames; "-" is a frame without keys.
inline testing_support::Keys keys_of(const Words &words, std::size_t first) {
    const struct {
        const char *name;
        Key key;
    } names[] = {{"LEFT", Key::Left}, {"RIGHT", Key::Right}, {"UP", Key::Up},         {"DOWN", Key::Down},
                 {"ESC", Key::Esc},   {"ENTER", Key::Enter}, {"SPACE", Key::Space},   {"LSHIFT", Key::LeftShift},
                 {"RSHIFT", Key::RightShift}};
    testing_support::Keys out;
    for (std::size_t i = first; i < words.size(); ++i) {
        const std::string &w = words[i];
        const std::size_t star = w.find('*');
        KeyRecord frame = 0;
        std::istringstream parts(w.substr(0, star));
        for (std::string part; std::getline(parts, part, '+');) {
            KeyRecord bit = 0;
            if (part.size() == 1 && part[0] >= 'A' && part[0] <= 'Z')
                bit = key_bit(static_cast<Key>(static_cast<int>(Key::A) + (part[0] - 'A')));
            for (const auto &n : names)
                if (part == n.name) bit = key_bit(n.key);
            EXPECT_TRUE(bit != 0 || part == "-") << "no key '" << part << "'";
            frame |= bit;
        }
        if (star == std::string::npos) {
            out.insert(out.end(), {frame, 0, 0});
            if (frame == 0) out.resize(out.size() - 2);
        } else {
            out.insert(out.end(), static_cast<std::size_t>(number(w.substr(star + 1))), frame);
        }
    }
    return out;
}

} // namespace case_rows
