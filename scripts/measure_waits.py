"""Measures the real game under Xvfb: how soon after its start the logo and then the
main menu are on the screen, and how much CPU each of its threads uses while a screen
waits for a key, while the main menu idles with its backdrop animating and while a
level plays.

Not a test: it prints figures (or writes them as JSON for scripts/measure.sh, which
runs it). Run from build/:
    VESPERTIL_BIN=$PWD/game/vespertil VESPERTIL_REPLAY_BIN=$PWD/tools/replay/vespertil-replay \\
    VESPERTIL_GAME_DIR=$PWD/game python3 ../scripts/measure_waits.py [--json OUT]

Run without a sound device, as here, the game has three threads: the main one, which
runs all of the game's own code; the library's X11 background thread, which polls the
X connection about a thousand times a second whatever the game does; and the
library's timer thread, which posts the 17 ms tick. The X11 thread is told from the
timer thread as the one of the two that has used more CPU since the start.
"""

import json
import os
import statistics
import struct
import subprocess
import sys
import time
import unittest

# The whole-game tests' driver (Xvfb, keys, screenshots).
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import DIM_RING, END_2, END_1, LOGO, REPLAY_BIN, Game, near, settings_bytes

TICKS_PER_SECOND = 1000 / 17
MENU_RING_AT = Game.MENU_RING_AT[False]
PANEL_RING = (255, 255, 255)           # the level-intro panel's bright title box
PANEL_RING_AT = (162, 200)
# Where the logo is last seen while the main menu's first frame is revealed over it:
# the square reveal draws the edges of each 16 x 16 cell last, the interlaced one the
# odd rows; a few of each, spread over the screen.
REVEAL_PROBES = [(x, y) for x in (0, 15, 160, 319, 320, 495, 624, 639)
                 for y in (1, 15, 112, 239, 240, 367, 463, 477)]


def logo_everywhere(shot):
    return all(near(shot.pixel(x, y), LOGO, 8) for x, y in REVEAL_PROBES)


def boot_seconds():
    return time.clock_gettime(time.CLOCK_BOOTTIME)


def started_at(pid):
    """When the process was started, on the boot clock (to the 10 ms of a clock tick)."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[19]) / os.sysconf("SC_CLK_TCK")


class Screen:
    """Reads pixels of the whole display straight from xwd's output: far quicker than
    the harness's screenshots (no conversion), so a change is seen within a few
    hundredths of a second."""

    def __init__(self, game):
        self.game = game

    def grab(self):
        data = subprocess.run(["xwd", "-root", "-silent"], env=self.game.xenv(),
                              capture_output=True, check=True).stdout
        f = struct.unpack(">25I", data[:100])
        header, visual, ncolours = f[0], f[13], f[19]
        if f[7] != 0 or f[11] not in (24, 32) or f[14:17] != (0xff0000, 0xff00, 0xff):
            raise RuntimeError("expected little-endian 8-bit channels, not %s" % (f,))
        # Once the game has set its mode the pixels are three bytes each (the lines
        # stay four bytes a pixel long), and the library has asked for a DirectColor
        # visual: each channel is then an index into the colour map xwd writes.
        self.size, self.line = f[11] // 8, f[12]
        self.table = None
        if visual == 5:
            self.table = [list(range(256)) for _ in range(3)]
            for i in range(ncolours):
                at = header + 12 * i
                pixel, r, g, b = struct.unpack(">I3H", data[at:at + 10])
                self.table[0][(pixel >> 16) & 255] = r >> 8
                self.table[1][(pixel >> 8) & 255] = g >> 8
                self.table[2][pixel & 255] = b >> 8
        self.data = data
        self.offset = header + 12 * ncolours  # after the name and the colour map
        return self

    def pixel(self, x, y):
        i = self.offset + y * self.line + self.size * x
        b, g, r = self.data[i:i + 3]
        if self.table:
            return self.table[0][r], self.table[1][g], self.table[2][b]
        return r, g, b


def thread_ns(pid):
    """CPU time of each thread of the process so far, in nanoseconds (schedstat)."""
    found = {}
    task_dir = "/proc/%d/task" % pid
    for task in os.listdir(task_dir):
        try:
            with open(os.path.join(task_dir, task, "schedstat")) as f:
                found[int(task)] = int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended meanwhile
    return found


def sleeps(pid):
    """How many times the main thread has gone to sleep so far."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("voluntary_ctxt_switches:"):
                return int(line.split()[1])
    raise RuntimeError("no switch count for the game")


def x11_thread(pid):
    others = {t: ns for t, ns in thread_ns(pid).items() if t != pid}
    return max(others, key=others.get) if others else None


def cpu_spells(game, spells, seconds=1.0, paced=False):
    """Shares of one core used by the main thread, the X11 thread and the whole
    process, each the median of `spells` spells of `seconds`. Other work on a busy
    machine adds to a thread's time, so the spread is kept too. With `paced`, a spell
    in which the main thread slept fewer times than there were ticks fell behind and
    drew fewer frames; it is not counted."""
    pid = game.proc.pid
    x11 = x11_thread(pid)
    kept, dropped = [], 0
    for _ in range(spells):
        start = time.monotonic()
        before, slept = thread_ns(pid), sleeps(pid)
        time.sleep(seconds)
        after, slept_after = thread_ns(pid), sleeps(pid)
        spent = time.monotonic() - start
        used = {t: ns - before.get(t, 0) for t, ns in after.items()}
        spell = (used.get(pid, 0) / spent / 1e9, used.get(x11, 0) / spent / 1e9,
                 sum(used.values()) / spent / 1e9)
        if paced and (slept_after - slept) / spent < 0.95 * TICKS_PER_SECOND:
            dropped += 1
            continue
        kept.append(spell)
    if not kept:
        raise RuntimeError("the game fell behind its ticks in every spell")
    columns = list(zip(*kept))
    return {
        "main": statistics.median(columns[0]),
        "x11": statistics.median(columns[1]),
        "process": statistics.median(columns[2]),
        "main_range": [min(columns[0]), max(columns[0])],
        "process_range": [min(columns[2]), max(columns[2])],
        "spells": len(kept),
        "dropped": dropped,
        "threads": len(thread_ns(pid)),
    }


