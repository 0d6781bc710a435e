// Start-up in its fixed order: the log, the library, voices, sound, music, the tick
// timer, the settings, the video mode and the colour set-up.
#include "shell/startup.h"

#include "core/game_config.h"
#include "core/paths.h"
#include "core/platform.h"
#include "core/settings.h"
#include "core/video_mode.h"
#include "music/music.h"

#include <allegro.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

char error_text[kErrorTextSize] = "";

namespace {

constexpr const char *kLogFileName = "init.log";
constexpr int kReservedVoices = 64;
constexpr int kMusicVoices = 32;

// The accented letters are single bytes of code page 850: ó 0xA2, ú 0xA3.
constexpr const char *kErrorTexts[] = {
    "Imposible inicializar sonido",
    "Imposible cargar archivo de m\xA3sica",
    "Imposible reservar voces para la m\xA3sica",
    "Imposible abrir archivo \"Vespertil.cfg\"",
    "Se pas\xA2 un argumento no v\xA0lido",
};
constexpr int kErrorTextCount = sizeof kErrorTexts / sizeof kErrorTexts[0];

struct StartupLog {
    FILE *file = nullptr;
};
StartupLog startup_log;

void log_line(const char *format, const char *arg) {
    if (!startup_log.file) return;
    std::fprintf(startup_log.file, format, arg);
    std::fflush(startup_log.file);
}

void open_log() {
    startup_log.file = data_fopen(kLogFileName, "w");
    if (!startup_log.file) allegro_message("\nImposible crear archivo de log");
}

void close_log() {
    if (startup_log.file) std::fclose(startup_log.file);
    startup_log.file = nullptr;
}

void audio_off() {
    set_error_text(1);
    game_config.sound_available = 0;
    log_line("\nError: %s => Audio Desactivado.", error_text);
}

void install_audio() {
    reserve_voices(kReservedVoices, -1);
    log_line("%s", "\nReservando voces.");
    game_config.sound_available = 1;
    if (install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr) < 0) audio_off();
    if (music_install(kMusicVoices) < 0) {
        audio_off();
        remove_sound();
    }
}

void read_or_create_settings() {
    if (read_settings_file(kSettingsFileName, &game_config)) return;
    allegro_message("\nCreating default config file!");
    set_error_text(4);
    log_line("\nError: %s => Configuraci\xA2n por defecto.", error_text);
    config_set_defaults(&game_config);
    // A settings file that cannot be written is no reason not to play: the defaults
    // stay in effect for this run.
    if (!save_settings_file(kSettingsFileName, game_config))
        std::fprintf(stderr, "vespertil: cannot write %s\n", kSettingsFileName);
}

// The window's close button does nothing: the game is left through its menus. The
// call is marked deprecated in favour of a close callback, which cannot disable it.
void disable_close_button() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    set_window_close_button(0);
#pragma GCC diagnostic pop
}

} // namespace

void set_error_text(int code) {
    if (code < 1 || code > kErrorTextCount) return;
    std::snprintf(error_text, sizeof error_text, "%s", kErrorTexts[code - 1]);
}

CommandLine read_command_line(int argc, char **argv) {
    CommandLine line{false, 0};
    int at = 1;
    if (argc > at && argv[at] && std::strcmp(argv[at], "windowed") == 0) {
        line.windowed = true;
        ++at;
    }
    if (argc <= at || !argv[at] || std::strcmp(argv[at], "--scale") != 0) return line;
    line.windowed = true;
    const char *factor = argc > at + 1 && argv[at + 1] ? argv[at + 1] : "";
    char *end = nullptr;
    const long n = std::strtol(factor, &end, 10);
    if (*factor && *end == '\0' && n >= 1 && n <= kMaxWindowScale)
        line.scale = static_cast<int>(n);
    else
        std::fprintf(stderr, "vespertil: --scale takes a whole number from 1 to %d, not \"%s\"\n",
                     kMaxWindowScale, factor);
    return line;
}

bool start_up(int argc, char **argv) {
    open_log();
    if (allegro_init() != 0) {
        close_log();
        std::fprintf(stderr, "vespertil: cannot start the game library: %s\n", allegro_error);
        return false;
    }
    install_keyboard();
    install_pad();
    install_timer();
    disable_close_button();
    install_audio();
    install_tick_timer();
    read_or_create_settings();
    const CommandLine line = read_command_line(argc, argv);
    game_config.windowed = line.windowed ? 1 : 0;
    window_scale_asked = line.scale;
    close_log();
    set_volume(255, 0);
    return open_game_screen();
}

bool open_game_screen() {
    VideoModeChoice mode = set_video_mode(game_config.windowed != 0,
                                          game_config.low_resolution != 0, game_set_mode());
    if (!mode.ok) {
        char msg[160];
        std::snprintf(msg, sizeof msg,
                      "vespertil: cannot open a %s screen of %d x %d at 16, 32 or 24 bits: %s\n",
                      game_config.windowed ? "windowed" : "full-screen or windowed",
                      game_config.low_resolution ? 320 : 640,
                      game_config.low_resolution ? 200 : 480, allegro_error);
        std::fputs(msg, stderr);
        allegro_message("%s", msg);
        return false;
    }
    set_color_conversion(COLORCONV_TOTAL);
    set_trans_blender(0, 0, 0, 64);
    return true;
}
