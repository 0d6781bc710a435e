// What the player's tests share: a fixture that installs the player without sound
// output in a fresh working directory, module files written there, and measures of
// rendered sound over stretches of time.
#pragma once

#include "music/music.h"
#include "music/music_render.h"
#include "music/tests/module_builder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace music_test {

struct ModuleDeleter {
    void operator()(MusicModuleData *m) const { music_destroy(m); }
};
typedef std::unique_ptr<MusicModuleData, ModuleDeleter> ModulePtr;

// Rendered stereo sound and where in it a stretch of time lies.
struct Sound {
    std::vector<int16_t> samples; // interleaved left, right

    static std::size_t index(double seconds) {
        return static_cast<std::size_t>(seconds * kMusicRate) * kMusicChannels;
    }
    // Largest absolute sample between the two times.
    int peak(double from, double to) const {
        int best = 0;
        for (std::size_t i = index(from); i < index(to) && i < samples.size(); ++i)
            best = std::max(best, std::abs(static_cast<int>(samples[i])));
        return best;
    }
    int peak() const { return peak(0, 1e9); }
};

// Renders `seconds` of the playing module in the stream's 1024-frame pieces, as the
// sound feeder does.
inline Sound render(double seconds) {
    constexpr int kPiece = 1024;
    Sound sound;
    const int frames = static_cast<int>(seconds * kMusicRate);
    sound.samples.resize(static_cast<std::size_t>(frames) * kMusicChannels);
    for (int done = 0; done < frames; done += kPiece)
        music_render(sound.samples.data() + static_cast<std::size_t>(done) * kMusicChannels,
                     std::min(kPiece, frames - done));
    return sound;
}

// A sample value above this is sound; the test instruments peak in the thousands.
constexpr int kAudible = 500;

class MusicTest : public ::testing::Test {
protected:
    testing_support::TempDir dir{true};

    void SetUp() override {
        music_install_without_output();
        music_set_volume(128);
        testing_support::make_dirs("sfx");
    }
    void TearDown() override {
        music_stop();
        music_remove();
        music_set_volume(128);
    }

    // Writes `bytes` as `path` (relative to the working directory) and loads it
    // under `name`, which defaults to the same path.
    static ModulePtr load(const module_builder::Bytes &bytes, const std::string &path = "sfx/test.xm",
                          const char *name = nullptr) {
        testing_support::write_file(path, bytes);
        return ModulePtr(music_load(name ? name : path.c_str()));
    }
};

} // namespace music_test
