"""Start-up, the splash, the end pictures and shutdown of the real game."""

import math
import os
import time
import unittest

from harness import Game, near, wav_samples

LOGO = (200, 40, 40)
END_1 = (40, 200, 40)
END_2 = (40, 40, 200)

NO_SOUND_LOG = (b"\nReservando voces."
                b"\nError: Imposible inicializar sonido => Audio Desactivado."
                b"\nError: Imposible inicializar sonido => Audio Desactivado.")
DEFAULTS_LOG = b'\nError: Imposible abrir archivo "Vespertil.cfg" => Configuraci\xa2n por defecto.'


def settings_bytes(*slots):
    return b"".join(int(v).to_bytes(4, "little", signed=True) for v in slots)


def own_pictures(game, low=False):
    """Solid pictures the checks can recognise, whatever content the build made."""
    w, h = (320, 200) if low else (640, 480)
    game.make_picture("GFX/ZENTIX.JPG", 640, 480, LOGO)
    suffix = "_baja" if low else ""
    game.make_picture("GFX/enddemo_1%s.jpg" % suffix, w, h, END_1)
    game.make_picture("GFX/enddemo_2%s.jpg" % suffix, w, h, END_2)


def tone_wav(freq=440, seconds=1.0, rate=22050):
    """A plain 16-bit mono sine tone as a WAV file."""
    n = int(rate * seconds)
    body = b"".join(int(12000 * math.sin(2 * math.pi * freq * i / rate)).to_bytes(2, "little", signed=True)
                    for i in range(n))
    fmt = (1).to_bytes(2, "little") + (1).to_bytes(2, "little") + rate.to_bytes(4, "little") + \
        (rate * 2).to_bytes(4, "little") + (2).to_bytes(2, "little") + (16).to_bytes(2, "little")
    chunks = b"fmt " + len(fmt).to_bytes(4, "little") + fmt + b"data" + len(body).to_bytes(4, "little") + body
    return b"RIFF" + (4 + len(chunks)).to_bytes(4, "little") + b"WAVE" + chunks


def leave_menu(game, low=False, offset=(0, 0)):
    """ESC from the main menu, pressed again should a busy machine have let the
    menu miss it."""
    game.wait_for_main_menu(low=low, offset=offset)
    x, y = game.MENU_RING_AT[low]
    for _ in range(3):
        game.press("Escape", hold=0.3)
        # The end picture's reveal covers the ring within a few seconds.
        deadline = time.time() + 10
        while time.time() < deadline:
            if not near(game.screenshot("leave").pixel(x + offset[0], y + offset[1]),
                        game.MENU_RING, 8):
                return
            time.sleep(0.2)


