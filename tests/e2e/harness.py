"""Whole-game test driver: runs the real vespertil binary on a private Xvfb display
in a fresh temporary game directory, sends it keys with xdotool, reads screenshots
back (xwd, turned into PNG and PPM with ImageMagick) and checks the files it writes.

Everything it starts (the X server, the game) is killed by pid when the test ends,
whether the checks passed or not.
"""

import math
import os
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

GAME_BIN = os.environ.get("VESPERTIL_BIN", "")
GAME_DATA = os.environ.get("VESPERTIL_GAME_DIR", "")
# The replay tool: plays a level in a window with the keyboard and records it.
REPLAY_BIN = os.environ.get("VESPERTIL_REPLAY_BIN", "")
ARTIFACTS = os.environ.get("VESPERTIL_E2E_ARTIFACTS", "")

# How long a key stays up after a press before anything else is sent: several of
# the game's ticks (17 ms each), even when the machine is busy.
RELEASE_GAP = 0.1
# Long enough for a press to be seen on a busy machine; every menu acts once a press
# and waits for the release.
HOLD = 0.3

# Solid pictures the checks recognise, whatever content the build made.
LOGO = (200, 40, 40)
END_1 = (40, 200, 40)
END_2 = (40, 40, 200)
# A panel's middle bevel ring is this grey when dim, whatever the backdrop shows.
DIM_RING = (128, 128, 128)
BRIGHT_RING = (255, 255, 255)
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


def tone_wav(freq=440, seconds=1.0, rate=22050):
    """A plain 16-bit mono sine tone as a WAV file (silence for freq 0)."""
    n = int(rate * seconds)
    body = b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * freq * i / rate)))
                    for i in range(n))
    fmt = struct.pack("<HHIIHH", 1, 1, rate, 2 * rate, 2, 16)
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(body)) + body
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


class Image:
    """A picture: width, height and 8-bit RGB pixels."""

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


class Xvfb:
    """A private X server. It picks a free display number itself (-displayfd) and
    tells it when it is ready, so parallel runs never share a display. It never
    resets: by default a server starts over when its last client leaves, and a game
    that connects while a screenshot has just left would be refused. A held key
    repeats only after a minute: on a busy machine a press can stay down past the
    usual repeat delay before its release is sent, and the repeats would wait in the
    game's key buffer (where they skip the second end picture)."""

    def __init__(self, width=800, height=600):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "-noreset", "-ardelay", "60000"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_fd,))
        os.close(write_fd)
        text = b""
        deadline = time.time() + 15
        while time.time() < deadline and not text.endswith(b"\n"):
            ready, _, _ = select.select([read_fd], [], [], 0.5)
            if ready:
                chunk = os.read(read_fd, 32)
                if not chunk:
                    break
                text += chunk
        os.close(read_fd)
        if not text.strip().isdigit():
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.display = ":%d" % int(text)

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


