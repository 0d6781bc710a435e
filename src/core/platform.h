// The thin seam between the game and the machine. Three things are chosen here and
// nowhere else: what stands for the screen (Allegro's screen, or a memory bitmap in
// tests and headless replays), where the keys come from (the keyboard, or a recorded
// replay of one key record per frame), and whether waiting really waits (sleeping on
// the tick counter and the retrace, or returning at once).
//
// The game's code never touches `screen`, `key[]`, `keypressed`, `readkey`,
// `clear_keybuf` or `vsync` directly; it calls the functions below.
#pragma once

#include <cstdint>

struct BITMAP;
struct SAMPLE;

// One sample the game started: what it asked of the library's mixer.
struct SampleStart {
    const SAMPLE *sample;
    int volume; // 0..255
    int pan;    // 0 left .. 255 right
    int pitch;  // 1000 is the sample's own
    bool loop;
};

// The game's only clock: advanced every kTickMs by tick_callback from the timer,
// once install_tick_timer has started it (after the library's timer is installed).
// A frame of play lasts two ticks, a frame of a menu one.
constexpr int kTickMs = 17;
extern volatile int32_t tick_counter;
void tick_callback();
void install_tick_timer();

enum class Pacing {
    Real,      // sleep until the tick counter or the retrace comes round
    Immediate, // return at once: headless tests and replays
};

enum class KeySource {
    Keyboard, // Allegro's key[] and key buffer
    Replay,   // one recorded key record per frame
};

// The keys the game reads, independent of the library's scancodes, so that the
// pure rules can take a frame's keys as a plain record. A key record is a 64-bit
// set: bit k set means key k is down.
enum class Key : uint8_t {
    A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S, T, U, V, W, X, Y, Z,
    Left, Right, Up, Down, Esc, Enter, Space, Backspace,
    LeftControl, Alt, LeftShift, RightShift,
    Count
};
constexpr int kKeyCount = static_cast<int>(Key::Count);
static_assert(kKeyCount <= 64, "a key record is 64 bits");

typedef uint64_t KeyRecord;
constexpr KeyRecord key_bit(Key k) { return KeyRecord{1} << static_cast<int>(k); }

// A gamepad's state in one reading: the stick or the pad (any of the joystick's
// two-way sticks) and its buttons in the library's numbering, bit b for button b.
struct PadState {
    bool left, right, up, down;
    uint32_t buttons;
};
// Buttons of the usual layout (the one Linux gives most pads).
constexpr int kPadHighJumpButton = 0; // A, cross
constexpr int kPadLongJumpButton = 1; // B, circle
constexpr int kPadBackButton = 6;     // Back, Select
constexpr int kPadStartButton = 7;    // Start

// The keys a pad's state stands for: the directions are the arrows (walking and
// moving in menus), the jump buttons the right and left Shift, Start is ENTER and
// Back is ESC.
KeyRecord pad_key_record(const PadState &pad);

struct PlatformState {
    BITMAP *screen_override = nullptr; // when set, the screen is this bitmap
    Pacing pacing = Pacing::Real;
    KeySource keys = KeySource::Keyboard;

    // Replay: `replay_frames[i]` holds the keys down in frame i. Past the last frame
    // every key reads as up.
    const KeyRecord *replay_frames = nullptr;
    int replay_count = 0;
    int replay_pos = 0;
    KeyRecord replay_taken = 0; // keys of the current frame already taken by readkey

    // Counts every retrace wait, so tests can tell how a transition was paced; the
    // hook (when set) runs at each one, so tests can look at the screen between steps.
    long retraces = 0;
    // Counts the ticks every frame wait has asked for, so tests can tell a loop's pace.
    long ticks_waited = 0;
    void (*on_retrace)(void *context) = nullptr;
    void *retrace_context = nullptr;

    // Runs each time a menu has put a finished frame on the screen, so tests can look
    // at every frame of a screen that is gone by the time its function returns.
    void (*on_present)(void *context) = nullptr;
    void *present_context = nullptr;

