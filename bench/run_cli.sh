#!/usr/bin/env bash
# The command line against its yardstick, on the 1 GB "few large" set (20
# files of 50 MB, generated once into bench/data/large), each contender a
# fresh process, interleaved round by round:
#   kleitab -o out.csv --file-name name DIR            (streamed stacked merge)
#   mawk '{print $0","FILENAME}' *.csv > out.csv       (mawk, not gawk)
# Both outputs are made durable: kleitab flushes its file to disk before it
# renames it into place, and mawk's file is flushed by `sync out.csv` inside
# its timed run. Reports the median of the same-round ratios, the peak
# memory of each, and the load average before and after.
# Usage: bench/run_cli.sh [build directory] [rounds]   (SETS="large large4")
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-5}
DATA=bench/data
MEASURE="python3 $PWD/bench/measure.py"

if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DKLEITAB_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target kleitab gen_csv >/dev/null
KLEITAB=$(realpath "$BUILD/app/kleitab")
GEN="$BUILD/bench/gen_csv"

generate() { # name, file count, bytes per file, seed
  local dir="$DATA/$1"
  [ -f "$dir/.complete" ] && return
  echo "generating $dir ..." >&2
  rm -rf "$dir" "$dir.tmp"
  mkdir -p "$DATA"
  "$GEN" "$dir.tmp" "$2" "$3" "$4"
  touch "$dir.tmp/.complete"
  mv "$dir.tmp" "$dir"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

report() {
  local set=$1 dir
  dir=$(realpath "$DATA/$1")
  local out
  out=$(realpath "$DATA")/cli.out
  local mb
  mb=$(cat "$dir"/*.csv | wc -c | awk '{ printf "%.1f", $1 / 1e6 }')
  cat "$dir"/*.csv >/dev/null # warm the page cache
  local load_before load_after ratios=() k_times=() m_times=() k_peak=0 m_peak=0 line
  load_before=$(cut -d' ' -f1-3 /proc/loadavg)
  for round in $(seq "$ROUNDS"); do
    # Who goes first alternates, so that a burst of load hits both alike.
    local order=(kleitab mawk)
    [ $((round % 2)) -eq 0 ] && order=(mawk kleitab)
    local tk="" tm=""
    for who in "${order[@]}"; do
      rm -f "$out"
      sync
      if [ "$who" = kleitab ]; then
        line=$($MEASURE -- "$KLEITAB" -q -o "$out" --file-name name "$dir")
        tk=${line% *}
        k_peak=$(awk -v a="$k_peak" -v b="${line#* }" 'BEGIN { print (b > a) ? b : a }')
      else
        line=$(cd "$dir" && $MEASURE -- sh -c "mawk '{print \$0\",\"FILENAME}' *.csv > '$out' && sync '$out'")
        tm=${line% *}
        m_peak=$(awk -v a="$m_peak" -v b="${line#* }" 'BEGIN { print (b > a) ? b : a }')
      fi
    done
    k_times+=("$tk")
    m_times+=("$tm")
    ratios+=("$(awk -v a="$tk" -v b="$tm" 'BEGIN { printf "%.3f", a / b }')")
    echo "  round $round: kleitab $tk s, mawk $tm s, ratio ${ratios[-1]}" >&2
  done
  rm -f "$out"
  load_after=$(cut -d' ' -f1-3 /proc/loadavg)
  local km mm rm_
  km=$(printf '%s\n' "${k_times[@]}" | median)
  mm=$(printf '%s\n' "${m_times[@]}" | median)
  rm_=$(printf '%s\n' "${ratios[@]}" | median)
  echo "== $set: $(ls "$dir"/*.csv | wc -l) files, $mb MB, $ROUNDS rounds, load average $load_before -> $load_after"
  echo "  kleitab -o --file-name name  median $km s  peak ${k_peak} MiB"
  echo "  mawk FILENAME > file         median $mm s  peak ${m_peak} MiB"
  echo "  median of same-round ratios kleitab / mawk: $rm_"
  echo "$set $km" >>"$DATA/.cli_times"
}

echo "machine: $(nproc) cores, $(uname -r), $(mawk -W version 2>&1 | head -1)"
rm -f "$DATA/.cli_times"
generate large 20 50000000 2
for set in ${SETS:-large}; do
  [ "$set" = large4 ] && generate large4 80 50000000 4
  report "$set"
done
awk '{ t[$1] = $2 } END { if (t["large"] > 0 && t["large4"] > 0) printf "== 4 GB / 1 GB: %.2f\n", t["large4"] / t["large"] }' "$DATA/.cli_times"
rm -f "$DATA/.cli_times"
