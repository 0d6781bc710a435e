"""Whole-game checks of a level's extras in a real window, each level reached through
the level browser (main menu: DOWN, ENTER; the browser then lists only the maps the
test left in MAP/, and ENTER plays the first): Ctrl + Alt + P writes snapshot.pcx,
a picture of the screen's size that reads back, says "SNAPSHOT SAVED" for 600 frames
and takes no other picture meanwhile, then takes one again; a save that cannot be
made says "SNAPSHOT FAILED" and play goes on; through ALSA's file device, a refill,
a jump and a switch each put their cue into the recording panned toward the hero's
side of the room, and the rainy map's rain loop sounds, again when the same map is
played a second time from the browser.

The failing save: the tests run as root, to whom a read-only directory is no
obstacle, so the game directory holds a directory named snapshot.pcx instead; the
picture is written beside it and cannot take its name.
"""

import math
import os
import struct
import subprocess
import time
import unittest

from harness import Game, near, read_ppm, wav_samples

LOGO = (200, 40, 40)
MENU_RING = (128, 128, 128)
BROWSER_LIST_RING = (216, 350)
INTRO_PANEL_RING = (162, 200)
BRIGHT = (255, 255, 255)

# The snapshot message's band: 16 rows from y = 127, "SNAPSHOT SAVED" from x = 208 to
# 431, "SNAPSHOT FAILED" from 200 to 439.
MESSAGE_BAND = (190, 127, 450, 143)
MESSAGE_FRAMES = 600
FRAME_SECONDS = 0.034


def settings_bytes(*slots):
    return b"".join(int(v).to_bytes(4, "little", signed=True) for v in slots)


def silent_wav(seconds=0.1, rate=22050):
    n = int(rate * seconds)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, 2 * rate, 2, 16)
    data = b"\0\0" * n
    return (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<I", 16) +
            fmt + b"data" + struct.pack("<I", len(data)) + data)


def is_glyph(colour):
    """The menu font's letters: deep orange to pale yellow, strong red, far less blue."""
    r, _, b = colour
    return r >= 200 and r - b >= 60


def glyph_xs(img, band=MESSAGE_BAND):
    x0, y0, x1, y1 = band
    return sorted({x for y in range(y0, y1) for x in range(x0, x1) if is_glyph(img.pixel(x, y))})


def pcx_picture(data):
    """Width, height and the decoded size of a 24-bit PCX as the library writes it; the
    decoding runs through every byte, so a cut or broken file is refused."""
    if len(data) < 128 or data[0] != 10 or data[2] != 1 or data[3] != 8:
        raise ValueError("not an 8-bit run-length PCX")
    xmin, ymin, xmax, ymax = struct.unpack("<HHHH", data[4:12])
    planes, per_line = data[65], struct.unpack("<H", data[66:68])[0]
    w, h = xmax - xmin + 1, ymax - ymin + 1
    want, out, pos = h * planes * per_line, 0, 128
    while out < want:
        if pos >= len(data):
            raise ValueError("the picture ends after %d of %d bytes" % (out, want))
        b = data[pos]
        pos += 1
        if b >= 0xC0:
            if pos >= len(data):
                raise ValueError("a run without its byte")
            out += b & 0x3F
            pos += 1
        else:
            out += 1
    return w, h, planes, out


def level_game(test, keep, audio=None, music_volume=128):
    """A game whose MAP/ holds only the map `keep`, started and at the main menu. The
    logo, the logo jingle and the intro panel's hum are quiet stand-ins, so that a
    recording holds little besides what a test listens for."""
    game = Game(test, audio=audio)
    for name in os.listdir(game.path("MAP")):
        if name != keep:
            os.remove(game.path("MAP/" + name))
    game.make_picture("GFX/ZENTIX.JPG", 640, 480, LOGO)
    game.write("sfx/mirvane.wav", silent_wav())
    game.write("sfx/info.wav", silent_wav())
    game.write("Vespertil.cfg", settings_bytes(0, 1, 1, music_volume, 255, 0, 0))
    game.start("windowed")
    game.wait_for_colour(320, 240, LOGO, timeout=30)
    time.sleep(1.2)  # the key buffer is emptied 60 retraces after the logo shows
    game.press("space")
    game.wait_for_main_menu()
    return game


