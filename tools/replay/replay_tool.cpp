// Headless replay, tracing, screen shots and recording.
#include "replay_tool.h"

#include "core/game_config.h"
#include "core/owners.h"
#include "core/paths.h"
#include "core/sha256.h"
#include "level/level_replays.h"
#include "level/play.h"
#include "level/replay_file.h"
#include "music/music.h"
#include "file_out.h"
#include "png_write.h"
#include "world/map_format.h"

#include <allegro.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace replay_tool {

namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kColourDepth = 16; // the depth the game asks for first

// The settings of a first start, with sound off: a replay is played as a new player
// would see it.
void use_default_settings(bool sound) {
    game_config = GameConfig{};
    game_config.low_resolution = 0;
    game_config.render_mode = kRenderScanLines;
    game_config.sound_available = sound ? 1 : 0;
    game_config.music_volume = 128;
    game_config.effects_volume = 128;
    game_config.language = kSpanish;
}

void start_drawing_state() {
    set_color_depth(kColourDepth);
    use_screen_pixel_layouts();
    set_color_conversion(COLORCONV_TOTAL);
    set_trans_blender(0, 0, 0, 64);
}

std::string absolute_path(const std::string &path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

struct RunContext {
    FILE *trace = nullptr;
    FILE *golden = nullptr;
    int shot_at = 0;
    std::string shots_dir;
    int every = 1;
    bool shot_failed = false;
    std::vector<KeyRecord> *recorded = nullptr;
};

bool write_shot(const std::string &path, BITMAP *bmp) {
    maps::Raster img;
    img.w = bmp->w;
    img.h = bmp->h;
    img.rgb.resize(static_cast<std::size_t>(img.w) * img.h * 3);
    const int depth = bitmap_color_depth(bmp);
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
            int c = getpixel(bmp, x, y);
            uint8_t *p = img.at(x, y);
            p[0] = static_cast<uint8_t>(getr_depth(depth, c));
            p[1] = static_cast<uint8_t>(getg_depth(depth, c));
            p[2] = static_cast<uint8_t>(getb_depth(depth, c));
        }
    }
    std::vector<uint8_t> bytes = maps::encode_png(img);
    std::string why;
    return tool_files::write_file_whole(path, bytes.data(), bytes.size(), why);
}

void on_frame(void *context, int frame, const PlayState &state, const FrameEvents &events) {
    RunContext &run = *static_cast<RunContext *>(context);
    if (run.trace) fprintf(run.trace, "%s\n", trace_line(frame, state).c_str());
    if (run.golden)
        fprintf(run.golden, "%s\n", golden_line(frame, state, events, video_screen()).c_str());
    if (!run.shots_dir.empty() && (run.shot_at ? frame == run.shot_at : frame % run.every == 0)) {
        char name[32];
        snprintf(name, sizeof name, "/frame%06d.png", frame);
        if (!write_shot(run.shots_dir + name, video_screen())) run.shot_failed = true;
    }
}

void on_keys(void *context, KeyRecord keys) {
    RunContext &run = *static_cast<RunContext *>(context);
    if (run.recorded) run.recorded->push_back(keys);
}

// Into the game directory, and the map's path and digest there; false, with a
// message (after `label`, where the map's name came from), when either is missing.
bool enter_game_dir(const std::string &game_dir, const std::string &map_name, const char *label,
                    char (&path)[kMaxDataPath], uint8_t (&digest)[kSha256Bytes], FILE *err) {
    if (chdir(game_dir.c_str()) != 0) {
        fprintf(err, "vespertil-replay: %s: no such game directory\n", game_dir.c_str());
        return false;
    }
    if (replay_map_digest(map_name, path, digest)) return true;
    fprintf(err, "vespertil-replay: %sthe map MAP/%s is missing\n", label, map_name.c_str());
    return false;
}

struct FileCloser {
    void operator()(FILE *f) const { fclose(f); }
};

} // namespace

