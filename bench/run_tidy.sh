#!/usr/bin/env bash
# Tidying the 1 GB table against the command-line tools that do the same job
# on the same files, each a fresh process, interleaved round by round (the
# order of the pairs rotated every round), the page cache warm:
#   sort by a number   tidy_bench DIR sort 6       LC_ALL=C sort -t, -s -k6,6n
#   sort by a text     tidy_bench DIR sort 4       LC_ALL=ru_RU.UTF-8 sort -t, -s -k4,4
#   repeated rows      tidy_bench DIR dedupe       LC_ALL=C sort -u
#   an absent text     tidy_bench DIR find TEXT    LC_ALL=C grep -c TEXT
# Ours is the operation's own time in a process that collected the files
# first (what the user waits for after the command: the grid repaints in
# milliseconds after it), the tool's its whole run, writing to a file.
# tidy_bench sorts texts in the locale of the environment: ru_RU.UTF-8
# here. Prints each round, the medians of the same-round ratios, the memory
# each operation added a row, and the load average before and after: the
# machine is shared, so the ratios, not the times, are the figures.
# Usage: bench/run_tidy.sh [build directory] [rounds=3]
# The data: the "large" set (bench/run_collect.sh makes it), converted to
# UTF-8 once into bench/data/large-utf8.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-3}
DATA=bench/data
cmake --build "$BUILD" --target tidy_bench gen_csv >/dev/null
# A copy of the program, so that a rebuild meanwhile changes nothing here.
BIN=$(mktemp -d)
cp "$BUILD/bench/tidy_bench" "$BIN/"
if [ ! -f "$DATA/large/.complete" ]; then
  rm -rf "$DATA/large.tmp" && mkdir -p "$DATA"
  "$BUILD/bench/gen_csv" "$DATA/large.tmp" 20 50000000 2
  touch "$DATA/large.tmp/.complete" && mv "$DATA/large.tmp" "$DATA/large"
fi
if [ ! -f "$DATA/large-utf8/.complete" ]; then
  rm -rf "$DATA/large-utf8" && mkdir -p "$DATA/large-utf8"
  for f in "$DATA"/large/*.csv; do iconv -f CP1251 -t UTF-8 "$f" >"$DATA/large-utf8/$(basename "$f")"; done
  touch "$DATA/large-utf8/.complete"
fi
SET=$DATA/large-utf8
OUT=$(mktemp -d)
cat "$SET"/*.csv >/dev/null # the page cache warm
ours() { # op args... -> "seconds bytes_a_row"
  LC_ALL=ru_RU.UTF-8 "$BIN/tidy_bench" "$SET" "$@" --encoding utf-8 |
    sed -E 's/.*seconds=([0-9.,]+).*added_bytes_per_row=([0-9.,]+).*/\1 \2/' | tr ',' '.'
}
tool() { # locale, command... -> seconds
  local start end
  start=$(date +%s.%N)
  LC_ALL=$1 "${@:2}" >"$OUT/tool.out"
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
PAIRS=(${PAIRS:-number text dedupe find}) # PAIRS="dedupe find": some only
run_pair() {
  case $1 in
  number) echo "$(ours sort 6) $(tool C sort -t, -s -k6,6n "$SET"/*.csv)" ;;
  text) echo "$(ours sort 4) $(tool ru_RU.UTF-8 sort -t, -s -k4,4 "$SET"/*.csv)" ;;
  dedupe) echo "$(ours dedupe) $(tool C sort -u "$SET"/*.csv)" ;;
  find) echo "$(ours find no-such-text-anywhere) $(tool C grep -c no-such-text-anywhere "$SET"/*.csv || true)" ;;
  esac
}
echo "machine: $(nproc) cores, $(uname -r), $(sort --version | head -1), $(grep --version | head -1)"
echo "rows: $(cat "$SET"/*.csv | wc -l) lines in $(du -sh "$SET" | cut -f1)"
results=$(mktemp)
for round in $(seq "$ROUNDS"); do
  n=${#PAIRS[@]}
  for k in $(seq 0 $((n - 1))); do
    pair=${PAIRS[$(((k + round) % n))]}
    load=$(cut -d' ' -f1 /proc/loadavg)
    read -r t_ours bytes t_tool < <(run_pair "$pair")
    echo "$round $pair $t_ours $t_tool $bytes $load" >>"$results"
    printf 'round %s %-6s ours %7.3f s  tool %7.3f s  ratio %.3f  %s B/row added  load %s\n' \
      "$round" "$pair" "$t_ours" "$t_tool" "$(echo "$t_ours / $t_tool" | bc -l)" "$bytes" "$load"
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for pair in "${PAIRS[@]}"; do
  r=$(awk -v p="$pair" '$2 == p { print $3 / $4 }' "$results" | median)
  o=$(awk -v p="$pair" '$2 == p { print $3 }' "$results" | median)
  t=$(awk -v p="$pair" '$2 == p { print $4 }' "$results" | median)
  b=$(awk -v p="$pair" '$2 == p { print $5 }' "$results" | median)
  printf '%-6s median ours %.3f s, tool %.3f s, median same-round ratio %.3f, %s B/row added\n' \
    "$pair" "$o" "$t" "$r" "$b"
done
rm -rf "$results" "$OUT" "$BIN"
