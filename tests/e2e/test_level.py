"""A level in a real window: the replay tool's record mode plays MAP/prueba.map with
the real keyboard at the real pace (the game's own level run, intro panel and frame
loop); the replay it wrote, played back headless, must end as the recorded run did.
On the way the game's thread must sleep while it waits, on the panel and between
frames of play."""

import subprocess
import unittest

from harness import BRIGHT_RING, INTRO_PANEL_RING, REPLAY_BIN, Game


class RecordedLevel(unittest.TestCase):
    def test_recorded_play_replays_to_the_same_end(self):
        game = Game(self, binary=REPLAY_BIN)
        game.start("--record", "played.replay", "prueba.map")
        game.wait_for_colour(*INTRO_PANEL_RING, BRIGHT_RING, timeout=40)
        idle = game.cpu_share(3)[0]
        self.assertLess(idle, 0.01, "the intro panel must sleep while it waits")

        game.press("Right", hold=0.5)
        game.wait_for_colour(*INTRO_PANEL_RING, BRIGHT_RING, timeout=10, gone=True)  # the room view
        game.press("Up", hold=0.1)
        playing = game.cpu_share(3)[0]
        self.assertLess(playing, 0.05, "a frame of play must cost little and wait asleep")
        print("\nintro panel: %.2f%% of a core, play: %.2f%%" % (100 * idle, 100 * playing))

        game.press("Escape")
        self.assertEqual(game.wait_exit(20), 0, game.stderr())
        recorded = game.stdout().strip().splitlines()[-1]
        self.assertRegex(recorded, r"^result 1 frames [1-9][0-9]* switches 0 energy 255$")
        replay = game.read("played.replay").decode()
        self.assertTrue(replay.startswith("VESPERTIL REPLAY 1\nmap prueba.map\nsha256 "))
        self.assertIn("RIGHT", replay)
        out = subprocess.run([REPLAY_BIN, game.path("played.replay"), "--game-dir", game.dir],
                             capture_output=True, text=True, timeout=60)
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(out.stdout.strip().splitlines()[-1], recorded)


if __name__ == "__main__":
    unittest.main()
