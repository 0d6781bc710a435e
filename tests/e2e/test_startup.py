"""Start-up, the splash, the end pictures and shutdown of the real game: the window
or the full screen, the files it writes (init.log, Vespertil.cfg), the jingle as
heard through ALSA's file device, and a wait for a key that sleeps."""

import math
import subprocess
import time
import unittest

from harness import (DEFAULTS_LOG, DEFAULT_SETTINGS, GAME_BIN, LOGO, NO_SOUND_LOG, END_1,
                     WINDOW, Game, captured_windows, near, recording, settings_bytes, tone_wav)


class StartUp(unittest.TestCase):
    def test_first_start_writes_defaults_and_runs_to_the_end(self):
        game = Game(self)
        game.own_pictures()
        game.start("windowed")
        # The library makes its window before the mode is set: ask for its size
        # once the logo shows.
        img = game.wait_for_colour(320, 240, LOGO)
        self.assertEqual(game.window_geometry(), (0, 0, 640, 480))
        self.assertTrue(near(img.pixel(5, 5), LOGO) and near(img.pixel(634, 478), LOGO))
        self.assertTrue(near(img.pixel(320, 479), (0, 0, 0)), "the logo's last row is never shown")
        self.assertFalse(near(img.pixel(700, 300), LOGO), "nothing drawn outside the window")
        self.assertEqual(game.read("init.log"), NO_SOUND_LOG + DEFAULTS_LOG)
        self.assertEqual(game.read("Vespertil.cfg"), DEFAULT_SETTINGS)

        game.tap("space")
        game.wait_for_main_menu()
        game.leave()
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
        game.finish()
        self.assertEqual(game.read("Vespertil.cfg"), DEFAULT_SETTINGS)
        # Nobody can click a message box here: it went to the terminal instead.
        self.assertIn("Creating default config file!", game.stdout() + game.stderr())

    def test_low_resolution_setting_opens_a_small_window(self):
        game = Game(self)
        game.own_pictures(low=True)
        cfg = settings_bytes(1, 0, 0, 100, 90, 1, 0)
        game.write("Vespertil.cfg", cfg)
        game.start("windowed")
        img = game.wait_for_colour(160, 100, LOGO)
        self.assertEqual(game.window_geometry(), (0, 0, 320, 200))
        self.assertTrue(near(img.pixel(2, 197), LOGO), "the logo is squeezed over the whole screen")
        self.assertEqual(game.read("init.log"), NO_SOUND_LOG, "no defaults line when the file exists")
        game.tap("space")
        game.wait_for_main_menu(low=True)
        game.leave(low=True)
        game.finish(low=True)
        self.assertEqual(game.read("Vespertil.cfg"), cfg, "a good settings file is left alone")

    def test_full_screen_without_the_argument(self):
        game = Game(self)
        game.own_pictures()
        cfg = settings_bytes(0, 2, 0, 128, 128, 0, 1)
        game.write("Vespertil.cfg", cfg)
        game.start("WINDOWED")  # not the exact word: full screen
        # Full screen on this 800 x 600 display: the 640 x 480 picture in the middle,
        # black around it.
        img = game.wait_for_colour(400, 300, LOGO)
        self.assertTrue(near(img.pixel(81, 61), LOGO) and near(img.pixel(718, 537), LOGO))
        self.assertTrue(near(img.pixel(40, 30), (0, 0, 0)) and near(img.pixel(760, 570), (0, 0, 0)))
        game.tap("space")
        game.wait_for_main_menu(offset=(80, 60))
        game.leave(offset=(80, 60))
        game.finish(offset=(80, 60))
        self.assertEqual(game.read("Vespertil.cfg"), cfg)

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
        for name in ("GFX/ZENTIX.JPG", "GFX/fondo_menu.jpg", "GFX/rotulo.pcx",
                     "GFX/menu_spr.pcx", "gfx/enddemo_1.jpg"):
            self.assertIn(name, game.stderr())

    def test_without_a_display_it_says_so_and_fails(self):
        game = Game(self)
        proc = subprocess.run([GAME_BIN, "windowed"], cwd=game.dir, env={"PATH": "/nonexistent"},
                              capture_output=True, timeout=30)
        # It stops itself with status 1: not 0, and not a signal after going on
        # without a screen.
        self.assertEqual(proc.returncode, 1, proc.stderr)
        self.assertIn(b"cannot start", proc.stderr)

    def test_jingle_and_menu_music_are_heard_through_the_recording_device(self):
        game = Game(self, audio="record")
        game.own_pictures()
        game.write("sfx/mirvane.wav", tone_wav(440, 1.0))
        game.start("windowed")
        game.wait_for_colour(320, 240, LOGO)
        time.sleep(3.5)  # the jingle starts 60 retraces after the logo
        game.tap("space")
        game.wait_for_main_menu()
        time.sleep(0.5)
        menu = captured_windows(game)
        time.sleep(2)
        music = recording(self, game)[0][menu * WINDOW:captured_windows(game) * WINDOW]
        game.leave()
        game.finish()
        # With a sound device both the sound system and the music player come up.
        self.assertEqual(game.read("init.log"), b"\nReservando voces." + DEFAULTS_LOG)
        self.assertEqual(game.read("Vespertil.cfg"), settings_bytes(0, 1, 1, 128, 128, 0, 0))
        left, _ = recording(self, game)
        loud = [i for i, v in enumerate(left) if abs(v) > 2000]
        self.assertTrue(loud, "the recording is silent")
        # Zero crossings over a tenth of a second inside the loud part: a 440 Hz tone
        # crosses zero about 88 times.
        window = left[loud[0] + 4410:loud[0] + 8820]
        crossings = sum(1 for a, b in zip(window, window[1:]) if (a < 0) != (b < 0))
        self.assertTrue(80 <= crossings <= 96, "crossings %d" % crossings)
        # Long after the jingle, the main menu's music plays.
        self.assertGreater(math.sqrt(sum(v * v for v in music) / len(music)), 50, "no menu music")


if __name__ == "__main__":
    unittest.main()
