"""The whole road of the game in a real window: the splash, Play in the main menu, the
first row of the play menu, the cave and the tower played to completion from their
recorded replays (tests/replays/*_complete.replay, or those in VESPERTIL_ROAD_REPLAYS,
handed to the binary by VESPERTIL_LEVEL_REPLAYS, unpaced), the two end pictures and a
clean exit that leaves the default settings and the start-up log. (Which replay the
game takes for a level, and which it refuses, is checked headless:
src/level/tests/level_replays_test.cpp.)"""

import os
import time
import unittest

from harness import DEFAULTS_LOG, DEFAULT_SETTINGS, DIM_RING, NO_SOUND_LOG, Game, read_picture

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
REPLAY_DIR = os.environ.get("VESPERTIL_ROAD_REPLAYS", os.path.join(REPO, "tests", "replays"))
REPLAYS = [os.path.join(REPLAY_DIR, "%s_complete.replay" % level) for level in ("cueva", "vusk")]
PLAY_MENU_RING_AT = (194, 370)  # the play menu's body panel, its grey middle ring
# A picture is on the screen when it differs from its own file by less than this on
# average per channel in every part (the 16-bit screen rounds each colour by up to 7).
PICTURE_CLOSE = 5
ROAD_SECONDS = 50


def difference(a, b, step=8):
    """The largest mean per-channel difference over the 4 x 4 blocks of the 640 x 480
    screen, so that a screen alike in most places (a level under the same sky) is not
    taken for the picture; the bottom rows are left out (the last row is drawn black)."""
    worst = 0
    for by in range(4):
        for bx in range(4):
            diffs = [abs(p - q) for y in range(by * 118, by * 118 + 118, step)
                     for x in range(bx * 160, bx * 160 + 160, step)
                     for p, q in zip(a.pixel(x, y), b.pixel(x, y))]
            worst = max(worst, sum(diffs) / len(diffs))
    return worst


class Road(unittest.TestCase):
    def test_both_levels_from_their_replays_to_the_end(self):
        began = time.time()
        self.assertFalse([p for p in REPLAYS if not os.path.isfile(p)], "the road's replays are missing")
        game = Game(self)
        game.start("windowed", extra_env={"VESPERTIL_LEVEL_REPLAYS": ":".join(REPLAYS)})
        logo = read_picture(game.path("GFX/ZENTIX.JPG"))
        game.wait_until(lambda img: difference(img, logo) < PICTURE_CLOSE, "the splash")
        time.sleep(1.2)  # the splash empties the key buffer 60 retraces after it shows
        game.tap("space")
        game.wait_for_main_menu(timeout=20)
        game.tap("Return")  # Play, the first entry
        game.wait_for_colour(*PLAY_MENU_RING_AT, DIM_RING, timeout=10, tolerance=8)
        game.tap("Return")  # its first row: the first level starts
        end_1, end_2 = (read_picture(game.path("GFX/enddemo_%d.jpg" % i)) for i in (1, 2))
        self.assertGreater(difference(end_1, end_2), 3 * PICTURE_CLOSE, "the end pictures differ")
        last = None
        while True:  # shown, and its reveal over: only then does it wait for its key
            shot = game.screenshot("end1")
            if difference(shot, end_1) < PICTURE_CLOSE and last and difference(shot, last) == 0:
                break
            self.assertTrue(game.running() and time.time() - began < ROAD_SECONDS,
                            "the first end picture never showed; stderr: %s" % game.stderr()[-500:])
            last = shot
            time.sleep(0.3)
        shown = False
        for _ in range(3):  # again, should a busy machine have let the game miss it
            game.tap("Return")
            deadline = time.time() + 5
            while not shown and time.time() < deadline:
                shown = difference(game.screenshot("end2"), end_2) < PICTURE_CLOSE
                time.sleep(0.3)
            if shown:
                break
        self.assertTrue(shown, "the second end picture never showed; stderr: %s" % game.stderr()[-500:])
        game.tap("a")
        self.assertEqual(game.wait_exit(15), 0, game.stderr())
        print("\nthe road took %.1f s" % (time.time() - began))
        self.assertLess(time.time() - began, ROAD_SECONDS)
        self.assertEqual(game.leftover_processes(), [], "the game left something running")
        self.assertNotIn("replay", game.stderr(), "every level took its own replay")
        self.assertEqual(game.read("Vespertil.cfg"), DEFAULT_SETTINGS)
        self.assertEqual(game.read("init.log"), NO_SOUND_LOG + DEFAULTS_LOG)
        written = set(os.listdir(game.dir)) - {"GFX", "MAP", "sfx", "no-programs", "stdout.txt",
                                               "stderr.txt", "wait.png", "end1.png", "end2.png"}
        self.assertEqual(written, {"Vespertil.cfg", "init.log"}, "nothing else is written")


if __name__ == "__main__":
    unittest.main()
