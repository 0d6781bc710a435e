// The content tools as programs (tool_runs.txt), and their common writers. A failed
// rename of an output file leaves what stood in its place as it was, and no part file;
// that whole files appear, and nothing where a write fails, is held by the generated
// files' hashes (which name any file too many) and the tools' tests. The PNG writer: a
// picture read back by ImageMagick, which inflates the deflate stream with zlib
// (checking its Adler-32) and refuses a chunk whose CRC is wrong; its bytes hold one
// long run, noise, and repeats far apart and near of every length up to past the
// longest match. ImageMagick is part of the build machine's packages; that test skips
// when it is missing.
#include "file_out.h"
#include "png_write.h"
#include "tool_run.h"

#include "support/case_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>

namespace {

class ToolRuns : public testing::TestWithParam<TextCase> {};

// A case's files are written, its command run; what it printed and left is checked,
// and each file it wrote still holds what it was given.
TEST_P(ToolRuns, ExitPrintAndLeaveWhatTheirCaseSays) {
    static const std::map<std::string, std::string> tools = {
        {"vespertil-xm", VESPERTIL_XM_TOOL},     {"vespertil-sfx", VESPERTIL_SFX_TOOL},
        {"vespertil-art", VESPERTIL_ART_TOOL},   {"vespertil-mapc", VESPERTIL_MAPC},
        {"vespertil-mapd", VESPERTIL_MAPD},      {"vespertil-mapview", VESPERTIL_MAPVIEW}};
    testing_support::TempDir dir;
    const std::pair<std::string, std::string> folders[] = {
        {"DIR/", dir.path() + "/"}, {"SOURCES/", VESPERTIL_ART_SOURCES "/"}};
    const auto placed = [&folders](std::string s) {
        for (const auto &[word, path] : folders)
            for (std::size_t at; (at = s.find(word)) != std::string::npos;)
                s.replace(at, word.size(), path);
        return s;
    };
    std::map<std::string, std::string> files;
    std::string command, left, *file = nullptr;
    std::istringstream lines(GetParam().text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("--- ", 0) == 0) {
            std::istringstream words(line.substr(4));
            std::string name;
            std::size_t zeros = 0;
            words >> name >> zeros;
            file = &(files[name] = std::string(zeros, '\0'));
        } else if (line.rfind("$ ", 0) == 0 || line.rfind("left ", 0) == 0) {
            (line[0] == '$' ? command : left) = line.substr(line.find(' ') + 1);
            file = nullptr;
        } else {
            ASSERT_TRUE(file) << "not a line of a run: " << line;
            *file += line + "\n";
        }
    }
    for (const auto &[name, text] : files) testing_support::write_file(dir.file(name), text);
    const std::string tool = command.substr(0, command.find(' '));
    ToolRun r = run_tool(tools.at(tool) + placed(command.substr(tool.size())), dir);
    EXPECT_EQ(r.status, GetParam().line) << r.output;
    EXPECT_NE(r.output.find(placed(GetParam().message)), std::string::npos) << r.output;
    std::string found;
    for (const std::string &name : testing_support::dir_entries(dir.path()))
        found += (found.empty() ? "" : " ") + name;
    EXPECT_EQ(found, left);
    for (const auto &[name, text] : files)
        EXPECT_TRUE(testing_support::read_file(dir.file(name)) ==
                    std::vector<unsigned char>(text.begin(), text.end()))
            << name;
}

INSTANTIATE_TEST_SUITE_P(Table, ToolRuns, testing::ValuesIn(read_cases(__FILE__, "tool_runs.txt")),
                         case_name);

TEST(PngWrite, PicturesReadBackPixelForPixel) {
    if (std::system("command -v convert > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
    std::mt19937 rng(7);
    std::vector<uint8_t> bytes(100000, 0xAB);
    for (int i = 0; i < 70000; ++i) bytes.push_back(static_cast<uint8_t>(rng()));
    for (int i = 0; i < 3000; ++i) {
        const int len = static_cast<int>(rng() % 300) + 1;
        const std::size_t back = rng() % 40000;
        for (int k = 0; k < len; ++k)
            bytes.push_back(back && rng() % 4 ? bytes[bytes.size() - back] : static_cast<uint8_t>(rng()));
    }
    maps::Raster img;
    img.w = 516; // the long run's rows end in a match of 257 bytes
    img.h = static_cast<int>(bytes.size() / (img.w * 3));
    bytes.resize(static_cast<std::size_t>(img.w) * img.h * 3);
    img.rgb = bytes;
    testing_support::TempDir dir;
    testing_support::write_file(dir.file("p.png"), maps::encode_png(img));
    const std::string cmd = "convert " + dir.file("p.png") + " -depth 8 rgb:" + dir.file("p.rgb") + " 2> /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(testing_support::read_file(dir.file("p.rgb")) == bytes);
    EXPECT_LT(maps::zlib_compress(std::vector<uint8_t>(100000, 0xAB)).size(), 1000u);
}

TEST(WholeFiles, AFailedRenameKeepsTheOldFileAndRemovesThePart) {
    testing_support::TempDir dir;
    std::string why;
    // A non-empty directory cannot be replaced by a file.
    testing_support::make_dirs(dir.file("out.bin/inside"));
    const unsigned char bytes[3] = {1, 2, 3};
    EXPECT_FALSE(tool_files::write_file_whole(dir.file("out.bin"), bytes, 3, why));
    EXPECT_NE(why.find("renamed"), std::string::npos) << why;
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("out.bin/inside")));
    EXPECT_EQ(testing_support::dir_entries(dir.path()), std::vector<std::string>{"out.bin"});
}

} // namespace
