#!/usr/bin/env python3
"""The two halves of scripts/measure.sh that want Python:

  measure_table.py replay TOOL REPLAY GAME_DIR RUNS OUT.json
      plays REPLAY headless with the replay tool RUNS times and keeps, for each run,
      the frames it played (from its result line), the wall time and the CPU time.
  measure_table.py table DIR
      reads what measure.sh gathered in DIR (the benchmarks' JSON, replay.json and
      game.json from scripts/measure_waits.py) and prints the Markdown table.

Every figure is compared with its limit here, so the table says at a glance which
hold. Benchmarks give CPU-time medians of their repetitions: the machine may be
shared, and a busy neighbour stretches wall time far more than CPU time.
"""

import json
import os
import re
import resource
import statistics
import subprocess
import sys
import time

RESULT = re.compile(r"^result (\S+) frames (\d+) switches (\d+) energy (-?\d+)$")

# Limits. The benchmark ones are the frame budget's share each part may take; the
# replay one keeps a full test run of every recorded replay within seconds; the
# start-up ones leave room for a loaded machine over the splash's own second.
MAP_LOAD_MS = 2.0
TILE_SHEET_MS = 1.0
MUSIC_SECOND_MS = 5.0
LEVEL_FRAME_MS = 1.0
LEVEL_FRAME_RATIO = 1.5
MENU_FRAME_MS = 1.0
PRESENT_MS = 4.0  # a quarter of a menu frame's 17 ms tick, at every factor up to 4
REPLAY_FPS = 1000.0
WAIT_MAIN, WAIT_PROCESS = 0.01, 0.05
MENU_MAIN, MENU_PROCESS = 0.05, 0.10
PLAY_MAIN = 0.05
START_TO_LOGO_S = 1.0
START_TO_MENU_S = 3.0


def time_replay(tool, replay, game_dir, runs, out):
    found = []
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.monotonic()
        done = subprocess.run([tool, replay, "--game-dir", game_dir],
                              capture_output=True, text=True, timeout=300)
        wall = time.monotonic() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        lines = done.stdout.strip().splitlines()
        m = RESULT.match(lines[-1]) if lines else None
        if done.returncode != 0 or not m:
            sys.exit("%s %s failed (%d): %s%s" % (tool, replay, done.returncode,
                                                  done.stdout[-300:], done.stderr[-300:]))
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        found.append({"frames": int(m.group(2)), "wall": wall, "cpu": cpu, "result": lines[-1]})
    with open(out, "w") as f:
        json.dump({"replay": os.path.basename(replay), "runs": found}, f, indent=1)


# --- the table ---------------------------------------------------------------------

def load(directory, name):
    path = os.path.join(directory, name)
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return json.load(f)


def medians(bench_json):
    """CPU-time and wall-time medians in ms, and the label, by run name."""
    found = {}
    if not bench_json:
        return found
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    for b in bench_json["benchmarks"]:
        if b.get("error_occurred"):
            found[b["run_name"]] = {"error": b.get("error_message", "error")}
            continue
        if b.get("run_type") != "aggregate" or b.get("aggregate_name") != "median":
            continue
        k = scale[b["time_unit"]]
        found[b["run_name"]] = {"cpu": b["cpu_time"] * k, "wall": b["real_time"] * k,
                                "label": b.get("label", ""), "reps": b.get("repetitions", 0)}
    return found


def find(runs, prefix):
    """The run whose name is `prefix` or `prefix/repeats:N`."""
    for name, run in runs.items():
        if name == prefix or name.startswith(prefix + "/repeats:"):
            return run
    return None


def ms(v):
    return "%.2f ms" % v if v >= 0.1 else "%.3f ms" % v


def pct(v):
    return "%.2f %%" % (100 * v) if v < 0.1 else "%.1f %%" % (100 * v)


def pct_limit(v):
    return "%g %%" % (100 * v)


def verdict(ok):
    return "yes" if ok else "**NO**"


class Table:
    def __init__(self):
        self.rows = []

    def add(self, what, how, figure, limit, ok):
        self.rows.append((what, how, figure, limit, ok if isinstance(ok, str) else verdict(ok)))

    def missing(self, what, how, limit):
        self.rows.append((what, how, "not measured", limit, "**NO**"))

    def text(self):
        out = ["| what | measured with | figure | limit | within |",
               "|---|---|---|---|---|"]
        out += ["| %s |" % " | ".join(row) for row in self.rows]
        return "\n".join(out)


