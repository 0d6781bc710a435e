// The real and the headless sides of the machine seam.
#include "core/platform.h"

#include <allegro.h>
#include <semaphore.h>

volatile int32_t tick_counter = 0;
PlatformState platform;

namespace {

// Posted by the timer at every tick, so that a frame loop waiting for the counter
// sleeps until the tick instead of polling for it.
struct TickWake {
    sem_t sem;
    bool ready = sem_init(&sem, 0, 0) == 0;
};
TickWake tick_wake;

} // namespace

void tick_callback() {
    tick_counter = tick_counter + 1;
    if (tick_wake.ready) sem_post(&tick_wake.sem); // safe from the timer's context
}
END_OF_FUNCTION(tick_callback)

void install_tick_timer() {
    LOCK_VARIABLE(tick_counter);
    LOCK_FUNCTION(tick_callback);
    install_int(tick_callback, kTickMs);
}

namespace {

// Library scancode and ASCII code of each of the game's keys, in Key order.
struct KeyCode {
    int scancode;
    int ascii;
};
constexpr KeyCode kKeyCodes[kKeyCount] = {
    {KEY_A, 'a'}, {KEY_B, 'b'}, {KEY_C, 'c'}, {KEY_D, 'd'}, {KEY_E, 'e'},
    {KEY_F, 'f'}, {KEY_G, 'g'}, {KEY_H, 'h'}, {KEY_I, 'i'}, {KEY_J, 'j'},
    {KEY_K, 'k'}, {KEY_L, 'l'}, {KEY_M, 'm'}, {KEY_N, 'n'}, {KEY_O, 'o'},
    {KEY_P, 'p'}, {KEY_Q, 'q'}, {KEY_R, 'r'}, {KEY_S, 's'}, {KEY_T, 't'},
    {KEY_U, 'u'}, {KEY_V, 'v'}, {KEY_W, 'w'}, {KEY_X, 'x'}, {KEY_Y, 'y'},
    {KEY_Z, 'z'},
    {KEY_LEFT, 0}, {KEY_RIGHT, 0}, {KEY_UP, 0}, {KEY_DOWN, 0},
    {KEY_ESC, 27}, {KEY_ENTER, 13}, {KEY_SPACE, ' '}, {KEY_BACKSPACE, 8},
    {KEY_LCONTROL, 0}, {KEY_ALT, 0}, {KEY_LSHIFT, 0}, {KEY_RSHIFT, 0},
};

KeyRecord replay_current() {
    if (!platform.replay_frames || platform.replay_pos >= platform.replay_count) return 0;
    return platform.replay_frames[platform.replay_pos];
}

bool replaying() { return platform.keys == KeySource::Replay; }

} // namespace

BITMAP *video_screen() { return platform.screen_override ? platform.screen_override : screen; }

int video_w() {
    BITMAP *s = video_screen();
    return s ? s->w : 0;
}

int video_h() {
    BITMAP *s = video_screen();
    return s ? s->h : 0;
}

void wait_ticks(int ticks) {
    platform.ticks_waited += ticks;
    if (platform.pacing == Pacing::Real) {
        // Sleep until the timer posts a tick: a busy wait would cost a whole core.
        // Posts left over from ticks nobody waited for are dropped first; a tick that
        // lands between that and the test below is seen by the test.
        if (tick_wake.ready) {
            while (sem_trywait(&tick_wake.sem) == 0) {
            }
        }
        while (tick_counter < ticks) {
            if (tick_wake.ready)
                sem_wait(&tick_wake.sem);
            else
                rest(1);
        }
    }
    tick_counter = 0;
}

void wait_retrace() {
    ++platform.retraces;
    if (platform.on_retrace) platform.on_retrace(platform.retrace_context);
    if (platform.pacing == Pacing::Real) vsync();
}

void start_sample(SAMPLE *sample, int volume, int pan, int pitch, bool loop) {
    if (platform.on_sample)
        platform.on_sample(platform.sample_context, SampleStart{sample, volume, pan, pitch, loop});
    play_sample(sample, volume, pan, pitch, loop ? 1 : 0);
}

bool input_key_down(Key k) {
    if (replaying()) return (replay_current() & key_bit(k)) != 0;
    return key[kKeyCodes[static_cast<int>(k)].scancode] != 0;
}

KeyRecord input_key_record() {
    if (replaying()) return replay_current();
    KeyRecord r = 0;
    for (int k = 0; k < kKeyCount; ++k)
        if (key[kKeyCodes[k].scancode]) r |= KeyRecord{1} << k;
    return r;
}

bool input_keypressed() {
    if (replaying()) return (replay_current() & ~platform.replay_taken) != 0;
    return keypressed() != 0;
}

int input_readkey() {
    if (!replaying()) return readkey();
    KeyRecord left = replay_current() & ~platform.replay_taken;
    for (int k = 0; k < kKeyCount; ++k) {
        if (left & (KeyRecord{1} << k)) {
            platform.replay_taken |= KeyRecord{1} << k;
            return kKeyCodes[k].scancode << 8 | kKeyCodes[k].ascii;
        }
    }
    return 0;
}

void input_clear_keybuf() {
    if (replaying()) {
        platform.replay_taken = replay_current();
        return;
    }
    clear_keybuf();
}

void input_forget_held_keys() {
    if (replaying()) {
        platform.replay_taken = replay_current();
        return;
    }
    for (const KeyCode &k : kKeyCodes) key[k.scancode] = 0;
    clear_keybuf();
}

void input_next_frame() {
    if (!replaying()) return;
    if (platform.replay_pos < platform.replay_count) ++platform.replay_pos;
    platform.replay_taken = 0;
}

bool input_replay_finished() {
    return replaying() && platform.replay_pos >= platform.replay_count;
}

void input_begin_replay(const KeyRecord *frames, int count) {
    platform.keys = KeySource::Replay;
    platform.replay_frames = frames;
    platform.replay_count = frames ? count : 0;
    platform.replay_pos = 0;
    platform.replay_taken = 0;
}

void input_use_keyboard() {
    platform.keys = KeySource::Keyboard;
    platform.replay_frames = nullptr;
    platform.replay_count = 0;
    platform.replay_pos = 0;
    platform.replay_taken = 0;
}

void use_screen_pixel_layouts() {
    _rgb_r_shift_15 = 10;
    _rgb_g_shift_15 = 5;
    _rgb_b_shift_15 = 0;
    _rgb_r_shift_16 = 11;
    _rgb_g_shift_16 = 5;
    _rgb_b_shift_16 = 0;
    _rgb_r_shift_24 = 16;
    _rgb_g_shift_24 = 8;
    _rgb_b_shift_24 = 0;
    _rgb_r_shift_32 = 16;
    _rgb_g_shift_32 = 8;
    _rgb_b_shift_32 = 0;
}
