#!/usr/bin/env bash
# Collecting against its yardstick on the same files, each contender a fresh
# process, interleaved round by round (the order rotated every round), the page
# cache warm:
#   mawk '{print $0","FILENAME}' files > out         (mawk, not gawk)
#   collect_bench DIR stacked --warm                  (CollectFiles stacked,
#     file names on, bare name: the window's defaults)
# The headline is the first collect of the fresh process ("cold": memory the
# process never touched, as for a user who starts the program and collects);
# the second collect in the same process, after clearing the table, is the
# "warm" figure beside it. Reports per round the times and the ratios to
# mawk, the medians of the same-round ratios, the peak resident memory of
# each (from wait4, bench/measure.py) and the load average before and after.
# Usage:
#   bench/run_collect.sh [build directory] [rounds=3] [base build directory]
#   SETS="small large" SIDE=1 bench/run_collect.sh build 5
# SETS: small (2,000 x 50 KB), large (20 x 50 MB, the default), large2
# (40 x 50 MB), large4 (80 x 50 MB), tiny (50,000 x 1 KB), long (10 x 20 MB
# in lines of 1.2 MB, 200,000 fields each; AWK=gawk compares them with gawk,
# whose reading does not split a line it only prints); SIDE=1 adds the
# side-by-side collect as a third contender. A base build directory (an
# earlier commit's build with its own collect_bench) adds that build's stacked
# collect as a contender, for before/after figures in one sitting. KEEP_DATA=0 removes each set's
# generated files after it is measured.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-3}
BASE=${3:-}
DATA=bench/data
MEASURE="python3 $PWD/bench/measure.py"
AWK=${AWK:-mawk} # AWK=gawk for the long lines' yardstick

command -v "$AWK" >/dev/null || {
  echo "$AWK is not installed (scripts/install_packages.sh)" >&2
  exit 1
}
if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DKLEITAB_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target collect_bench gen_csv >/dev/null
GEN="$BUILD/bench/gen_csv"
COLLECT=$(realpath "$BUILD/bench/collect_bench")
[ -n "$BASE" ] && BASE_COLLECT=$(realpath "$BASE/bench/collect_bench")

generate() { # name, file count, bytes per file, seed, gen_csv's options
  local dir="$DATA/$1"
  [ -f "$dir/.complete" ] && return
  echo "generating $dir ..." >&2
  rm -rf "$dir" "$dir.tmp"
  mkdir -p "$DATA"
  "$GEN" "$dir.tmp" "$2" "$3" "$4" "${@:5}"
  touch "$dir.tmp/.complete"
  mv "$dir.tmp" "$dir"
}

generate_set() {
  case $1 in
  small) generate small 2000 50000 1 ;;
  large) generate large 20 50000000 2 ;;
  large2) generate large2 40 50000000 3 ;;
  large4) generate large4 80 50000000 4 ;;
  tiny) generate tiny 50000 1000 5 ;;
  long) generate long 10 20000000 6 --joined=20000 ;;
  *)
    echo "unknown set $1" >&2
    exit 2
    ;;
  esac
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
field() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

