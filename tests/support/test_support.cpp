#include "support/test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testing_support {

BitmapPtr make_bitmap(int depth, int w, int h) {
    return BitmapPtr(create_bitmap_ex(depth, w, h));
}

TempDir::TempDir(bool enter) {
    char tmpl[] = "/tmp/vespertil-test-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
    if (enter) {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) old_cwd_ = cwd;
        if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir failed");
    }
}

TempDir::~TempDir() {
    if (!old_cwd_.empty() && chdir(old_cwd_.c_str()) != 0) std::perror("chdir back");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void write_file(const std::string &path, const std::vector<unsigned char> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void write_file(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

void write_silent_wav(const std::string &path) {
    std::vector<unsigned char> b = {'R', 'I', 'F', 'F', 36 + 200, 0, 0, 0, 'W', 'A', 'V', 'E',
                                    'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
                                    0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0,
                                    'd', 'a', 't', 'a', 200, 0, 0, 0};
    b.resize(b.size() + 200, 0);
    write_file(path, b);
}

std::vector<unsigned char> read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void make_dirs(const std::string &path) { std::filesystem::create_directories(path); }

std::vector<std::string> dir_entries(const std::string &path) {
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(path))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testing_support
