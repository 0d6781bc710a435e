"""A level in a real window: the replay tool's record mode plays MAP/prueba.map with
the real keyboard at the real pace (the game's own level run, intro panel and frame
loop); the replay it wrote, played back headless, must end as the recorded run did.
On the way the game's thread must sleep while it waits, on the panel and between
frames of play, and play must keep its pace: a frame every two ticks."""

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
        game.press("space", hold=2.0)  # a key play does not read, but the replay keeps

        game.press("Escape")
        self.assertEqual(game.wait_exit(20), 0, game.stderr())
        recorded = game.stdout().strip().splitlines()[-1]
        self.assertRegex(recorded, r"^result 1 frames [1-9][0-9]* switches 0 energy 255$")
        replay = game.read("played.replay").decode()
        self.assertTrue(replay.startswith("VESPERTIL REPLAY 1\nmap prueba.map\nsha256 "))
        self.assertIn("RIGHT", replay)
        # A frame is two 17 ms ticks: a key held two seconds is down for 59 frames, give
        # or take one. A busy machine may make a frame late or stretch the hold a little.
        runs = [line.split() for line in replay.splitlines()[3:]]
        held = sum(int(count) for count, keys in runs if "SPACE" in keys.split("+"))
        print("space held for %d frames" % held)
        self.assertTrue(50 <= held <= 66, "a two-second hold lasted %d frames" % held)
        out = subprocess.run([REPLAY_BIN, game.path("played.replay"), "--game-dir", game.dir],
                             capture_output=True, text=True, timeout=60)
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(out.stdout.strip().splitlines()[-1], recorded)


if __name__ == "__main__":
    unittest.main()
