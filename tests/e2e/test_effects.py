"""A level's sound in a real window, through ALSA's file device: the city in the
storm, reached through the level browser (main menu: DOWN, ENTER; MAP/ holds only that
map), sounds its rain loop until the level ends, and again when it is played a second
time. Which cues a level asks for, and where, and the snapshot are checked headless
(src/level/tests)."""

import os
import time
import unittest

from harness import BRIGHT_RING, DIM_RING, INTRO_PANEL_RING, Game, settings_bytes, tone_wav

BROWSER_LIST_RING = (216, 350)


class LevelSound(unittest.TestCase):
    def test_the_rain_loop_sounds_and_again_on_a_second_play(self):
        game = Game(self, audio="record")
        for name in os.listdir(game.path("MAP")):
            if name != "ciudad.map":
                os.remove(game.path("MAP/" + name))
        # Quiet stand-ins for the jingle and the panel's hum, and no music: the
        # recording holds little besides the rain.
        game.own_pictures()
        game.write("sfx/mirvane.wav", tone_wav(0, 0.1))
        game.write("sfx/info.wav", tone_wav(0, 0.1))
        game.write("Vespertil.cfg", settings_bytes(0, 1, 1, 0, 255, 0, 0))
        game.start_at_main_menu()
        game.press("Down")
        game.press("Return")
        spans = []
        for run in (1, 2):
            game.wait_for_colour(*BROWSER_LIST_RING, DIM_RING, timeout=20, tolerance=8)
            game.press("Return")
            game.wait_for_colour(*INTRO_PANEL_RING, BRIGHT_RING, timeout=30)
            game.press("Return")
            game.wait_for_colour(*INTRO_PANEL_RING, BRIGHT_RING, timeout=10, gone=True)
            time.sleep(0.5)
            a = game.captured_windows()
            time.sleep(3.0)
            b = game.captured_windows()
            game.press("Escape")  # back to the browser
            game.wait_for_colour(*BROWSER_LIST_RING, DIM_RING, timeout=20, tolerance=8)
            time.sleep(1.0)
            spans.append((a, b, game.captured_windows()))
        game.press("Escape")
        levels = game.loudness()
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
