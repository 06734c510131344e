#!/usr/bin/env bash
# Compares the ways the save's writer can put bytes on disk (write_bench),
# each mode a fresh process, interleaved round by round, the order rotated
# every round. Prints each round's times and, per mode, the median of its
# same-round ratio to plain (buffered write + fdatasync), with the load
# average before and after. Usage:
#   bench/run_write.sh [build directory] [rounds=7] [MiB=512] [directory for the file]
# MODES="plain direct queue16" limits the modes (write_bench lists them all).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-7}
MIB=${3:-512}
DIR=${4:-bench/data}
cmake --build "$BUILD" --target write_bench >/dev/null
mkdir -p "$DIR"
FILE="$DIR/write_bench.out"
MODES=(${MODES:-plain direct all direct16 queue16 queue64 fill})
echo "machine: $(nproc) cores, $(uname -r); $MIB MiB a run; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
results=$(mktemp)
for round in $(seq "$ROUNDS"); do
  n=${#MODES[@]}
  line="round $round:"
  for k in $(seq 0 $((n - 1))); do
    mode=${MODES[$(((k + round) % n))]}
    sync
    t=$("$BUILD/bench/write_bench" "$FILE" "$mode" "$MIB" | cut -d' ' -f2)
    echo "$round $mode $t" >>"$results"
    line="$line $mode $t"
  done
  echo "$line"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for mode in "${MODES[@]}"; do
  times=$(awk -v m="$mode" '$2 == m { print $3 }' "$results")
  ratios=$(awk -v m="$mode" '{ t[$1, $2] = $3 } END { for (k in t) { split(k, p, SUBSEP); if (p[2] == m) print t[k] / t[p[1], "plain"] } }' "$results")
  awk -v m="$mode" -v mib="$MIB" -v t="$(echo "$times" | median)" -v r="$(echo "$ratios" | median)" \
    -v lo="$(echo "$ratios" | sort -g | head -1)" -v hi="$(echo "$ratios" | sort -g | tail -1)" \
    'BEGIN { printf "%-7s median %.3f s (%5.0f MB/s), median of same-round ratios to plain %.2f (%.2f to %.2f)\n", m, t, mib * 1.048576 / t, r, lo, hi }'
done
rm -f "$results"
