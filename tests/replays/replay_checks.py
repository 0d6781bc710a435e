"""Checks of the recorded replays, run by CTest (see CMakeLists.txt here).

Each check plays replays headless with vespertil-replay against the generated game
directory:

  golden   REPLAY        the run's golden trace (vespertil-replay --golden) is the
                         committed REPLAY.golden line for line, and ends with the
                         replay's own "# expect:" line; on a difference it names the
                         first frame, prints both lines and, when a screen hash
                         differs, writes that frame's picture into --out.
                         --pad: the keys held on a scripted gamepad instead
  rewrite  REPLAY...     writes each replay's golden anew and says which changed
  level    MAPNAME N     vespertil-route --check finds the map clean (everything
                         reachable, no trap, no room edge into a wall) with a winning
                         route of at least N frames
"""

import argparse
import hashlib
import os
import re
import subprocess
import sys
import tempfile

RESULT_LINE = re.compile(r"^result (-?\d+|unfinished) frames (\d+) switches (\d+) energy (-?\d+)$")
# Golden fields: the trace's frame room_col room_row x y walk_phase falling jumping
# jump_step jump_kind facing energy switches; the objects' hash, the events, the screen's hash.
GOLDEN_FIELDS = 16
TIMEOUT = 300


class CheckFailed(Exception):
    pass


def fail(message):
    raise CheckFailed(message)


def run(command, expect_status=0):
    out = subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT)
    if expect_status is not None and out.returncode != expect_status:
        fail("%s exited with %d, not %d\nstdout:\n%s\nstderr:\n%s" %
             (" ".join(command), out.returncode, expect_status, out.stdout, out.stderr))
    return out


def expected_line(replay):
    found = [line[len("# expect:"):].strip()
             for line in open(replay, encoding="ascii").read().splitlines()
             if line.startswith("# expect:")]
    if len(found) != 1:
        fail("%s: needs exactly one '# expect:' line, has %d" % (replay, len(found)))
    if not RESULT_LINE.match(found[0]):
        fail("%s: not a result line: %r" % (replay, found[0]))
    return found[0]


def play(args, replay, *extra, expect_status=0):
    return run([args.replay_tool, replay, "--game-dir", args.game_dir] + list(extra),
               expect_status)


# ---- The checks --------------------------------------------------------------------

def golden_path(replay):
    return os.path.splitext(replay)[0] + ".golden"


def play_golden(args, replay, path):
    """Plays the replay into a golden trace at `path`; returns its lines."""
    play(args, replay, "--golden", path, *(["--pad"] if getattr(args, "pad", False) else []))
    return open(path, encoding="ascii").read().splitlines()


def first_difference(want, got):
    at = next((i for i in range(min(len(want), len(got))) if want[i] != got[i]), None)
    if at is None and len(want) != len(got):
        at = min(len(want), len(got))
    return at


def check_digest(args, replay):
    """The replay names its map by the digest Python's own SHA-256 gives the map file."""
    header = dict(line.split(None, 1) for line in open(replay, encoding="ascii").read().splitlines()
                  if line.startswith(("map ", "sha256 ")))
    with open(os.path.join(args.game_dir, "MAP", header["map"].strip()), "rb") as f:
        if hashlib.sha256(f.read()).hexdigest() != header["sha256"].strip():
            fail("%s: its sha256 line is not the digest of its map" % replay)


def check_golden(args):
    name = os.path.splitext(os.path.basename(args.replay))[0] + ("_pad" if args.pad else "")
    check_digest(args, args.replay)
    os.makedirs(args.out, exist_ok=True)
    got_path = os.path.join(args.out, name + ".golden")
    got = play_golden(args, args.replay, got_path)
    want = open(golden_path(args.replay), encoding="ascii").read().splitlines()
    at = first_difference(want, got)
    if at is not None:
        w = want[at] if at < len(want) else "(end)"
        g = got[at] if at < len(got) else "(end)"
        message = "%s: the run parts from its golden at frame %d (line %d)\n  expected: %s\n" \
                  "  got:      %s\n(whole run in %s)" % (name, at + 1, at + 1, w, g, got_path)
        if w.split()[-1:] != g.split()[-1:] and len(g.split()) in (GOLDEN_FIELDS, 10):
            frame = int(g.split()[3 if g.startswith("result") else 0])
            shots = os.path.join(args.out, name + "_shots")
            os.makedirs(shots, exist_ok=True)
            play(args, args.replay, "--shots", shots, "--at", str(frame))
            message += "\nthe screen differs: %s" % os.path.join(shots, "frame%06d.png" % frame)
        fail(message)
    expected = expected_line(args.replay)
    if not got[-1].startswith(expected + " screen "):
        fail("%s ends with\n  %s\nbut its '# expect:' line says\n  %s" % (name, got[-1], expected))
    print("%s: %d frames as golden; %s" % (name, len(got) - 1, expected))


def rewrite_goldens(args):
    for replay in args.replays:
        with tempfile.TemporaryDirectory() as tmp:
            got = play_golden(args, replay, os.path.join(tmp, "golden"))
        path = golden_path(replay)
        old = open(path, encoding="ascii").read().splitlines() if os.path.exists(path) else []
        at = first_difference(old, got)
        if at is None:
            print("unchanged  %s" % os.path.basename(path))
            continue
        with open(path, "w", encoding="ascii") as f:
            f.write("\n".join(got) + "\n")
        print("changed    %s from frame %d" % (os.path.basename(path), at + 1) if old else
              "new        %s" % os.path.basename(path))
        if not got[-1].startswith(expected_line(replay) + " "):
            print("           ends with %r: mend its '# expect:' line if that is meant" %
                  " ".join(got[-1].split()[:8]))


ROUTE_LINE = re.compile(r"^route: (\d+) frames, energy (\d+) at the end")


def check_level(args):
    map_path = os.path.join(args.game_dir, "MAP", args.map)
    checked = run([args.route_tool, "--check", map_path], expect_status=None)
    lines = checked.stdout.strip().splitlines()
    if checked.returncode != 0 or not lines or lines[-1] != "clean":
        fail("the level check does not find %s clean (exit %d):\n%s%s" %
             (args.map, checked.returncode, checked.stdout, checked.stderr))
    routes = [m for m in map(ROUTE_LINE.match, lines) if m]
    if len(routes) != 1:
        fail("no route line in:\n%s" % checked.stdout)
    frames = int(routes[0].group(1))
    if frames < args.min_frames:
        fail("%s is won in %d frames, under the %d its design asks for" %
             (args.map, frames, args.min_frames))
    print("\n".join(line for line in lines if not line.startswith("switch ")))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--replay-tool", required=True)
    parser.add_argument("--route-tool")
    parser.add_argument("--game-dir", required=True)
    sub = parser.add_subparsers(dest="check", required=True)
    golden = sub.add_parser("golden")
    golden.add_argument("replay")
    golden.add_argument("--out", required=True)
    golden.add_argument("--pad", action="store_true", help="the keys held on a scripted gamepad")
    sub.add_parser("rewrite").add_argument("replays", nargs="+")
    level = sub.add_parser("level")
    level.add_argument("map")
    level.add_argument("min_frames", type=int)
    args = parser.parse_args()
    if args.check == "level" and not args.route_tool:
        parser.error("%s needs --route-tool" % args.check)
    checks = {"golden": check_golden, "rewrite": rewrite_goldens,
              "level": check_level}
    try:
        checks[args.check](args)
    except CheckFailed as e:
        print("FAILED: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
