#!/usr/bin/env bash
# What quotes cost in two builds side by side: the reader alone and the
# stacked collect, quotes on against off, in a base build and a new one.
# Usage:
#   bench/run_quotes_builds.sh <base build directory> <new build directory> [rounds]
# Uses the sets bench/run_quotes.sh generates (run it once first). In every
# round each build runs each pair, every run a fresh collect_bench process,
# the order of the four runs of a pair turning round by round. Printed per
# pair and build: the median of the per-round ratios quotes / plain, and the
# new build's plain run against the base build's (options off: 1 is
# unchanged).
set -euo pipefail
cd "$(dirname "$0")/.."
BASE=$1/bench/collect_bench
NEW=$2/bench/collect_bench
ROUNDS=${3:-5}
DATA=bench/data

# name|set|mode
PAIRS=(
  "reader alone, unquoted files|q-plain|read"
  "reader alone, quoted files|q-quoted|read"
  "collect stacked, unquoted files|q-plain|stacked"
  "collect stacked, quoted files|q-quoted|stacked"
)

for set in q-plain q-quoted; do cat "$DATA/$set"/*.csv >/dev/null; done
now() { date +%s.%N; }
run() { # program, set, arguments; prints the wall time of the whole process
  local t0 t1
  t0=$(now)
  # shellcheck disable=SC2086
  "$1" "$DATA/$2" $3 >/dev/null
  t1=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

declare -A R
echo "machine: $(nproc) cores, $(uname -r), base $1, new $2, $ROUNDS rounds"
for round in $(seq "$ROUNDS"); do
  for i in "${!PAIRS[@]}"; do
    IFS='|' read -r name set mode <<<"${PAIRS[$i]}"
    declare -A T=()
    runs=("$BASE|$mode" "$BASE|$mode --quotes" "$NEW|$mode" "$NEW|$mode --quotes")
    for k in 0 1 2 3; do
      IFS='|' read -r program args <<<"${runs[$(((k + round + i) % 4))]}"
      T["$program|$args"]=$(run "$program" "$set" "$args")
    done
    R[$i,base]="${R[$i,base]:-} $(ratio "${T[$BASE|$mode --quotes]}" "${T[$BASE|$mode]}")"
    R[$i,new]="${R[$i,new]:-} $(ratio "${T[$NEW|$mode --quotes]}" "${T[$NEW|$mode]}")"
    R[$i,off]="${R[$i,off]:-} $(ratio "${T[$NEW|$mode]}" "${T[$BASE|$mode]}")"
    R[$i,on]="${R[$i,on]:-} $(ratio "${T[$NEW|$mode --quotes]}" "${T[$BASE|$mode --quotes]}")"
    R[$i,plain]="${R[$i,plain]:-} ${T[$NEW|$mode]}"
    R[$i,quoted]="${R[$i,quoted]:-} ${T[$NEW|$mode --quotes]}"
  done
  echo "round $round done, load average $(cut -d' ' -f1-3 /proc/loadavg)"
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for i in "${!PAIRS[@]}"; do
  IFS='|' read -r name set mode <<<"${PAIRS[$i]}"
  printf "%-32s quotes/plain: base %s, new %s; new/base: plain %s, quotes %s; new plain %s s, quotes %s s\n" \
    "$name" "$(echo "${R[$i,base]}" | median)" "$(echo "${R[$i,new]}" | median)" \
    "$(echo "${R[$i,off]}" | median)" "$(echo "${R[$i,on]}" | median)" \
    "$(echo "${R[$i,plain]}" | median)" "$(echo "${R[$i,quoted]}" | median)"
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
