"""Whole-game test driver: runs the real vespertil binary on a private Xvfb display
in a fresh temporary game directory, sends it keys with xdotool, reads screenshots
back (xwd through ImageMagick) and checks the files it writes. Everything it starts
is killed by pid when the test ends, whether the checks passed or not."""

import math
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

GAME_BIN = os.environ.get("VESPERTIL_BIN", "")
GAME_DATA = os.environ.get("VESPERTIL_GAME_DIR", "")
REPLAY_BIN = os.environ.get("VESPERTIL_REPLAY_BIN", "")  # plays and records a level in a window

# Solid pictures the checks recognise, whatever content the build made.
LOGO, END_1, END_2 = (200, 40, 40), (40, 200, 40), (40, 40, 200)
# A panel's middle bevel ring: grey when dim, white when bright, whatever lies under it.
DIM_RING, BRIGHT_RING = (128, 128, 128), (255, 255, 255)
INTRO_PANEL_RING = (162, 200)  # the level-intro panel's bright title box

# What a first start without sound writes: the start-up log and the default settings.
NO_SOUND_LOG = (b"\nReservando voces."
                b"\nError: Imposible inicializar sonido => Audio Desactivado."
                b"\nError: Imposible inicializar sonido => Audio Desactivado.")
DEFAULTS_LOG = b'\nError: Imposible abrir archivo "Vespertil.cfg" => Configuraci\xa2n por defecto.'


def settings_bytes(*slots):
    """The settings file: resolution, render, sound, music, effects, language, window."""
    return b"".join(int(v).to_bytes(4, "little", signed=True) for v in slots)


DEFAULT_SETTINGS = settings_bytes(0, 1, 0, 128, 128, 0, 0)


def tone_wav(freq, seconds, rate=22050):
    """A 16-bit mono sine tone as a WAV file (silence for freq 0)."""
    body = b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * freq * i / rate)))
                    for i in range(int(rate * seconds)))
    fmt = struct.pack("<HHIIHH", 1, 1, rate, 2 * rate, 2, 16)
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(body)) + body
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


class Image:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])


