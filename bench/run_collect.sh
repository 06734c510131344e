#!/usr/bin/env bash
# Measures collecting against the yardsticks cat and awk, on the same files,
# in one run, with a warm page cache. Usage:
#   bench/run_collect.sh [build directory] [repeats]
# SETS="large large2" limits the run to some of the sets.
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
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
is_less() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(b == "" || a < b) }'; }
field() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }

# Times the yardsticks and both placements on one set, interleaved round by
# round so that a burst of load on the shared machine hits them alike; keeps
# the best (lowest) wall time of each. A placement slower than 30 s is not
# repeated.
report() {
  local set=$1 dir="$DATA/$1"
  local files=("$dir"/*.csv)
  local mb
  mb=$(cat "${files[@]}" | wc -c | awk '{printf "%.1f", $1 / 1e6}')
  cat "${files[@]}" >/dev/null # warm the page cache
  local t_cat="" t_awk="" t_stacked="" t_side="" stacked="" side="" t0 t line round mode
  for round in $(seq "$REPEATS"); do
    t0=$(now)
    cat "${files[@]}" >/dev/null
    t=$(elapsed "$t0" "$(now)")
    is_less "$t" "$t_cat" && t_cat=$t
    t0=$(now)
    awk '{print $0","FILENAME}' "${files[@]}" >"$DATA/awk.out"
    t=$(elapsed "$t0" "$(now)")
    is_less "$t" "$t_awk" && t_awk=$t
    # awk's output stays until the set is done (freeing a gigabyte of page
    # cache would charge its cost to whoever allocates next) and is written
    # back before the next contender starts.
    sync
    # The placements take turns at going first: on this virtual machine the
    # first large allocation after a pause pays for memory the host took
    # back (see README.md), and that should not always fall on the same one.
    local order=(stacked side)
    [ $((round % 2)) -eq 1 ] && order=(side stacked)
    for mode in "${order[@]}"; do
      if [ "$mode" = side ] && [ -n "$t_side" ] && ! is_less "$t_side" 30; then
        continue
      fi
      t0=$(now)
      line=$("$COLLECT" "$dir" "$mode")
      t=$(elapsed "$t0" "$(now)")
      if [ "$mode" = stacked ]; then
        is_less "$t" "$t_stacked" && t_stacked=$t && stacked=$line
      else
        is_less "$t" "$t_side" && t_side=$t && side=$line
      fi
    done
  done
  rm -f "$DATA/awk.out"
  echo "== $set: ${#files[@]} files, $mb MB (best of $REPEATS, wall time of the whole process)"
  awk -v mb="$mb" -v cat="$t_cat" -v awkt="$t_awk" -v st="$t_stacked" -v sd="$t_side" \
    -v st_peak="$(field "$stacked" peak_rss_mb)" -v sd_peak="$(field "$side" peak_rss_mb)" 'BEGIN {
      printf "  cat  > /dev/null          %8.3f s %7.1f MB/s\n", cat, mb / cat
      printf "  awk  FILENAME > file      %8.3f s %7.1f MB/s\n", awkt, mb / awkt
      printf "  collect stacked, tag      %8.3f s %7.1f MB/s  peak %7.1f MB = %.2f x input  stacked / awk %.2f\n",
        st, mb / st, st_peak, st_peak / mb, st / awkt
      printf "  collect side by side, tag %8.3f s %7.1f MB/s  peak %7.1f MB = %.2f x input  side / stacked %.2f\n",
        sd, mb / sd, sd_peak, sd_peak / mb, sd / st
    }'
  echo "$set $t_stacked $t_side $t_awk" >>"$DATA/.times"
}

rm -f "$DATA/.times"
echo "machine: $(nproc) cores, $(uname -r), build $BUILD"
for set in ${SETS:-small large large2}; do
  report "$set"
done
awk '{ st[$1] = $2; sd[$1] = $3; aw[$1] = $4 } END {
  if (st["large"] > 0 && st["large2"] > 0) printf "== 2 GB / 1 GB: stacked %.2f, side by side %.2f, awk %.2f\n",
    st["large2"] / st["large"], sd["large2"] / sd["large"], aw["large2"] / aw["large"] }' "$DATA/.times"
rm -f "$DATA/.times"
