"""The whole road of the game in a real window: the splash, Play in the main menu, the
first row of the play menu, the cave and the tower played to completion from their
recorded replays (handed to the binary by VESPERTIL_LEVEL_REPLAYS, unpaced), the two
end pictures, the closing fade and a clean exit. A replay the game refuses ends it at
once with status 3, before any level is played.

The replays are tests/replays/cueva_complete.replay and vusk_complete.replay;
VESPERTIL_ROAD_REPLAYS names another directory that holds the two (with a game
directory of maps to match in VESPERTIL_GAME_DIR).
"""

import os
import time
import unittest

from harness import DEFAULTS_LOG, DEFAULT_SETTINGS, DIM_RING, NO_SOUND_LOG, Game, read_picture

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
REPLAY_DIR = os.environ.get("VESPERTIL_ROAD_REPLAYS", os.path.join(REPO, "tests", "replays"))
LEVELS = ("cueva", "vusk")
PLAY_MENU_RING_AT = (194, 370)     # the play menu's body panel, its grey middle ring

# The end picture is on the screen when it differs from its own file by less than
# this on average (per channel) in every part: the 16-bit screen rounds each colour
# by up to 7, about 2 on average.
PICTURE_CLOSE = 5
ROAD_SECONDS = 50                  # the whole road, start to exit


def replay_paths():
    return [os.path.join(REPLAY_DIR, "%s_complete.replay" % level) for level in LEVELS]


def difference(a, b, step=8):
    """How far apart two pictures are: the mean per-channel difference over a grid,
    taken in each of 4 x 4 blocks of the 640 x 480 screen, and the largest of these.
    Block by block, so that a screen alike in most places (a level under the same
    sky) is not taken for the picture. The bottom rows are left out: the end
    pictures' last row is drawn black."""
    worst = 0
    for by in range(4):
        for bx in range(4):
            total = count = 0
            for y in range(by * 118, by * 118 + 118, step):
                for x in range(bx * 160, bx * 160 + 160, step):
                    total += sum(abs(p - q) for p, q in zip(a.pixel(x, y), b.pixel(x, y)))
                    count += 3
            worst = max(worst, total / count)
    return worst


class Road(unittest.TestCase):
    def start(self, replays):
        missing = [p for p in replays if not os.path.isfile(p)]
        if missing:
            self.fail("the road's replays are missing: %s" % ", ".join(missing))
        game = Game(self)
        game.start("windowed", extra_env={"VESPERTIL_LEVEL_REPLAYS": ":".join(replays)})
        self.assertIsNotNone(game.window_geometry(), game.stderr())
        return game

    def to_play_menu_first_row(self, game):
        """From the splash, Play and the first row of the play menu: the game starts
        at its first level."""
        logo = read_picture(game.path("GFX/ZENTIX.JPG"))
        game.wait_until(lambda img: difference(img, logo) < PICTURE_CLOSE, "the splash")
        time.sleep(1.2)  # the splash empties the key buffer 60 retraces after it shows
        game.tap("space")
        game.wait_for_main_menu(timeout=20)
        game.tap("Return")  # Play, the first entry
        game.wait_for_colour(*PLAY_MENU_RING_AT, DIM_RING, timeout=10, tolerance=8)
        game.tap("Return")  # the first row

    def press_until_shown(self, game, key, wanted):
        """Presses `key` until the screen shows `wanted`, again should a busy machine
        have let the game miss it."""
        for _ in range(3):
            game.tap(key)
            deadline = time.time() + 5
            while time.time() < deadline:
                if difference(game.screenshot("end2"), wanted) < PICTURE_CLOSE:
                    return
                time.sleep(0.3)
        self.fail("the second end picture never showed; stderr: %s" % game.stderr()[-500:])

    def test_both_levels_from_their_replays_to_the_end(self):
        began = time.time()
        game = self.start(replay_paths())
        end_1, end_2 = (read_picture(game.path("GFX/enddemo_%d.jpg" % i)) for i in (1, 2))
        self.assertGreater(difference(end_1, end_2), 3 * PICTURE_CLOSE,
                           "the two end pictures must be told apart")

        self.to_play_menu_first_row(game)

        deadline = time.time() + ROAD_SECONDS
        last = None
        while True:
            shot = game.screenshot("end1")
            # Shown, and no longer being revealed: the picture waits for its key only
            # once the reveal is over.
            if difference(shot, end_1) < PICTURE_CLOSE and last and difference(shot, last) == 0:
                break
            self.assertTrue(game.running(), "the game ended before the end picture; stderr: %s"
                            % game.stderr()[-500:])
            self.assertLess(time.time(), deadline, "the first end picture never showed; "
                            "stderr: %s" % game.stderr()[-500:])
            last = shot
            time.sleep(0.3)
        self.press_until_shown(game, "Return", end_2)
        game.tap("a")

        self.assertEqual(game.wait_exit(15), 0, game.stderr())
        took = time.time() - began
        print("\nthe road took %.1f s" % took)
        self.assertLess(took, ROAD_SECONDS)
        self.assertEqual(game.leftover_processes(), [], "the game left something running")
        self.assertNotIn("replay", game.stderr(), "every level took its own replay")
        self.assertEqual(game.read("Vespertil.cfg"), DEFAULT_SETTINGS)
        self.assertEqual(game.read("init.log"), NO_SOUND_LOG + DEFAULTS_LOG)
        written = set(os.listdir(game.dir)) - {"GFX", "MAP", "sfx", "no-programs",
                                               "stdout.txt", "stderr.txt"}
        self.assertEqual(written - {"wait.png", "end1.png", "end2.png"},
                         {"Vespertil.cfg", "init.log"}, "nothing else is written")

    def test_a_replay_of_the_other_level_ends_the_game(self):
        cueva, vusk = replay_paths()
        game = self.start([vusk, cueva])
        self.to_play_menu_first_row(game)
        self.assertEqual(game.wait_exit(15), 3, game.stderr())
        self.assertIn("replay refused: %s: recorded on vusk.map, not on cueva.map" % vusk,
                      game.stderr())


if __name__ == "__main__":
    unittest.main()
