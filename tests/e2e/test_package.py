"""The Debian package: built by CPack from the install rules, passed by lintian,
unpacked into a scratch root (dpkg -x) and started there through its launcher under
Xvfb, each player with a scratch home: the player's own game directory holds their
settings, log and maps, the installed data is only read, and a map the player drops
into their MAP/ is offered by the level browser beside the shipped ones."""

import glob
import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

from harness import BRIGHT_RING, DEFAULTS_LOG, Game

BUILD_DIR = os.environ.get("VESPERTIL_BUILD_DIR", "")
# All the launcher may run besides the game: without xmessage on its PATH the first
# start's message goes to the terminal instead of a box nobody can click.
LAUNCHER_TOOLS = ("mkdir", "ln", "readlink", "rm")


def listing(top):
    return sorted((os.path.relpath(os.path.join(d, n), top), os.path.getsize(os.path.join(d, n)))
                  for d, _, names in os.walk(top) for n in names)


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not BUILD_DIR or not os.path.exists(os.path.join(BUILD_DIR, "CPackConfig.cmake")):
            raise unittest.SkipTest("the build directory is not configured")
        cls.tmp = tempfile.mkdtemp(prefix="vespertil-package-")
        made = subprocess.run(["cpack", "--config", os.path.join(BUILD_DIR, "CPackConfig.cmake"),
                               "-B", cls.tmp], capture_output=True, text=True, timeout=300)
        debs = glob.glob(os.path.join(cls.tmp, "*.deb"))
        if made.returncode != 0 or len(debs) != 1:
            shutil.rmtree(cls.tmp)
            raise AssertionError("cpack failed:\n%s%s" % (made.stdout[-2000:], made.stderr[-2000:]))
        cls.deb, cls.root = debs[0], os.path.join(cls.tmp, "root")
        subprocess.run(["dpkg", "-x", cls.deb, cls.root], check=True)
        cls.data = os.path.join(cls.root, "usr/share/games/vespertil")

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["chmod", "-R", "u+w", cls.tmp])
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_lintian_finds_no_error(self):
        self.assertTrue(shutil.which("lintian"), "lintian is needed (scripts/install-deps.sh)")
        out = subprocess.run(["lintian", "--fail-on", "error", "--tag-display-limit", "0", self.deb],
                             capture_output=True, text=True, timeout=600)
        print("\nlintian:\n" + (out.stdout or "(nothing)"))
        self.assertEqual(out.returncode, 0, out.stdout + out.stderr)

    def test_what_the_package_holds(self):
        depends = subprocess.run(["dpkg-deb", "-f", self.deb, "Depends"], capture_output=True,
                                 text=True, check=True).stdout
        for library in ("liballegro4.4", "libjpeg62-turbo", "libxmp4", "libc6"):
            self.assertIn(library, depends, "found by dpkg-shlibdeps from what the game links")
        files = {path for path, _ in listing(self.root)}
        for path in ("usr/games/vespertil", "usr/lib/games/vespertil/vespertil",
                     "usr/share/games/vespertil/MAP/cueva.map", "usr/share/games/vespertil/GFX/ZENTIX.JPG",
                     "usr/share/games/vespertil/sfx/mirvane.wav", "usr/share/applications/vespertil.desktop",
                     "usr/share/man/man6/vespertil.6.gz", "usr/share/doc/vespertil/copyright",
                     "usr/share/doc/vespertil/changelog.gz"):
            self.assertIn(path, files)
        for size in (16, 32, 48, 64, 128, 256):
            with open(os.path.join(self.root, "usr/share/icons/hicolor/%dx%d/apps/vespertil.png" % (size, size)),
                      "rb") as f:
                head = f.read(24)
            self.assertEqual((head[:8], struct.unpack(">II", head[16:24])),
                             (b"\x89PNG\r\n\x1a\n", (size, size)), "the %d-pixel icon" % size)

    def player(self, drop=None):
        """The launcher started by a player with a scratch home (XDG_DATA_HOME unset), at
        the main menu; `drop` is a map file put into their MAP/ first."""
        game = Game(self, with_data=False, binary=os.path.join(self.root, "usr/games/vespertil"))
        own = os.path.join(game.dir, ".local/share/vespertil")
        if drop:
            os.makedirs(os.path.join(own, "MAP"))
            with open(os.path.join(own, "MAP", drop[0]), "wb") as f:
                f.write(drop[1])
        tools = game.path("no-programs")
        os.makedirs(tools)
        for tool in LAUNCHER_TOOLS:
            os.symlink(shutil.which(tool), os.path.join(tools, tool))
        game.start("windowed")
        self.assertIsNotNone(game.window_geometry(timeout=30), game.stderr())
        time.sleep(2)
        game.tap("space")
        game.wait_for_main_menu()
        return game, own

    def test_each_player_gets_a_game_directory_of_their_own(self):
        subprocess.run(["chmod", "-R", "a-w", self.data], check=True)
        shipped = listing(self.data)
        # A file that is no map, named to come first in the browser: choosing it says
        # it cannot be read and closes the browser.
        first, own_dir = self.player(drop=("aaa.map", b"not a map"))
        for name in ("Vespertil.cfg", "init.log"):
            self.assertTrue(os.path.isfile(os.path.join(own_dir, name)), name)
        self.assertEqual(os.readlink(os.path.join(own_dir, "GFX")), os.path.join(self.data, "GFX"))
        self.assertEqual(os.readlink(os.path.join(own_dir, "MAP/cueva.map")),
                         os.path.join(self.data, "MAP/cueva.map"))
        for key in ("Down", "Return", "Return"):  # the browser, its first name
            first.tap(key)
        first.wait_for_main_menu()
        self.assertIn("aaa.map", first.stderr())
        with open(os.path.join(own_dir, "MAP/aaa.map"), "rb") as f:
            self.assertEqual(f.read(), b"not a map", "the player's own file is left alone")

        second, second_dir = self.player()
        self.assertTrue(os.path.isfile(os.path.join(second_dir, "Vespertil.cfg")))
        with open(os.path.join(second_dir, "init.log"), "rb") as f:
            self.assertIn(DEFAULTS_LOG, f.read(), "its own first start")
        for key in ("Down", "Return", "Return"):  # the browser's first name is a shipped level
            second.tap(key)
        second.wait_for_colour(162, 250, BRIGHT_RING, timeout=30)  # the ring of its counts' box
        self.assertEqual(listing(self.data), shipped, "nothing written in the installed data")


if __name__ == "__main__":
    unittest.main()