def bench_row(table, runs, prefix, what, how, limit_ms):
    run = find(runs, prefix)
    if not run or "error" in run:
        table.missing(what, how, "%g ms" % limit_ms)
        return None
    table.add(what, how, "%s (wall %s)" % (ms(run["cpu"]), ms(run["wall"])), "%g ms" % limit_ms,
              run["cpu"] <= limit_ms)
    return run


def cpu_row(table, game, key, what, how, main_limit, process_limit=None):
    limit = "main %s" % pct_limit(main_limit)
    if process_limit is not None:
        limit += ", process %s" % pct_limit(process_limit)
    f = (game or {}).get(key)
    if not f:
        table.missing(what, how, limit)
        return
    figure = ("main %s, X11 thread %s, process %s (medians of %d one-second spells; the "
              "quietest: main %s, process %s)" % (pct(f["main"]), pct(f["x11"]), pct(f["process"]), f["spells"],
                               pct(f["main_range"][0]), pct(f["process_range"][0])))
    median_ok = f["main"] <= main_limit and (process_limit is None or f["process"] <= process_limit)
    quiet_ok = (f["main_range"][0] <= main_limit
                and (process_limit is None or f["process_range"][0] <= process_limit))
    ok = "yes" if median_ok else ("median over, quietest second within" if quiet_ok else "**NO**")
    table.add(what, how, figure, limit, ok)