def play_from_browser(test, game, first_time=True):
    """From the main menu (or, later, the browser) into the level, its panel closed."""
    if first_time:
        game.press("Down")
        game.press("Return")
    game.wait_for_colour(*BROWSER_LIST_RING, MENU_RING, timeout=20, tolerance=8)
    game.press("Return")
    game.wait_for_colour(*INTRO_PANEL_RING, BRIGHT, timeout=30)
    game.press("Return")
    deadline = time.time() + 10
    while near(game.screenshot("play").pixel(*INTRO_PANEL_RING), BRIGHT):
        test.assertLess(time.time(), deadline, "the intro panel never closed")
        time.sleep(0.2)


def hold(game, keys, seconds=0.15):
    """Several keys held together (the keyboard follows the pointer: into the window)."""
    geo = game.window_geometry(timeout=2)
    if geo:
        x, y, w, h = geo
        subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2)],
                       env=game.xenv(), check=True)
    subprocess.run(["xdotool", "keydown"] + keys, env=game.xenv(), check=True)
    time.sleep(seconds)
    subprocess.run(["xdotool", "keyup"] + list(reversed(keys)), env=game.xenv(), check=True)


SNAPSHOT_KEYS = ["Control_L", "Alt_L", "p"]


def wait_for_file(game, name, timeout=5):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if game.exists(name):
            return True
        time.sleep(0.1)
    return False


class Snapshot(unittest.TestCase):
    def test_saved_read_back_said_for_its_frames_and_taken_again_after(self):
        game = level_game(self, "fxlight.map")
        play_from_browser(self, game)
        before = game.screenshot("before")
        self.assertEqual(glyph_xs(before), [], "no message before the keys")

        hold(game, SNAPSHOT_KEYS)
        self.assertTrue(wait_for_file(game, "snapshot.pcx"), game.stderr())
        taken = time.time()
        time.sleep(0.5)
        w, h, planes, size = pcx_picture(game.read("snapshot.pcx"))
        self.assertEqual((w, h, planes), (640, 480, 3))
        self.assertEqual(sorted(n for n in os.listdir(game.dir) if n.startswith("snapshot")),
                         ["snapshot.pcx"], "nothing left beside it")
        shown = game.screenshot("saved")
        xs = glyph_xs(shown)
        self.assertTrue(xs and 208 <= xs[0] <= 212 and 427 <= xs[-1] <= 431,
                        "SNAPSHOT SAVED, centred: letters from %s to %s" % (xs[:1], xs[-1:]))
        # The picture is the screen without the message: the frame round the view and
        # the title match the window.
        convert = subprocess.run(["convert", game.path("snapshot.pcx"), game.path("snap.ppm")])
        self.assertEqual(convert.returncode, 0)
        snap = read_ppm(game.path("snap.ppm"))
        for x, y in ((20, 100), (600, 400), (320, 20), (300, 450)):
            self.assertTrue(near(snap.pixel(x, y), before.pixel(x, y), 8), (x, y))
        self.assertEqual(glyph_xs(snap), [], "no message in the picture")

        # While the message shows the keys take no picture.
        os.remove(game.path("snapshot.pcx"))
        hold(game, SNAPSHOT_KEYS)
        time.sleep(1.5)
        self.assertFalse(game.exists("snapshot.pcx"), "a second picture under the message")

        # The message goes after its 600 frames, and the keys take a picture again.
        # Gone only when two shots half a second apart both lack it: a shot taken while
        # a frame is being put on the screen can catch the view without its message.
        deadline = taken + MESSAGE_FRAMES * FRAME_SECONDS * 2 + 10
        missing = 0
        while missing < 2:
            self.assertLess(time.time(), deadline, "the message never went")
            missing = 0 if glyph_xs(game.screenshot("waiting")) else missing + 1
            time.sleep(0.5)
        lasted = time.time() - taken
        self.assertGreater(lasted, MESSAGE_FRAMES * FRAME_SECONDS * 0.8)
        hold(game, SNAPSHOT_KEYS)
        self.assertTrue(wait_for_file(game, "snapshot.pcx"), "no picture after the message")
        time.sleep(0.5)
        self.assertEqual(pcx_picture(game.read("snapshot.pcx"))[:2], (640, 480))
        print("\nthe message lasted %.1f s" % lasted)

        game.press("Escape")
        game.wait_for_colour(*BROWSER_LIST_RING, MENU_RING, timeout=20, tolerance=8)

    def test_a_save_that_cannot_be_made_is_said_and_play_goes_on(self):
        game = level_game(self, "fxlight.map")
        os.mkdir(game.path("snapshot.pcx"))
        play_from_browser(self, game)
        hold(game, SNAPSHOT_KEYS)
        deadline = time.time() + 5
        xs = []
        while time.time() < deadline and not xs:
            xs = glyph_xs(game.screenshot("failed"))
        self.assertTrue(xs and 200 <= xs[0] <= 204 and 435 <= xs[-1] <= 439,
                        "SNAPSHOT FAILED, centred: letters from %s to %s" % (xs[:1], xs[-1:]))
        self.assertTrue(os.path.isdir(game.path("snapshot.pcx")))
        self.assertEqual(sorted(n for n in os.listdir(game.dir) if n.startswith("snapshot")),
                         ["snapshot.pcx"])
        # Play goes on: the hero walks right, the room view below the message changes.
        still = game.screenshot("still")
        game.press("Right", hold=1.0)
        moved = game.screenshot("moved")
        changed = sum(1 for y in range(250, 345, 2) for x in range(81, 561, 2)
                      if still.pixel(x, y) != moved.pixel(x, y))
        self.assertGreater(changed, 50, "the hero did not move")
        self.assertTrue(glyph_xs(moved), "the message stays while play goes on")
        game.press("Escape")
        game.wait_for_colour(*BROWSER_LIST_RING, MENU_RING, timeout=20, tolerance=8)