report() {
  local set=$1 dir out
  dir=$(realpath "$DATA/$1")
  out=$(realpath "$DATA")/collect_mawk.out
  local mb
  # find, not a glob: 50,000 full paths are more than one command line holds.
  mb=$(find "$dir" -name '*.csv' -exec cat {} + | wc -c | awk '{ printf "%.1f", $1 / 1e6 }')
  find "$dir" -name '*.csv' -exec cat {} + >/dev/null # warm the page cache
  local contenders=(mawk stacked)
  [ "${SIDE:-0}" = 1 ] && contenders+=(side)
  [ -n "$BASE" ] && contenders=(mawk base stacked)
  local load_before load_after line
  local -a r_cold=() r_warm=() r_side=() t_mawk=() t_cold=() t_warm=() t_side=()
  local -a r_base=() r_base_warm=() r_new_base=() t_base=()
  local p_mawk=0 p_stacked=0 p_side=0 p_base=0
  load_before=$(load)
  for round in $(seq "$ROUNDS"); do
    # The order rotates every round, so that each contender follows each
    # other one alike (whoever runs right after another's gigabyte is freed
    # may pay for it).
    local order=() n=${#contenders[@]}
    for ((k = 0; k < n; k++)); do order+=("${contenders[(k + round - 1) % n]}"); done
    local tm="" tc="" tw="" ts="" tb="" tbw=""
    for who in "${order[@]}"; do
      rm -f "$out"
      sync
      case $who in
      mawk)
        # The shell expands the sorted names, the order collect_bench reads them.
        line=$(cd "$dir" && $MEASURE -o "$out" -- sh -c "exec $AWK '{print \$0\",\"FILENAME}' *.csv")
        tm=${line% *}
        p_mawk=$(awk -v a="$p_mawk" -v b="${line#* }" 'BEGIN { print (b > a) ? b : a }')
        ;;
      stacked)
        line=$($MEASURE -o "$out.txt" -- "$COLLECT" "$dir" stacked --warm)
        tc=$(field "$(cat "$out.txt")" seconds)
        tw=$(field "$(cat "$out.txt")" warm_seconds)
        p_stacked=$(awk -v a="$p_stacked" -v b="${line#* }" 'BEGIN { print (b > a) ? b : a }')
        ;;
      base)
        line=$($MEASURE -o "$out.txt" -- "$BASE_COLLECT" "$dir" stacked --warm)
        tb=$(field "$(cat "$out.txt")" seconds)
        tbw=$(field "$(cat "$out.txt")" warm_seconds)
        p_base=$(awk -v a="$p_base" -v b="${line#* }" 'BEGIN { print (b > a) ? b : a }')
        ;;
      side)
        line=$($MEASURE -o "$out.txt" -- "$COLLECT" "$dir" side)
        ts=$(field "$(cat "$out.txt")" seconds)
        p_side=$(awk -v a="$p_side" -v b="${line#* }" 'BEGIN { print (b > a) ? b : a }')
        ;;
      esac
    done
    t_mawk+=("$tm")
    t_cold+=("$tc")
    t_warm+=("$tw")
    r_cold+=("$(ratio "$tc" "$tm")")
    r_warm+=("$(ratio "$tw" "$tm")")
    local side_text=""
    if [ -n "$tb" ]; then
      t_base+=("$tb")
      r_base+=("$(ratio "$tb" "$tm")")
      r_base_warm+=("$(ratio "$tbw" "$tm")")
      r_new_base+=("$(ratio "$tc" "$tb")")
      side_text=", base cold $tb s (${r_base[-1]}), warm $tbw s (${r_base_warm[-1]}), this / base ${r_new_base[-1]}"
    fi
    if [ -n "$ts" ]; then
      t_side+=("$ts")
      r_side+=("$(ratio "$ts" "$tm")")
      side_text="$side_text, side $ts s (${r_side[-1]})"
    fi
    echo "  round $round (${order[*]}): $AWK $tm s, collect cold $tc s (${r_cold[-1]}), warm $tw s (${r_warm[-1]})$side_text; load $(load)" >&2
  done
  rm -f "$out" "$out.txt"
  load_after=$(load)
  echo "== $set: $(ls "$dir" | grep -c '\.csv$') files, $mb MB, $ROUNDS rounds, load average $load_before -> $load_after"
  echo "  $AWK '{print \$0\",\"FILENAME}' > file  median $(printf '%s\n' "${t_mawk[@]}" | median) s  peak $p_mawk MiB"
  echo "  collect stacked, first in a fresh process (cold)  median $(printf '%s\n' "${t_cold[@]}" | median) s  x $AWK (median of same-round ratios) $(printf '%s\n' "${r_cold[@]}" | median)"
  echo "  collect stacked, again in the same process (warm) median $(printf '%s\n' "${t_warm[@]}" | median) s  x $AWK $(printf '%s\n' "${r_warm[@]}" | median)"
  echo "  collect stacked peak $p_stacked MiB = $(awk -v p="$p_stacked" -v mb="$mb" 'BEGIN { printf "%.2f", p * 1.048576 / mb }') x input"
  if [ ${#t_base[@]} -gt 0 ]; then
    echo "  base build ($BASE) stacked cold median $(printf '%s\n' "${t_base[@]}" | median) s  x $AWK $(printf '%s\n' "${r_base[@]}" | median), warm x $AWK $(printf '%s\n' "${r_base_warm[@]}" | median)  peak $p_base MiB"
    echo "  this build / base build, cold (median of same-round ratios) $(printf '%s\n' "${r_new_base[@]}" | median)"
  fi
  if [ ${#t_side[@]} -gt 0 ]; then
    echo "  collect side by side (cold) median $(printf '%s\n' "${t_side[@]}" | median) s  x $AWK $(printf '%s\n' "${r_side[@]}" | median)  peak $p_side MiB"
  fi
  echo "$set $(printf '%s\n' "${t_cold[@]}" | median) $(printf '%s\n' "${t_mawk[@]}" | median)" >>"$DATA/.collect_times"
}

echo "machine: $(nproc) cores, $(uname -r), build $BUILD, yardstick $($AWK -W version 2>&1 | head -1)"
mkdir -p "$DATA"
rm -f "$DATA/.collect_times"
for set in ${SETS:-large}; do
  generate_set "$set"
  report "$set"
  [ "${KEEP_DATA:-1}" = 0 ] && rm -rf "${DATA:?}/$set"
done
awk '{ c[$1] = $2; m[$1] = $3 } END {
  if (c["large"] > 0 && c["large2"] > 0) printf "== 2 GB / 1 GB: collect %.2f, mawk %.2f\n", c["large2"] / c["large"], m["large2"] / m["large"]
  if (c["large"] > 0 && c["large4"] > 0) printf "== 4 GB / 1 GB: collect %.2f, mawk %.2f\n", c["large4"] / c["large"], m["large4"] / m["large"] }' "$DATA/.collect_times"
rm -f "$DATA/.collect_times"
