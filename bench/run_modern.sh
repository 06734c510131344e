#!/usr/bin/env bash
# The modern merge of a UTF-8 folder whose headers drift (about 0.5 GB, 40
# files, quoted fields; generated once into bench/data/drifting by
# bench/gen_drifting.py), each contender a fresh process, interleaved round
# by round (who goes first rotates):
#   modern     kleitab --quotes --header --match-headers --quote-output --utf8
#              --encoding utf-8 (through the table in memory)
#   plain      kleitab --utf8 --encoding utf-8 (plain lines, streamed)
#   plain-mem  the same with --in-memory (through the table)
#   mlr        Miller 6 (Debian's miller): mlr --icsv --ocsv unsparsify
# Reports each one's median time and peak memory, the load average before
# and after, and the medians of the same-round ratios.
# Usage: bench/run_modern.sh [build directory] [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-3}
DATA=bench/data
MEASURE="python3 $PWD/bench/measure.py"
[ -n "${NO_BUILD:-}" ] || cmake --build "$BUILD" --target kleitab >/dev/null
KLEITAB=$(realpath "$BUILD/app/kleitab")
DIR=$DATA/drifting
if [ ! -f "$DIR/.complete" ]; then
  echo "generating $DIR ..." >&2
  rm -rf "$DIR" "$DIR.tmp"
  python3 bench/gen_drifting.py "$DIR.tmp" 40 12500000 24
  touch "$DIR.tmp/.complete"
  mv "$DIR.tmp" "$DIR"
fi
DIR=$(realpath "$DIR")
OUT=$(realpath "$DATA")/modern.out
cat "$DIR"/*.csv >/dev/null # warm the page cache

run() { # contender -> "seconds MiB"
  case $1 in
  modern) $MEASURE -- "$KLEITAB" -q -o "$OUT" --quotes --header --match-headers --quote-output \
    --utf8 --encoding utf-8 "$DIR" ;;
  plain) $MEASURE -- "$KLEITAB" -q -o "$OUT" --utf8 --encoding utf-8 "$DIR" ;;
  plain-mem) $MEASURE -- "$KLEITAB" -q -o "$OUT" --utf8 --encoding utf-8 --in-memory "$DIR" ;;
  mlr) $MEASURE -o "$OUT" -- mlr --icsv --ocsv unsparsify "$DIR"/*.csv ;;
  esac
}

contenders=(modern plain plain-mem mlr)
declare -A times peaks
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for round in $(seq "$ROUNDS"); do
  n=${#contenders[@]}
  for k in $(seq 0 $((n - 1))); do
    who=${contenders[$(((k + round) % n))]}
    rm -f "$OUT"
    sync
    line=$(run "$who")
    times[$who]+="${line% *} "
    peaks[$who]="${peaks[$who]:-0} ${line#* }"
    echo "  round $round: $who $line" >&2
  done
done
rm -f "$OUT"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
mb=$(cat "$DIR"/*.csv | wc -c | awk '{ printf "%.1f", $1 / 1e6 }')
echo "machine: $(nproc) cores, $(uname -r), $(mlr --version)"
echo "== $(ls "$DIR"/*.csv | wc -l) files, $mb MB, $ROUNDS rounds, load average $load_before -> $load_after"
for who in "${contenders[@]}"; do
  peak=$(echo "${peaks[$who]}" | tr ' ' '\n' | sort -g | tail -1)
  echo "  $who median $(echo "${times[$who]}" | median) s, peak $peak MiB"
done
