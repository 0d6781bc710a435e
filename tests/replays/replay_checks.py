"""Checks of the recorded replays, run by CTest (see CMakeLists.txt here).

Each check plays replays headless with vespertil-replay against the generated game
directory:

  golden   REPLAY        the run's golden trace (vespertil-replay --golden) is the
                         committed REPLAY.golden line for line, and ends with the
                         replay's own "# expect:" line; on a difference it names the
                         first frame, prints both lines and, when a screen hash
                         differs, writes that frame's picture into --out.
                         --ends-by energy|esc: the level ends as said, the energy
                         reaching 0 with no ESC held, or ESC on the last frame
  rewrite  REPLAY...     writes each replay's golden anew and says which changed
  refuse   REPLAY        a changed map, or a replay with another map's digest, is
                         refused with exit status 2 and a message naming the replay
  route    MAPNAME       vespertil-route finds a route that vespertil-replay plays
                         to the very end the search predicted
  level    MAPNAME N     vespertil-route --check finds the map clean (everything
                         reachable, no trap, no room edge into a wall) with a winning
                         route of at least N frames
  effect   REPLAY        the replay's screens beside those of the same map drawn as
                         map id 0 (a copy with its own id set to 0): they differ
                         where, and only where, the map's effect draws (EFFECTS)
"""

import argparse
import glob
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

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

GOLDEN_FIELDS = TRACE_FIELDS + 3  # and the objects' hash, the events, the screen's hash


def golden_path(replay):
    return os.path.splitext(replay)[0] + ".golden"


def play_golden(args, replay, path):
    """Plays the replay into a golden trace at `path`; returns its lines."""
    play(args, replay, "--golden", path)
    return open(path, encoding="ascii").read().splitlines()


def first_difference(want, got):
    at = next((i for i in range(min(len(want), len(got))) if want[i] != got[i]), None)
    if at is None and len(want) != len(got):
        at = min(len(want), len(got))
    return at


def check_ends_by(how, lines, records):
    """The level ends by its energy (how == "energy") or by ESC, from the golden."""
    result, frames, _, energy = parse_result(" ".join(lines[-1].split()[:8]))
    trace = [[int(v) for v in line.split()[:TRACE_FIELDS]] for line in lines[:-1]]
    if result != "1":
        fail("the level ended with result %s, not 1" % result)
    if frames >= len(records):
        fail("the level ran all %d records: it must end before they run out" % len(records))
    escapes = [i + 1 for i, keys in enumerate(records) if "ESC" in keys]
    if how == "energy":
        if escapes and escapes[0] <= frames:
            fail("ESC is held on frame %d: the level did not end by its energy" % escapes[0])
        if energy > 0 or any(row[TRACE_ENERGY] <= 0 for row in trace[:-1]):
            fail("the energy must reach 0 on the last frame, not before (ends at %d)" % energy)
    else:
        if escapes[:1] != [frames]:
            fail("the level ended on frame %d, but ESC is first held on frame %s" %
                 (frames, escapes[0] if escapes else "none"))
        if energy <= 0:
            fail("the energy ran out too (%d): ESC is not what ended the level" % energy)
    print("ends by %s on frame %d, energy %d" % (how, frames, energy))


def check_golden(args):
    name = os.path.splitext(os.path.basename(args.replay))[0]
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
    if args.ends_by:
        check_ends_by(args.ends_by, got, key_records(args.replay))
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


# ---- Effects beside the plain look --------------------------------------------------

# The screen's room view: 240 x 144 doubled at (81, 57).
VIEW_X, VIEW_Y, VIEW_W, VIEW_H = 81, 57, 240, 144
EFFECT_SHOT_EVERY = 4
FLASH_LONGEST = 6  # a flash outlasts the rain's rows by this many frames at most

