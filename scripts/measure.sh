#!/usr/bin/env bash
# Builds what the performance figures need and prints them as one Markdown table on
# stdout: the benchmarks (CPU-time medians of their repetitions), the headless
# replay's speed, and the running game's start time and CPU use under a private Xvfb.
# Progress goes to stderr. Exits 1 when a figure is over its limit.
#
#   scripts/measure.sh [BUILD_DIR]        (default: build-measure)
#
# A build directory of its own, so that measuring never rebuilds, or waits on, the
# one being worked in; it is configured RelWithDebInfo the first time.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-measure}")"
jobs="${MEASURE_JOBS:-2}"
replay="$root/tests/replays/prueba_complete.replay"
say() { echo "measure: $*" >&2; }

for tool in cmake python3 Xvfb xdotool xwd xwininfo convert; do
  command -v "$tool" > /dev/null || { say "$tool is needed (scripts/install-deps.sh)"; exit 2; }
done

mkdir -p "$build"
log="$build/measure-build.log"
if [ ! -f "$build/CMakeCache.txt" ]; then
  say "configuring $build"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$log" 2>&1 \
    || { tail -30 "$log" >&2; exit 2; }
fi
benches=(bench_map_load bench_tile_sheet bench_music bench_level_frame bench_menu_frame bench_present)
say "building the game, the replay tool, the benchmarks and the game directory (-j$jobs)"
cmake --build "$build" -j"$jobs" --target vespertil vespertil-replay "${benches[@]}" \
  content_pictures content_sheets content_sounds content_music content_maps >> "$log" 2>&1 \
  || { tail -30 "$log" >&2; exit 2; }

out="$(mktemp -d "${TMPDIR:-/tmp}/vespertil-measure.XXXXXX")"
trap 'rm -rf "$out"' EXIT
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
started=$SECONDS

# bench NAME FILTER: its JSON, repetitions' aggregates only. Benchmarks that set their
# own repetition count keep it. They run in the scratch directory: some write files.
bench() {
  say "$1"
  (cd "$out" && "$build/bench/$1" --benchmark_filter="$2" --benchmark_repetitions=5 \
     --benchmark_report_aggregates_only=true --benchmark_min_time=0.2 \
     --benchmark_format=json > "$out/$1.json" 2> "$out/$1.err") \
    || { say "$1 failed:"; cat "$out/$1.err" >&2; rm -f "$out/$1.json"; }
}
bench bench_map_load 'BM_LoadMapFile/32(/|$)'
bench bench_tile_sheet 'BM_CutTileSheet/32(/|$)'
bench bench_music 'render_one_second/8(/|$)'
bench bench_level_frame 'BM_LevelFrame'
bench bench_menu_frame 'BM_MenuFrame'
bench bench_present 'BM_ScaledPresent'

say "replaying $(basename "$replay") headless, 5 runs"
python3 "$root/scripts/measure_table.py" replay "$build/tools/replay/vespertil-replay" \
  "$replay" "$build/game" 5 "$out/replay.json" || say "the replay could not be timed"

say "the game under Xvfb: start-up, waits, the menu, a level"
(cd "$root/tests/e2e" &&
  VESPERTIL_BIN="$build/game/vespertil" \
  VESPERTIL_REPLAY_BIN="$build/tools/replay/vespertil-replay" \
  VESPERTIL_GAME_DIR="$build/game" PYTHONDONTWRITEBYTECODE=1 \
  python3 "$root/scripts/measure_waits.py" --json "$out/game.json" 2> "$out/game.err") \
  || { say "whole-game measures failed:"; grep -v '^ALSA lib' "$out/game.err" | tail -30 >&2; }

status=0
python3 "$root/scripts/measure_table.py" table "$out" || status=$?
echo
echo "Measured in $((SECONDS - started)) s on $(nproc) cores; load average $load_before" \
     "before, $(cut -d' ' -f1-3 /proc/loadavg) after."
exit $status
