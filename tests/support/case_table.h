// Tables of cases kept as text files beside a tool's tests, for sources a tool must
// refuse: each case is the text it reads and the message it must give; and the
// fixtures such texts build on, kept as files beside them too (text_beside).
//
//   == a name for the case
//   the text, as many lines as it takes, kept verbatim
//   => 57: what the message says       (57: the line it names; "-" for none;
//                                       "other.txt:3" for a line of another file)
//
// Lines between a case's "=>" and the next "==" are comments.
#pragma once

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

struct TextCase {
    std::string name;
    std::string text;
    std::string file; // "" for the file the case's text is read as
    int line = 0;     // 0: the message names no line
    std::string message;
};

inline void PrintTo(const TextCase &c, std::ostream *os) { *os << c.name; }

// The text of `name`, a file beside `here` (pass __FILE__): a fixture kept as data.
inline std::string text_beside(const char *here, const char *name) {
    const std::vector<unsigned char> bytes =
        testing_support::read_file((std::filesystem::path(here).parent_path() / name).string());
    return std::string(bytes.begin(), bytes.end());
}

// The cases of `table`, a file beside `here` (pass __FILE__).
inline std::vector<TextCase> read_cases(const char *here, const char *table) {
    const std::string all = text_beside(here, table);
    std::vector<TextCase> cases;
    bool open = false;
    for (std::size_t at = 0, end; at < all.size(); at = end + 1) {
        end = all.find('\n', at);
        if (end == std::string::npos) end = all.size();
        const std::string line = all.substr(at, end - at);
        if (line.rfind("== ", 0) == 0) {
            cases.push_back(TextCase{line.substr(3), "", "", 0, ""});
            open = true;
        } else if (open && line.rfind("=> ", 0) == 0) {
            const std::string where = line.substr(3, line.find(": ") - 3);
            const std::size_t colon = where.rfind(':');
            if (colon != std::string::npos) cases.back().file = where.substr(0, colon);
            cases.back().line = std::atoi(where.c_str() + (colon == std::string::npos ? 0 : colon + 1));
            cases.back().message = line.substr(line.find(": ") + 2);
            open = false;
        } else if (open) {
            cases.back().text += line + "\n";
        }
    }
    if (cases.empty() || open) ADD_FAILURE() << table << ": no cases, or one without its =>";
    return cases;
}

inline std::string case_name(const ::testing::TestParamInfo<TextCase> &info) {
    std::string name;
    for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// The message `error` begins with the file and the case's line, then says its words.
inline ::testing::AssertionResult says(const std::string &error, const std::string &file,
                                       const TextCase &c) {
    const std::string where = file + (c.line ? ":" + std::to_string(c.line) : "") + ": ";
    if (error.rfind(where, 0) == 0 && error.find(c.message, where.size()) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got \"" << error << "\"\n want \"" << where << "..."
                                         << c.message << "...\"";
}