std::string trace_line(int frame, const PlayState &s) {
    const HeroState &h = s.hero;
    char line[160];
    snprintf(line, sizeof line, "%d %d %d %d %d %d %d %d %d %d %d %d %d", frame, s.room_column,
             s.room_row, h.x, h.y, h.walk_phase, h.falling, h.jumping, h.jump_step, h.jump_kind,
             h.facing, h.energy, h.switches_thrown);
    return line;
}

uint32_t objects_hash(const PlayState &s) {
    Fnv f;
    for (const ObjectGroup *g : {&s.enemies, &s.platforms})
        for (const MovingObject &o : *g)
            for (int v : {o.x, o.y, o.vx, o.vy, o.sprite, o.frame, o.ax, o.ay, o.bx, o.by})
                f.word(v);
    return f.h;
}

uint32_t screen_hash(BITMAP *bmp) {
    Fnv f;
    const int depth = bitmap_color_depth(bmp);
    for (int y = 0; y < bmp->h; ++y)
        for (int x = 0; x < bmp->w; ++x) {
            const int c = getpixel(bmp, x, y);
            f.byte(static_cast<uint32_t>(getr_depth(depth, c)));
            f.byte(static_cast<uint32_t>(getg_depth(depth, c)));
            f.byte(static_cast<uint32_t>(getb_depth(depth, c)));
        }
    return f.h;
}

namespace {

// --pad: the recorded keys as a gamepad gives them, read through the keyboard's path:
// the walking keys on the stick, the jump keys on their buttons, ENTER on Start and
// ESC on Back. Once the records run out Back is held, so the level ends.
bool scripted_pad(void *context, long frame, PadState *out) {
    const auto &frames = static_cast<const ReplayScript *>(context)->frames;
    const auto at = static_cast<std::size_t>(frame);
    const KeyRecord k = at < frames.size() ? frames[at] : key_bit(Key::Esc);
    const auto any = [k](KeyRecord keys) { return (k & keys) != 0; };
    *out = PadState{any(key_bit(Key::Left) | key_bit(Key::O)), any(key_bit(Key::Right) | key_bit(Key::P)),
                    false, false, 0};
    const struct {
        KeyRecord keys;
        int button;
    } buttons[] = {{key_bit(Key::Up) | key_bit(Key::Q) | key_bit(Key::RightShift), kPadHighJumpButton},
                   {key_bit(Key::Down) | key_bit(Key::A) | key_bit(Key::LeftShift), kPadLongJumpButton},
                   {key_bit(Key::Esc), kPadBackButton},
                   {key_bit(Key::Enter), kPadStartButton}};
    for (const auto &b : buttons)
        if (any(b.keys)) out->buttons |= uint32_t{1} << b.button;
    return true;
}

void play_with_pad(const ReplayScript &script, const LevelObserver *observer, LevelOutcome *outcome) {
    platform.pacing = Pacing::Immediate;
    input_use_keyboard();
    platform.read_pad = scripted_pad;
    platform.pad_context = const_cast<ReplayScript *>(&script);
    play_level_observed(script.map_name.c_str(), observer, outcome);
}

} // namespace

std::string golden_line(int frame, const PlayState &s, const FrameEvents &ev, BITMAP *screen) {
    static const char kLetters[] = "JFHLEXSR"; // in LevelEvent order
    std::string events;
    for (int i = 0; i < ev.count; ++i) events += kLetters[static_cast<int>(ev.list[i].kind)];
    char screen_text[12] = "-";
    if (frame % kGoldenScreenEvery == 0)
        snprintf(screen_text, sizeof screen_text, "%08x", screen_hash(screen));
    char tail[48];
    snprintf(tail, sizeof tail, " %08x %s %s", objects_hash(s), events.empty() ? "-" : events.c_str(),
             screen_text);
    return trace_line(frame, s) + tail;
}

