"""Measures, on the real game under Xvfb, what the whole-game tests have to plan
for: how long the interlaced reveal of a 640 x 480 picture takes (it is paced by
the emulated retrace) and how much CPU the game uses while it waits for a key.

Not a test: it prints figures. Run from build/:
    VESPERTIL_BIN=$PWD/game/vespertil python3 ../tests/e2e/measure_waits.py
"""

import sys
import time
import unittest

from harness import Game, near
from test_startup import END_1, END_2, LOGO, own_pictures


class Measure(unittest.TestCase):
    def runTest(self):
        game = Game(self)
        own_pictures(game)
        game.write("Vespertil.cfg", (0).to_bytes(4, "little") + (1).to_bytes(4, "little") +
                   bytes(4) + (128).to_bytes(4, "little") * 2 + bytes(8))
        game.start("windowed")
        game.wait_for_colour(320, 240, LOGO)
        game.press("space")
        game.wait_for_colour(320, 240, END_1)
        time.sleep(1)

        samples = []
        for _ in range(3):
            before = (game.cpu_seconds(), game.cpu_seconds(main_thread_only=True))
            time.sleep(5)
            samples.append(((game.cpu_seconds() - before[0]) / 5,
                            (game.cpu_seconds(main_thread_only=True) - before[1]) / 5))
        for process, main in samples:
            print("waiting for a key: process %.2f%% of a core, main thread %.2f%%"
                  % (100 * process, 100 * main))

        # The second picture of a run is always revealed interlaced (the random
        # sequence is never seeded); its last odd row above the black one ends it.
        start = time.time()
        game.press("Return")
        while not near(game.screenshot("reveal").pixel(320, 477), END_2):
            time.sleep(0.02)
        print("interlaced reveal at 640 x 480: %.1f s (screenshot polling adds up to 0.1 s)"
              % (time.time() - start - 0.1))
        game.press("a")
        game.wait_exit(15)


if __name__ == "__main__":
    result = unittest.TextTestRunner(verbosity=0).run(Measure())
    sys.exit(0 if result.wasSuccessful() else 1)