    // Runs at each sample the game starts, so tests can hear what was asked for
    // without a sound card.
    void (*on_sample)(void *context, const SampleStart &start) = nullptr;
    void *sample_context = nullptr;

    // Opens a video mode in place of the library's set_gfx_mode (same arguments and
    // result); tests put one here to switch resolution without a display.
    int (*set_mode)(int card, int w, int h, int v_w, int v_h) = nullptr;

    // The gamepad, read whenever the keys are asked for: false when there is none.
    // The first joystick the library finds unless a test puts its own here, which is
    // told how many frames have gone (input_next_frame) and so can script a state per
    // frame as a replay does keys.
    bool (*read_pad)(void *context, long frame, PadState *out) = nullptr;
    void *pad_context = nullptr;
    long pad_frame = 0;
    KeyRecord pad_keys = 0;      // held on the pad now, as keys
    KeyRecord pad_pressed = 0;   // gone down since last read as key presses
    KeyRecord pad_forgotten = 0; // held across input_forget_held_keys: up until let go

    // A window `scale` times the game's size: the game draws on `scaled_picture`, a
    // memory bitmap of its own size, and the present step puts it on the screen.
    BITMAP *scaled_picture = nullptr;
    BITMAP *presented = nullptr; // what the window shows now, at the picture's size
    int scale = 1;
};

extern PlatformState platform;

// The screen, its width and height: Allegro's screen and SCREEN_W/SCREEN_H, the
// override bitmap, or the picture of a scaled window (the game's own size).
BITMAP *video_screen();
int video_w();
int video_h();

// The one present step. In a scaled window the game's picture goes onto the screen
// with each pixel repeated scale x scale (square, unblurred); otherwise the game has
// drawn on the screen itself and there is nothing to do. Every wait below starts with
// it, so whatever screen is showing (menu, level, transition, fade, end picture) is
// shown at the window's size once its frame is drawn.
void present_screen();
// `picture` onto `dest` with each pixel repeated `scale` times each way, from the
// corner (the window's present; also measured on its own). With `kept`, a picture of
// the same size and depth holding what was last presented, only the rows that differ
// from it are drawn, and it is brought up to date.
void present_scaled(BITMAP *picture, BITMAP *dest, int scale, BITMAP *kept = nullptr);

// Frame pacing: wait until the tick counter has reached `ticks`, sleeping, then set
// it back to 0. Immediate pacing only resets the counter.
void wait_ticks(int ticks);
// One display retrace (Allegro's vsync), or nothing with immediate pacing.
void wait_retrace();

// Starts `sample` on the library's mixer (play_sample), telling the test hook first.
void start_sample(SAMPLE *sample, int volume, int pan, int pitch, bool loop);

// Starts the first joystick the library finds, if any (after the keyboard).
void install_pad();

// Keyboard, through the key source; with the keyboard, the pad's keys join it.
bool input_key_down(Key k);
// Every key of the game that is down now, as one record.
KeyRecord input_key_record();
bool input_keypressed();
// The next key press in Allegro's readkey form (scancode << 8 | ASCII); a replay
// gives the keys of its current frame, each once.
int input_readkey();
void input_clear_keybuf();
// Takes every key of the game as up until it is pressed again. After the video mode
// has changed the window may no longer be under the pointer, and the release of a
// key held across the change may never be reported.
void input_forget_held_keys();
// Advances a replay to its next frame; nothing for the keyboard.
void input_next_frame();
// True once a replay has used all its frames.
bool input_replay_finished();

// Without a display the library keeps built-in pixel layouts that put blue in the
// high bits; an X11 screen puts red there. Headless runs (replays, tests,
// benchmarks) take the screen's layouts so their pictures have the game's colours.
void use_screen_pixel_layouts();

// Starts a replay of `count` key records (owned by the caller) / returns to the keyboard.
void input_begin_replay(const KeyRecord *frames, int count);
void input_use_keyboard();