int play_replay(const PlayOptions &o, FILE *out, FILE *err) {
    ReplayScript script;
    std::string error;
    if (!read_replay_file(o.replay_path.c_str(), script, error)) {
        fprintf(err, "vespertil-replay: %s\n", error.c_str());
        return kExitRefused;
    }
    std::unique_ptr<FILE, FileCloser> trace, golden;
    for (const auto &f : {std::make_pair(&trace, &o.trace_path), std::make_pair(&golden, &o.golden_path)}) {
        if (f.second->empty()) continue;
        f.first->reset(fopen(f.second->c_str(), "w"));
        if (!*f.first) {
            fprintf(err, "vespertil-replay: %s: cannot be written\n", f.second->c_str());
            return kExitRefused;
        }
    }
    const std::string shots = absolute_path(o.shots_dir);
    char path[kMaxDataPath];
    uint8_t digest[kSha256Bytes];
    if (!enter_game_dir(o.game_dir, script.map_name, (o.replay_path + ": ").c_str(), path, digest,
                        err))
        return kExitRefused;
    if (memcmp(digest, script.map_sha256, sizeof digest) != 0) {
        fprintf(err, "vespertil-replay: %s: recorded on a different map than %s\n",
                o.replay_path.c_str(), path);
        return kExitRefused;
    }

    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        fprintf(err, "vespertil-replay: the Allegro library cannot start\n");
        return kExitFailed;
    }
    start_drawing_state();
    use_default_settings(false);
    OwnedBitmap screen_bitmap(create_bitmap(kScreenW, kScreenH));
    if (!screen_bitmap) return kExitFailed;
    clear_bitmap(screen_bitmap.get());
    platform.screen_override = screen_bitmap.get();

    RunContext run;
    run.trace = trace.get();
    run.golden = golden.get();
    run.shots_dir = shots;
    run.every = o.shots_every > 0 ? o.shots_every : 1;
    run.shot_at = o.shot_at;
    LevelObserver observer;
    observer.context = &run;
    observer.frame_done = on_frame;
    LevelOutcome outcome;
    srand(1); // the effects' draws, the same every run
    if (o.pad)
        play_with_pad(script, &observer, &outcome);
    else
        play_level_replayed(script, &observer, &outcome);
    if (golden)
        fprintf(golden.get(), "%s screen %08x\n", outcome_line(outcome).c_str(),
                screen_hash(screen_bitmap.get()));

    platform.screen_override = nullptr;
    screen_bitmap.reset();
    if (run.shot_failed)
        fprintf(err, "vespertil-replay: %s: some screen shots could not be written\n",
                shots.c_str());
    fprintf(out, "%s\n", outcome_line(outcome).c_str());
    return kExitRan;
}

namespace {

bool open_window() {
    if (allegro_init() != 0) return false;
    install_keyboard();
    install_pad();
    install_timer();
    install_tick_timer();
    static const int depths[] = {16, 32, 24};
    for (int depth : depths) {
        set_color_depth(depth);
        if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, kScreenW, kScreenH, 0, 0) == 0) {
            set_color_conversion(COLORCONV_TOTAL);
            set_trans_blender(0, 0, 0, 64);
            return true;
        }
    }
    return false;
}

} // namespace

int record_replay(const RecordOptions &o, FILE *out, FILE *err) {
    const std::string out_path = absolute_path(o.out_path);
    char path[kMaxDataPath];
    uint8_t digest[kSha256Bytes];
    if (!enter_game_dir(o.game_dir, o.map_name, "", path, digest, err)) return kExitRefused;
    if (!open_window()) {
        fprintf(err, "vespertil-replay: no window could be opened\n");
        return kExitFailed;
    }
    bool sound = install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr) == 0 && music_install(32) > 0;
    use_default_settings(sound);
    std::vector<KeyRecord> keys;
    RunContext run;
    run.recorded = &keys;
    LevelObserver observer;
    observer.context = &run;
    observer.keys_used = on_keys;
    LevelOutcome outcome;
    play_level_observed(o.map_name.c_str(), &observer, &outcome);
    allegro_exit();
    const std::string text = format_replay(o.map_name, digest, keys);
    std::string why;
    if (!tool_files::write_file_whole(out_path, text.data(), text.size(), why)) {
        fprintf(err, "vespertil-replay: %s: %s\n", out_path.c_str(), why.c_str());
        return kExitFailed;
    }
    fprintf(out, "%s\n", outcome_line(outcome).c_str());
    return kExitRan;
}

} // namespace replay_tool
