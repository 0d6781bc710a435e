"""Start-up and shutdown of the real game: a window of each size or the full screen
as the command line and the settings say, a wait for a key that sleeps, missing
pictures, no display, and the jingle and menu music as heard through ALSA's file
device. The files a first start writes are checked on the road (test_road.py)."""

import math
import subprocess
import time
import unittest

from harness import (DEFAULT_SETTINGS, DEFAULTS_LOG, DIM_RING, END_1, GAME_BIN, LOGO, Game, near,
                     settings_bytes, tone_wav)


class StartUp(unittest.TestCase):
    def test_the_screen_the_settings_and_the_command_line_ask_for(self):
        # what, arguments, settings, 320 x 200?, where the picture sits on the 800 x 600
        # display, the window (none at full screen). The small window keeps its own size
        # (the desktop would fit it twice: test_a_window_scaled_to_a_large_desktop).
        rows = [("window", ["windowed"], settings_bytes(0, 1, 0, 128, 128, 0, 0), False, (0, 0), (0, 0, 640, 480)),
                ("small window", ["windowed", "--scale", "1"], settings_bytes(1, 0, 0, 100, 90, 1, 0), True, (0, 0),
                 (0, 0, 320, 200)),
                ("not the exact word: full screen", ["WINDOWED"], settings_bytes(0, 2, 0, 128, 128, 0, 1), False,
                 (80, 60), None)]
        for what, args, cfg, low, (x0, y0), window in rows:
            with self.subTest(what):
                game = Game(self)
                game.own_pictures(low=low)
                game.write("Vespertil.cfg", cfg)
                game.start(*args)
                w, h = (320, 200) if low else (640, 480)
                img = game.wait_for_colour(x0 + w // 2, y0 + h // 2, LOGO)
                if window:  # the library makes its window before the mode: ask once the logo shows
                    self.assertEqual(game.window_geometry(), window)
                for x, y in ((x0 + 2, y0 + 2), (x0 + w - 3, y0 + h - 3)):
                    self.assertTrue(near(img.pixel(x, y), LOGO), "the logo fills the screen")
                self.assertFalse(near(img.pixel(x0 + w + 20, y0 + h // 2), LOGO), "nothing outside it")
                game.tap("space")
                game.wait_for_main_menu(low=low, offset=(x0, y0))
                game.leave(low=low, offset=(x0, y0))
                if not low:
                    # Waiting for a key must sleep: the game's own code runs on the main
                    # thread; the library's X11 thread polls the display whatever it does.
                    main, process = game.cpu_share(5)
                    print("\nCPU at an end picture: main thread %.2f%%, process %.2f%%" % (100 * main, 100 * process))
                    self.assertLess(main, 0.01)
                    self.assertLess(process, 0.05)
                game.finish(low=low, offset=(x0, y0))
                self.assertEqual(game.read("Vespertil.cfg"), cfg, "a good settings file is left alone")

    def test_a_window_scaled_to_a_large_desktop(self):
        # On 1920 x 1080 the window is doubled: the menu, the end pictures and the fade
        # between them are the 640 x 480 picture with every pixel a 2 x 2 block, no blur.
        # ("--scale 1" keeping the plain size is the small window's row above.)
        big = "1920x1080x24"
        game = Game(self)
        game.own_pictures()
        game.write("Vespertil.cfg", DEFAULT_SETTINGS)
        game.start("windowed", screen=big)
        game.wait_for_colour(1270, 950, LOGO)
        self.assertEqual(game.window_geometry(), (0, 0, 1280, 960))
        game.tap("space")
        ring = Game.MENU_RING_AT[False]
        img = game.wait_for_colour(2 * ring[0], 2 * ring[1], DIM_RING, tolerance=8)
        # The library copies the window to the display from its own thread, so a grab can
        # catch a frame half copied: a block's two rows from two frames. A blur shows in
        # every grab; a tear moves on, so a few grabs are allowed before it counts.
        for grab in range(5):
            if grab:
                img = game.screenshot("blocks")
            odd = [(x, y) for y in range(0, 960, 2) for x in range(0, 1280, 2)
                   if len({img.pixel(x + dx, y + dy) for dx in (0, 1) for dy in (0, 1)}) != 1]
            if not odd:
                break
        self.assertEqual(odd[:5], [], "blocks that are not one colour")
        self.assertFalse(near(img.pixel(1290, 480), DIM_RING, 8), "nothing right of the window")
        game.tap("Escape")
        game.wait_until_shown(END_1, 0, 0, 1280, 958)  # probes on the picture's rows 0 and 477
        game.finish(offset=(320, 240))

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
        for name in ("GFX/ZENTIX.JPG", "GFX/fondo_menu.jpg", "GFX/rotulo.pcx", "GFX/menu_spr.pcx",
                     "gfx/enddemo_1.jpg"):
            self.assertIn(name, game.stderr())
        # Nobody can click a message box here: it went to the terminal instead.
        self.assertIn("Creating default config file!", game.stdout() + game.stderr())

    def test_without_a_display_it_says_so_and_fails(self):
        game = Game(self)
        proc = subprocess.run([GAME_BIN, "windowed"], cwd=game.dir, env={"PATH": "/nonexistent"},
                              capture_output=True, timeout=30)
        self.assertEqual(proc.returncode, 1, proc.stderr)  # not 0, nor a signal going on without one
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
        menu = game.captured_windows()
        time.sleep(2)
        music = game.recording()[0][menu * game.WINDOW:game.captured_windows() * game.WINDOW]
        game.leave()
        game.finish()
        # With a sound device both the sound system and the music player come up.
        self.assertEqual(game.read("init.log"), b"\nReservando voces." + DEFAULTS_LOG)
        self.assertEqual(game.read("Vespertil.cfg"), settings_bytes(0, 1, 1, 128, 128, 0, 0))
        left = game.recording()[0]
        loud = [i for i, v in enumerate(left) if abs(v) > 2000]
        self.assertTrue(loud, "the recording is silent")
        # A tenth of a second inside the loud part: a 440 Hz tone crosses zero about 88 times.
        window = left[loud[0] + 4410:loud[0] + 8820]
        crossings = sum(1 for a, b in zip(window, window[1:]) if (a < 0) != (b < 0))
        self.assertTrue(80 <= crossings <= 96, "crossings %d" % crossings)
        self.assertGreater(math.sqrt(sum(v * v for v in music) / len(music)), 50, "no menu music")


if __name__ == "__main__":
    unittest.main()
