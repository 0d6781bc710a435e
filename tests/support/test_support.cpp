#include "support/test_support.h"

#include "wav_file.h"
#include "world/tests/map_bytes.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace testing_support {

OwnedBitmap make_bitmap(int depth, int w, int h) {
    return OwnedBitmap(create_bitmap_ex(depth, w, h));
}

OwnedBitmap copy_bitmap(BITMAP *b) {
    OwnedBitmap copy = make_bitmap(bitmap_color_depth(b), b->w, b->h);
    blit(b, copy.get(), 0, 0, 0, 0, b->w, b->h);
    return copy;
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

void TempDir::link_game_folder(const std::string &sub) const {
    std::filesystem::create_directory_symlink(std::string(VESPERTIL_GAME_DIR) + "/" + sub, file(sub));
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
    const std::vector<uint8_t> b = wav_bytes(std::vector<float>(100, 0.0f), 22050, 16); // the sound tool's writer
    write_file(path, std::vector<unsigned char>(b.begin(), b.end()));
}

std::vector<unsigned char> read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::string corpus_dir() {
    const std::string here = __FILE__; // tests/support/
    return here.substr(0, here.rfind('/')) + "/../../fuzz/corpus";
}

void make_dirs(const std::string &path) { std::filesystem::create_directories(path); }

std::vector<std::string> dir_entries(const std::string &path) {
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(path))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<unsigned char> playable_map() {
    map_bytes::MapBytes m;
    m.put_text(0, "TEST");
    m.put8(104, 3); // the start cell, column and row
    m.put8(105, 7);
    m.put8(106, 4); // the exit lies far away
    m.put8(107, 4);
    m.empty_all_spawns();
    for (int r = 0; r < 25; ++r) m.put8(map_bytes::room_at(r), 255);
    for (int col = 0; col < 15; ++col) m.put_cell(0, col, 8, 1, -1, 0x01);
    return m.bytes;
}

Keys operator+(Keys a, const Keys &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

namespace {
HeadlessGame *running_game = nullptr;
} // namespace

HeadlessGame::HeadlessGame(int depth) : old_depth_(get_color_depth()), saved_(game_config) {
    game_config = GameConfig{};
    game_config.render_mode = kRenderScanLines;
    game_config.music_volume = game_config.effects_volume = 128;
    set_color_depth(depth);
    set_trans_blender(0, 0, 0, 64);
    high_ = make_bitmap(depth, 640, 480);
    low_ = make_bitmap(depth, 320, 200);
    running_game = this;
    platform.pacing = Pacing::Immediate;
    platform.set_mode = set_mode;
    platform.on_present = keep_frame;
    platform.present_context = this;
    platform.on_sample = keep_sample;
    platform.sample_context = this;
}

HeadlessGame::~HeadlessGame() {
    input_use_keyboard();
    platform = PlatformState{};
    running_game = nullptr;
    game_config = saved_;
    set_color_depth(old_depth_);
}

void HeadlessGame::replay(const Keys &keys, bool low) {
    game_config.low_resolution = low ? 1 : 0;
    platform.screen_override = screen(low);
    keys_ = keys;
    input_begin_replay(keys_.data(), static_cast<int>(keys_.size()));
}

void HeadlessGame::pad(const Keys &keys, bool low) {
    replay({}, low);
    input_use_keyboard();
    keys_ = keys;
    platform.read_pad = read_pad;
    platform.pad_context = this;
    platform.pad_frame = 0;
    platform.pad_keys = platform.pad_pressed = platform.pad_forgotten = 0;
}

bool HeadlessGame::read_pad(void *self, long frame, PadState *out) {
    const Keys &keys = static_cast<HeadlessGame *>(self)->keys_;
    const auto at = static_cast<std::size_t>(frame);
    const KeyRecord k = at < keys.size() ? keys[at] : (at - keys.size()) % 3 == 0 ? key_bit(Key::Esc) : 0;
    const auto down = [k](Key key) { return (k & key_bit(key)) != 0; };
    *out = PadState{down(Key::Left), down(Key::Right), down(Key::Up), down(Key::Down), 0};
    const std::pair<Key, int> buttons[] = {{Key::RightShift, kPadHighJumpButton},
                                           {Key::LeftShift, kPadLongJumpButton},
                                           {Key::Esc, kPadBackButton},
                                           {Key::Enter, kPadStartButton}};
    for (const auto &[key, button] : buttons)
        if (down(key)) out->buttons |= uint32_t{1} << button;
    return true;
}

BITMAP *HeadlessGame::shown(int from_end) const { return last_[from_end].get(); }

void HeadlessGame::keep_frame(void *self) {
    auto *g = static_cast<HeadlessGame *>(self);
    ++g->presents;
    g->last_[1] = std::move(g->last_[0]);
    g->last_[0] = copy_bitmap(video_screen());
}

void HeadlessGame::keep_sample(void *self, const SampleStart &s) {
    static_cast<HeadlessGame *>(self)->samples.push_back(s);
}

int HeadlessGame::set_mode(int, int w, int, int, int) {
    ++running_game->mode_calls;
    if (w == running_game->refused_width) return -1;
    platform.screen_override = running_game->screen(w == 320);
    return 0;
}

} // namespace testing_support