class Measure(unittest.TestCase):
    figures = {}

    def test_game(self):
        game = Game(self)
        game.own_pictures()
        game.write("Vespertil.cfg", settings_bytes(0, 1, 0, 128, 128, 0, 0))
        game.start("windowed")
        start = started_at(game.proc.pid)
        screen = Screen(game)

        # The logo, the first picture shown.
        deadline = time.monotonic() + 30
        while not near(screen.grab().pixel(320, 240), LOGO):
            self.assertLess(time.monotonic(), deadline, "no logo: " + game.stderr()[-500:])
            time.sleep(0.01)
        self.figures["start_to_logo"] = boot_seconds() - start

        # The splash holds the logo for 60 retraces, then takes a key: press one until
        # the menu's reveal begins, as an impatient player would. Space means nothing
        # to the main menu.
        geo = game.window_geometry()
        subprocess.run(["xdotool", "mousemove", str(geo[0] + geo[2] // 2),
                        str(geo[1] + geo[3] // 2)], env=game.xenv(), check=True)
        deadline = time.monotonic() + 30
        while logo_everywhere(screen.grab()):
            self.assertLess(time.monotonic(), deadline, "the splash never ended")
            subprocess.run(["xdotool", "keydown", "space", "sleep", "0.03", "keyup", "space"],
                           env=game.xenv(), check=True)
        self.figures["start_to_splash_end"] = boot_seconds() - start
        # The menu's first frame, whole: no logo left anywhere and the panel drawn.
        deadline = time.monotonic() + 30
        while True:
            shot = screen.grab()
            if (not any(near(shot.pixel(x, y), LOGO, 8) for x, y in REVEAL_PROBES)
                    and near(shot.pixel(*MENU_RING_AT), DIM_RING, 8)):
                break
            self.assertLess(time.monotonic(), deadline, "the main menu never showed whole")
            time.sleep(0.01)
        self.figures["start_to_menu"] = boot_seconds() - start

        time.sleep(1)
        self.figures["menu_idle"] = cpu_spells(game, 8, paced=True)

        # ESC: the first end picture, which waits for a key.
        game.press("Escape", hold=0.3)
        game.wait_until_shown(END_1, 0, 0, 640, 480)
        time.sleep(1)
        self.figures["end_picture_wait"] = cpu_spells(game, 5)

        game.press("Return")
        game.wait_for_colour(320, 240, END_2, timeout=20)
        game.press("a")
        self.assertEqual(game.wait_exit(15), 0, game.stderr())

    def test_level(self):
        game = Game(self, binary=REPLAY_BIN)
        game.start("--record", "played.replay", "prueba.map")
        game.wait_for_colour(*PANEL_RING_AT, PANEL_RING, timeout=40)
        time.sleep(1)
        self.figures["title_panel_wait"] = cpu_spells(game, 4)

        game.press("Right", hold=0.3)
        deadline = time.monotonic() + 10
        while near(game.screenshot("play").pixel(*PANEL_RING_AT), PANEL_RING):
            self.assertLess(time.monotonic(), deadline, "the panel never closed")
            time.sleep(0.2)
        time.sleep(0.5)
        self.figures["play"] = cpu_spells(game, 5)
        self.assertTrue(game.running(), "the level ended while it was measured")

        game.press("Escape")
        self.assertEqual(game.wait_exit(20), 0, game.stderr())
        self.assertRegex(game.stdout().strip().splitlines()[-1], r"^result 1 frames [1-9]")


def describe(figures):
    lines = []
    for name in ("start_to_logo", "start_to_splash_end", "start_to_menu"):
        if name in figures:
            lines.append("%s: %.2f s" % (name, figures[name]))
    for name in ("end_picture_wait", "title_panel_wait", "menu_idle", "play"):
        if name in figures:
            f = figures[name]
            lines.append("%s: main thread %.2f%%, X11 thread %.2f%%, process %.2f%% of a core"
                         " (median of %d spells)"
                         % (name, 100 * f["main"], 100 * f["x11"], 100 * f["process"], f["spells"]))
    return "\n".join(lines)


if __name__ == "__main__":
    out = None
    if sys.argv[1:2] == ["--json"] and len(sys.argv) == 3:
        out = sys.argv[2]
    elif len(sys.argv) > 1:
        sys.exit("usage: measure_waits.py [--json OUT]")
    suite = unittest.TestSuite([Measure("test_game"), Measure("test_level")])
    result = unittest.TextTestRunner(verbosity=0, stream=sys.stderr).run(suite)
    if out:
        with open(out, "w") as f:
            json.dump(Measure.figures, f, indent=1)
    else:
        print(describe(Measure.figures))
    sys.exit(0 if result.wasSuccessful() else 1)
