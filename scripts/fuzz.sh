#!/usr/bin/env bash
# One long fuzz campaign: scripts/fuzz.sh TARGET SECONDS [libFuzzer flags...]
#
# Builds the fuzz targets in build-fuzz/ when needed (the "fuzz" preset, clang),
# then runs fuzz_TARGET at low priority for SECONDS over a scratch corpus,
# build-fuzz/campaigns/TARGET/corpus: seeded from fuzz/corpus/TARGET/ and kept, so
# the next campaign goes on from what this one found. The repository's corpus is
# never written. A crash or a broken promise is saved as
# build-fuzz/campaigns/TARGET/crash-* (reproduce: build-fuzz/fuzz/fuzz_TARGET FILE).
# Prints the number of inputs run, the time taken and the CPU time it had.
# TARGET "list" lists the targets.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer flags...]  (TARGET list: the targets)" >&2
  exit 2
fi
target=$1
# The targets, as fuzz/CMakeLists.txt makes them (one vespertil_fuzz line each).
targets() { sed -n 's/^vespertil_fuzz(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt; }
if [ "$target" = list ]; then
  targets
  exit 0
fi
if [ $# -lt 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer flags...]" >&2
  exit 2
fi
seconds=$2
shift 2
if ! targets | grep -qx "$target"; then
  echo "fuzz.sh: no target '$target' (scripts/fuzz.sh list)" >&2
  exit 2
fi

[ -f build-fuzz/CMakeCache.txt ] || cmake --preset fuzz > /dev/null
cmake --build build-fuzz --target "fuzz_$target" -j"$(nproc)" > /dev/null

campaign=$PWD/build-fuzz/campaigns/$target
mkdir -p "$campaign/corpus"
cp -n fuzz/corpus/"$target"/* "$campaign/corpus/" 2> /dev/null || true
read -r -a flags < "build-fuzz/fuzz/fuzz_$target.flags"
log=$campaign/last.log
set +e
started=$SECONDS
TIMEFORMAT=%0U
cpu=$( { time nice -n 10 "build-fuzz/fuzz/fuzz_$target" "${flags[@]}" -max_total_time="$seconds" \
  -print_final_stats=1 -artifact_prefix="$campaign/" "$@" "$campaign/corpus" 2> "$log" ; } 2>&1 )
status=$?
elapsed=$((SECONDS - started))
set -e
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
found=$(ls "$campaign/corpus" | wc -l)
echo "fuzz_$target: ${runs:-?} inputs in ${elapsed} s (${cpu} s of CPU), corpus of $found files, exit status $status (log: $log)"
if [ $status -ne 0 ]; then
  grep -E "ERROR|broken promise|SUMMARY|Test unit written" "$log" | head -20 >&2
fi
exit $status
