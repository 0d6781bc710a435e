"""The menus in a real window, for what only the real binary shows: the set-up menu's
resolution switch resizes the window and back. Everything else the menus do is
checked headless (src/menus/tests); their music is heard in test_startup.py."""

import time
import unittest

from harness import DIM_RING, Game, settings_bytes

SETUP_RING_AT = {False: (104, 300), True: (12, 100)}  # the set-up menu's main panel


class Resolution(unittest.TestCase):
    def test_switch_to_320_by_200_and_back(self):
        game = Game(self)
        game.own_pictures()
        game.own_pictures(low=True)
        game.write("Vespertil.cfg", settings_bytes(0, 1, 0, 100, 90, 1, 0))
        game.start_at_main_menu("--scale", "1")  # 320 x 200 keeps its own size on this desktop
        self.assertEqual(game.window_geometry(), (0, 0, 640, 480))
        for low, key in ((True, "Right"), (False, "Left")):
            game.tap("s")  # the English set-up key
            game.wait_for_colour(*SETUP_RING_AT[not low], DIM_RING, tolerance=8)
            game.tap(key)  # the resolution row is chosen on entry
            size, deadline = ((320, 200) if low else (640, 480)), time.time() + 15
            while (game.window_geometry(timeout=2) or (0,) * 4)[2:] != size:
                self.assertLess(time.time(), deadline, "the window never became %s" % (size,))
                time.sleep(0.2)
            game.wait_for_colour(*SETUP_RING_AT[low], DIM_RING, tolerance=8)
            game.tap("Escape")
            game.wait_for_main_menu(low=low)
        # Back at 640 x 480 the render mode is the plain doubling, not the one before.
        self.assertEqual(game.read("Vespertil.cfg"), settings_bytes(0, 2, 0, 100, 90, 1, 1))
        game.leave("e")  # the English exit key
        game.finish()


if __name__ == "__main__":
    unittest.main()
