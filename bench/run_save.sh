#!/usr/bin/env bash
# save_bench of this build, and of a base build when given, each run a fresh
# process (it collects the sources itself, then times one round of cat +
# sync, a plain save and a save with escaping and UTF-8), interleaved round
# by round, who goes first alternating. Prints every round and the medians of
# the same-round ratios to cat + sync (and to the base build), with the load
# average before and after. Usage:
#   bench/run_save.sh [build directory] [rounds=3] [base build directory] [MiB=1024]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-3}
BASE=${3:-}
MIB=${4:-1024}
WORK=${WORK:-/tmp/kleitab-save-bench}
cmake --build "$BUILD" --target save_bench >/dev/null
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# "save plain:   0.72 s  1659 MB/s  1.80x cat+sync ..." -> seconds
seconds_of() { echo "$1" | grep "^$2" | sed "s/^[^:]*: *\([0-9.]*\) s.*/\1/"; }
run() { # build directory -> "cat plain escape"
  local out
  out=$("$1/bench/save_bench" "$WORK" "$MIB" 4 1)
  echo "$(seconds_of "$out" "cat+sync") $(seconds_of "$out" "save plain") $(seconds_of "$out" "save escape")"
}
echo "machine: $(nproc) cores, $(uname -r); $MIB MiB; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$BUILD/bench/save_bench" "$WORK" "$MIB" 4 0 >/dev/null # generates the sources once
results=$(mktemp)
for round in $(seq "$ROUNDS"); do
  order=(this)
  [ -n "$BASE" ] && order=(this base)
  [ -n "$BASE" ] && [ $((round % 2)) -eq 0 ] && order=(base this)
  for who in "${order[@]}"; do
    if [ "$who" = this ]; then set -- $(run "$BUILD"); else set -- $(run "$BASE"); fi
    echo "$round $who $1 $2 $3" >>"$results"
    echo "  round $round $who: cat+sync $1 s, plain $2 s ($(awk -v a="$2" -v b="$1" 'BEGIN { printf "%.2f", a / b }')), escape+UTF-8 $3 s ($(awk -v a="$3" -v b="$1" 'BEGIN { printf "%.2f", a / b }')); load $(cut -d' ' -f1-3 /proc/loadavg)"
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
for who in this base; do
  grep -q " $who " "$results" || continue
  echo "$who: plain / cat+sync median $(awk -v w="$who" '$2 == w { print $4 / $3 }' "$results" | median)," \
    "escape+UTF-8 / cat+sync median $(awk -v w="$who" '$2 == w { print $5 / $3 }' "$results" | median)," \
    "plain median $(awk -v w="$who" '$2 == w { print $4 }' "$results" | median) s," \
    "escape+UTF-8 median $(awk -v w="$who" '$2 == w { print $5 }' "$results" | median) s"
done
if [ -n "$BASE" ]; then
  echo "this / base, same round: plain $(awk '{ t[$1, $2] = $4 } END { for (k in t) { split(k, p, SUBSEP); if (p[2] == "this") print t[k] / t[p[1], "base"] } }' "$results" | median)," \
    "escape+UTF-8 $(awk '{ t[$1, $2] = $5 } END { for (k in t) { split(k, p, SUBSEP); if (p[2] == "this") print t[k] / t[p[1], "base"] } }' "$results" | median)"
fi
rm -f "$results"