def read_picture(path, *convert_args):
    """Any picture ImageMagick reads, as 8-bit RGB; `convert_args` go before the output."""
    data = subprocess.run(["convert", path] + list(convert_args) + ["-depth", "8", "ppm:-"],
                          capture_output=True, check=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:  # P6, width, height, 255, with comment lines between
        end = data.index(b"\n", pos)
        if not data[pos:end].startswith(b"#"):
            fields += data[pos:end].split()
        pos = end + 1
    w, h = int(fields[1]), int(fields[2])
    return Image(w, h, data[pos:pos + 3 * w * h])


def near(colour, expected, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def start_xvfb(screen="800x600x24"):
    """A private X server (800 x 600 unless told) on a free display it picks and names (-displayfd).
    It never resets (a game connecting as a screenshot leaves would be refused) and a
    held key repeats only after a minute (repeats would wait in the game's key buffer)."""
    proc = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp",
                             "-noreset", "-ardelay", "60000"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    text = proc.stdout.readline()  # the display's number, or nothing when it could not start
    proc.stdout.close()
    if not text.strip().isdigit():
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    return proc, ":%d" % int(text)


class Game:
    """One run of the game in its own directory on its own display. audio: None (no
    sound device: the game switches audio off), "null" (ALSA's null device) or
    "record" (ALSA's file device: what is played ends up in capture.wav)."""

    MENU_RING_AT = {False: (207, 380), True: (47, 100)}  # the main menu's body panel

    def __init__(self, test, audio=None, with_data=True, binary=None):
        self.binary = binary or GAME_BIN
        if not self.binary or not os.path.exists(self.binary):
            raise unittest.SkipTest("%s is not built" % (self.binary or "VESPERTIL_BIN"))
        self.test, self.audio, self.proc, self.xvfb = test, audio, None, None
        self.dir = tempfile.mkdtemp(prefix="vespertil-e2e-")
        for sub in ("GFX", "MAP", "sfx"):
            if with_data and GAME_DATA and os.path.isdir(os.path.join(GAME_DATA, sub)):
                shutil.copytree(os.path.join(GAME_DATA, sub), self.path(sub))
            os.makedirs(self.path(sub), exist_ok=True)
        test.addCleanup(self.close)

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def stderr(self):
        return self.read("stderr.txt").decode("latin-1")

    def stdout(self):
        return self.read("stdout.txt").decode("latin-1")

    def own_pictures(self, low=False):
        """The logo and the end pictures as solid pictures."""
        size, suffix = ("320x200", "_baja") if low else ("640x480", "")
        for name, size, colour in (("GFX/ZENTIX.JPG", "640x480", LOGO),
                                   ("GFX/enddemo_1%s.jpg" % suffix, size, END_1),
                                   ("GFX/enddemo_2%s.jpg" % suffix, size, END_2)):
            subprocess.run(["convert", "-size", size, "xc:#%02x%02x%02x" % colour, self.path(name)],
                           check=True)

    def start(self, *args, extra_env=None, screen="800x600x24"):
        """No xmessage on its PATH: the library's message box goes to the terminal."""
        self.xvfb, self.display = start_xvfb(screen)
        env = dict(extra_env or {}, DISPLAY=self.display, HOME=self.dir, PATH=self.path("no-programs"))
        os.makedirs(env["PATH"], exist_ok=True)
        if self.audio:
            env["ALSA_CONFIG_PATH"] = self.path("asound.conf")
            self.write("asound.conf", (b"pcm.!default { type null }\n" if self.audio == "null" else (
                'pcm.!default {\n type plug\n slave.pcm {\n  type file\n  slave.pcm { type null }\n'
                '  file "%s"\n  format "wav"\n }\n slave.format S16_LE\n}\n' % self.path("capture.wav")).encode()))
        with open(self.path("stdout.txt"), "wb") as out, open(self.path("stderr.txt"), "wb") as err:
            self.proc = subprocess.Popen([self.binary] + list(args), cwd=self.dir, env=env,
                                         stdout=out, stderr=err, start_new_session=True)
        return self

    def leftover_processes(self):
        """Pids still alive (not zombies) in the game's session."""
        out = subprocess.run(["ps", "-o", "pid=,stat=", "-s", str(self.proc.pid)], capture_output=True,
                             text=True).stdout
        return [int(pid) for pid, stat in map(str.split, out.splitlines()) if not stat.startswith("Z")]

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def close(self):
        if self.running():
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()
        if self.xvfb:
            self.xvfb.kill()
            self.xvfb.wait()
        shutil.rmtree(self.dir, ignore_errors=True)

    def xenv(self):
        return dict(os.environ, DISPLAY=self.display)

    def window_geometry(self, timeout=15):
        """(x, y, width, height) of the game's window, once it is mapped."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            out = subprocess.run(["xwininfo", "-root", "-tree"], env=self.xenv(),
                                 capture_output=True, text=True).stdout
            for line in out.splitlines():
                if '("allegro"' in line:
                    size, _, pos = line.split(")")[-1].split()[0].partition("+")  # 640x480+0+0
                    return tuple(int(v) for v in pos.split("+")[:2] + size.split("x"))
            if not self.running():
                break
            time.sleep(0.1)
        return None

    def press(self, *keys, hold=0.1):
        """Holds keys together, in one xdotool run so a busy machine cannot stretch the
        hold. With no window manager the keyboard follows the pointer, so it goes into
        the window first. The run ends 0.1 s after the release: the screens read the keys
        once a 17 ms tick, and a press right after a release would read as one hold."""
        command = ["xdotool"]
        geo = self.window_geometry(timeout=2)
        if geo:
            command += ["mousemove", str(geo[0] + geo[2] // 2), str(geo[1] + geo[3] // 2)]
        command += ["keydown"] + list(keys) + ["sleep", "%.3f" % hold, "keyup"] + \
            list(reversed(keys)) + ["sleep", "0.1"]
        subprocess.run(command, env=self.xenv(), check=True)

    def tap(self, key):
        self.press(key, hold=0.3)  # long enough on a busy machine; menus act on the release

    def screenshot(self, name="shot"):
        """The whole display; also kept as PNG in the game directory."""
        xwd = self.path(name + ".xwd")
        with open(xwd, "wb") as f:
            subprocess.run(["xwd", "-root", "-silent"], env=self.xenv(), stdout=f, check=True)
        img = read_picture(xwd, "-write", self.path(name + ".png"))
        os.remove(xwd)
        return img

    def wait_until(self, holds, what, timeout=20):
        """Takes screenshots until `holds(image)`; returns that image."""
        deadline = time.time() + timeout
        while True:
            img = self.screenshot("wait")
            if holds(img):
                return img
            if time.time() > deadline or not self.running():
                self.test.fail("%s never showed; stderr: %s" % (what, self.stderr()[-500:]))
            time.sleep(0.2)

    def wait_for_colour(self, x, y, colour, timeout=20, tolerance=24, gone=False):
        return self.wait_until(lambda img: near(img.pixel(x, y), colour, tolerance) != gone,
                               "%s%s at (%d, %d)" % ("the end of " if gone else "", colour, x, y), timeout)

    def wait_until_shown(self, colour, x0, y0, w, h, timeout=40):
        """Until a full-screen picture of one colour is revealed whole: the reveals draw
        odd rows and the edges of each 16 x 16 cell last, so probe those near the corners."""
        points = [(x0 + 1, y0 + 1), (x0 + w - 2, y0 + 1), (x0 + 1, y0 + h - 3), (x0 + w - 2, y0 + h - 3)]
        return self.wait_until(lambda img: all(near(img.pixel(x, y), colour) for x, y in points),
                               "the whole picture of %s" % (colour,), timeout)

    def wait_for_main_menu(self, low=False, offset=(0, 0), timeout=30):
        x, y = self.MENU_RING_AT[low]
        return self.wait_for_colour(x + offset[0], y + offset[1], DIM_RING, timeout=timeout, tolerance=8)

    def start_at_main_menu(self, *args, low=False):
        """Starts the game in a window (own pictures), past the splash to the menu."""
        self.start("windowed", *args)
        self.wait_for_colour(160 if low else 320, 100 if low else 240, LOGO)
        time.sleep(1.2)  # the key buffer is emptied 60 retraces after the logo shows
        self.tap("space")
        return self.wait_for_main_menu(low=low)

    def leave(self, key="Escape", low=False, offset=(0, 0)):
        """Leaves the main menu with `key` (again, should a busy machine have let the
        menu miss it) until the first end picture is shown whole."""
        x, y = self.MENU_RING_AT[low]
        for _ in range(3):
            self.tap(key)
            deadline = time.time() + 10  # the end picture's reveal covers the ring
            while time.time() < deadline and near(
                    self.screenshot("leave").pixel(x + offset[0], y + offset[1]), DIM_RING, 8):
                time.sleep(0.2)
            if time.time() < deadline:
                break
        w, h = (320, 200) if low else (640, 480)
        return self.wait_until_shown(END_1, offset[0], offset[1], w, h)

    def finish(self, low=False, offset=(0, 0)):
        """From the first end picture to a clean exit."""
        w, h = (320, 200) if low else (640, 480)
        self.tap("Return")
        self.wait_for_colour(offset[0] + w // 2, offset[1] + h // 2, END_2)
        self.tap("a")
        self.test.assertEqual(self.wait_exit(15), 0, self.stderr())
        self.test.assertEqual(self.leftover_processes(), [], "the game left something running")

    def cpu_share(self, seconds):
        """The shares of a core the game's main thread (which runs all of the game's own
        code) and the whole process use over the next `seconds` (schedstat)."""
        def used():
            found = {}
            for task in os.listdir("/proc/%d/task" % self.proc.pid):
                try:
                    with open("/proc/%d/task/%s/schedstat" % (self.proc.pid, task)) as f:
                        found[task] = int(f.read().split()[0]) / 1e9
                except FileNotFoundError:
                    pass  # a thread that ended meanwhile
            return found.get(str(self.proc.pid), 0), sum(found.values())
        before = used()
        time.sleep(seconds)
        return tuple((b - a) / seconds for a, b in zip(before, used()))

    # --- what the game played through ALSA's file device (44.1 kHz stereo) ---------
    WINDOW = 441  # 10 ms

    def recording(self):
        """The left and right channels so far. Read by hand: a recording still being
        written carries chunk lengths that do not match the file."""
        data = self.read("capture.wav")
        pos = data.index(b"data") + 8
        raw = data[pos:pos + (len(data) - pos) // 4 * 4]
        samples = struct.unpack("<%dh" % (len(raw) // 2), raw)
        return samples[0::2], samples[1::2]

    def captured_windows(self):
        """How many 10 ms windows the recording holds so far."""
        try:
            return (os.path.getsize(self.path("capture.wav")) - 44) // 4 // self.WINDOW
        except OSError:
            return 0

    def loudness(self):
        """RMS of each channel over each 10 ms window."""
        left, right, n = *self.recording(), self.WINDOW
        return [(math.sqrt(sum(v * v for v in left[i:i + n]) / n), math.sqrt(sum(v * v for v in right[i:i + n]) / n))
                for i in range(0, min(len(left), len(right)) - n, n)]
