"""Checks of the recorded replays, run by CTest (see CMakeLists.txt here).

Each check plays replays headless with vespertil-replay against the generated game
directory:

  expect   REPLAY        the last line printed is the replay's own "# expect:" line
  ends-by  energy|esc R  the level ends as said: the trace's energy reaches 0 with no
                         ESC held, or ESC on the last frame with energy left
  twice    REPLAY        two runs give the same trace and the same final screen
  refuse   REPLAY        a changed map, or a replay with another map's digest, is
                         refused with exit status 2 and a message naming the replay
  route    MAPNAME       vespertil-route finds a route that vespertil-replay plays
                         to the very end the search predicted
"""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

RESULT_LINE = re.compile(r"^result (-?\d+|unfinished) frames (\d+) switches (\d+) energy (-?\d+)$")
# Trace fields: frame room_col room_row x y walk_phase falling jumping jump_step
# jump_kind facing energy switches.
TRACE_FIELDS = 13
TRACE_ENERGY = 11
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


def last_line(text):
    lines = text.strip().splitlines()
    if not lines:
        fail("nothing printed")
    return lines[-1]


def parse_result(line):
    m = RESULT_LINE.match(line)
    if not m:
        fail("not a result line: %r" % line)
    return m.group(1), int(m.group(2)), int(m.group(3)), int(m.group(4))


def expected_line(replay):
    found = [line[len("# expect:"):].strip()
             for line in open(replay, encoding="ascii").read().splitlines()
             if line.startswith("# expect:")]
    if len(found) != 1:
        fail("%s: needs exactly one '# expect:' line, has %d" % (replay, len(found)))
    parse_result(found[0])
    return found[0]


def key_records(replay):
    """The replay's records, one set of key names a frame (header and comments skipped)."""
    records = []
    for line in open(replay, encoding="ascii").read().splitlines()[3:]:
        if not line.strip() or line.startswith("#"):
            continue
        count, keys = line.split(" ", 1)
        records += [set() if keys == "-" else set(keys.split("+"))] * int(count)
    return records


def play(args, replay, *extra, expect_status=0):
    return run([args.replay_tool, replay, "--game-dir", args.game_dir] + list(extra),
               expect_status)


def read_trace(path):
    rows = [line.split() for line in open(path, encoding="ascii").read().splitlines()]
    for row in rows:
        if len(row) != TRACE_FIELDS:
            fail("%s: a trace line with %d fields: %s" % (path, len(row), " ".join(row)))
    return [[int(v) for v in row] for row in rows]


# ---- The checks --------------------------------------------------------------------

def check_expect(args):
    want = expected_line(args.replay)
    got = last_line(play(args, args.replay).stdout)
    if got != want:
        fail("%s ends with\n  %s\nbut its '# expect:' line says\n  %s" % (args.replay, got, want))
    print(got)


def check_ends_by(args):
    with tempfile.TemporaryDirectory() as tmp:
        trace_path = os.path.join(tmp, "trace.txt")
        result, frames, _, energy = parse_result(
            last_line(play(args, args.replay, "--trace", trace_path).stdout))
        trace = read_trace(trace_path)
    records = key_records(args.replay)
    if result != "1":
        fail("the level ended with result %s, not 1" % result)
    if len(trace) != frames or trace[-1][0] != frames:
        fail("the trace has %d lines for %d frames" % (len(trace), frames))
    if frames >= len(records):
        fail("the level ran all %d records: it must end before they run out" % len(records))
    last_energy = trace[-1][TRACE_ENERGY]
    if last_energy != energy:
        fail("the trace's last energy %d is not the result's %d" % (last_energy, energy))
    escapes = [i + 1 for i, keys in enumerate(records) if "ESC" in keys]
    if args.how == "energy":
        if escapes and escapes[0] <= frames:
            fail("ESC is held on frame %d: the level did not end by its energy" % escapes[0])
        if last_energy > 0:
            fail("the energy ends at %d, not 0 or below" % last_energy)
        if any(row[TRACE_ENERGY] <= 0 for row in trace[:-1]):
            fail("the energy reached 0 before the last frame and the level went on")
        print("energy reaches %d on frame %d" % (last_energy, frames))
    else:
        if escapes[:1] != [frames]:
            fail("the level ended on frame %d, but ESC is first held on frame %s" %
                 (frames, escapes[0] if escapes else "none"))
        if last_energy <= 0:
            fail("the energy ran out too (%d): ESC is not what ended the level" % last_energy)
        print("ESC on frame %d, energy %d" % (frames, last_energy))