# Where each effect test map may differ from its plain self, room by room: a list of
# (rooms, area, must) rules. A room no rule names must look exactly as on map id 0;
# `must` says every visited room the rule names shows the effect in some shot.
#   rooms: "all", "column4" (with a backdrop), "row3from2", "rows0-3", "row4"
#   area:  "view" (anywhere), "glow" (32 x 32 round the hero), "sparks" (the two
#          trails of his last places), "cells" (cells numbered 216 or more),
#          "flash" (the whole view, while a flash may still be running)
EFFECTS = {
    "fxlight.map": [("all", "glow", True)],
    "fxglass.map": [("all", "cells", True)],
    "fxsparks.map": [("row3from2", "view", True), ("all", "sparks", True)],
    "fxwave.map": [("column4", "view", True)],
    "fxdrift.map": [("all", "view", True)],
    "fxscroll.map": [("all", "view", True)],
    "fxrain.map": [("rows0-3", "view", True), ("row4", "flash", False)],
    "fxtrail.map": [("all", "view", True)],
    "fxzoom.map": [("all", "view", True)],
}


def read_png_rgb(path):
    """Width, height and rows (bytes, 3 a pixel) of the replay tool's PNGs: 8-bit RGB,
    no filter on any row."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("%s is not a PNG" % path)
    pos, idat, w, h = 8, b"", 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            w, h, depth, colour = struct.unpack(">IIBB", body[:10])
            if (depth, colour) != (8, 2):
                fail("%s: not 8-bit RGB" % path)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = 1 + 3 * w
    rows = []
    for y in range(h):
        row = raw[y * stride:(y + 1) * stride]
        if row[0] != 0:
            fail("%s: row %d is filtered" % (path, y))
        rows.append(row[1:])
    return w, h, rows


def allowed_spans(y, allowed):
    """The screen columns [x0, x1) of screen row y that lie in the view inside one of
    the `allowed` view rectangles (the view is drawn doubled at VIEW_X, VIEW_Y)."""
    if y < VIEW_Y or (y - VIEW_Y) // 2 >= VIEW_H:
        return []
    vy = (y - VIEW_Y) // 2
    spans = []
    for x0, y0, x1, y1 in allowed:
        if y0 <= vy < y1:
            sx0, sx1 = VIEW_X + 2 * max(x0, 0), VIEW_X + 2 * min(x1, VIEW_W)
            if sx1 > sx0:
                spans.append((sx0, sx1))
    return spans


def difference_outside(a, b, allowed):
    """Compares two pictures (rows of RGB bytes): (differs, (x, y) of the first
    differing pixel outside the allowed view rectangles, or None). Each row is
    compared whole, with its allowed columns blanked, so that a picture whose whole
    view differs costs a few slices a row rather than a test a pixel."""
    differs = False
    for y, (ra, rb) in enumerate(zip(a, b)):
        if ra == rb:
            continue
        differs = True
        ma, mb = bytearray(ra), bytearray(rb)
        for sx0, sx1 in allowed_spans(y, allowed):
            blank = bytes(3 * (sx1 - sx0))
            ma[3 * sx0:3 * sx1] = blank
            mb[3 * sx0:3 * sx1] = blank
        if ma != mb:
            x = next(x for x in range(len(ma) // 3) if ma[3 * x:3 * x + 3] != mb[3 * x:3 * x + 3])
            return True, (x, y)
    return differs, None


class MapSource:
    """What the check needs of a map source: the start, each room's backdrop and the
    tile numbers of its cells (names looked up in the names files it uses)."""

    def __init__(self, path):
        self.dir = os.path.dirname(path)
        self.names, self.symbols = {}, {}
        self.backdrop, self.rows = {}, {}
        self.start = None
        room = None
        for line in open(path, encoding="utf-8").read().splitlines():
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if line.startswith("|"):
                self.rows.setdefault(room, []).append(line[1:-1])
            elif words[0] == "names":
                self.read_names(os.path.join(self.dir, words[1]))
            elif words[0] in ("tile", "edges"):
                self.add_name(words)
            elif words[0] == "cell":
                self.symbols[words[1]] = (self.tile(words[2]), self.tile(words[3]))
            elif words[0] == "start":
                self.start = (room_pair(words[2]), cell_pixels(words[4]))
            elif words[0] == "room":
                room = room_pair(words[1])
            elif words[0] == "backdrop" and len(words) == 2:
                self.backdrop[room] = words[1] != "none"

    def read_names(self, path):
        for line in open(path, encoding="utf-8").read().splitlines():
            words = line.split()
            if words and not words[0].startswith("#"):
                self.add_name(words)

    def add_name(self, words):
        if words[0] == "tile":
            self.names[words[1]] = int(words[2])
        elif words[0] == "edges":
            sides = ["", "t", "b", "tb", "l", "tl", "bl", "tbl", "r", "tr", "br", "tbr",
                     "lr", "tlr", "blr", "tblr"]
            for i, side in enumerate(sides):
                self.names[words[1] + ("." + side if side else "")] = int(words[2]) + i

    def tile(self, word):
        if word == "-":
            return None
        return int(word) if word.isdigit() else self.names[word]

    def high_cells(self, room):
        """View rectangles of the room's cells numbered 216 or more, back or front."""
        found = []
        width = len(next(iter(self.symbols)))
        for row, text in enumerate(self.rows.get(room, [])):
            for col in range(len(text) // width):
                back, front = self.symbols[text[col * width:(col + 1) * width]]
                if (back or 0) >= 216 or (front or 0) >= 216:
                    found.append((16 * col, 16 * row, 16 * col + 16, 16 * row + 16))
        return found


def room_pair(text):
    c, r = text.split(",")
    return int(c), int(r)


def cell_pixels(text):
    c, r = room_pair(text)
    return 16 * c, 16 * r


def rule_covers(rooms, room, source):
    column, row = room
    return {"all": True,
            "column4": column == 4 and source.backdrop.get(room, False),
            "row3from2": row == 3 and column >= 2,
            "rows0-3": row < 4,
            "row4": row == 4}[rooms]


def rule_area(area, frame, room, trace, source):
    """View rectangles [x0, y0, x1, y1) where a rule lets the frame differ."""
    whole = [(0, 0, VIEW_W, VIEW_H)]
    if area == "view":
        return whole
    if area == "cells":
        return source.high_cells(room)
    if area == "flash":
        recent = [trace[f - 1] for f in range(max(1, frame - FLASH_LONGEST), frame)]
        return whole if any(row[2] < 4 for row in recent) else []
    places = [(row[3] >> 8, row[4] >> 8) for row in trace[max(0, frame - 12):frame]]
    if area == "glow":
        return [(px - 8, py - 8, px + 24, py + 24) for px, py in places[-1:]]
    # Sparks: each trail keeps the hero's last ten places (or where he came in), 12 or
    # 16 pixels to his side and 8 up, swinging a pixel or two round its circle.
    if frame <= 12:
        places.append(source.start[1])
    return [(px - 17, py - 9, px + 33, py + 10) for px, py in places]


def rendered_room(frame, trace, source):
    """The room a frame draws: the one the hero was in when the frame began."""
    if frame == 1:
        return source.start[0]
    return trace[frame - 2][1], trace[frame - 2][2]


def plain_copy(args, tmp, replay):
    """A game directory whose copy of the map has its own id set to 0, and the replay
    with that copy's digest."""
    lines = open(replay, encoding="ascii").read().split("\n")
    map_name = lines[1].split(" ", 1)[1]
    game = os.path.join(tmp, "plain-game")
    os.makedirs(os.path.join(game, "MAP"))
    for sub in ("GFX", "sfx"):
        os.symlink(os.path.join(os.path.abspath(args.game_dir), sub), os.path.join(game, sub))
    with open(os.path.join(args.game_dir, "MAP", map_name), "rb") as f:
        data = bytearray(f.read())
    if len(data) != 1211594 + 4:
        fail("%s carries no map id of its own" % map_name)
    data[-4:] = struct.pack("<i", 0)
    with open(os.path.join(game, "MAP", map_name), "wb") as f:
        f.write(data)
    lines[2] = "sha256 " + hashlib.sha256(data).hexdigest()
    copy = os.path.join(tmp, "plain.replay")
    with open(copy, "w", encoding="ascii") as f:
        f.write("\n".join(lines))
    return game, copy, map_name


def shots_of(args, replay, game_dir, tmp, name):
    shots = os.path.join(tmp, name)
    os.mkdir(shots)
    trace = os.path.join(tmp, name + ".trace")
    run([args.replay_tool, replay, "--game-dir", game_dir, "--trace", trace,
         "--shots", shots, "--every", str(EFFECT_SHOT_EVERY)])
    return sorted(glob.glob(os.path.join(shots, "frame*.png"))), read_trace(trace)


def check_effect(args):
    with tempfile.TemporaryDirectory() as tmp:
        plain_game, plain_replay, map_name = plain_copy(args, tmp, args.replay)
        if map_name not in EFFECTS:
            fail("no effect is described for %s" % map_name)
        rules = EFFECTS[map_name]
        source = MapSource(os.path.join(args.map_sources, map_name[:-4], "map.txt"))
        shown, trace = shots_of(args, args.replay, args.game_dir, tmp, "effect")
        plain, plain_trace = shots_of(args, plain_replay, plain_game, tmp, "plain")
        if trace != plain_trace:
            fail("the map id changed the play itself: the traces differ")
        if [os.path.basename(p) for p in shown] != [os.path.basename(p) for p in plain]:
            fail("the two runs wrote different shots")
        seen = {}     # (rule index, room) -> shots of it that differ
        differ = {}   # room -> shots of it that differ
        for a, b in zip(shown, plain):
            frame = int(os.path.basename(a)[5:11])
            room = rendered_room(frame, trace, source)
            allowed = []
            for i, (rooms, area, _) in enumerate(rules):
                if rule_covers(rooms, room, source):
                    allowed += rule_area(area, frame, room, trace, source)
                    seen.setdefault((i, room), 0)
            diffs, outside = difference_outside(read_png_rgb(a)[2], read_png_rgb(b)[2], allowed)
            if outside:
                fail("frame %d, room %d,%d: the screen differs at (%d, %d), where %s "
                     "draws nothing of its own" % (frame, room[0], room[1], outside[0],
                                                   outside[1], map_name))
            differ[room] = differ.get(room, 0) + (1 if diffs else 0)
            for key in seen:
                if key[1] == room and diffs:
                    seen[key] += 1
        for (i, room), count in sorted(seen.items()):
            if rules[i][2] and count == 0:
                fail("room %d,%d never shows the effect (%s, %s)" %
                     (room[0], room[1], rules[i][0], rules[i][1]))
    print("%s: %d shots; differs in rooms %s, alike in %s" %
          (map_name, len(shown), sorted(r for r, n in differ.items() if n),
           sorted(r for r, n in differ.items() if not n) or "none"))


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
    golden.add_argument("--ends-by", choices=["energy", "esc"])
    sub.add_parser("rewrite").add_argument("replays", nargs="+")
    sub.add_parser("refuse").add_argument("replay")
    sub.add_parser("route").add_argument("map")
    level = sub.add_parser("level")
    level.add_argument("map")
    level.add_argument("min_frames", type=int)
    effect = sub.add_parser("effect")
    effect.add_argument("replay")
    effect.add_argument("--map-sources", required=True)
    args = parser.parse_args()
    if args.check in ("route", "level") and not args.route_tool:
        parser.error("%s needs --route-tool" % args.check)
    checks = {"golden": check_golden, "rewrite": rewrite_goldens,
              "refuse": check_refuse, "route": check_route, "level": check_level,
              "effect": check_effect}
    try:
        checks[args.check](args)
    except CheckFailed as e:
        print("FAILED: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