# ---- Sound ---------------------------------------------------------------------------

WINDOW = 441  # 10 ms at 44.1 kHz


def recording(test, game):
    samples, rate = wav_samples(game.path("capture.wav"))
    test.assertEqual(rate, 44100)
    return samples[0::2], samples[1::2]


def loudness(left, right):
    """RMS of each channel over 10 ms windows."""
    out = []
    for i in range(0, min(len(left), len(right)) - WINDOW, WINDOW):
        l, r = left[i:i + WINDOW], right[i:i + WINDOW]
        out.append((math.sqrt(sum(v * v for v in l) / WINDOW),
                    math.sqrt(sum(v * v for v in r) / WINDOW)))
    return out


def sound_bursts(levels, threshold=150, gap=8):
    """(first window, last window, left energy, right energy) of each stretch of sound;
    stretches closer than `gap` windows are one."""
    found = []
    for i, (l, r) in enumerate(levels):
        if max(l, r) < threshold:
            continue
        if found and i - found[-1][1] <= gap:
            a, _, el, er = found[-1]
            found[-1] = (a, i, el + l * l, er + r * r)
        else:
            found.append((i, i, l * l, r * r))
    return found


def envelope(samples, rate):
    """RMS of each 10 ms of a sound."""
    n = rate // 100
    return [math.sqrt(sum(v * v for v in samples[i:i + n]) / n)
            for i in range(0, len(samples) - n, n)]


def likeness(a, b):
    """Correlation of two envelopes over their common length."""
    n = min(len(a), len(b))
    a, b = a[:n], b[:n]
    ma, mb = sum(a) / n, sum(b) / n
    num = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    da = math.sqrt(sum((x - ma) ** 2 for x in a))
    db = math.sqrt(sum((y - mb) ** 2 for y in b))
    return num / (da * db) if da and db else 0.0


def which_sample(game, burst_samples, names):
    """The sample of the game directory whose loudness over time the burst follows
    best (allowing its start to lie up to 30 ms into the burst), and how well."""
    heard = envelope(burst_samples, 44100)
    scores = {}
    for name in names:
        samples, rate = wav_samples(game.path("sfx/%s.wav" % name))
        shape = envelope(samples, rate)
        scores[name] = max(likeness(heard[k:], shape) for k in range(4))
    best = max(scores, key=scores.get)
    return best, scores


