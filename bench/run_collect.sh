#!/usr/bin/env bash
# Measures collecting against the yardsticks cat and awk, on the same files,
# in one run, with a warm page cache. Usage:
#   bench/run_collect.sh [build directory] [repeats]
# Generates bench/data/ (git-ignored, about 3.1 GB) on the first run.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
REPEATS=${2:-3}
DATA=bench/data

if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DKLEITAB_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target collect_bench gen_csv >/dev/null
GEN="$BUILD/bench/gen_csv"
COLLECT="$BUILD/bench/collect_bench"

# name, file count, bytes per file, seed
generate() {
  local dir="$DATA/$1"
  [ -f "$dir/.complete" ] && return
  echo "generating $dir ..." >&2
  rm -rf "$dir" "$dir.tmp"
  mkdir -p "$DATA"
  "$GEN" "$dir.tmp" "$2" "$3" "$4"
  touch "$dir.tmp/.complete"
  mv "$dir.tmp" "$dir"
}
generate small 2000 50000 1
generate large 20 50000000 2
generate large2 40 50000000 3

now() { date +%s.%N; }
# The best (lowest) wall time of REPEATS runs of a command, in seconds.
best_time() {
  local best="" t0 t1 t
  for _ in $(seq "$REPEATS"); do
    t0=$(now)
    "$@"
    t1=$(now)
    t=$(echo "$t1 $t0" | awk '{printf "%.3f", $1 - $2}')
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best"
}
# The line of collect_bench with the lowest time, and the process's wall time.
best_collect() {
  local best_line="" best_t="" line t0 t1 t
  for _ in $(seq "$REPEATS"); do
    t0=$(now)
    line=$("$COLLECT" "$@")
    t1=$(now)
    t=$(echo "$t1 $t0" | awk '{printf "%.3f", $1 - $2}')
    if [ -z "$best_t" ] || awk -v a="$t" -v b="$best_t" 'BEGIN { exit !(a < b) }'; then
      best_t=$t
      best_line=$line
    fi
    # A run this slow says enough once.
    awk -v a="$t" 'BEGIN { exit !(a > 30) }' && break
  done
  echo "$best_t $best_line"
}
field() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }

report() {
  local set=$1 dir="$DATA/$1"
  local files=("$dir"/*.csv)
  local mb
  mb=$(cat "${files[@]}" | wc -c | awk '{printf "%.1f", $1 / 1e6}')
  cat "${files[@]}" >/dev/null # warm the page cache
  local t_cat t_awk stacked side t_stacked t_side
  t_cat=$(best_time sh -c 'cat "$@" >/dev/null' sh "${files[@]}")
  t_awk=$(best_time sh -c 'awk '\''{print $0","FILENAME}'\'' "$@" >"'"$DATA"'/awk.out"' sh \
    "${files[@]}")
  rm -f "$DATA/awk.out"
  stacked=$(best_collect "$dir" stacked)
  side=$(best_collect "$dir" side)
  t_stacked=${stacked%% *}
  t_side=${side%% *}
  echo "== $set: ${#files[@]} files, $mb MB (best of $REPEATS, wall time of the whole process)"
  awk -v mb="$mb" -v cat="$t_cat" -v awkt="$t_awk" -v st="$t_stacked" -v sd="$t_side" \
    -v st_peak="$(field "$stacked" peak_rss_mb)" -v sd_peak="$(field "$side" peak_rss_mb)" \
    -v st_in="$(field "$stacked" seconds)" -v sd_in="$(field "$side" seconds)" 'BEGIN {
      printf "  cat  > /dev/null          %7.3f s %8.1f MB/s\n", cat, mb / cat
      printf "  awk  FILENAME > file      %7.3f s %8.1f MB/s\n", awkt, mb / awkt
      printf "  collect stacked, tag      %7.3f s %8.1f MB/s  (in-process %.3f s)  peak %7.1f MB = %.2f x input  time / awk %.2f\n",
        st, mb / st, st_in, st_peak, st_peak / mb, st / awkt
      printf "  collect side by side, tag %7.3f s %8.1f MB/s  (in-process %.3f s)  peak %7.1f MB = %.2f x input  side / stacked %.2f\n",
        sd, mb / sd, sd_in, sd_peak, sd_peak / mb, sd / st
    }'
  echo "$set $t_stacked" >>"$DATA/.stacked_times"
}

rm -f "$DATA/.stacked_times"
echo "machine: $(nproc) cores, $(uname -r), build $BUILD"
report small
report large
report large2
awk '{ t[$1] = $2 } END {
  if (t["large"] > 0) printf "== linearity: stacked 2 GB / 1 GB = %.2f\n", t["large2"] / t["large"] }' \
  "$DATA/.stacked_times"
rm -f "$DATA/.stacked_times"
