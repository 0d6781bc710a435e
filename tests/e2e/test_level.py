"""Whole-game checks of a level run in a real window: the replay tool's record mode
plays MAP/prueba.map with the real keyboard at the real pace (the game's own level
run, intro panel and frame loop), then the replay it wrote is played back headless
and must end exactly as the recorded run did. On the way, the game's thread must
sleep while it waits: on the intro panel and between frames of play.
"""

import subprocess
import time
import unittest

from harness import BRIGHT_RING, INTRO_PANEL_RING, REPLAY_BIN, Game


def cpu_share(game, seconds):
    before = game.cpu_seconds(main_thread_only=True)
    time.sleep(seconds)
    return (game.cpu_seconds(main_thread_only=True) - before) / seconds


class RecordedLevel(unittest.TestCase):
    def test_recorded_play_replays_to_the_same_end(self):
        game = Game(self, binary=REPLAY_BIN)
        game.start("--record", "played.replay", "prueba.map")
        game.wait_for_colour(*INTRO_PANEL_RING, BRIGHT_RING, timeout=40)

        idle = cpu_share(game, 3)
        self.assertLess(idle, 0.01, "the intro panel must sleep while it waits")

        game.press("Right", hold=0.5)
        game.wait_until_gone(*INTRO_PANEL_RING, BRIGHT_RING)  # the room view covers it
        game.press("Up", hold=0.1)
        playing = cpu_share(game, 3)
        self.assertLess(playing, 0.05, "a frame of play must cost little and wait asleep")

        game.press("Escape")
        self.assertEqual(game.wait_exit(20), 0, game.stderr())
        recorded = game.stdout().strip().splitlines()[-1]
        self.assertRegex(recorded, r"^result 1 frames [1-9][0-9]* switches 0 energy 255$")
        print("\nintro panel: %.2f%% of a core, play: %.2f%%" % (100 * idle, 100 * playing))

        replay = game.read("played.replay").decode()
        self.assertTrue(replay.startswith("VESPERTIL REPLAY 1\nmap prueba.map\nsha256 "))
        self.assertIn("RIGHT", replay)
        self.assertIn("ESC", replay)
        out = subprocess.run([REPLAY_BIN, game.path("played.replay"), "--game-dir", game.dir],
                             capture_output=True, text=True, timeout=60)
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(out.stdout.strip().splitlines()[-1], recorded)


if __name__ == "__main__":
    unittest.main()
