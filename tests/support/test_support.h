// Helpers shared by the unit and pixel tests.
#pragma once

#include <allegro.h>

#include <memory>
#include <string>
#include <vector>

namespace testing_support {

struct BitmapDeleter {
    void operator()(BITMAP *b) const {
        if (b) destroy_bitmap(b);
    }
};
using BitmapPtr = std::unique_ptr<BITMAP, BitmapDeleter>;

// A memory bitmap of the given colour depth and size.
BitmapPtr make_bitmap(int depth, int w, int h);

// A fresh directory under /tmp, removed with everything in it on destruction.
// While `enter` is true it is also the working directory.
class TempDir {
public:
    explicit TempDir(bool enter = false);
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string old_cwd_;
};

void write_file(const std::string &path, const std::vector<unsigned char> &bytes);
void write_file(const std::string &path, const std::string &text);
std::vector<unsigned char> read_file(const std::string &path);
// A short silent sample (100 frames of 16-bit mono) in the WAV form the loader reads.
void write_silent_wav(const std::string &path);
void make_dirs(const std::string &path);
// The names in a directory, sorted (what a tool left behind).
std::vector<std::string> dir_entries(const std::string &path);

} // namespace testing_support
