// The real and the headless sides of the machine seam.
#include "core/platform.h"

#include <allegro.h>
#include <semaphore.h>

#include <cstddef>
#include <cstring>

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

// What each button the game uses stands for.
struct PadButton {
    int button;
    Key key;
};
constexpr PadButton kPadButtons[] = {
    {kPadHighJumpButton, Key::RightShift},
    {kPadLongJumpButton, Key::LeftShift},
    {kPadBackButton, Key::Esc},
    {kPadStartButton, Key::Enter},
};

// The library's first joystick. Sticks of two axes are the stick and the pad alike
// (Linux gives a pad's cross as a stick of its own); a throttle is left out.
bool library_pad(void *, long, PadState *out) {
    if (num_joysticks < 1 || poll_joystick() != 0) return false;
    const JOYSTICK_INFO &j = joy[0];
    *out = PadState{};
    for (int s = 0; s < j.num_sticks; ++s) {
        const JOYSTICK_STICK_INFO &stick = j.stick[s];
        if (stick.num_axis != 2) continue;
        out->left |= stick.axis[0].d1 != 0;
        out->right |= stick.axis[0].d2 != 0;
        out->up |= stick.axis[1].d1 != 0;
        out->down |= stick.axis[1].d2 != 0;
    }
    for (int b = 0; b < j.num_buttons && b < 32; ++b)
        if (j.button[b].b) out->buttons |= uint32_t{1} << b;
    return true;
}

bool pad_installed = false;

// Takes the pad's state now, whenever the keys are asked for; a button or direction
// that goes down is also a key press, as the keyboard's buffer would hold it.
void read_pad() {
    PadState pad{};
    bool have = false;
    if (platform.read_pad)
        have = platform.read_pad(platform.pad_context, platform.pad_frame, &pad);
    else if (pad_installed)
        have = library_pad(nullptr, platform.pad_frame, &pad);
    const KeyRecord now = have ? pad_key_record(pad) : 0;
    platform.pad_forgotten &= now;
    const KeyRecord held = now & ~platform.pad_forgotten;
    platform.pad_pressed |= held & ~platform.pad_keys;
    platform.pad_keys = held;
}

KeyRecord replay_current() {
    if (!platform.replay_frames || platform.replay_pos >= platform.replay_count) return 0;
    return platform.replay_frames[platform.replay_pos];
}

bool replaying() { return platform.keys == KeySource::Replay; }

} // namespace

KeyRecord pad_key_record(const PadState &pad) {
    KeyRecord r = 0;
    if (pad.left) r |= key_bit(Key::Left);
    if (pad.right) r |= key_bit(Key::Right);
    if (pad.up) r |= key_bit(Key::Up);
    if (pad.down) r |= key_bit(Key::Down);
    for (const PadButton &b : kPadButtons)
        if (pad.buttons >> b.button & 1) r |= key_bit(b.key);
    return r;
}

BITMAP *video_screen() {
    if (platform.screen_override) return platform.screen_override;
    return platform.scaled_picture ? platform.scaled_picture : screen;
}

int video_w() {
    BITMAP *s = video_screen();
    return s ? s->w : 0;
}

int video_h() {
    BITMAP *s = video_screen();
    return s ? s->h : 0;
}

namespace {

// Each row of the picture written once, each pixel `scale` times, then copied to the
// rows below it: a fraction of the library's stretch_blit at twice the size. A row
// the same as the one `kept` holds is on the screen already and is left alone, so a
// still picture costs a comparison a frame and a moving one only its changed rows.
// kScale 0 takes the factor as it comes; the usual factors are known at compile time.
template <typename Pixel, int kScale>
void repeat_row(const Pixel *from, Pixel *to, int w, int scale) {
    const int n = kScale ? kScale : scale;
    for (int x = 0; x < w; ++x)
        for (int k = 0; k < n; ++k) *to++ = from[x];
}

template <typename Pixel>
void repeat_pixels(BITMAP *picture, BITMAP *dest, int scale, BITMAP *kept) {
    // The usual factors with the count known, so the compiler can unroll the row.
    void (*const row)(const Pixel *, Pixel *, int, int) =
        scale == 2 ? repeat_row<Pixel, 2> : scale == 3 ? repeat_row<Pixel, 3>
        : scale == 4 ? repeat_row<Pixel, 4> : repeat_row<Pixel, 0>;
    const int w = picture->w;
    const std::size_t picture_row = sizeof(Pixel) * static_cast<std::size_t>(w);
    const std::size_t row_bytes = picture_row * scale;
    bool acquired = false; // the screen is only locked when there is something to draw
    for (int y = 0; y < picture->h; ++y) {
        const Pixel *from = reinterpret_cast<const Pixel *>(picture->line[y]);
        if (kept) {
            if (std::memcmp(kept->line[y], from, picture_row) == 0) continue;
            std::memcpy(kept->line[y], from, picture_row);
        }
        if (!acquired) {
            acquire_bitmap(dest);
            bmp_select(dest);
            acquired = true;
        }
        Pixel *first = reinterpret_cast<Pixel *>(bmp_write_line(dest, y * scale));
        row(from, first, w, scale);
        for (int k = 1; k < scale; ++k)
            std::memcpy(reinterpret_cast<void *>(bmp_write_line(dest, y * scale + k)), first, row_bytes);
    }
    if (!acquired) return;
    bmp_unwrite_line(dest);
    release_bitmap(dest);
}

} // namespace

