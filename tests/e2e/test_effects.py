"""A level's extras in a real window, each level reached through the level browser
(main menu: DOWN, ENTER; the browser lists only the map the test left in MAP/):
Ctrl + Alt + P writes snapshot.pcx, the screen without its message; through ALSA's
file device the rainy map's rain loop sounds until the level ends, again when the
same map is played a second time from the browser. Which cues a level asks for, and
where, is checked headless (src/level/tests)."""

import os
import time
import unittest

from harness import (BRIGHT_RING, DIM_RING, INTRO_PANEL_RING, Game, captured_windows, loudness, near,
                     read_picture, recording, settings_bytes, tone_wav)

BROWSER_LIST_RING = (216, 350)
MESSAGE_BAND = (190, 127, 450, 143)  # where "SNAPSHOT SAVED" is said


def level_game(test, keep, audio=None):
    """A game whose MAP/ holds only the map `keep`, started and at the main menu. The
    logo, its jingle and the intro panel's hum are quiet stand-ins, and the music is
    off, so that a recording holds little besides what a test listens for."""
    game = Game(test, audio=audio)
    for name in os.listdir(game.path("MAP")):
        if name != keep:
            os.remove(game.path("MAP/" + name))
    game.own_pictures()
    game.write("sfx/mirvane.wav", tone_wav(0, 0.1))
    game.write("sfx/info.wav", tone_wav(0, 0.1))
    game.write("Vespertil.cfg", settings_bytes(0, 1, 1, 0, 255, 0, 0))
    game.start_at_main_menu()
    return game


def play_from_browser(game, first_time=True):
    """From the main menu (or, later, the browser) into the level, its panel closed."""
    if first_time:
        game.press("Down")
        game.press("Return")
    game.wait_for_colour(*BROWSER_LIST_RING, DIM_RING, timeout=20, tolerance=8)
    game.press("Return")
    game.wait_for_colour(*INTRO_PANEL_RING, BRIGHT_RING, timeout=30)
    game.press("Return")
    game.wait_until_gone(*INTRO_PANEL_RING, BRIGHT_RING)


def back_to_browser(game):
    game.press("Escape")
    game.wait_for_colour(*BROWSER_LIST_RING, DIM_RING, timeout=20, tolerance=8)


def has_message(img):
    """Letters of the message font (deep orange to pale yellow) in the message band."""
    x0, y0, x1, y1 = MESSAGE_BAND
    return any(r >= 200 and r - b >= 60 for r, _, b in
               (img.pixel(x, y) for y in range(y0, y1) for x in range(x0, x1)))


class Snapshot(unittest.TestCase):
    def test_the_keys_write_the_screen_without_its_message(self):
        game = level_game(self, "fxlight.map")
        play_from_browser(game)
        before = game.screenshot("before")
        self.assertFalse(has_message(before))
        game.press("Control_L", "Alt_L", "p", hold=0.15)
        deadline = time.time() + 5
        while not game.exists("snapshot.pcx"):
            self.assertLess(time.time(), deadline, game.stderr())
            time.sleep(0.1)
        time.sleep(0.5)
        self.assertTrue(has_message(game.screenshot("saved")), "SNAPSHOT SAVED is said")
        self.assertEqual(sorted(n for n in os.listdir(game.dir) if n.startswith("snapshot")),
                         ["snapshot.pcx"], "nothing left beside it")
        snap = read_picture(game.path("snapshot.pcx"))
        self.assertEqual((snap.width, snap.height), (640, 480))
        for x, y in ((20, 100), (600, 400), (320, 20), (300, 450)):
            self.assertTrue(near(snap.pixel(x, y), before.pixel(x, y), 8), (x, y))
        self.assertFalse(has_message(snap), "no message in the picture")
        back_to_browser(game)


class LevelSound(unittest.TestCase):
    def test_the_rain_loop_sounds_and_again_on_a_second_play(self):
        game = level_game(self, "fxrain.map", audio="record")
        spans = []
        for first in (True, False):
            play_from_browser(game, first_time=first)
            time.sleep(0.5)
            a = captured_windows(game)
            time.sleep(3.0)
            b = captured_windows(game)
            back_to_browser(game)
            time.sleep(1.0)
            spans.append((a, b, captured_windows(game)))
        game.press("Escape")
        levels = loudness(*recording(self, game))
        for run, (a, b, after) in enumerate(spans, 1):
            rain = levels[a:b]
            self.assertGreater(sum(1 for _, r in rain if r > 300), 0.9 * len(rain),
                               "run %d: the rain loop plays" % run)
            # Rain plays at the right edge; only a thunder clap may sound at the left.
            self.assertLess(sorted(l for l, _ in rain)[len(rain) // 2],
                            0.1 * sorted(r for _, r in rain)[len(rain) // 2])
            quiet = levels[after - 50:after]
            self.assertTrue(quiet and max(max(l, r) for l, r in quiet) < 100,
                            "run %d: the rain stops when the level ends" % run)


if __name__ == "__main__":
    unittest.main()
