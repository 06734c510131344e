#!/usr/bin/env bash
# Measures what the reading options cost: quotes against plain reading, and
# matching columns by header names against a header alone. Usage:
#   bench/run_quotes.sh [build directory] [rounds]
# Generates under bench/data/ (git-ignored) on the first run, 1 GB each:
#   q-plain  20 x 50 MB, ten columns, a header, no quotes (the "large" bytes)
#   q-quoted the same with the name field quoted as a spreadsheet writes it
#   q-drift  the same with columns drifting: swapped in every third file, an
#            eleventh column in the next ones
# Every contender is a fresh collect_bench process; in each round every pair
# runs back to back, the order turning round by round; the figure of a pair
# is the median of its per-round ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-5}
DATA=bench/data

cmake --build "$BUILD" --target collect_bench gen_csv >/dev/null
GEN="$BUILD/bench/gen_csv"
COLLECT="$BUILD/bench/collect_bench"

generate() {
  local dir="$DATA/$1"
  shift
  [ -f "$dir/.complete" ] && return
  echo "generating $dir ..." >&2
  rm -rf "$dir" "$dir.tmp"
  mkdir -p "$DATA"
  "$GEN" "$dir.tmp" 20 50000000 2 "$@"
  touch "$dir.tmp/.complete"
  mv "$dir.tmp" "$dir"
}
generate q-plain
generate q-quoted --quoted
generate q-drift --drift

# name|set|arguments
PAIRS=(
  "read, quotes / plain|q-plain|read|read --quotes"
  "collect stacked, quotes / plain|q-plain|stacked|stacked --quotes"
  "collect stacked of quoted files, quotes / plain|q-quoted|stacked|stacked --quotes"
  "collect stacked, header + match / header|q-plain|stacked --header|stacked --header --match"
  "collect stacked of drifting files, header + match / header|q-drift|stacked --header|stacked --header --match"
)

for set in q-plain q-quoted q-drift; do cat "$DATA/$set"/*.csv >/dev/null; done
now() { date +%s.%N; }
run() { # set, arguments; prints the wall time of the whole process
  local t0 t1
  t0=$(now)
  # shellcheck disable=SC2086
  "$COLLECT" "$DATA/$1" $2 >/dev/null
  t1=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}

declare -A RATIOS BASE OPT
echo "machine: $(nproc) cores, $(uname -r), build $BUILD, $ROUNDS rounds"
for round in $(seq "$ROUNDS"); do
  for i in "${!PAIRS[@]}"; do
    IFS='|' read -r name set base opt <<<"${PAIRS[$i]}"
    if [ $(((round + i) % 2)) -eq 0 ]; then
      tb=$(run "$set" "$base")
      to=$(run "$set" "$opt")
    else
      to=$(run "$set" "$opt")
      tb=$(run "$set" "$base")
    fi
    RATIOS[$i]="${RATIOS[$i]:-} $(awk -v a="$to" -v b="$tb" 'BEGIN { printf "%.3f", a / b }')"
    BASE[$i]="${BASE[$i]:-} $tb"
    OPT[$i]="${OPT[$i]:-} $to"
  done
  echo "round $round done, load average $(cut -d' ' -f1-3 /proc/loadavg)"
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for i in "${!PAIRS[@]}"; do
  IFS='|' read -r name set base opt <<<"${PAIRS[$i]}"
  printf "%-58s median ratio %s  (yardstick median %s s, option median %s s)\n" "$name" \
    "$(echo "${RATIOS[$i]}" | median)" "$(echo "${BASE[$i]}" | median)" "$(echo "${OPT[$i]}" | median)"
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