void present_scaled(BITMAP *picture, BITMAP *dest, int scale, BITMAP *kept) {
    if (!picture || !dest || scale < 1) return;
    const int depth = bitmap_color_depth(picture);
    const bool direct = is_linear_bitmap(dest) && is_memory_bitmap(picture) &&
                        bitmap_color_depth(dest) == depth && dest->w >= picture->w * scale &&
                        dest->h >= picture->h * scale;
    if (kept && (!is_memory_bitmap(kept) || bitmap_color_depth(kept) != depth ||
                 kept->w != picture->w || kept->h != picture->h))
        kept = nullptr;
    if (direct && (depth == 15 || depth == 16)) {
        repeat_pixels<uint16_t>(picture, dest, scale, kept);
    } else if (direct && depth == 32) {
        repeat_pixels<uint32_t>(picture, dest, scale, kept);
    } else {
        stretch_blit(picture, dest, 0, 0, picture->w, picture->h, 0, 0, picture->w * scale,
                     picture->h * scale);
    }
}

void present_screen() {
    if (platform.scaled_picture && !platform.screen_override && screen)
        present_scaled(platform.scaled_picture, screen, platform.scale, platform.presented);
}

void wait_ticks(int ticks) {
    present_screen();
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
    present_screen();
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
    read_pad();
    return key[kKeyCodes[static_cast<int>(k)].scancode] != 0 || (platform.pad_keys & key_bit(k)) != 0;
}

KeyRecord input_key_record() {
    if (replaying()) return replay_current();
    read_pad();
    KeyRecord r = platform.pad_keys;
    for (int k = 0; k < kKeyCount; ++k)
        if (key[kKeyCodes[k].scancode]) r |= KeyRecord{1} << k;
    return r;
}

bool input_keypressed() {
    if (replaying()) return (replay_current() & ~platform.replay_taken) != 0;
    read_pad();
    return platform.pad_pressed != 0 || keypressed() != 0;
}

namespace {

// The first key of `left` in readkey's form, marked as taken in `taken`.
int take_key(KeyRecord left, KeyRecord &taken) {
    for (int k = 0; k < kKeyCount; ++k) {
        if (left & (KeyRecord{1} << k)) {
            taken |= KeyRecord{1} << k;
            return kKeyCodes[k].scancode << 8 | kKeyCodes[k].ascii;
        }
    }
    return 0;
}

} // namespace

int input_readkey() {
    if (replaying()) return take_key(replay_current() & ~platform.replay_taken, platform.replay_taken);
    if (platform.pad_pressed) {
        KeyRecord taken = 0;
        const int c = take_key(platform.pad_pressed, taken);
        platform.pad_pressed &= ~taken;
        return c;
    }
    return readkey();
}

void input_clear_keybuf() {
    if (replaying()) {
        platform.replay_taken = replay_current();
        return;
    }
    platform.pad_pressed = 0;
    clear_keybuf();
}

void input_forget_held_keys() {
    if (replaying()) {
        platform.replay_taken = replay_current();
        return;
    }
    for (const KeyCode &k : kKeyCodes) key[k.scancode] = 0;
    platform.pad_forgotten |= platform.pad_keys;
    platform.pad_keys = 0;
    platform.pad_pressed = 0;
    clear_keybuf();
}

void install_pad() {
    pad_installed = install_joystick(JOY_TYPE_AUTODETECT) == 0 && num_joysticks > 0;
}

void input_next_frame() {
    if (!replaying()) {
        ++platform.pad_frame;
        return;
    }
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