def make_table(directory):
    t = Table()
    loads = medians(load(directory, "bench_map_load.json"))
    sheets = medians(load(directory, "bench_tile_sheet.json"))
    music = medians(load(directory, "bench_music.json"))
    frames = medians(load(directory, "bench_level_frame.json"))
    menus = medians(load(directory, "bench_menu_frame.json"))
    presents = medians(load(directory, "bench_present.json"))

    bench_row(t, loads, "BM_LoadMapFile/32", "load a whole map, converted to 32-bit pixels",
              "`bench_map_load` `BM_LoadMapFile/32`", MAP_LOAD_MS)
    bench_row(t, sheets, "BM_CutTileSheet/32", "load and cut a tile sheet, 32 bits",
              "`bench_tile_sheet` `BM_CutTileSheet/32`", TILE_SHEET_MS)
    bench_row(t, music, "render_one_second/8",
              "render one second of music, 44.1 kHz stereo, 8 channels sounding",
              "`bench_music` `render_one_second/8`", MUSIC_SECOND_MS)

    floor = find(frames, "BM_LevelFrameFloor")
    limit = "%g ms; %g × floor" % (LEVEL_FRAME_MS, LEVEL_FRAME_RATIO)
    index = 0
    while True:
        run = find(frames, "BM_LevelFrame/%d" % index)
        if run is None:
            break
        how = "`bench_level_frame` `BM_LevelFrame/%d`" % index
        index += 1
        if "error" in run or not floor or "error" in floor:
            t.missing("one frame of play: %s" % run.get("label", how), how, limit)
            continue
        ratio = run["cpu"] / floor["cpu"]
        what = ("one frame of play (rules, room and effects drawn, doubled onto 640 × 480, "
                "16 bits): %s" if index == 1 else "one frame of play: %s") % run["label"]
        t.add(what, how,
              "%s, %.2f × floor (wall %s)" % (ms(run["cpu"]), ratio, ms(run["wall"])), limit,
              run["cpu"] <= LEVEL_FRAME_MS and ratio <= LEVEL_FRAME_RATIO)
    if index == 0:
        t.missing("one frame of play, every map id", "`bench_level_frame` `BM_LevelFrame/N`", limit)
    if floor and "error" not in floor:
        t.add("floor: the busiest room of prueba.map drawn with the library's calls alone",
              "`bench_level_frame` `BM_LevelFrameFloor`",
              "%s (wall %s)" % (ms(floor["cpu"]), ms(floor["wall"])), "none: the ratios' base", "—")
    else:
        t.missing("floor of a frame of play", "`bench_level_frame` `BM_LevelFrameFloor`", "—")

    menu = find(menus, "BM_MenuFrame")
    menu_floor = find(menus, "BM_MenuFrameFloor")
    if menu and "error" not in menu and menu_floor and "error" not in menu_floor:
        t.add("one main-menu frame at 640 × 480, 16 bits (backdrop and reflection, bar, panels, "
              "words, copied to a memory screen)", "`bench_menu_frame` `BM_MenuFrame`",
              "%s, %.2f × floor (wall %s)" % (ms(menu["cpu"]), menu["cpu"] / menu_floor["cpu"],
                                              ms(menu["wall"])),
              "%g ms" % MENU_FRAME_MS, menu["cpu"] <= MENU_FRAME_MS)
        t.add("floor: the same pixels moved by the library's calls alone",
              "`bench_menu_frame` `BM_MenuFrameFloor`",
              "%s (wall %s)" % (ms(menu_floor["cpu"]), ms(menu_floor["wall"])),
              "none: the ratio's base", "—")
    else:
        t.missing("one main-menu frame", "`bench_menu_frame` `BM_MenuFrame`", "%g ms" % MENU_FRAME_MS)

    for scale in (2, 3, 4):
        run, floor = find(presents, "BM_ScaledPresent/%d" % scale), find(presents, "BM_ScaledPresentFloor/%d" % scale)
        how = "`bench_present` `BM_ScaledPresent/%d`" % scale
        what = "the scaled window's present: the 640 × 480 picture onto a %d × %d screen, each pixel " \
               "%d × %d, 32 bits, every row changed" % (640 * scale, 480 * scale, scale, scale)
        if not run or "error" in run or not floor or "error" in floor:
            t.missing(what, how, "%g ms" % PRESENT_MS)
            continue
        t.add(what, how, "%s, %.2f × floor (wall %s)" % (ms(run["cpu"]), run["cpu"] / floor["cpu"], ms(run["wall"])),
              "%g ms" % PRESENT_MS, run["cpu"] <= PRESENT_MS)
        t.add("floor: a %d × %d picture copied whole by the library's blit" % (640 * scale, 480 * scale),
              "`bench_present` `BM_ScaledPresentFloor/%d`" % scale,
              "%s (wall %s)" % (ms(floor["cpu"]), ms(floor["wall"])), "none: the ratio's base", "—")

    replay = load(directory, "replay.json")
    how = "`vespertil-replay` headless"
    if replay and replay["runs"]:
        fps_cpu = statistics.median(r["frames"] / r["cpu"] for r in replay["runs"])
        fps_wall = statistics.median(r["frames"] / r["wall"] for r in replay["runs"])
        t.add("replay `%s` (%d frames, map loading included), median of %d runs"
              % (replay["replay"], replay["runs"][0]["frames"], len(replay["runs"])), how,
              "%.0f frames/s of CPU time (%.0f frames/s wall)" % (fps_cpu, fps_wall),
              "≥ %g frames/s (play runs at 29.4)" % REPLAY_FPS, fps_cpu >= REPLAY_FPS)
    else:
        t.missing("replay frames per second", how, "≥ %g frames/s" % REPLAY_FPS)

    game = load(directory, "game.json") or {}
    under_x = "the game under Xvfb"
    under_x_tool = "`vespertil-replay --record` under Xvfb"
    cpu_row(t, game, "end_picture_wait", "CPU while the first end picture waits for a key",
            under_x, WAIT_MAIN, WAIT_PROCESS)
    cpu_row(t, game, "title_panel_wait", "CPU while a level's title panel waits for a key",
            under_x_tool, WAIT_MAIN, WAIT_PROCESS)
    cpu_row(t, game, "menu_idle", "CPU in the main menu, idle, its backdrop animating",
            under_x, MENU_MAIN, MENU_PROCESS)
    cpu_row(t, game, "play", "CPU while playing a level (29.4 frames a second)",
            under_x_tool, PLAY_MAIN)

    for key, what, limit in (
            ("start_to_logo", "from the program's start to its first picture (the logo)",
             START_TO_LOGO_S),
            ("start_to_menu", "from the program's start to the main menu's first frame shown "
             "whole (the splash holds the logo for 60 retraces, then a key is pressed)",
             START_TO_MENU_S)):
        if key in game:
            t.add(what, under_x, "%.2f s" % game[key], "%g s" % limit, game[key] <= limit)
        else:
            t.missing(what, under_x, "%g s" % limit)
    return t


def main(argv):
    if len(argv) == 7 and argv[1] == "replay":
        time_replay(argv[2], argv[3], argv[4], int(argv[5]), argv[6])
    elif len(argv) == 3 and argv[1] == "table":
        table = make_table(argv[2])
        print(table.text())
        return 1 if any(row[4] == "**NO**" for row in table.rows) else 0
    else:
        sys.exit(__doc__)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