class StartUp(unittest.TestCase):
    def finish(self, game):
        """From the first end picture to the end of the program."""
        game.press("Return")
        game.wait_for_colour(320, 240, END_2, timeout=20)
        game.press("a")
        self.assertEqual(game.wait_exit(15), 0, game.stderr())
        self.assertEqual(game.leftover_processes(), [], "the game left something running")

    def test_first_start_writes_defaults_and_runs_to_the_end(self):
        game = Game(self)
        own_pictures(game)
        game.start("windowed")
        # The library makes its window before the mode is set: ask for its size
        # once the logo shows.
        img = game.wait_for_colour(320, 240, LOGO)
        self.assertEqual(game.window_geometry(), (0, 0, 640, 480))
        self.assertTrue(near(img.pixel(5, 5), LOGO) and near(img.pixel(634, 478), LOGO))
        self.assertTrue(near(img.pixel(320, 479), (0, 0, 0)), "the logo's last row is never shown")
        self.assertFalse(near(img.pixel(700, 300), LOGO), "nothing drawn outside the window")

        self.assertEqual(game.read("init.log"), NO_SOUND_LOG + DEFAULTS_LOG)
        self.assertEqual(game.read("Vespertil.cfg"), settings_bytes(0, 1, 0, 128, 128, 0, 0))

        game.press("space")
        leave_menu(game)
        game.wait_until_shown(END_1, 0, 0, 640, 480)
        time.sleep(0.5)  # then the last row is drawn
        img = game.screenshot("end1")
        self.assertTrue(near(img.pixel(320, 479), (0, 0, 0)), "the last row is black")
        self.assertTrue(near(img.pixel(320, 478), END_1))

        # Waiting for a key must sleep, not spin. The game's own code runs on the
        # main thread; the library adds a background thread of its own that polls
        # the X connection about a thousand times a second whatever the game does.
        before = (game.cpu_seconds(), game.cpu_seconds(main_thread_only=True))
        time.sleep(5)
        process = (game.cpu_seconds() - before[0]) / 5
        main = (game.cpu_seconds(main_thread_only=True) - before[1]) / 5
        print("CPU while waiting at an end picture: process %.2f%%, main thread %.2f%%"
              % (100 * process, 100 * main))
        self.assertLess(main, 0.01, "the game's waiting loop used %.1f%% of a core" % (100 * main))
        self.assertLess(process, 0.05, "the process used %.1f%% of a core" % (100 * process))
        self.finish(game)
        self.assertEqual(len(game.read("Vespertil.cfg")), 28)
        # Nobody can click a message box here: it went to the terminal instead.
        self.assertIn("Creating default config file!", game.stdout() + game.stderr())

    def test_low_resolution_setting_opens_a_small_window(self):
        game = Game(self)
        own_pictures(game, low=True)
        cfg = settings_bytes(1, 0, 0, 100, 90, 1, 0)
        game.write("Vespertil.cfg", cfg)
        game.start("windowed")
        img = game.wait_for_colour(160, 100, LOGO)
        self.assertEqual(game.window_geometry(), (0, 0, 320, 200))
        self.assertTrue(near(img.pixel(2, 197), LOGO), "the logo is stretched over the whole screen")
        self.assertEqual(game.read("init.log"), NO_SOUND_LOG, "no defaults line when the file exists")
        game.press("space")
        leave_menu(game, low=True)
        game.wait_until_shown(END_1, 0, 0, 320, 200)
        game.press("Escape")
        game.wait_for_colour(160, 100, END_2, timeout=20)
        game.press("a")
        self.assertEqual(game.wait_exit(15), 0)
        self.assertEqual(game.read("Vespertil.cfg"), cfg, "a good settings file is left alone")

    def test_broken_settings_keep_their_valid_fields(self):
        game = Game(self)
        own_pictures(game, low=True)
        # Short (22 bytes), with a language that does not exist and low resolution on.
        broken = settings_bytes(1, 0, 0, 100, 90, 9)[:22]
        game.write("Vespertil.cfg", broken)
        game.start("windowed")
        game.wait_for_colour(160, 100, LOGO)
        self.assertEqual(game.window_geometry(), (0, 0, 320, 200), "the valid resolution is kept")
        game.press("space")
        leave_menu(game, low=True)
        game.wait_until_shown(END_1, 0, 0, 320, 200)
        game.press("space")
        game.wait_for_colour(160, 100, END_2, timeout=20)
        game.press("a")
        self.assertEqual(game.wait_exit(15), 0)
        self.assertEqual(game.read("init.log"), NO_SOUND_LOG)

    def test_missing_pictures_are_skipped_not_fatal(self):
        game = Game(self, with_data=False)
        game.start("windowed")
        self.assertIsNotNone(game.window_geometry())
        time.sleep(3)
        game.press("space")  # ends the splash
        time.sleep(2)  # the menu, drawn without its pictures
        self.assertTrue(game.running())
        game.press("Escape")  # no end picture waits for a key: the game is gone
        self.assertEqual(game.wait_exit(15), 0)
        err = game.stderr()
        for name in ("GFX/ZENTIX.JPG", "GFX/fondo_menu.jpg", "GFX/rotulo.pcx",
                     "GFX/menu_spr.pcx", "gfx/enddemo_1.jpg"):
            self.assertIn(name, err)

    def test_full_screen_without_the_argument(self):
        game = Game(self)
        own_pictures(game)
        game.write("Vespertil.cfg", settings_bytes(0, 2, 0, 128, 128, 0, 1))
        game.start("WINDOWED")  # not the exact word: full screen
        # Full screen on this 800 x 600 display: the 640 x 480 picture in the middle,
        # black around it.
        img = game.wait_for_colour(400, 300, LOGO)
        self.assertTrue(near(img.pixel(81, 61), LOGO) and near(img.pixel(718, 537), LOGO))
        self.assertTrue(near(img.pixel(40, 30), (0, 0, 0)) and near(img.pixel(760, 570), (0, 0, 0)))
        game.press("space")
        leave_menu(game, offset=(80, 60))
        game.wait_until_shown(END_1, 80, 60, 640, 480)
        game.press("Return")
        game.wait_for_colour(400, 300, END_2, timeout=20)
        game.press("a")
        self.assertEqual(game.wait_exit(15), 0, game.stderr())
        self.assertEqual(game.read("Vespertil.cfg"), settings_bytes(0, 2, 0, 128, 128, 0, 1))

    def test_without_a_display_it_says_so_and_fails(self):
        game = Game(self)
        game.x = None
        import subprocess
        from harness import GAME_BIN
        proc = subprocess.run([GAME_BIN, "windowed"], cwd=game.dir, env={"PATH": "/nonexistent"},
                              capture_output=True, timeout=30)
        # It stops itself with status 1: not 0, and not a signal after going on
        # without a screen.
        self.assertEqual(proc.returncode, 1, proc.stderr)
        self.assertIn(b"cannot start", proc.stderr)


class SplashSound(unittest.TestCase):
    def test_jingle_is_heard_through_the_recording_device(self):
        game = Game(self, audio="record")
        own_pictures(game)
        game.write("sfx/mirvane.wav", tone_wav(440, 1.0))
        game.start("windowed")
        game.wait_for_colour(320, 240, LOGO)
        time.sleep(3.5)  # the jingle starts 60 retraces after the logo
        game.press("space")
        leave_menu(game)
        game.wait_until_shown(END_1, 0, 0, 640, 480)
        self.finish_quietly(game)
        # With a sound device both the sound system and the music player come up.
        self.assertEqual(game.read("init.log"), b"\nReservando voces." + DEFAULTS_LOG)
        self.assertEqual(game.read("Vespertil.cfg"), settings_bytes(0, 1, 1, 128, 128, 0, 0))
        samples, rate = wav_samples(game.path("capture.wav"))
        self.assertEqual(rate, 44100)
        left = samples[0::2]
        loud = [i for i, v in enumerate(left) if abs(v) > 2000]
        self.assertTrue(loud, "the recording is silent")
        # Count zero crossings over a tenth of a second inside the loud part: a
        # 440 Hz tone crosses zero about 88 times.
        start = loud[0] + rate // 10
        window = left[start:start + rate // 10]
        crossings = sum(1 for a, b in zip(window, window[1:]) if (a < 0) != (b < 0))
        self.assertTrue(80 <= crossings <= 96, "crossings %d" % crossings)

    def finish_quietly(self, game):
        game.press("Return")
        game.wait_for_colour(320, 240, END_2, timeout=20)
        game.press("a")
        self.assertEqual(game.wait_exit(15), 0, game.stderr())


if __name__ == "__main__":
    unittest.main()