def estimated_pan(left_energy, right_energy):
    """The pan (0 left, 255 right) that shares a sound out as measured."""
    l, r = math.sqrt(left_energy), math.sqrt(right_energy)
    return 255 * r / (l + r)


def captured_windows(game):
    """How many 10 ms windows the recording holds so far."""
    try:
        return (os.path.getsize(game.path("capture.wav")) - 44) // 4 // WINDOW
    except OSError:
        return 0


class LevelSound(unittest.TestCase):
    def test_refill_jump_and_switch_cues_follow_the_hero(self):
        # fxlight's start room: the hero starts at the left with a refill two cells on,
        # and a switch stands at the far right. No music.
        game = level_game(self, "fxlight.map", audio="record", music_volume=0)
        play_from_browser(self, game)
        time.sleep(1.0)
        start = captured_windows(game)
        game.press("Right", hold=0.6)   # onto the refill
        time.sleep(1.2)
        game.press("Up", hold=0.1)      # a jump, still at the left
        time.sleep(1.8)
        game.press("Right", hold=3.2)   # across the room, through the switch
        time.sleep(1.2)
        game.press("Escape")
        game.wait_for_colour(*BROWSER_LIST_RING, MENU_RING, timeout=20, tolerance=8)
        left, right = recording(self, game)
        found = sound_bursts(loudness(left, right)[start:])
        cues = ["energia", "salto", "palanca"]
        heard = []
        for a, b, el, er in found:
            louder = left if el > er else right
            burst = louder[(start + a) * WINDOW:(start + b + 30) * WINDOW]
            name, scores = which_sample(game, burst, cues)
            heard.append((name, scores[name], estimated_pan(el, er)))
        described = "; ".join("%s (likeness %.2f) at pan %.0f" % h for h in heard)
        print("\ncues heard: " + described)
        self.assertEqual([h[0] for h in heard], cues, "a refill, a jump, a switch: " + described)
        for name, score, _ in heard:
            self.assertGreater(score, 0.9, "%s follows its sample: %s" % (name, described))
        # The hero takes the refill standing on cells 2 to 3 (pans 40 to 72), jumps
        # from about there, and throws the switch entering cell 11 or 12 (176 to 216).
        pans = [h[2] for h in heard]
        self.assertTrue(30 <= pans[0] <= 80 and 30 <= pans[1] <= 90, described)
        self.assertTrue(165 <= pans[2] <= 225, described)

    def test_the_rain_loop_sounds_and_again_on_a_second_play(self):
        game = level_game(self, "fxrain.map", audio="record", music_volume=0)
        spans = []
        for first in (True, False):
            play_from_browser(self, game, first_time=first)
            time.sleep(0.5)
            a = captured_windows(game)
            time.sleep(3.0)
            b = captured_windows(game)
            game.press("Escape")
            game.wait_for_colour(*BROWSER_LIST_RING, MENU_RING, timeout=20, tolerance=8)
            time.sleep(1.0)
            spans.append((a, b, captured_windows(game)))
        game.press("Escape")
        left, right = recording(self, game)
        levels = loudness(left, right)
        for run, (a, b, after) in enumerate(spans):
            rain = levels[a:b]
            sounding = sum(1 for l, r in rain if r > 300)
            self.assertGreater(sounding, 0.9 * len(rain), "run %d: the rain loop plays" % (run + 1))
            # Rain plays at the right edge; only a thunder clap may sound at the left.
            self.assertLess(sorted(l for l, _ in rain)[len(rain) // 2],
                            0.1 * sorted(r for _, r in rain)[len(rain) // 2])
            # It stops with the level.
            quiet = levels[after - 50:after]
            self.assertTrue(quiet and max(max(l, r) for l, r in quiet) < 100,
                            "run %d: the rain stops when the level ends" % (run + 1))


if __name__ == "__main__":
    unittest.main()