def shot_spacing(frames):
    """A spacing that keeps at most four shots, the last of them the final screen."""
    return next(d for d in range(1, frames + 1) if frames % d == 0 and frames // d <= 4)


def run_with_shots(args, tmp, name, every):
    trace = os.path.join(tmp, name + ".trace")
    shots = os.path.join(tmp, name + "_shots")
    os.mkdir(shots)
    out = play(args, args.replay, "--trace", trace, "--shots", shots, "--every", str(every))
    pictures = sorted(glob.glob(os.path.join(shots, "frame*.png")))
    if not pictures:
        fail("no screen shots were written")
    with open(trace, "rb") as f:
        trace_bytes = f.read()
    with open(pictures[-1], "rb") as f:
        last_picture = f.read()
    return last_line(out.stdout), trace_bytes, [os.path.basename(p) for p in pictures], last_picture


def check_twice(args):
    frames = parse_result(expected_line(args.replay))[1]
    every = shot_spacing(frames)
    with tempfile.TemporaryDirectory() as tmp:
        first = run_with_shots(args, tmp, "first", every)
        second = run_with_shots(args, tmp, "second", every)
    result, names = first[0], first[2]
    if names[-1] != "frame%06d.png" % frames:
        fail("the last shot is %s, not the final screen of frame %d" % (names[-1], frames))
    if len(first[1].splitlines()) != frames:
        fail("the trace has %d lines for %d frames" % (len(first[1].splitlines()), frames))
    if second[0] != result:
        fail("the second run ends with %r, the first with %r" % (second[0], result))
    if second[1] != first[1]:
        a, b = first[1].splitlines(), second[1].splitlines()
        at = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
        fail("the traces part at line %d:\n  %s\n  %s" %
             (at + 1, a[at].decode() if at < len(a) else "(end)",
              b[at].decode() if at < len(b) else "(end)"))
    if second[2] != names:
        fail("the runs wrote different shots: %s and %s" % (names, second[2]))
    if second[3] != first[3]:
        fail("the final screens (%s) differ" % names[-1])
    print("%s; %d trace lines and %d shots alike, last %s" % (result, frames, len(names), names[-1]))


def expect_refusal(args, replay, game_dir, why):
    out = run([args.replay_tool, replay, "--game-dir", game_dir], expect_status=2)
    if replay not in out.stderr or "different map" not in out.stderr:
        fail("%s: the refusal must name the replay and say the map differs; it says:\n%s" %
             (why, out.stderr))


def check_refuse(args):
    with tempfile.TemporaryDirectory() as tmp:
        map_name = open(args.replay, encoding="ascii").read().splitlines()[1].split(" ", 1)[1]
        game = os.path.join(tmp, "game")
        os.makedirs(os.path.join(game, "MAP"))
        copy = os.path.join(game, "MAP", map_name)
        shutil.copyfile(os.path.join(args.game_dir, "MAP", map_name), copy)

        # The unchanged copy plays to the expected end (the rules need no pictures), so
        # a refusal below comes from the changed byte and not from the copy's place.
        got = last_line(run([args.replay_tool, args.replay, "--game-dir", game]).stdout)
        if got != expected_line(args.replay):
            fail("on an unchanged copy of the map the replay ends with %r" % got)

        with open(copy, "r+b") as f:
            f.seek(-1, os.SEEK_END)
            last = f.read(1)[0]
            f.seek(-1, os.SEEK_END)
            f.write(bytes([last ^ 1]))
        expect_refusal(args, args.replay, game, "a map with its last byte changed")

        lines = open(args.replay, encoding="ascii").read().split("\n")
        digest = lines[2].split(" ", 1)[1]
        lines[2] = "sha256 " + ("0" if digest[0] != "0" else "1") + digest[1:]
        altered = os.path.join(tmp, "altered.replay")
        with open(altered, "w", encoding="ascii") as f:
            f.write("\n".join(lines))
        expect_refusal(args, altered, args.game_dir, "a replay with another digest")
    print("refused both ways with exit status 2")


def check_route(args):
    map_path = os.path.join(args.game_dir, "MAP", args.map)
    with tempfile.TemporaryDirectory() as tmp:
        found = os.path.join(tmp, "route.replay")
        searched = run([args.route_tool, map_path, found])
        predicted = last_line(searched.stdout)
        result, _, switches, _ = parse_result(predicted)
        if result != "3" or switches != 25:
            fail("the search predicts %r, not a completed level" % predicted)
        if expected_line(found) != predicted:
            fail("the route's '# expect:' line is not what the search printed")
        played = last_line(play(args, found).stdout)
    if played != predicted:
        fail("vespertil-route predicted\n  %s\nbut vespertil-replay played\n  %s" %
             (predicted, played))
    print(played)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--replay-tool", required=True)
    parser.add_argument("--route-tool")
    parser.add_argument("--game-dir", required=True)
    sub = parser.add_subparsers(dest="check", required=True)
    sub.add_parser("expect").add_argument("replay")
    ends = sub.add_parser("ends-by")
    ends.add_argument("how", choices=["energy", "esc"])
    ends.add_argument("replay")
    twice = sub.add_parser("twice")
    twice.add_argument("replay")
    sub.add_parser("refuse").add_argument("replay")
    sub.add_parser("route").add_argument("map")
    args = parser.parse_args()
    if args.check == "route" and not args.route_tool:
        parser.error("route needs --route-tool")
    checks = {"expect": check_expect, "ends-by": check_ends_by, "twice": check_twice,
              "refuse": check_refuse, "route": check_route}
    try:
        checks[args.check](args)
    except CheckFailed as e:
        print("FAILED: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