class Game:
    """One run of the game in its own directory on its own display.

    audio: None (no sound device: the game switches audio off), "null" (ALSA's
    null device) or "record" (ALSA's file device: everything played ends up in
    capture.wav in the game directory).
    """

    def __init__(self, test, audio=None, with_data=True, binary=None):
        self.binary = binary or GAME_BIN
        if not self.binary or not os.path.exists(self.binary):
            raise unittest.SkipTest("%s is not built" % (self.binary or "VESPERTIL_BIN"))
        self.test = test
        self.dir = tempfile.mkdtemp(prefix="vespertil-e2e-")
        self.proc = None
        self.x = None
        self.stdout_path = os.path.join(self.dir, "stdout.txt")
        self.stderr_path = os.path.join(self.dir, "stderr.txt")
        self.audio = audio
        for sub in ("GFX", "MAP", "sfx"):
            src = os.path.join(GAME_DATA, sub)
            if with_data and GAME_DATA and os.path.isdir(src):
                shutil.copytree(src, self.path(sub))
            os.makedirs(self.path(sub), exist_ok=True)
        test.addCleanup(self.close)

    # --- files of the game directory -------------------------------------------
    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def exists(self, name):
        return os.path.exists(self.path(name))

    def own_pictures(self, low=False):
        """The logo and the end pictures as solid pictures (ImageMagick)."""
        w, h = (320, 200) if low else (640, 480)
        suffix = "_baja" if low else ""
        for name, size, colour in (("GFX/ZENTIX.JPG", (640, 480), LOGO),
                                   ("GFX/enddemo_1%s.jpg" % suffix, (w, h), END_1),
                                   ("GFX/enddemo_2%s.jpg" % suffix, (w, h), END_2)):
            subprocess.run(["convert", "-size", "%dx%d" % size, "xc:#%02x%02x%02x" % colour,
                            self.path(name)], check=True)

    # --- running -----------------------------------------------------------------
    def start(self, *args, extra_env=None):
        """Starts the game with `args`; `extra_env` adds variables to its small
        environment. No xmessage on its PATH: the library's message box goes to the
        terminal instead of waiting for a click."""
        self.x = Xvfb()
        env = {"DISPLAY": self.x.display, "HOME": self.dir, "PATH": self.path("no-programs")}
        env.update(extra_env or {})
        os.makedirs(env["PATH"], exist_ok=True)
        if self.audio:
            conf = self.path("asound.conf")
            with open(conf, "w") as f:
                f.write(self.alsa_config())
            env["ALSA_CONFIG_PATH"] = conf
        self.stdout_file = open(self.stdout_path, "wb")
        self.stderr_file = open(self.stderr_path, "wb")
        self.proc = subprocess.Popen(
            [self.binary] + list(args), cwd=self.dir, env=env,
            stdout=self.stdout_file, stderr=self.stderr_file, start_new_session=True)
        return self

    def alsa_config(self):
        if self.audio == "null":
            return "pcm.!default { type null }\n"
        return ('pcm.!default {\n type plug\n slave.pcm {\n  type file\n'
                '  slave.pcm { type null }\n  file "%s"\n  format "wav"\n }\n slave.format S16_LE\n}\n'
                % self.path("capture.wav"))

    def leftover_processes(self):
        """Pids still alive in the game's session (the game started it)."""
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/stat" % entry) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
            except (FileNotFoundError, ProcessLookupError):
                continue
            # fields[0] is the state, fields[3] the session id; zombies do not count
            if int(fields[3]) == self.proc.pid and fields[0] != "Z":
                found.append(int(entry))
        return found

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def close(self):
        if self.proc and self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()
        if self.x:
            self.x.stop()
        for f in (getattr(self, "stdout_file", None), getattr(self, "stderr_file", None)):
            if f:
                f.close()
        if ARTIFACTS and os.path.isdir(self.dir):
            dest = os.path.join(ARTIFACTS, self.test.id())
            shutil.rmtree(dest, ignore_errors=True)
            shutil.copytree(self.dir, dest, ignore=shutil.ignore_patterns("GFX", "MAP", "sfx"))
        shutil.rmtree(self.dir, ignore_errors=True)

    def stderr(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode("latin-1")

    def stdout(self):
        with open(self.stdout_path, "rb") as f:
            return f.read().decode("latin-1")

    # --- the window and the keys -----------------------------------------------
    def xenv(self):
        return dict(os.environ, DISPLAY=self.x.display)

    def window_geometry(self, timeout=15):
        """(x, y, width, height) of the game's window, once it is mapped."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            out = subprocess.run(["xwininfo", "-root", "-tree"], env=self.xenv(),
                                 capture_output=True, text=True).stdout
            for line in out.splitlines():
                if '("allegro"' in line:
                    geo = line.split(")")[-1].split()[0]  # e.g. 640x480+0+0
                    size, _, pos = geo.partition("+")
                    w, h = (int(v) for v in size.split("x"))
                    x, y = (int(v) for v in pos.split("+")[:2])
                    return x, y, w, h
            if not self.running():
                break
            time.sleep(0.1)
        return None

    def press(self, *keys, hold=0.1):
        """Holds keys together long enough for a frame loop that polls the key states.

        With no window manager the keyboard follows the pointer, so the pointer is
        put inside the game's window first. One xdotool run presses and releases, so
        a busy machine cannot stretch the hold by starting the release late (a key
        still down after a level, for one, would also leave the screen that follows).
        The run ends a while after the release: the screens look at the keys once a
        tick, so a press that followed the release of the same key within a tick
        would be taken for the same press held on.
        """
        command = ["xdotool"]
        geo = self.window_geometry(timeout=2)
        if geo:
            x, y, w, h = geo
            command += ["mousemove", str(x + w // 2), str(y + h // 2)]
        command += ["keydown"] + list(keys) + ["sleep", "%.3f" % hold, "keyup"] + \
            list(reversed(keys)) + ["sleep", "%.3f" % RELEASE_GAP]
        subprocess.run(command, env=self.xenv(), check=True)

    def tap(self, key):
        self.press(key, hold=HOLD)

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

    def wait_for_colour(self, x, y, colour, timeout=20, tolerance=24):
        return self.wait_until(lambda img: near(img.pixel(x, y), colour, tolerance),
                               "%s at (%d, %d)" % (colour, x, y), timeout)

    def wait_until_gone(self, x, y, colour, timeout=10):
        return self.wait_until(lambda img: not near(img.pixel(x, y), colour),
                               "the end of %s at (%d, %d)" % (colour, x, y), timeout)

    def wait_until_shown(self, colour, x0, y0, w, h, timeout=40):
        """Until a full-screen picture of one colour has been revealed whole: the
        reveals draw the odd rows and the edges of each 16 x 16 cell last, so pixels
        on odd rows at cell edges near the corners are the last to change."""
        points = [(x0 + 1, y0 + 1), (x0 + w - 2, y0 + 1), (x0 + 1, y0 + h - 3), (x0 + w - 2, y0 + h - 3)]
        return self.wait_until(lambda img: all(near(img.pixel(x, y), colour) for x, y in points),
                               "the whole picture of %s" % (colour,), timeout)

    # The middle ring of the main menu's body panel, left side.
    MENU_RING = DIM_RING
    MENU_RING_AT = {False: (207, 380), True: (47, 100)}

    def wait_for_main_menu(self, low=False, offset=(0, 0), timeout=30):
        x, y = self.MENU_RING_AT[low]
        return self.wait_for_colour(x + offset[0], y + offset[1], DIM_RING,
                                    timeout=timeout, tolerance=8)

    def start_at_main_menu(self, *args, low=False):
        """Starts the game in a window (own pictures), past the splash to the menu."""
        self.start("windowed", *args)
        self.wait_for_colour(160 if low else 320, 100 if low else 240, LOGO)
        time.sleep(1.2)  # the key buffer is emptied 60 retraces after the logo shows
        self.tap("space")
        return self.wait_for_main_menu(low=low)

    def leave(self, key="Escape", low=False, offset=(0, 0)):
        """Leaves the main menu with `key`, pressed again should a busy machine have
        let the menu miss it, until the first end picture is shown whole."""
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
        self.wait_for_colour(offset[0] + w // 2, offset[1] + h // 2, END_2, timeout=20)
        self.tap("a")
        self.test.assertEqual(self.wait_exit(15), 0, self.stderr())
        self.test.assertEqual(self.leftover_processes(), [], "the game left something running")

    def cpu_seconds(self, main_thread_only=False):
        """CPU time used by the game's threads so far (or by its main thread, which
        runs all of the game's own code), to the nanosecond (schedstat)."""
        total = 0
        task_dir = "/proc/%d/task" % self.proc.pid
        tasks = [str(self.proc.pid)] if main_thread_only else os.listdir(task_dir)
        for task in tasks:
            try:
                with open(os.path.join(task_dir, task, "schedstat")) as f:
                    total += int(f.read().split()[0])
            except FileNotFoundError:
                pass  # a thread that ended meanwhile
        return total / 1e9


def wav_samples(path):
    """The 16-bit samples of a WAV file (all channels interleaved) and its rate.

    Read by hand rather than with the wave module: a recording that is still being
    written, or was cut off, carries chunk lengths that do not match the file.
    """
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError("not a WAV file: %s" % path)
    pos, rate, bits = 12, 0, 0
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = pos + 8
        if tag == b"fmt ":
            rate = struct.unpack("<I", data[body + 4:body + 8])[0]
            bits = struct.unpack("<H", data[body + 14:body + 16])[0]
        elif tag == b"data":
            if bits != 16:
                raise ValueError("expected 16-bit samples")
            raw = data[body:]
            raw = raw[: len(raw) // 2 * 2]
            return list(struct.unpack("<%dh" % (len(raw) // 2), raw)), rate
        pos = body + size + (size & 1)
    raise ValueError("no data chunk in %s" % path)


def recording(test, game):
    """The left and right channels of what the game played (44.1 kHz)."""
    samples, rate = wav_samples(game.path("capture.wav"))
    test.assertEqual(rate, 44100)
    return samples[0::2], samples[1::2]


WINDOW = 441  # 10 ms at 44.1 kHz


def loudness(left, right):
    """RMS of each channel over 10 ms windows."""
    return [(math.sqrt(sum(v * v for v in left[i:i + WINDOW]) / WINDOW),
             math.sqrt(sum(v * v for v in right[i:i + WINDOW]) / WINDOW))
            for i in range(0, min(len(left), len(right)) - WINDOW, WINDOW)]


def captured_windows(game):
    """How many 10 ms windows the recording holds so far."""
    try:
        return (os.path.getsize(game.path("capture.wav")) - 44) // 4 // WINDOW
    except OSError:
        return 0
